#include "tools/lib/TriangleWriter.h"

TriangleSource::TriangleSource(std::vector<float> positions, std::vector<uint32_t> indices)
    : BoundingBox(nullptr, nullptr), m_positions(std::move(positions)), m_indices(std::move(indices))
{
}

bool TriangleSource::copyTriangles(std::vector<float>& positions, std::vector<uint32_t>& indices)
{
    ++m_copies;
    positions = m_positions;
    indices = m_indices;
    return true;
}

namespace {

void addPoint(std::vector<float>& out, float x, float y, float z)
{
    out.push_back(x);
    out.push_back(y);
    out.push_back(z);
}

// Two triangles over the quad a b c d (a to b along +X, a to d along +Z),
// facing up: (d - a) x (b - a) points to +Y, as a face seen from above.
void addQuad(std::vector<uint32_t>& out, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    for (uint32_t i : {a, d, b, b, d, c})
        out.push_back(i);
}

} // namespace

TriangleSource* writeProfile(const std::vector<float>& xs, const std::vector<float>& ys, float width)
{
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    for (size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
        addPoint(positions, xs[i], ys[i], -width / 2);
        addPoint(positions, xs[i], ys[i], width / 2);
    }
    for (uint32_t a = 0; a + 3 < positions.size() / 3; a += 2)
        addQuad(indices, a, a + 2, a + 3, a + 1);
    return new TriangleSource(std::move(positions), std::move(indices));
}

TriangleSource* writeRamp(float length, float height, float width, float flatLength, int rows)
{
    std::vector<float> xs, ys;
    for (int i = 0; i <= rows; ++i) {
        const float t = float(i) / float(rows);
        xs.push_back(t * length);
        ys.push_back(height * (1.0f - t));
    }
    xs.push_back(length + flatLength);
    ys.push_back(0.0f);
    return writeProfile(xs, ys, width);
}

TriangleSource* writeFloor(float half, float y, int cells)
{
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    const float step = 2 * half / float(cells);
    for (int z = 0; z <= cells; ++z)
        for (int x = 0; x <= cells; ++x)
            addPoint(positions, -half + float(x) * step, y, -half + float(z) * step);
    const uint32_t row = uint32_t(cells + 1);
    for (int z = 0; z < cells; ++z)
        for (int x = 0; x < cells; ++x) {
            const uint32_t a = uint32_t(z) * row + uint32_t(x);
            addQuad(indices, a, a + 1, a + 1 + row, a + row);
        }
    return new TriangleSource(std::move(positions), std::move(indices));
}
