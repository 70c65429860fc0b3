#pragma once
#include "engine/core/base/ByteBuffer.h"
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>
#include <memory>

class DisplayManager;
class IDirect3DDevice9;
class IDirect3DSurface9;
class ScreenTarget;
class ShaderPass;
class ID3DXEffectCompiler;
class ShaderFloatParams;
class ShaderIntParams;

// The first head's device as the rest of the engine and the game see it:
// render-to-texture formats, shader profiles, the render size and viewport
// with its fields of view, the renderer's own depth surfaces, the gamma ramp
// and the reset request the main loop answers.
class Renderer {
public:
    explicit Renderer(DisplayManager* displayManager);
    virtual ~Renderer();
    // It owns its tables, targets and passes: a copy would free them twice.
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void setResolution(int32_t width, int32_t height, uint8_t windowed);
    // True once per request.
    bool takeResetRequest();
    void onLostDevice();
    void onResetDevice();
    void restoreRenderTarget();
    void restoreDepthStencil();
    void setViewport(int32_t x, int32_t y, int32_t width, int32_t height, float minZ, float maxZ);
    void setViewportRect(int32_t x, int32_t y, int32_t width, int32_t height, float aspect);
    void setGamma(float gamma, float brightness, float contrast);
    // Hands the shader source to every shader pass; the fixed-function
    // passes have no use for it. Null takes it away again.
    void setEffectCompiler(ID3DXEffectCompiler* compiler);

    // The shader parameter tables, made here at start-up and kept for the
    // device's life: every producer and every shader program shares them.
    std::unique_ptr<ShaderIntParams> m_shaderIntParams;
    std::unique_ptr<ShaderFloatParams> m_shaderFloatParams;
    IDirect3DDevice9* m_device = nullptr;
    DisplayManager* m_displayManager;
    // Colour, then depth (0 when none qualifies).
    D3DFORMAT m_renderTargetFormats[2] = {D3DFMT_UNKNOWN, D3DFMT_UNKNOWN};
    ByteBuffer m_vertexProfile;
    ByteBuffer m_pixelProfile;
    ByteBuffer m_textureProfile;
    uint8_t m_hardwareVertexShaders = 0;
    uint8_t m_pixelShaders = 0;
    D3DCAPS9 m_caps{};
    // Queried again with software vertex processing on, when the hardware
    // has no vertex shaders.
    D3DCAPS9 m_softwareCaps{};

    int32_t m_baseWidth = 0;
    int32_t m_baseHeight = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint8_t m_windowed = 0;
    int32_t m_viewportX = 0;
    int32_t m_viewportY = 0;
    float m_fovX = 0.0f;
    float m_fovY = 0.0f;
    uint8_t m_fixedFunction = 1;

    std::unique_ptr<ScreenTarget> m_screenTargets[2];
    IDirect3DSurface9* m_deviceDepthSurface = nullptr;
    IDirect3DSurface9* m_offscreenDepthSurface = nullptr;
    uint8_t m_resetRequested = 0;

    // Kept for the game: detail levels, per-frame counters and debug switches.
    int32_t m_textureDetail = 0;
    int32_t m_objectDetail = 0;
    int32_t m_shadowDetail = 0;
    uint32_t m_primitiveCount = 0;
    uint32_t m_drawCallCount = 0;
    uint8_t m_wireframe = 0;
    uint8_t m_drawBoundingBoxes = 0;
    uint8_t m_drawGadgets = 0;
    uint8_t m_renderEnabled = 1;
    // Scene drawing switches: fog, the colour channels written (bits 0-3:
    // red, green, blue, alpha), objects marked unseen by the camera, the
    // collision shapes instead of meshes, lens flares, and the horizontal
    // lens distortion in degrees (0: none; shaders only).
    uint8_t m_fogEnabled = 1;
    uint32_t m_colorWriteMask = 0xF;
    uint8_t m_showHiddenObjects = 0;
    uint8_t m_collisionDisplay = 0;
    uint8_t m_lensFlares = 1;
    float m_lensDistortion = 0.0f;

    // Lighting switches the lights read each frame.
    uint8_t m_lightingEnabled = 1;
    uint8_t m_colorCyclePointLights = 0;
    uint8_t m_doubleLightIntensity = 0;

    // The pass slots, filled once by the fixed-function setting; the
    // no-depth slot is empty with fixed function. Declared after the tables
    // and targets, so they go first.
    std::unique_ptr<ShaderPass> m_mainPass;
    std::unique_ptr<ShaderPass> m_secondPass;
    std::unique_ptr<ShaderPass> m_noDepthPass;
    std::unique_ptr<ShaderPass> m_opaquePass;
    // What the passes read for every material.
    // D3DCULL_CCW, the engine's default.
    uint32_t m_cullMode = 3;
    uint8_t m_multitexture = 1;
    uint8_t m_flatMaterial = 0;
    uint8_t m_sphereMap = 1;
    // Texture stages the device blends (1 to 8).
    int32_t m_stageCount = 1;
    int32_t m_currentHead = 0;

private:
    void chooseRenderTargetFormats();
    void readCaps();
    void createPasses();
};
