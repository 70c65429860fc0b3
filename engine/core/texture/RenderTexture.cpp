#include "engine/core/texture/RenderTexture.h"

#include "engine/core/render/Renderer.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"

RenderTexture::RenderTexture(Renderer* owner, const char* name, int32_t width, int32_t height) : Texture(owner)
{
    m_name = name ? name : "";
    m_width = width;
    m_height = height;
    m_pool = D3DPOOL_DEFAULT;
}

std::unique_ptr<Texture> RenderTexture::clone() const
{
    auto copy = std::make_unique<RenderTexture>(m_owner, m_name.c_str(), m_width, m_height);
    copyConfigurationTo(*copy);
    return copy;
}

void RenderTexture::create()
{
    if (m_created)
        return;
    m_created = 1;
    createTextures();
}

void RenderTexture::createTextures()
{
    resetHeadSlots();
    m_format = m_owner ? m_owner->m_renderTargetFormats[0] : D3DFMT_UNKNOWN;
    m_pool = D3DPOOL_DEFAULT;
    m_levelCount = 0;
    if (m_width <= 0 || m_height <= 0)
        return;
    for (int32_t head = 0; head < headCount(); ++head) {
        IDirect3DDevice9* device = headDevice(head);
        IDirect3DTexture9* texture = nullptr;
        if (device && SUCCEEDED(device->CreateTexture(UINT(m_width), UINT(m_height), 1, D3DUSAGE_RENDERTARGET,
                                                      m_format, m_pool, &texture, nullptr)))
            m_textures[size_t(head)] = texture;
    }
    if (getFirstTexture())
        m_levelCount = 1;
}

void RenderTexture::onLostDevice()
{
    releaseTextures();
}

void RenderTexture::onResetDevice()
{
    if (m_created)
        createTextures();
}
