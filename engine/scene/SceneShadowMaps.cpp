#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ShadowPass.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"

#include <vector>

void Scene::renderShadowMaps(double time, MeshObject* root)
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device || !root)
        return;
    for (SceneItem* item : m_lights) {
        if (!item || item->m_itemType != ItemLight)
            continue;
        auto* light = static_cast<Light*>(item);
        if (!light->m_prepared || light->m_switchedOff || light->m_shadowType != 2 || !light->m_shadowMap)
            continue;
        IDirect3DSurface9* map = light->m_shadowMap->getSurface();
        if (!map)
            continue;
        // The map draws against the renderer's off-screen depth surface; a
        // map larger than it (a big size from the scene file) is not drawn,
        // as the device may not pair a target with a smaller depth surface.
        IDirect3DSurface9* mapDepth = m_renderer->m_offscreenDepthSurface;
        D3DSURFACE_DESC mapDesc{}, depthDesc{};
        if (!mapDepth || FAILED(map->GetDesc(&mapDesc)) || FAILED(mapDepth->GetDesc(&depthDesc))
            || depthDesc.Width < mapDesc.Width || depthDesc.Height < mapDesc.Height) {
            map->Release();
            continue;
        }

        // What the camera's draw expects to find again.
        IDirect3DSurface9* target = nullptr;
        IDirect3DSurface9* depth = nullptr;
        device->GetRenderTarget(0, &target);
        device->GetDepthStencilSurface(&depth);
        D3DVIEWPORT9 viewport{};
        device->GetViewport(&viewport);
        D3DMATRIX d3dView{}, d3dProjection{};
        device->GetTransform(D3DTS_VIEW, &d3dView);
        device->GetTransform(D3DTS_PROJECTION, &d3dProjection);
        ShaderFloatParams* floats = m_renderer->m_shaderFloatParams.get();
        const Matrix4 savedView = floats ? floats->m_view : Matrix4::identity();
        const Matrix4 savedProjection = floats ? floats->m_projection : Matrix4::identity();

        const bool bound = SUCCEEDED(device->SetRenderTarget(0, map));
        map->Release();
        if (bound) {
            device->SetDepthStencilSurface(mapDepth);
            device->SetViewport(light->viewport());
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0);

            light->invalidateMatrices();
            const Matrix4 view = light->getInvMatrix(time, true);
            if (floats) {
                floats->m_view = view;
                floats->m_transformsValid = false;
            }
            const D3DMATRIX lightView = toD3D(view);
            device->SetTransform(D3DTS_VIEW, &lightView);
            // A fresh projection for the cone at this time; the draw then
            // fits its depth range to what the light sees.
            light->updateProjection(time);

            ShadowPass::Scope shadowFrame;
            std::vector<ReflectionView*> noViews;
            renderObjects(light, root, noViews, time);
        }

        if (target) {
            device->SetRenderTarget(0, target);
            target->Release();
        }
        device->SetDepthStencilSurface(depth);
        if (depth)
            depth->Release();
        device->SetViewport(&viewport);
        device->SetTransform(D3DTS_VIEW, &d3dView);
        device->SetTransform(D3DTS_PROJECTION, &d3dProjection);
        if (floats) {
            floats->m_view = savedView;
            floats->m_projection = savedProjection;
            floats->m_transformsValid = false;
        }
    }
}
