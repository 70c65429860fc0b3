#pragma once
#include "engine/core/render/ActiveLight.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class ID3DXEffectCompiler;
class IDirect3DDevice9;
class PixelProgram;
class Renderer;
class Material;
class StagePlan;
class VertexProgram;

class ShaderFloatParams;
class ShaderIntParams;

// What the shaders' per-layer tables hold of one image layer.
struct LayerTableValues {
    float opacity = 1.0f;
    int32_t opacityType = 0;
    int32_t gradientInput = 0;
    int32_t negative = 0;
    float gradientEnd = 1.0f;
};

struct ProgramPair {
    VertexProgram* vertex = nullptr;
    PixelProgram* pixel = nullptr;
};

// Turns one material into device state for one draw. The shader passes
// write the material into the parameter tables and draw with the program
// permutation the integer parameters select; the first draw of each
// permutation compiles it through the effect compiler the pass's owner
// supplies, and a permutation that failed once is never compiled again.
// A null surface stands for a plain white, fully diffuse material.
class ShaderPass {
public:
    explicit ShaderPass(Renderer* renderer);
    ShaderPass(const ShaderPass&) = delete;
    ShaderPass& operator=(const ShaderPass&) = delete;
    virtual ~ShaderPass();

    // False when no usable programs exist for the current parameters.
    virtual bool activate();
    virtual void bindTextures(Material* surface, double time, const std::vector<ActiveLight>& lights);
    virtual void applyMaterialStates(Material* surface, double time);
    virtual std::string vertexShaderName() const;
    virtual std::string pixelShaderName() const;

    // Selects (compiling on first use) the programs of the current integer
    // parameters.
    bool prepare();
    bool compile();
    void reportParseError(const char* message);
    // Holds a reference on the compiler; null takes it away.
    void setCompiler(ID3DXEffectCompiler* compiler);
    // Writes the k-th layer of a channel into the per-layer tables; false,
    // writing nothing, past the four layers a channel holds.
    static bool writeLayerTables(ShaderIntParams& ints, ShaderFloatParams& floats, int32_t channel, int32_t k,
                                 const LayerTableValues& layer);
    // The surface's image layers into the per-layer tables, counted per
    // channel in the surface's order.
    void writeSurfaceLayers(Material& surface, double time);
    // The per-layer table channel of a layer's channel code; -1 for none.
    static int32_t layerChannel(int32_t code);
    // The programs of every permutation tried, with empty pairs for those
    // that failed.
    size_t permutationCount() const { return m_programs.size(); }

    Renderer* m_renderer;
    const StagePlan* m_stagePlan = nullptr;
    std::map<std::vector<int32_t>, ProgramPair> m_programs;
    std::string m_name = "<shader>";
    VertexProgram* m_vertexProgram = nullptr;
    PixelProgram* m_pixelProgram = nullptr;
    ID3DXEffectCompiler* m_compiler = nullptr;

protected:
    IDirect3DDevice9* device() const;
    // Every stage reads its own coordinates, untransformed.
    void setStagePassThrough() const;
};

// The main pass of the shader setting: the vertex program is chosen by the
// lighting and texture inputs of the material.
class MaterialShaderPass : public ShaderPass {
public:
    using ShaderPass::ShaderPass;
    std::string vertexShaderName() const override;
};

// Additive, unsorted and two-sided, without depth.
class NoDepthShaderPass : public ShaderPass {
public:
    using ShaderPass::ShaderPass;
    void applyMaterialStates(Material* surface, double time) override;
    std::string vertexShaderName() const override;
};

// Writes colour over whatever is below it, blending or not.
class OpaqueShaderPass : public ShaderPass {
public:
    using ShaderPass::ShaderPass;
    void applyMaterialStates(Material* surface, double time) override;
};
