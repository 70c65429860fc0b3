#pragma once
// engine/lightwave: LightWave assets: the LWO2 object loader, surfaces and
// texture layers, vertex maps, and the mesh built from an object layer.
// Includes engine/scene, engine/core and platform/.
#include "engine/core/render/Material.h"
#include "engine/core/math/Matrix4.h"
#include "engine/core/math/Vector3.h"
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/HyperVoxelLayer.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class LwoColorMap;
class LwoUVMap;
class SurfaceStagePlan;
class Texture;
struct LwVertex;

// Texture coordinate projections.
enum LayerProjection : int32_t {
    ProjectionPlanar = 0,
    ProjectionCylindrical = 1,
    ProjectionSpherical = 2,
    ProjectionCubic = 3,
    ProjectionFront = 4,
    ProjectionUV = 5,
    // Engine codes beside LightWave's: the transformed position itself, and
    // a "max " map's coordinates moved by the layer's transform.
    Projection3D = 13156,
    ProjectionMax = 28024,
};

struct GradientKey {
    float input = 0.0f;
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
    int32_t interpolation = 1;
};

// One polygon as the coordinate and colour functions see it.
struct LayerPolygon {
    uint32_t count = 0;
    const uint32_t* points = nullptr;
    // Index among the layer's FACE polygons (the per-polygon map records).
    int32_t index = 0;
    Vector3 normal;
};

// One texture layer of a surface: an image map, a procedural, a gradient,
// or the surface's vertex colours. Owned by its surface, or by the
// HyperVoxel whose scene-file block made it.
class TextureLayer : public MaterialLayer, public HyperVoxelLayer {
public:
    TextureLayer();
    ~TextureLayer() override;
    TextureLayer(const TextureLayer&) = delete;
    TextureLayer& operator=(const TextureLayer&) = delete;

    bool hasAnimatedTransform() const override;
    // The placement matrix at a time: minus the centre, turned back by
    // heading, pitch and bank, divided by the size, offset by one half.
    Matrix4 setupTransform(double time) override;
    const Matrix4& getTransform();
    // Coordinates of every slot of `plan` for the polygon's vertices.
    static void computeLayerCoordinates(const SurfaceStagePlan& plan, const LayerPolygon& polygon, int32_t layer,
                                        const Vector3* positions, LwVertex* vertices);
    // The polygon's vertex colours from the plan's vertex-colour layer.
    static void applyVertexColors(SurfaceStagePlan& plan, const LayerPolygon& polygon, int32_t layer,
                                  LwVertex* vertices);
    // The coordinate triple of one slot for one point of a polygon.
    void coordinatesFor(const LayerPolygon& polygon, int32_t layer, const Vector3* positions, std::array<float, 3>* out);

    LwoUVMap* uvMap(int32_t layer) const;
    LwoColorMap* colorMap(int32_t layer) const;

    // GradientLayer
    float gradientStart() const override { return m_gradientStart; }
    float gradientEnd() const override { return m_gradientEnd; }
    float gradientValue(Channel channel, float t) override;
    bool isTransparencyLayer() const override { return m_channel == lwoCode("TRAN"); }
    // MaterialLayer
    float opacityAt(double time) override { return m_opacity.evaluate(time); }

    // HyperVoxelLayer
    bool hasImage() const override { return m_image != nullptr; }
    int32_t blendMode() const override { return m_opacityType; }
    // The quad as one polygon of four points in object layer 0.
    void quadCoordinates(const Vector3 (&corners)[4], const Vector3& normal, float (&out)[4][3]) override;
    MaterialLayer* stageLayer() override { return m_enabled && m_image ? this : nullptr; }

    int32_t m_type = -1;
    AnimatedValue m_opacity{1.0f};
    float m_rgbScale = 1.0f;
    float m_rgbOffset = 0.0f;
    uint8_t m_enabled = 1;
    uint8_t m_clamp = 0;
    AnimatedValue m_gradientR, m_gradientG, m_gradientB, m_gradientA;
    std::vector<GradientKey> m_gradientKeys;
    float m_gradientStart = 0.0f;
    AnimatedValue m_centerX, m_centerY, m_centerZ;
    AnimatedValue m_rotationH, m_rotationP, m_rotationB;
    AnimatedValue m_sizeX{1.0f}, m_sizeY{1.0f}, m_sizeZ{1.0f};
    float m_wrapWidth = 1.0f;
    float m_wrapHeight = 1.0f;
    AnimatedValue m_amplitude;
    uint8_t m_transformValid = 0;
    Matrix4 m_transform = Matrix4::identity();
    // By object layer number: the map of the layer's name the block binds.
    std::map<int32_t, std::shared_ptr<LwoUVMap>> m_uvMapsByLayer;
    std::map<int32_t, std::shared_ptr<LwoColorMap>> m_colorMapsByLayer;
    // The block's ordinal string: layers of a surface are ordered by it.
    std::string m_ordinal;
    uint8_t m_animatedTransform = 0;
};

// The gradient input names a PNAM sub-chunk may carry; -1 for any other.
int32_t gradientInputIndex(const std::string& name);

// The Direct3D address mode (1 wrap, 2 mirror, 3 clamp, 4 border) for a
// LightWave wrap code on a device with these address caps; codes LightWave
// does not define go through as they are.
int32_t textureAddressMode(int32_t code, uint32_t caps);
