#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ID3DXConstantTable;
class IDirect3DDevice9;
class IDirect3DPixelShader9;
class IDirect3DVertexShader9;
class Renderer;

// One compiled entry point of one shader permutation, made on every display
// head's device, with the constant table through which the float shader
// parameters reach it by name. Integer parameters are compiled in.
class ShaderProgram {
public:
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;
    virtual ~ShaderProgram();

    // Defaults, then every float parameter by name on the current head's
    // device; names the shader does not use are skipped by the table.
    void uploadConstants();
    int32_t headCount() const { return int32_t(m_shaderCount); }

    Renderer* m_renderer;
    ID3DXConstantTable* m_constants;

protected:
    // Takes over the caller's reference on `constants`.
    ShaderProgram(Renderer* renderer, ID3DXConstantTable* constants);
    IDirect3DDevice9* headDevice(int32_t head) const;
    int32_t currentHead() const;

    size_t m_shaderCount = 0;
};

class VertexProgram : public ShaderProgram {
public:
    VertexProgram(Renderer* renderer, const uint32_t* shaderCode, ID3DXConstantTable* constants);
    ~VertexProgram() override;
    // The current head's shader; null when its device could not make it.
    IDirect3DVertexShader9* shader() const;

    std::vector<IDirect3DVertexShader9*> m_shaders;
};

class PixelProgram : public ShaderProgram {
public:
    PixelProgram(Renderer* renderer, const uint32_t* shaderCode, ID3DXConstantTable* constants);
    ~PixelProgram() override;
    IDirect3DPixelShader9* shader() const;

    uint32_t m_samplerCount = 0;
    // By texture stage: the sampler the shader reads at stage i.
    std::vector<std::string> m_samplerNames;
    std::vector<IDirect3DPixelShader9*> m_shaders;
};
