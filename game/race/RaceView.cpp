// The race's views: the cameras of each mode and the drawing of one or two
// views, the karts' own parts and the GUI over them.
#include "game/race/Race.h"

#include "engine/core/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Scene.h"
#include "game/app/Application.h"
#include "game/race/EffectManager.h"
#include "game/race/Extras.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/gui/GuiRenderer.h"

#include <algorithm>

namespace {

constexpr float kPi = 3.14159265358979f;
// The audio engine's variable that follows the speed of view 0's kart.
constexpr uint32_t kSpeedVariable = 8;

Vector3 worldPosition(SceneObject* object, double time)
{
    const Matrix4 m = object->getMatrix(time);
    return {m.at(3, 0), m.at(3, 1), m.at(3, 2)};
}

void setConstant(AnimatedValue& value, float constant)
{
    value.m_envelope.reset();
    value.m_value = constant;
}

void detach(Camera* camera)
{
    if (camera->m_parent)
        camera->m_parent->removeChild(camera);
}

void setPosition(Camera* camera, const Vector3& p)
{
    setConstant(camera->m_motion[PositionX], p.x);
    setConstant(camera->m_motion[PositionY], p.y);
    setConstant(camera->m_motion[PositionZ], p.z);
}

void setLookAt(Camera* camera, bool on)
{
    camera->m_headingController = camera->m_pitchController = on ? ControlPointAtTarget : ControlByChannel;
}

// How much a boost timer widens the view: growing over its first second,
// shrinking over its last, half a unit of zoom in between.
float widening(int32_t steps, float seconds)
{
    if (steps <= 0)
        return 0.0f;
    const float elapsed = seconds - float(steps) * 0.01f;
    if (elapsed < 1.0f)
        return 0.5f * elapsed;
    if (seconds - elapsed < 1.0f)
        return 0.5f * (seconds - elapsed);
    return 0.5f;
}

} // namespace

void Race::setCameraMode(int32_t view, int32_t mode)
{
    if (view < 0 || view >= kMaxViews)
        return;
    m_cameraMode[view] = mode;
    if (mode == ChaseCamera) {
        Camera* camera = m_cameras[view];
        Kart* kart = m_karts[m_viewKart[view]];
        if (camera && kart && kart->m_cameraTarget) {
            detach(camera);
            camera->m_target = nullptr;
            // Behind and above the kart, so that the chase starts close to it.
            const Matrix4 m = kart->m_cameraTarget->getMatrix(raceClock());
            const float up = m_cameraHeight[view], back = m_cameraDistance[view];
            setPosition(camera, {m.at(3, 0) + m.at(1, 0) * up - m.at(2, 0) * back,
                                 m.at(3, 1) + m.at(1, 1) * up - m.at(2, 1) * back,
                                 m.at(3, 2) + m.at(1, 2) * up - m.at(2, 2) * back});
            camera->invalidateMatrices();
        }
    }
    if (m_renderer)
        m_renderer->m_objectDetail = mode == StartCamera ? 1 : (m_app ? m_app->m_settings.objectDetail : 1);
}

Camera* Race::viewCamera(int32_t view) const
{
    // The level's cameras follow the race's own two in the scene's list.
    const int32_t mode = m_cameraMode[view];
    const int32_t levelCamera = mode == LevelCamera2 ? 3 : mode == StartCamera ? 2 : -1;
    if (levelCamera >= 0 && m_scene && levelCamera < m_scene->cameraCount())
        return m_scene->m_cameras[size_t(levelCamera)];
    return m_cameras[view];
}

void Race::updateCameras()
{
    const double time = raceClock();
    for (int32_t view = 0; view < m_viewCount; ++view) {
        Camera* camera = m_cameras[view];
        Kart* kart = m_karts[m_viewKart[view]];
        if (!camera || !kart || !kart->m_cameraTarget)
            continue;
        const float fov = m_cameraFov[view];
        for (float& p : camera->m_pivotPosition)
            p = 0.0f;
        switch (m_cameraMode[view]) {
        case ChaseCamera: {
            const Vector3 target = worldPosition(kart->m_cameraTarget, time) + Vector3{0.0f, m_cameraHeight[view], 0.0f};
            const float allowed = kart->m_speed * m_cameraSpeedfactor[view] + m_cameraDistance[view];
            detach(camera);
            const Vector3 at = camera->position(time);
            const float distance = vec::distance(at, target);
            // The camera follows on a leash: it keeps its place until the kart
            // pulls it along.
            if (distance > allowed)
                setPosition(camera, target + (at - target) * (allowed / distance));
            setLookAt(camera, true);
            camera->m_target = kart->m_cameraTarget;
            float zoom = fov;
            zoom -= widening(kart->m_boostSteps, kart->m_turboTime);
            zoom -= widening(kart->m_speedupSteps, 8.0f);
            for (int32_t steps : {kart->m_jump3Steps, kart->m_jump2Steps, kart->m_jump1Steps})
                zoom -= widening(steps, 3.0f);
            setConstant(camera->m_zoomFactor, zoom);
            break;
        }
        case FreeCamera:
            detach(camera);
            setLookAt(camera, true);
            camera->m_target = nullptr;
            setConstant(camera->m_zoomFactor, fov);
            break;
        case LookBack: {
            setLookAt(camera, false);
            camera->m_target = nullptr;
            if (camera->m_parent != kart->m_cameraTarget)
                kart->m_cameraTarget->addChild(camera);
            setPosition(camera, {0.0f, 0.0f, -0.5f});
            const float behind[3] = {0.0f, kPi, 0.0f};
            camera->setRotation(behind, false);
            setConstant(camera->m_zoomFactor, fov);
            break;
        }
        default:
            break;
        }
        if (Camera* shown = viewCamera(view))
            shown->invalidateMatrices();
        camera->invalidateMatrices();
    }
}

void Race::render()
{
    const double time = raceClock();
    const float frameTime = float(m_timer.m_frameTime);
    for (int32_t i = 0; i < m_kartCount; ++i) {
        m_karts[i]->updateAnimations(float(time), frameTime);
        applyTint(*m_karts[i]);
    }
    if (m_app) {
        const Kart* kart = m_karts[m_viewKart[0]];
        m_app->setGlobalVariable(kSpeedVariable, kart ? std::clamp(kart->m_speed, 0.0f, 20.0f) : 0.0f);
    }
    if (m_effects)
        m_effects->update(time);
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device)
        return;
    device->BeginScene();
    m_renderer->m_primitiveCount = 0;
    m_renderer->m_drawCallCount = 0;
    m_renderer->restoreRenderTarget();
    m_renderer->restoreDepthStencil();
    const int32_t width = m_renderer->m_baseWidth, height = m_renderer->m_baseHeight;
    m_renderer->setViewport(0, 0, width, height, 0.0f, 1.0f);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0);
    for (int32_t view = 0; view < m_viewCount; ++view)
        renderView(view, time, frameTime);

    m_renderer->restoreRenderTarget();
    m_renderer->setViewport(0, 0, width, height, 0.0f, 1.0f);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (m_app && m_app->m_guiRenderer)
        m_app->m_guiRenderer->render();
    renderShopPreview();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void Race::renderView(int32_t view, double time, float frameTime)
{
    Camera* camera = viewCamera(view);
    if (!camera)
        return;
    // One view fills the screen; two share it, view 0 on top.
    const int32_t width = m_renderer->m_baseWidth, height = m_renderer->m_baseHeight;
    if (m_viewCount == 1)
        m_renderer->setViewportRect(0, 0, width, height, 1.3333334f);
    else
        m_renderer->setViewportRect(0, view * (height / 2), width, height / 2, 2.6666667f);
    m_renderer->m_device->SetViewport(camera->viewport());
    for (int32_t i = 0; i < m_kartCount; ++i)
        m_karts[i]->setSmoke(camera);
    m_scene->render(time, camera);
    for (int32_t i = 0; i < m_kartCount; ++i) {
        applyTint(*m_karts[i]);
        m_karts[i]->render(float(time), frameTime, camera);
    }
    if (m_extras)
        m_extras->render(camera, float(time));
}
