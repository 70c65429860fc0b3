#include "support/ColourCube.h"

#include "platform/d3d9/Direct3DDevice9.h"

#include <vector>

namespace {

struct ColourVertex {
    float x, y, z;
    D3DCOLOR colour;
};

} // namespace

ColourCube::ColourCube(IDirect3DDevice9* device, D3DCOLOR colour, int* draws)
    : BoundingBox(nullptr, nullptr), m_device(device), m_colour(colour), m_draws(draws)
{
    setMinMax(Vector3(-0.5f, -0.5f, -0.5f), Vector3(0.5f, 0.5f, 0.5f));
    m_valid = true;
}

void ColourCube::render()
{
    std::vector<ColourVertex> v;
    auto face = [&](int a, int b, int c, int d) {
        for (int i : {a, b, c, c, b, d})
            v.push_back({m_corners[i].x, m_corners[i].y, m_corners[i].z, m_colour});
    };
    // Corner bits: 4 x, 2 y, 1 z.
    face(0, 2, 4, 6);
    face(1, 3, 5, 7);
    face(0, 1, 2, 3);
    face(4, 5, 6, 7);
    face(0, 1, 4, 5);
    face(2, 3, 6, 7);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    m_device->SetTexture(0, nullptr);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    m_device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(v.size() / 3), v.data(), sizeof(ColourVertex));
    m_device->SetRenderState(D3DRS_LIGHTING, TRUE);
    if (m_draws)
        ++*m_draws;
}
