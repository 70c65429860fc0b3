#include "GlSceneRig.h"

#include "DeviceReadBack.h"
#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <gtest/gtest.h>

GlSceneRig::GlSceneRig() : m_rig(std::make_unique<SceneRig>()) {}

GlSceneRig::~GlSceneRig()
{
    // Before the world drains the windows' last messages, so that none
    // is left for the next test.
    m_rig.reset();
}

bool GlSceneRig::start(int size, bool fixedFunction)
{
    m_size = size;
    testing::internal::CaptureStderr();
    const bool started = m_rig->start(size, size, fixedFunction);
    m_failure = testing::internal::GetCapturedStderr();
    drainWindowMessages();
    if (started)
        m_camera = m_rig->scene->addCamera(true);
    else
        m_failure += lastErrorText.c_str();
    return started;
}

void GlSceneRig::setTransforms(const Matrix4& world, const Matrix4& view, const Matrix4& projection)
{
    ShaderFloatParams& f = *renderer()->m_shaderFloatParams;
    f.m_world = world;
    f.m_view = view;
    const D3DMATRIX w = toD3D(world), v = toD3D(view);
    device()->SetTransform(D3DTS_WORLD, &w);
    device()->SetTransform(D3DTS_VIEW, &v);
    setProjection(projection);
}

void GlSceneRig::setProjection(const Matrix4& projection)
{
    ShaderFloatParams& f = *renderer()->m_shaderFloatParams;
    f.m_projection = projection;
    f.m_transformsValid = false;
    const D3DMATRIX p = toD3D(projection);
    device()->SetTransform(D3DTS_PROJECTION, &p);
}

void GlSceneRig::frame(const std::function<void()>& draw, D3DCOLOR background)
{
    device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    device()->BeginScene();
    draw();
    device()->EndScene();
}

D3DCOLOR GlSceneRig::pixel(int x, int y) const
{
    return readBackBufferPixel(device(), x, y);
}

std::vector<D3DCOLOR> GlSceneRig::screen() const
{
    return readBackBuffer(device(), RECT{0, 0, m_size, m_size});
}

Matrix4 perspective90(float nearZ, float farZ)
{
    const float q = farZ / (farZ - nearZ);
    Matrix4 p;
    p.at(0, 0) = 1.0f;
    p.at(1, 1) = 1.0f;
    p.at(2, 2) = q;
    p.at(2, 3) = 1.0f;
    p.at(3, 2) = -q * nearZ;
    return p;
}
