#pragma once
#include "engine/core/math/Matrix4.h"
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <vector>

class Antiportal;
class Camera;
class IDirect3DDevice9;
class IDirect3DQuery9;
class IDirect3DVertexBuffer9;
class Light;
class Renderer;
class SceneManager;
class Texture;

// One halo or ring element of the flare: where it sits on the line from the
// light through the centre of the view (1 the light, 0 the centre), its size
// relative to the base quad, its texture slot and its colour.
struct FlareElement {
    int32_t textureSlot;
    float axisPosition;
    float size;
    uint32_t color;
};

// The flare's view of one display head: this frame's visibility test and
// the previous frame's, and the occlusion query that measures how much of the
// light's centre the last frame showed.
struct FlareHeadState {
    uint8_t prevVisible = 0;
    float prevIntensity = 0.0f;
    float prevEdgeFade = 0.0f;
    uint8_t inView = 0;
    uint8_t visible = 0;
    float intensity = 0.0f;
    float edgeFade = 0.0f;
    IDirect3DQuery9* query = nullptr;
};

// The lens flare of a light: two glows at the light and sixteen halo and
// ring elements along the flare axis, drawn in camera space. Their size
// follows the fraction of the light's centre that the previous frame's
// occlusion query saw; they fade out over the outer tenth of the view.
class LensFlare {
public:
    static constexpr int32_t TextureSlots = 6;
    static constexpr int32_t ElementCount = 16;
    static constexpr int32_t MaxDraws = ElementCount + 2;
    static const FlareElement Elements[ElementCount];

    // One quad to draw: its camera-space placement, texture slot and colour.
    struct Draw {
        Matrix4 placement;
        int32_t textureSlot = 0;
        uint32_t color = 0;
    };

    LensFlare(SceneManager* manager, Light* light);
    ~LensFlare();
    LensFlare(const LensFlare&) = delete;
    LensFlare& operator=(const LensFlare&) = delete;

    void onLostDevice();
    void onResetDevice();

    // This frame's visibility for the current head; true when the query is
    // to be issued (the light is visible, or in view after a visible frame).
    bool updateVisibility(Camera* camera, const std::vector<Antiportal*>& antiportals, double time);
    // Draws the light's centre as one point inside the occlusion query.
    void issueOcclusionQuery(Camera* camera, double time);
    // The share of the light's centre the last query saw, against the
    // largest count any flare has seen; 0 when the query cannot be read.
    float visibleFraction();
    void render(Camera* camera, double time);

    // The quads for scale k, glow turn theta, the light at p in camera space,
    // the light colour and the fade a, in drawing order; answers how many.
    int32_t buildDraws(float k, float theta, const Vector3& p, const float color[3], float a,
                       Draw out[MaxDraws]) const;

    // The largest pixel count is shared by every flare of the process.
    static uint32_t largestPixelCount();
    static void resetLargestPixelCount();

    FlareHeadState* currentHead();

    Renderer* m_renderer;
    Light* m_light;
    Texture* m_textures[TextureSlots] = {};
    IDirect3DVertexBuffer9* m_vertexBuffer = nullptr;
    std::vector<FlareHeadState> m_heads;

private:
    int32_t headCount() const;
    IDirect3DDevice9* headDevice(int32_t head) const;
    void createVertexBuffer();
    // The light's position in the camera's space.
    Vector3 cameraSpacePosition(Camera* camera, double time);

    // Flare textures made without a scene manager to own them.
    std::vector<Texture*> m_orphans;
};
