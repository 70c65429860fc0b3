#include "engine/core/render/ShaderProgram.h"

#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3dx/D3DXShader.h"

namespace {

size_t headsOf(const Renderer* renderer)
{
    if (!renderer)
        return 0;
    if (!renderer->m_displayManager)
        return renderer->m_device ? 1 : 0;
    return renderer->m_displayManager->m_heads.size();
}

} // namespace

ShaderProgram::ShaderProgram(Renderer* renderer, ID3DXConstantTable* constants)
    : m_renderer(renderer), m_constants(constants), m_shaderCount(headsOf(renderer))
{
}

ShaderProgram::~ShaderProgram()
{
    if (m_constants)
        m_constants->Release();
}

IDirect3DDevice9* ShaderProgram::headDevice(int32_t head) const
{
    if (!m_renderer || head < 0)
        return nullptr;
    if (!m_renderer->m_displayManager)
        return head == 0 ? m_renderer->m_device : nullptr;
    const auto& heads = m_renderer->m_displayManager->m_heads;
    return size_t(head) < heads.size() ? heads[size_t(head)].device : nullptr;
}

int32_t ShaderProgram::currentHead() const
{
    return m_renderer ? m_renderer->m_currentHead : 0;
}

void ShaderProgram::uploadConstants()
{
    IDirect3DDevice9* device = headDevice(currentHead());
    if (!device || !m_constants || !m_renderer->m_shaderFloatParams)
        return;
    m_constants->SetDefaults(device);
    for (const ShaderParameter<float>& entry : m_renderer->m_shaderFloatParams->entries())
        m_constants->SetValue(device, entry.name, entry.values, UINT(4 * entry.count));
}

VertexProgram::VertexProgram(Renderer* renderer, const uint32_t* shaderCode, ID3DXConstantTable* constants)
    : ShaderProgram(renderer, constants), m_shaders(m_shaderCount, nullptr)
{
    for (size_t i = 0; i < m_shaders.size(); ++i) {
        if (IDirect3DDevice9* device = headDevice(int32_t(i)))
            device->CreateVertexShader(shaderCode, &m_shaders[i]);
    }
}

VertexProgram::~VertexProgram()
{
    for (IDirect3DVertexShader9* shader : m_shaders)
        if (shader)
            shader->Release();
}

IDirect3DVertexShader9* VertexProgram::shader() const
{
    const int32_t head = currentHead();
    return head >= 0 && size_t(head) < m_shaders.size() ? m_shaders[size_t(head)] : nullptr;
}

PixelProgram::PixelProgram(Renderer* renderer, const uint32_t* shaderCode, ID3DXConstantTable* constants)
    : ShaderProgram(renderer, constants), m_shaders(m_shaderCount, nullptr)
{
    LPCSTR names[D3DX_MAX_SAMPLERS] = {};
    UINT count = 0;
    if (D3DXGetShaderSamplers(shaderCode, names, &count) == D3D_OK) {
        m_samplerCount = count;
        for (UINT i = 0; i < count; ++i)
            m_samplerNames.emplace_back(names[i] ? names[i] : "");
    }
    for (size_t i = 0; i < m_shaders.size(); ++i) {
        if (IDirect3DDevice9* device = headDevice(int32_t(i)))
            device->CreatePixelShader(shaderCode, &m_shaders[i]);
    }
}

PixelProgram::~PixelProgram()
{
    for (IDirect3DPixelShader9* shader : m_shaders)
        if (shader)
            shader->Release();
}

IDirect3DPixelShader9* PixelProgram::shader() const
{
    const int32_t head = currentHead();
    return head >= 0 && size_t(head) < m_shaders.size() ? m_shaders[size_t(head)] : nullptr;
}
