#include "engine/scene/ItemDisplay.h"

#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/SceneObject.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cstring>

namespace {

struct LineVertex {
    float x, y, z;
    D3DCOLOR color;
};

} // namespace

ItemDisplay::ItemDisplay(SceneObject* item) : BoundingBox(item->m_renderer, item), m_item(item) {}

void ItemDisplay::computeBounds()
{
    if (m_valid)
        return;
    setMinMax(Vector3(-1.0f, -1.0f, -1.0f), Vector3(1.0f, 1.0f, 1.0f));
    m_valid = true;
}

void ItemDisplay::render()
{
    SceneObject* target = m_item->m_target;
    IDirect3DDevice9* device = m_context ? m_context->m_device : nullptr;
    if (!target || !device)
        return;
    // Drawn after the item's own draw in the same frame, so both cached
    // world matrices hold that frame's time.
    const Matrix4 itemWorld = m_item->getMatrix(0.0, true);
    auto pivotOf = [](SceneObject* item, const Matrix4& world) {
        const Vector3 pivot(item->m_pivotPosition[0], item->m_pivotPosition[1], item->m_pivotPosition[2]);
        return SceneMath::transformPoint(pivot, world);
    };
    const Vector3 from = pivotOf(m_item, itemWorld);
    const Vector3 to = pivotOf(target, target->getMatrix(0.0, true));
    const LineVertex line[2] = {{from.x, from.y, from.z, 0xFFFFFFFFu}, {to.x, to.y, to.z, 0xFFFFFFFFu}};

    const D3DMATRIX identity = toD3D(Matrix4::identity());
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(LineVertex));
    const D3DMATRIX world = toD3D(itemWorld);
    device->SetTransform(D3DTS_WORLD, &world);
}
