#pragma once
// A scene on the GL backend for tests that draw and read the screen back:
// a square window, the scene's camera made current, errors to the report
// text (lastErrorText) instead of message boxes. When start() fails,
// failure() holds what the start printed and reported.
#include "GlWorld.h"
#include "SceneRig.h"
#include "engine/core/math/Matrix4.h"
#include "platform/d3d9/D3D9Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Camera;

class GlSceneRig {
public:
    GlSceneRig();
    ~GlSceneRig();
    GlSceneRig(const GlSceneRig&) = delete;
    GlSceneRig& operator=(const GlSceneRig&) = delete;

    // False when there is no GL display; what the failed start reported
    // is kept out of the test's output.
    bool start(int size, bool fixedFunction = true);
    bool started() const { return m_camera != nullptr; }
    const std::string& failure() const { return m_failure; }
    int size() const { return m_size; }

    Renderer* renderer() const { return m_rig->renderer(); }
    IDirect3DDevice9* device() const { return m_rig->device(); }
    SceneManager* manager() const { return m_rig->manager.get(); }
    Scene* scene() const { return m_rig->scene; }
    Camera* camera() const { return m_camera; }
    Light* addLight(int32_t type) { return m_rig->addLight(type); }

    // World, view and projection for the fixed-function pipeline and the
    // shader parameters alike.
    void setTransforms(const Matrix4& world, const Matrix4& view, const Matrix4& projection);
    void setProjection(const Matrix4& projection);

    // Clears colour and depth, then runs `draw` between BeginScene and EndScene.
    void frame(const std::function<void()>& draw, D3DCOLOR background = 0xFF000000u);

    // The back buffer's ARGB pixels: one, or the whole screen top row first.
    D3DCOLOR pixel(int x, int y) const;
    std::vector<D3DCOLOR> screen() const;

private:
    GlWorld m_world;
    std::unique_ptr<SceneRig> m_rig;
    Camera* m_camera = nullptr;
    int m_size = 0;
    std::string m_failure;
};

// A perspective of 90 degrees both ways, depth nearZ to farZ.
Matrix4 perspective90(float nearZ, float farZ);
