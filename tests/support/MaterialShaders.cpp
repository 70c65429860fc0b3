#include "MaterialShaders.h"

#include "engine/core/render/Renderer.h"
#include "platform/d3dx/D3DXShader.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string materialShaderSource()
{
    const char* root = std::getenv("VORLUND_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/data/shaders/material.glsl");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void useMaterialShaders(Renderer& renderer)
{
    const std::string source = materialShaderSource();
    ID3DXEffectCompiler* compiler = nullptr;
    D3DXCreateEffectCompiler(source.data(), UINT(source.size()), &compiler);
    renderer.setEffectCompiler(compiler);
    compiler->Release();
}
