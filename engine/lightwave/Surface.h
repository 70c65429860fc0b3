#pragma once
#include "engine/core/render/Material.h"
#include "engine/core/math/Vector3.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/AnimatedValue.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>


// A LightWave surface: the engine's material. Made by the object loader
// under the key "file@surface" and owned by the scene manager, filled once
// by the first SURF chunk that names it; the game and the effects make and
// change surfaces of their own too.
class Surface : public Material {
public:
    // cos(2 degrees) less one millionth: smooths nothing but coplanar faces.
    static constexpr double MinimumSmoothingAngle = 0.03490658503988659;
    static float defaultSmoothingCosine() { return float(std::cos(MinimumSmoothingAngle) - 0.000001); }

    explicit Surface(const std::string& name);
    ~Surface() override;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Keeps an enabled layer in the vertex-colour or the image list; frees
    // any other (disabled, or an image layer without an image).
    void addTextureLayer(std::unique_ptr<TextureLayer> layer);
    // The n-th (from 1) enabled image layer of the channel; null when fewer.
    TextureLayer* findImageLayer(int32_t channel, int32_t n) const override;
    bool hasTransparency(double time);
    // Material
    void evaluateMaterial(double time, MaterialValues& out) override;
    int32_t imageLayerCount() const override { return int32_t(m_imageLayers.size()); }
    MaterialLayer* imageLayer(int32_t index) const override;
    // Into the first three render-time values.
    void setObjectValues(const float values[3]) override;
    static Vector3 evaluateVector(AnimatedValue* first, double time);
    // Orders the image layers by their ordinal strings, keeping the file
    // order of layers whose ordinals are equal.
    void sortImageLayers();

    AnimatedValue m_transparency{0.0f};
    AnimatedValue m_luminosity{0.0f};
    AnimatedValue m_diffuse{1.0f};
    uint8_t m_loaded = 0;
    std::string m_name;
    std::string m_sourceName;
    // Consecutive: evaluateVector reads them as one vector.
    AnimatedValue m_color[3] = {AnimatedValue(0.78431374f), AnimatedValue(0.78431374f), AnimatedValue(0.78431374f)};
    float m_renderFactors[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    AnimatedValue m_specular{0.0f};
    AnimatedValue m_glossiness{0.4f};
    AnimatedValue m_additiveTransparency{0.0f};
    AnimatedValue m_reflection{0.0f};
    AnimatedValue m_refractionIndex{0.0f};
    AnimatedValue m_colorHighlights{0.0f};
    AnimatedValue m_bump{1.0f};
    AnimatedValue m_extraValue{0.0f};
    uint8_t m_doubleSided = 0;
    // Tag index of the surface drawn on back faces; -1 for none.
    int32_t m_backSurfaceTag = -1;
    uint8_t m_smoothing = 0;
    float m_smoothingCosine = defaultSmoothingCosine();
    int32_t m_blended = 0;
    int32_t m_reserved[2] = {0, 0};
    // The reflection mode and image and the render-made resources (released
    // here) are the Material's.
    int32_t m_renderWords[2] = {0, 0};
    std::vector<std::unique_ptr<TextureLayer>> m_imageLayers;
    std::vector<std::unique_ptr<TextureLayer>> m_vertexColorLayers;
    // Render-time values the loader leaves alone.
    uint8_t m_renderFlags[2] = {0, 0};
    double m_renderTime = 0.0;
    float m_renderValues[8] = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
};
