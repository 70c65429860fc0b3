#include "engine/lightwave/TextureLayer.h"

#include "engine/core/geometry/LwVertex.h"
#include "engine/lightwave/LwoVertexMaps.h"
#include "engine/lightwave/SurfaceStagePlan.h"
#include "engine/scene/Envelope.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

Vector3 transformPoint(const Vector3& p, const Matrix4& m)
{
    return {p.x * m.at(0, 0) + p.y * m.at(1, 0) + p.z * m.at(2, 0) + m.at(3, 0),
            p.x * m.at(0, 1) + p.y * m.at(1, 1) + p.z * m.at(2, 1) + m.at(3, 1),
            p.x * m.at(0, 2) + p.y * m.at(1, 2) + p.z * m.at(2, 2) + m.at(3, 2)};
}

// Rows 1 to 4 of the placement matrix; `scale` false leaves size and the
// half offset out (the cylindrical and spherical projections apply them).
Matrix4 placement(float cx, float cy, float cz, float h, float p, float b, float sx, float sy, float sz, bool scale)
{
    const double ch = std::cos(-h), sh = std::sin(-h), cp = std::cos(p), sp = std::sin(p), cb = std::cos(b),
                 sb = std::sin(b);
    if (!scale)
        sx = sy = sz = 1.0f;
    const double off = scale ? 0.5 : 0.0;
    const double a = -sh * cx - ch * cz, d = a * sp - cp * cy, e = sh * cz - ch * cx;
    Matrix4 m = Matrix4::identity();
    m.at(0, 0) = float((sb * sp * sh + cb * ch) / sx);
    m.at(0, 1) = float((sp * sh * cb - sb * ch) / sy);
    m.at(0, 2) = float(cp * sh / sz);
    m.at(1, 0) = float(cp * sb / sx);
    m.at(1, 1) = float(cp * cb / sy);
    m.at(1, 2) = float(-sp / sz);
    m.at(2, 0) = float((sp * ch * sb - sh * cb) / sx);
    m.at(2, 1) = float((sb * sh + sp * ch * cb) / sy);
    m.at(2, 2) = float(cp * ch / sz);
    m.at(3, 0) = float((e * cb + d * sb) / sx + off);
    m.at(3, 1) = float((d * cb - e * sb) / sy + off);
    m.at(3, 2) = float((sp * cy + a * cp) / sz + off);
    for (int r = 0; r < 3; ++r)
        m.at(r, 3) = 0.0f;
    m.at(3, 3) = 1.0f;
    return m;
}

void seamRepair(std::array<float, 3>* uv, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const float previous = uv[i == 0 ? count - 1 : i - 1][0];
        const float diff = uv[i][0] - previous;
        if (diff < -0.5f)
            uv[i][0] += 1.0f;
        else if (diff > 0.5f)
            uv[i][0] -= 1.0f;
    }
}

} // namespace

int32_t textureAddressMode(int32_t code, uint32_t caps)
{
    switch (code) {
    case 0:
        return (caps & 0x8) ? 4 : (caps & 0x4) ? 3 : 1;
    case 1:
        return 1;
    case 2:
        return (caps & 0x2) ? 2 : 1;
    case 3:
        return (caps & 0x4) ? 3 : 1;
    default:
        return code;
    }
}

TextureLayer::TextureLayer() = default;
TextureLayer::~TextureLayer() = default;

bool TextureLayer::hasAnimatedTransform() const
{
    for (const AnimatedValue* v : {&m_centerX, &m_centerY, &m_centerZ, &m_rotationH, &m_rotationP, &m_rotationB,
                                   &m_sizeX, &m_sizeY, &m_sizeZ}) {
        if (v->m_envelope)
            return true;
    }
    return m_animatedTransform != 0;
}

Matrix4 TextureLayer::setupTransform(double t)
{
    return placement(m_centerX.evaluate(t), m_centerY.evaluate(t), m_centerZ.evaluate(t), m_rotationH.evaluate(t),
                     m_rotationP.evaluate(t), m_rotationB.evaluate(t), m_sizeX.evaluate(t), m_sizeY.evaluate(t),
                     m_sizeZ.evaluate(t), true);
}

const Matrix4& TextureLayer::getTransform()
{
    if (m_transformValid)
        return m_transform;
    if (m_projection == ProjectionCylindrical || m_projection == ProjectionSpherical)
        m_transform = placement(m_centerX.evaluate(0), m_centerY.evaluate(0), m_centerZ.evaluate(0),
                                m_rotationH.evaluate(0), m_rotationP.evaluate(0), m_rotationB.evaluate(0), 1, 1, 1,
                                false);
    else
        m_transform = setupTransform(0.0);
    m_transformValid = 1;
    return m_transform;
}

LwoUVMap* TextureLayer::uvMap(int32_t layer) const
{
    auto it = m_uvMapsByLayer.find(layer);
    return it == m_uvMapsByLayer.end() ? nullptr : it->second.get();
}

LwoColorMap* TextureLayer::colorMap(int32_t layer) const
{
    auto it = m_colorMapsByLayer.find(layer);
    return it == m_colorMapsByLayer.end() ? nullptr : it->second.get();
}

void TextureLayer::coordinatesFor(const LayerPolygon& polygon, int32_t layer, const Vector3* positions,
                                  std::array<float, 3>* out)
{
    const uint32_t n = polygon.count;
    if (hasAnimatedTransform()) {
        for (uint32_t i = 0; i < n; ++i) {
            const Vector3& p = positions[polygon.points[i]];
            out[i][0] = p.x, out[i][1] = p.y, out[i][2] = p.z;
        }
        return;
    }
    int32_t projection = m_projection;
    int32_t axis = m_axis;
    if (projection == ProjectionCubic) {
        const float nx = std::fabs(polygon.normal.x), ny = std::fabs(polygon.normal.y),
                    nz = std::fabs(polygon.normal.z);
        axis = (ny <= nx && nz <= nx) ? 0 : (nz <= ny ? 1 : 2);
        projection = ProjectionPlanar;
    }
    const bool needsTransform = projection == ProjectionPlanar || projection == ProjectionCylindrical ||
                                projection == ProjectionSpherical || projection == Projection3D ||
                                projection == ProjectionMax;
    const Matrix4 m = needsTransform ? getTransform() : Matrix4::identity();
    const double twoPi = 2.0 * kPi;
    for (uint32_t i = 0; i < n; ++i) {
        const Vector3 q = transformPoint(positions[polygon.points[i]], m);
        float* o = out[i].data();
        o[0] = o[1] = o[2] = 0.0f;
        switch (projection) {
        case ProjectionPlanar:
            if (axis == 0)
                o[0] = q.z, o[1] = q.y;
            else if (axis == 1)
                o[0] = q.x, o[1] = q.z;
            else
                o[0] = q.x, o[1] = q.y;
            break;
        case ProjectionCylindrical:
        case ProjectionSpherical: {
            double u;
            if (axis == 0)
                u = std::atan2(q.z, q.y);
            else if (axis == 1)
                u = std::atan2(-q.x, q.z);
            else
                u = std::atan2(-q.x, q.y);
            o[0] = float(u / twoPi);
            if (projection == ProjectionCylindrical) {
                const float size = axis == 0 ? m_sizeX.m_value : axis == 1 ? m_sizeY.m_value : m_sizeZ.m_value;
                const float along = axis == 0 ? q.x : axis == 1 ? q.y : q.z;
                o[1] = (size != 0.0f ? along / size : 0.0f) + 0.5f;
            } else {
                double v;
                if (axis == 0)
                    v = std::atan2(q.x, std::sqrt(double(q.y) * q.y + double(q.z) * q.z));
                else if (axis == 1)
                    v = std::atan2(q.y, std::sqrt(double(q.x) * q.x + double(q.z) * q.z));
                else
                    v = std::atan2(q.z, std::sqrt(double(q.x) * q.x + double(q.y) * q.y));
                o[1] = float(v / kPi + 0.5);
            }
            break;
        }
        case ProjectionUV:
        case ProjectionMax: {
            const LwoUVMap* map = uvMap(layer);
            const uint32_t point = polygon.points[i];
            if (map && point < map->values.size()) {
                const auto& v = map->values[point];
                if (projection == ProjectionUV) {
                    o[0] = v[0], o[1] = v[1], o[2] = v[2];
                } else {
                    const Vector3 w = transformPoint({v[0], v[1], v[2]}, m);
                    o[0] = w.x, o[1] = w.y, o[2] = w.z;
                }
            } else if (projection == ProjectionMax && !map) {
                o[0] = q.x, o[1] = q.y, o[2] = q.z;
            }
            break;
        }
        case Projection3D:
            o[0] = q.x, o[1] = q.y, o[2] = q.z;
            break;
        default:
            break;
        }
    }
    if (projection == ProjectionCylindrical || projection == ProjectionSpherical) {
        seamRepair(out, n);
        for (uint32_t i = 0; i < n; ++i) {
            out[i][0] *= m_wrapWidth;
            if (projection == ProjectionSpherical)
                out[i][1] *= m_wrapHeight;
        }
    }
    if (projection == ProjectionUV) {
        const LwoUVMap* map = uvMap(layer);
        if (map && polygon.index >= 0 && size_t(polygon.index) < map->perPolygon.size()) {
            const auto& record = map->perPolygon[size_t(polygon.index)];
            for (size_t e = 0; e < record.pointIndices.size(); ++e)
                for (uint32_t i = 0; i < n; ++i)
                    if (polygon.points[i] == record.pointIndices[e])
                        out[i] = record.values[e];
        }
    }
}

void TextureLayer::quadCoordinates(const Vector3 (&corners)[4], const Vector3& normal, float (&out)[4][3])
{
    static constexpr uint32_t Points[4] = {0, 1, 2, 3};
    LayerPolygon quad;
    quad.count = 4;
    quad.points = Points;
    quad.normal = normal;
    std::array<float, 3> coords[4];
    coordinatesFor(quad, 0, corners, coords);
    for (int i = 0; i < 4; ++i)
        std::copy(coords[i].begin(), coords[i].end(), out[i]);
}

void TextureLayer::computeLayerCoordinates(const SurfaceStagePlan& plan, const LayerPolygon& polygon, int32_t layer,
                                           const Vector3* positions, LwVertex* vertices)
{
    std::vector<std::array<float, 3>> coords(polygon.count);
    for (int32_t s = 0; s < plan.count && s < SurfaceStagePlan::MaxStages; ++s) {
        auto* l = static_cast<TextureLayer*>(plan.layers[s]);
        if (!l)
            continue;
        l->coordinatesFor(polygon, layer, positions, coords.data());
        for (uint32_t i = 0; i < polygon.count; ++i)
            std::copy(coords[i].begin(), coords[i].end(), vertices[i].texCoords[s]);
    }
}

void TextureLayer::applyVertexColors(SurfaceStagePlan& plan, const LayerPolygon& polygon, int32_t layer,
                                     LwVertex* vertices)
{
    auto* l = static_cast<TextureLayer*>(plan.vertexColorLayer);
    if (!l)
        return;
    const LwoColorMap* map = l->colorMap(layer);
    if (!map) {
        for (uint32_t i = 0; i < polygon.count; ++i) {
            float* c = vertices[i].color;
            c[0] = c[1] = c[2] = 0.0f;
            c[3] = 1.0f;
        }
        return;
    }
    const float intensity = l->m_opacity.evaluate(0.0);
    float s = l->m_rgbScale, o = l->m_rgbOffset;
    if (l->m_negative) {
        s = -s;
        o = 1.0f - o;
    }
    float largest = -HUGE_VALF;
    auto write = [&](float* c, const LwoColorMap::Value& value) {
        for (int k = 0; k < 3; ++k) {
            c[k] = (value[size_t(k)] * s + o) * intensity + plan.baseColor[k] * (1.0f - intensity);
            largest = std::max(largest, c[k]);
        }
        c[3] = map->hasAlpha ? value[3] * intensity + plan.baseColor[3] * (1.0f - intensity) : plan.baseColor[3];
        largest = std::max(largest, c[3]);
    };
    static const LwoColorMap::Value none{0.0f, 0.0f, 0.0f, 1.0f};
    for (uint32_t i = 0; i < polygon.count; ++i) {
        const uint32_t point = polygon.points[i];
        write(vertices[i].color, point < map->values.size() ? map->values[point] : none);
    }
    if (polygon.index >= 0 && size_t(polygon.index) < map->perPolygon.size()) {
        const auto& record = map->perPolygon[size_t(polygon.index)];
        for (size_t e = 0; e < record.pointIndices.size(); ++e)
            for (uint32_t i = 0; i < polygon.count; ++i)
                if (polygon.points[i] == record.pointIndices[e])
                    write(vertices[i].color, record.values[e]);
    }
    if (l->m_clamp)
        return;
    const float m = largest - 0.000001f;
    const int32_t colr = plan.stageCount[SurfaceStagePlan::PlanCOLR];
    if (float(plan.colorScale) < m && plan.levelTotal < 2 * colr + 2) {
        const int32_t first = plan.firstStage[SurfaceStagePlan::PlanCOLR];
        for (int32_t stage = first + colr - 1; stage >= first; --stage) {
            while (float(plan.colorScale) < m && plan.levels[stage] < 2) {
                ++plan.levels[stage];
                plan.colorScale *= 2;
                ++plan.levelTotal;
            }
        }
        while (float(plan.colorScale) < m && plan.levels[SurfaceStagePlan::MaxStages] < 2) {
            ++plan.levels[SurfaceStagePlan::MaxStages];
            plan.colorScale *= 2;
            ++plan.levelTotal;
        }
    }
}

float TextureLayer::gradientValue(Channel channel, float t)
{
    AnimatedValue* values[4] = {&m_gradientA, &m_gradientB, &m_gradientG, &m_gradientR};
    return values[channel]->evaluate(t);
}

int32_t gradientInputIndex(const std::string& name)
{
    static const char* const names[] = {"Previous Layer",
                                        "Bump",
                                        "Slope",
                                        "Incidence Angle",
                                        "Light Incidence",
                                        "Distance to Camera",
                                        "Distance to Object",
                                        "X Distance to Object",
                                        "Y Distance to Object",
                                        "Z Distance to Object",
                                        "Distance to Pivot Point",
                                        "X Distance to Pivot Point",
                                        "Y Distance to Pivot Point",
                                        "Z Distance to Pivot Point",
                                        "Weight Map"};
    for (int32_t i = 0; i < int32_t(std::size(names)); ++i)
        if (name == names[i])
            return i;
    return -1;
}
