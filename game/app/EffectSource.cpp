#include "game/app/EffectSource.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/render/Renderer.h"
#include "game/app/XmlText.h"
#include "platform/d3dx/D3DXShader.h"

#include <string>

const char* const kMaterialShaderFile = "D:\\Zoprax9\\shaders\\material.glsl";

bool supplyEffectCompiler(Renderer& renderer, Stream& files)
{
    if (renderer.m_fixedFunction)
        return true;
    std::string source;
    ID3DXEffectCompiler* compiler = nullptr;
    if (!readStreamText(files, kMaterialShaderFile, source) || source.empty()
        || FAILED(D3DXCreateEffectCompiler(source.data(), UINT(source.size()), &compiler))) {
        engineLog() << kMaterialShaderFile << ": cannot be read; nothing is drawn through the shader passes"
                    << std::endl;
        return false;
    }
    // The passes hold their own references.
    renderer.setEffectCompiler(compiler);
    compiler->Release();
    return true;
}
