#include "engine/scene/CollisionDisplay.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/WireLines.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cmath>

namespace {

// Cyan, as the material the lines are drawn with.
constexpr uint32_t lineColor = 0xFF00FFFFu;

void addLine(std::vector<CollisionLineVertex>& out, float x0, float y0, float z0, float x1, float y1, float z1)
{
    out.push_back({x0, y0, z0, lineColor});
    out.push_back({x1, y1, z1, lineColor});
}

} // namespace

CollisionDisplay::CollisionDisplay(CollisionObject* object)
    : BoundingBox(object->m_renderer, object), m_object(object)
{
}

void CollisionDisplay::computeBounds()
{
    if (m_valid)
        return;
    setMinMax(Vector3(-1.0f, -1.0f, -1.0f), Vector3(1.0f, 1.0f, 1.0f));
    m_valid = true;
}

void CollisionDisplay::buildLines(uint32_t shapeType, const float e[3], std::vector<CollisionLineVertex>& out)
{
    out.clear();
    if (shapeType == ShapeBox) {
        const float hx = e[0] / 2, hy = e[1] / 2, hz = e[2] / 2;
        // Each face as (x, y) sign pairs: (-,-)-(+,-), (+,-)-(+,+), (-,+)-(+,+), (-,+)-(-,-).
        for (float z : {-hz, hz}) {
            addLine(out, -hx, -hy, z, hx, -hy, z);
            addLine(out, hx, -hy, z, hx, hy, z);
            addLine(out, -hx, hy, z, hx, hy, z);
            addLine(out, -hx, hy, z, -hx, -hy, z);
        }
        addLine(out, -hx, -hy, -hz, -hx, -hy, hz);
        addLine(out, hx, -hy, -hz, hx, -hy, hz);
        addLine(out, -hx, hy, -hz, -hx, hy, hz);
        addLine(out, hx, hy, -hz, hx, hy, hz);
    } else if (shapeType == ShapeSphere) {
        const double step = 22.5 * 3.14159265358979323846 / 180.0;
        for (int i = 0; i < 16; ++i) {
            const float s0 = float(std::sin(i * step)), c0 = float(std::cos(i * step));
            const float s1 = float(std::sin((i + 1) * step)), c1 = float(std::cos((i + 1) * step));
            addLine(out, e[0] * s0, 0.0f, e[2] * c0, e[0] * s1, 0.0f, e[2] * c1);
            addLine(out, e[0] * s0, e[1] * c0, 0.0f, e[0] * s1, e[1] * c1, 0.0f);
            addLine(out, 0.0f, e[1] * s0, e[2] * c0, 0.0f, e[1] * s1, e[2] * c1);
        }
    }
}

void CollisionDisplay::render(double time)
{
    IDirect3DDevice9* device = m_context ? m_context->m_device : nullptr;
    ShaderFloatParams* params = m_context ? m_context->m_shaderFloatParams.get() : nullptr;
    if (!device || !params)
        return;
    buildLines(m_object->m_shapeType, m_object->m_extents, m_lines);
    if (m_lines.empty())
        return;

    const float colour[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    drawWireLines(device, *params, m_object->getMatrix(time, true), colour, m_lines.data(),
                  uint32_t(m_lines.size() / 2), sizeof(CollisionLineVertex));
}
