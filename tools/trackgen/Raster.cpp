#include "tools/trackgen/Raster.h"

namespace track {

namespace {

constexpr float kNear = 0.3f;

struct ClipVertex {
    Vector3 c; // camera space: x right, y up, z ahead
    float u, v;
};

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
    std::vector<float> depth(size_t(m_width) * size_t(m_height));
    std::vector<Rgb> sum(size_t(m_width) * size_t(m_height));
    // A rotated grid of four samples per pixel.
    static const float jitter[4][2] = {{-0.125f, -0.375f}, {0.375f, -0.125f}, {0.125f, 0.375f}, {-0.375f, 0.125f}};
    for (const auto& j : jitter)
        pass(j[0], j[1], depth, sum);
    Picture out(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            out.set(x, y, sum[size_t(y) * size_t(m_width) + size_t(x)] * 0.25f);
    return out;
}

void Rasteriser::pass(float jx, float jy, std::vector<float>& depth, std::vector<Rgb>& accumulate) const
{
    std::fill(depth.begin(), depth.end(), 1e30f);
    std::vector<Rgb> colour(depth.size(), m_light.fog);
    const float cx = float(m_width) * 0.5f + jx, cy = float(m_height) * 0.5f + jy;
    for (const Item& item : m_items) {
        const Mesh& mesh = *item.mesh;
        for (const Mesh::Polygon& poly : mesh.polygons()) {
            const Material& mat = m_materials->at(poly.material);
            const MeshVertex* pv = &mesh.vertices()[poly.first];
            const Vector3 normal = unit(cross(pv[1].p - pv[0].p, pv[2].p - pv[0].p));
            if (dot(normal, m_view.eye - pv[0].p) <= 0.0f)
                continue;
            // Flat light of the face.
            const float sunAmount = std::max(0.0f, dot(normal, m_light.towardSun));
            const float lum = mat.luminosity;
            Rgb light = (m_light.ambient + m_light.sun * sunAmount) * (1.0f - lum) + Rgb{lum, lum, lum};
            const Mips& mips = m_mips[poly.material];
            const bool textured = !mips.levels.empty();
            const Rgb flat = textured ? Rgb{} : mat.colour;

            for (uint32_t t = 1; t + 1 < poly.count; ++t) {
                const MeshVertex* tri[3] = {&pv[0], &pv[t], &pv[t + 1]};
                ClipVertex in[3];
                for (int k = 0; k < 3; ++k) {
                    const Vector3 r = tri[k]->p - m_view.eye;
                    in[k] = {Vector3(dot(r, m_right), dot(r, m_up), dot(r, m_forward)), tri[k]->u / mat.tile,
                             tri[k]->v / mat.tile};
                }
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
                    // The mip level from texels per pixel over the triangle.
                    int level = 0;
                    if (textured) {
                        const Picture& top = mips.levels[0];
                        const float du1 = v[1]->u - v[0]->u, dv1 = v[1]->v - v[0]->v;
                        const float du2 = v[2]->u - v[0]->u, dv2 = v[2]->v - v[0]->v;
                        const float texels = std::fabs(du1 * dv2 - du2 * dv1) * float(top.width()) * float(top.height());
                        const float ratio = texels / std::fabs(area * 0.5f);
                        level = std::clamp(int(std::floor(0.5f * std::log2(std::max(ratio, 1.0f)))), 0,
                                           int(mips.levels.size()) - 1);
                    }
                    const Picture* tex = textured ? &mips.levels[size_t(level)] : nullptr;
                    const int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
                    const int x1 = std::min(m_width - 1, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
                    const int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
                    const int y1 = std::min(m_height - 1, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
                    const float inv = 1.0f / area;
                    for (int y = y0; y <= y1; ++y)
                        for (int x = x0; x <= x1; ++x) {
                            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
                            const float w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) * inv;
                            const float w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) * inv;
                            const float w2 = 1.0f - w0 - w1;
                            if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f)
                                continue;
                            const float z = 1.0f / (w0 * iz[0] + w1 * iz[1] + w2 * iz[2]);
                            const size_t at = size_t(y) * size_t(m_width) + size_t(x);
                            if (z >= depth[at])
                                continue;
                            depth[at] = z;
                            Rgb c = flat;
                            if (tex) {
                                const float u = (w0 * uz[0] + w1 * uz[1] + w2 * uz[2]) * z;
                                const float vv = (w0 * vz[0] + w1 * vz[1] + w2 * vz[2]) * z;
                                c = mat.edgeClamp ? tex->sample(u, std::clamp(vv, 0.002f, 0.998f)) : tex->sample(u, vv);
                            }
                            c = c * light;
                            if (item.fogged && m_light.fogEnd > m_light.fogStart) {
                                const float f = clamp01((z - m_light.fogStart) / (m_light.fogEnd - m_light.fogStart));
                                c = mix(c, m_light.fog, f);
                            }
                            colour[at] = c;
                        }
                }
            }
        }
    }
    for (size_t i = 0; i < colour.size(); ++i)
        accumulate[i] = accumulate[i] + colour[i];
}

} // namespace track
