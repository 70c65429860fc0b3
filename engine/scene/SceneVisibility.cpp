#include "engine/core/math/BoundingBox.h"

#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/LensFlare.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ShadowPass.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float Pi = 3.14159265358979f;

// The renderable whose box decides visibility: the first level's mesh, or
// for a collision object without one its collision shape while the renderer
// shows those.
BoundingBox* boundsOf(MeshObject* object, const Renderer* renderer)
{
    if (BoundingBox* mesh = object->firstLodMesh())
        return mesh;
    if (object->m_itemType == ItemCollision && renderer && renderer->m_collisionDisplay) {
        BoundingBox* display = object->extraDisplay();
        if (display)
            display->computeBounds();
        return display;
    }
    return nullptr;
}

} // namespace

void Scene::sortVisible(std::vector<VisibleRecord>& records)
{
    std::sort(records.begin(), records.end(), [](const VisibleRecord& a, const VisibleRecord& b) {
        if ((a.flag != 0) != (b.flag != 0))
            return a.flag == 0;
        return a.depth < b.depth;
    });
}

void Scene::warpCorners(float corners[32], float halfAngle)
{
    for (int i = 0; i < 8; ++i) {
        float* c = corners + 4 * i;
        const float x = c[0], w = c[3];
        float s = std::sqrt(x * x + w * w);
        if (w < 0.0f)
            s = -s;
        // A corner at the eye itself stays there rather than turning NaN.
        c[0] = s == 0.0f ? 0.0f : std::atan(x / w) * s / halfAngle;
        c[3] = s;
    }
}

void Scene::collectVisible(SceneItem* camera, SceneObject* node, const Matrix4& viewProjection,
                           const std::vector<Antiportal*>& antiportals, std::vector<VisibleRecord>& out,
                           float& nearDepth, float& farDepth, double time)
{
    // Only mesh and collision objects draw; every other item, and one the
    // game hides, just passes the walk on to its children.
    if (node->m_itemType == ItemMesh || node->m_itemType == ItemCollision) {
        auto* object = static_cast<MeshObject*>(node);
        BoundingBox* box = boundsOf(object, m_renderer);
        bool skip = !box;
        if (box) {
            const bool hidden = object->m_unseenByCamera && !(m_renderer && m_renderer->m_showHiddenObjects);
            const bool flat = object->m_motion[ScaleX].evaluate(time) == 0.0f
                              && object->m_motion[ScaleY].evaluate(time) == 0.0f
                              && object->m_motion[ScaleZ].evaluate(time) == 0.0f;
            skip = hidden || object->m_hidden || flat || box->activeReflection() == camera;
        }
        if (!skip) {
            Matrix4 toClip;
            Matrix4::multiply(toClip, object->getMatrix(time, true), viewProjection);
            const float halfAngle =
                m_renderer && !m_renderer->m_fixedFunction && m_renderer->m_lensDistortion > 0.0001f
                        && !ShadowPass::active()
                    ? m_renderer->m_lensDistortion * Pi / 360.0f
                    : 0.0f;
            if (halfAngle > 0.0f) {
                const float widen = std::tan(halfAngle);
                for (int r = 0; r < 4; ++r)
                    toClip.at(r, 0) *= widen;
            }
            float corners[32];
            box->transformCorners(toClip, corners);
            if (halfAngle > 0.0f)
                warpCorners(corners, halfAngle);
            bool visible = !camera->isBoxOutside(corners);
            for (size_t i = 0; visible && i < antiportals.size(); ++i) {
                if (antiportals[i]->occludesBox(corners))
                    visible = false;
            }
            if (visible) {
                float nearest = corners[3], farthest = corners[3];
                for (int i = 1; i < 8; ++i) {
                    nearest = std::min(nearest, corners[4 * i + 3]);
                    farthest = std::max(farthest, corners[4 * i + 3]);
                }
                nearDepth = std::min(nearDepth, nearest);
                farDepth = std::max(farDepth, farthest);
                const uint8_t flag = box->depthSortFlag();
                out.push_back({object, flag ? -farthest : farthest, flag});
            }
        }
    }
    for (SceneObject* child : node->m_children)
        collectVisible(camera, child, viewProjection, antiportals, out, nearDepth, farDepth, time);
}

void Scene::renderLensFlares(SceneItem* camera, const std::vector<ReflectionView*>& visibleViews, double time)
{
    (void)visibleViews;
    // Flares belong to the outermost view of a real camera.
    if (m_renderDepth >= 2 || !m_renderer || camera->m_itemType != ItemCamera)
        return;
    auto* eye = static_cast<Camera*>(camera);
    std::vector<Light*> flared;
    bool anyVisible = false;
    for (SceneItem* item : m_lights) {
        if (item->m_itemType != ItemLight)
            continue;
        auto* light = static_cast<Light*>(item);
        if (!light->m_lensFlare)
            continue;
        if (light->m_lensFlare->updateVisibility(eye, m_antiportals, time))
            anyVisible = true;
        if (!light->m_switchedOff)
            flared.push_back(light);
    }
    IDirect3DDevice9* device = m_renderer->m_device;
    if (!anyVisible || !m_renderer->m_lensFlares || !device)
        return;

    if (m_renderer->m_shaderIntParams)
        *m_renderer->m_shaderIntParams->m_isFogEnabled = 0;
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    DWORD cullMode = D3DCULL_CCW;
    device->GetRenderState(D3DRS_CULLMODE, &cullMode);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    if (m_renderer->m_shaderFloatParams) {
        m_renderer->m_shaderFloatParams->m_world = Matrix4::identity();
        m_renderer->m_shaderFloatParams->m_transformsValid = false;
    }
    const D3DMATRIX identity = toD3D(Matrix4::identity());
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, m_renderer->m_colorWriteMask);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    for (Light* light : flared)
        light->m_lensFlare->render(eye, time);

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_POINTSIZE, 0x40800000u); // 4.0f
    for (Light* light : flared)
        light->m_lensFlare->issueOcclusionQuery(eye, time);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, m_renderer->m_colorWriteMask);
    device->SetRenderState(D3DRS_CULLMODE, cullMode);
}
