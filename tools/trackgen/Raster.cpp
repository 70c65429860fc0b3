#include "tools/trackgen/Raster.h"

namespace track {

namespace {

constexpr float kNear = 0.3f;
constexpr int kSamples = 4;
// A rotated grid of four samples per pixel, offsets from its middle.
constexpr float kSampleAt[kSamples][2] = {{-0.125f, -0.375f}, {0.375f, -0.125f}, {0.125f, 0.375f}, {-0.375f, 0.125f}};

struct ClipVertex {
    Vector3 c; // camera space: x right, y up, z ahead
    float u, v;
};

uint32_t pack(const Rgb& c) { return uint32_t(toByte(c.r)) << 16 | uint32_t(toByte(c.g)) << 8 | toByte(c.b); }
Rgb unpack(uint32_t c)
{
    return Rgb{float((c >> 16) & 255) / 255.0f, float((c >> 8) & 255) / 255.0f, float(c & 255) / 255.0f};
}

} // namespace

Rasteriser::Rasteriser(int width, int height, const ViewPoint& view, const Lighting& light)
    : m_width(width), m_height(height), m_view(view), m_light(light)
{
    m_forward = unit(view.target - view.eye);
    m_right = unit(cross(Vector3(0.0f, 1.0f, 0.0f), m_forward));
    m_up = cross(m_forward, m_right);
    m_focal = float(height) * 0.5f / std::tan(view.fovY * 0.5f);
}

void Rasteriser::add(const Mesh& mesh, const MaterialSet& materials, const std::vector<const Picture*>& textures,
                     bool fogged)
{
    if (m_mips.empty()) {
        m_materials = &materials;
        m_mips.resize(materials.size());
        for (size_t i = 0; i < textures.size() && i < materials.size(); ++i) {
            if (!textures[i])
                continue;
            Picture p = *textures[i];
            while (true) {
                m_mips[i].levels.push_back(p);
                if (p.width() < 4)
                    break;
                p = p.shrink(2);
            }
        }
    }
    m_items.push_back({&mesh, fogged});
}

Picture Rasteriser::render() const
{
    // Four depth and colour samples per pixel; each pixel a triangle covers
    // is shaded once and written to the samples it covers.
    const size_t pixels = size_t(m_width) * size_t(m_height);
    std::vector<float> depth(pixels * kSamples, 1e30f);
    std::vector<uint32_t> colour(pixels * kSamples, pack(m_light.fog));
    for (const Item& item : m_items)
        draw(item, depth, colour);
    Picture out(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            Rgb sum;
            const size_t at = (size_t(y) * size_t(m_width) + size_t(x)) * kSamples;
            for (int k = 0; k < kSamples; ++k)
                sum = sum + unpack(colour[at + size_t(k)]);
            out.set(x, y, sum * (1.0f / float(kSamples)));
        }
    return out;
}

void Rasteriser::draw(const Item& item, std::vector<float>& depth, std::vector<uint32_t>& colour) const
{
    const float cx = float(m_width) * 0.5f, cy = float(m_height) * 0.5f;
    const Mesh& mesh = *item.mesh;
    const bool fog = item.fogged && m_light.fogEnd > m_light.fogStart;
    for (const Mesh::Polygon& poly : mesh.polygons()) {
        const Material& mat = m_materials->at(poly.material);
        const MeshVertex* pv = &mesh.vertices()[poly.first];
        const Vector3 normal = unit(cross(pv[1].p - pv[0].p, pv[2].p - pv[0].p));
        if (dot(normal, m_view.eye - pv[0].p) <= 0.0f)
            continue;
        // Flat light of the face.
        const float sunAmount = std::max(0.0f, dot(normal, m_light.towardSun));
        const float lum = mat.luminosity;
        const Rgb light = (m_light.ambient + m_light.sun * sunAmount) * (1.0f - lum) + Rgb{lum, lum, lum};
        const Mips& mips = m_mips[poly.material];
        const bool textured = !mips.levels.empty();
        const Rgb flat = (textured ? Rgb{1.0f, 1.0f, 1.0f} : mat.colour) * light;

        for (uint32_t t = 1; t + 1 < poly.count; ++t) {
            const MeshVertex* tri[3] = {&pv[0], &pv[t], &pv[t + 1]};
            ClipVertex in[3];
            bool ahead = false;
            for (int k = 0; k < 3; ++k) {
                const Vector3 r = tri[k]->p - m_view.eye;
                in[k] = {Vector3(dot(r, m_right), dot(r, m_up), dot(r, m_forward)), tri[k]->u / mat.tile,
                         tri[k]->v / mat.tile};
                ahead = ahead || in[k].c.z >= kNear;
            }
            if (!ahead)
                continue;
            // Clip against the near plane.
            ClipVertex clipped[4];
            int count = 0;
            for (int k = 0; k < 3; ++k) {
                const ClipVertex& a = in[k];
                const ClipVertex& b = in[(k + 1) % 3];
                const bool aIn = a.c.z >= kNear, bIn = b.c.z >= kNear;
                if (aIn)
                    clipped[count++] = a;
                if (aIn != bIn) {
                    const float s = (kNear - a.c.z) / (b.c.z - a.c.z);
                    clipped[count++] = {lerp(a.c, b.c, s), lerp(a.u, b.u, s), lerp(a.v, b.v, s)};
                }
            }
            for (int f = 1; f + 1 < count; ++f) {
                const ClipVertex* v[3] = {&clipped[0], &clipped[f], &clipped[f + 1]};
                float sx[3], sy[3], iz[3], uz[3], vz[3];
                for (int k = 0; k < 3; ++k) {
                    iz[k] = 1.0f / v[k]->c.z;
                    sx[k] = cx + v[k]->c.x * iz[k] * m_focal;
                    sy[k] = cy - v[k]->c.y * iz[k] * m_focal;
                    uz[k] = v[k]->u * iz[k];
                    vz[k] = v[k]->v * iz[k];
                }
                const float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
                if (std::fabs(area) < 1e-6f)
                    continue;
                const int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
                const int x1 = std::min(m_width - 1, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
                const int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
                const int y1 = std::min(m_height - 1, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
                if (x0 > x1 || y0 > y1)
                    continue;
                // The mip level from texels per pixel over the triangle.
                const Picture* tex = nullptr;
                if (textured) {
                    const Picture& top = mips.levels[0];
                    const float du1 = v[1]->u - v[0]->u, dv1 = v[1]->v - v[0]->v;
                    const float du2 = v[2]->u - v[0]->u, dv2 = v[2]->v - v[0]->v;
                    const float texels = std::fabs(du1 * dv2 - du2 * dv1) * float(top.width()) * float(top.height());
                    const float ratio = texels / std::fabs(area * 0.5f);
                    const int level = std::clamp(int(std::floor(0.5f * std::log2(std::max(ratio, 1.0f)))), 0,
                                                 int(mips.levels.size()) - 1);
                    tex = &mips.levels[size_t(level)];
                }
                const float inv = 1.0f / area;
                auto weights = [&](float px, float py, float& w0, float& w1, float& w2) {
                    w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) * inv;
                    w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) * inv;
                    w2 = 1.0f - w0 - w1;
                };
                for (int y = y0; y <= y1; ++y)
                    for (int x = x0; x <= x1; ++x) {
                        const size_t at = (size_t(y) * size_t(m_width) + size_t(x)) * kSamples;
                        int covered = 0;
                        float nearest = 1e30f;
                        for (int k = 0; k < kSamples; ++k) {
                            float w0, w1, w2;
                            weights(float(x) + 0.5f + kSampleAt[k][0], float(y) + 0.5f + kSampleAt[k][1], w0, w1, w2);
                            if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f)
                                continue;
                            const float z = 1.0f / (w0 * iz[0] + w1 * iz[1] + w2 * iz[2]);
                            if (z >= depth[at + size_t(k)])
                                continue;
                            depth[at + size_t(k)] = z;
                            covered |= 1 << k;
                            nearest = std::min(nearest, z);
                        }
                        if (!covered)
                            continue;
                        // Shaded once, at the pixel's middle held inside
                        // the triangle.
                        float w0, w1, w2;
                        weights(float(x) + 0.5f, float(y) + 0.5f, w0, w1, w2);
                        w0 = std::max(w0, 0.0f);
                        w1 = std::max(w1, 0.0f);
                        w2 = std::max(w2, 0.0f);
                        const float sum = w0 + w1 + w2;
                        w0 /= sum;
                        w1 /= sum;
                        w2 /= sum;
                        Rgb c = flat;
                        if (tex) {
                            const float z = 1.0f / (w0 * iz[0] + w1 * iz[1] + w2 * iz[2]);
                            const float u = (w0 * uz[0] + w1 * uz[1] + w2 * uz[2]) * z;
                            const float vv = (w0 * vz[0] + w1 * vz[1] + w2 * vz[2]) * z;
                            c = c * (mat.edgeClamp ? tex->sample(u, std::clamp(vv, 0.002f, 0.998f)) : tex->sample(u, vv));
                        }
                        if (fog)
                            c = mix(c, m_light.fog, clamp01((nearest - m_light.fogStart) / (m_light.fogEnd - m_light.fogStart)));
                        const uint32_t packed = pack(c);
                        for (int k = 0; k < kSamples; ++k)
                            if (covered & (1 << k))
                                colour[at + size_t(k)] = packed;
                    }
            }
        }
    }
}

} // namespace track
