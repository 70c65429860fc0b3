// The effect compiler over GLSL: stages, literals, constants, samplers and
// the errors a source can make, on the recording device.
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3dx/D3DXShader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kSource = "float shared() { return 1.0; }\n"
                            "#stage vertex\n"
                            "uniform vec4 matRows[4];\n"
                            "uniform float time;\n"
                            "uniform vec3 lightDir[2]; // two lights\n"
                            "void vshader2() { d3d_Position = matRows[0] * time; }\n"
                            "#stage pixel\n"
                            "uniform vec4 tint;\n"
                            "uniform sampler2D COLR0;\n"
                            "uniform sampler2D ZMAP0;\n"
                            "void pshader() { d3d_FragColor = tint * texture(COLR0, vec2(0.0)); }\n";

struct Compiled {
    HRESULT result = D3D_OK;
    std::string errors;
    std::string source;
    ID3DXConstantTable* constants = nullptr;
    std::vector<DWORD> code;
};

Compiled compile(ID3DXEffectCompiler* compiler, const char* function, const char* profile)
{
    Compiled out;
    ID3DXBuffer* shader = nullptr;
    ID3DXBuffer* errors = nullptr;
    out.result = compiler->CompileShader(function, profile, D3DXSHADER_NO_PRESHADER, &shader, &errors, &out.constants);
    if (errors) {
        out.errors = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    if (shader) {
        const auto* words = static_cast<const DWORD*>(shader->GetBufferPointer());
        out.code.assign(words, words + shader->GetBufferSize() / sizeof(DWORD));
        IDirect3DShader9::unwrap(words, profile[0] == 'p', &out.source);
        shader->Release();
    }
    return out;
}

class D3dxShaderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(D3DXCreateEffectCompiler(kSource, UINT(strlen(kSource)), &m_compiler), D3D_OK); }
    void TearDown() override { m_compiler->Release(); }
    ID3DXEffectCompiler* m_compiler = nullptr;
};

} // namespace

TEST_F(D3dxShaderTest, ConstantsTakeRegistersInDeclarationOrderPerStage)
{
    Compiled vertex = compile(m_compiler, "vshader2", "vs_2_0");
    ASSERT_EQ(vertex.result, D3D_OK) << vertex.errors;
    struct Case {
        const char* name;
        UINT reg, elements, columns;
    };
    const Case cases[] = {{"matRows", 0, 4, 4}, {"time", 4, 1, 1}, {"lightDir", 5, 2, 3}};
    for (const Case& c : cases) {
        const D3DXConstantSlot* slot = vertex.constants->find(c.name);
        ASSERT_NE(slot, nullptr) << c.name;
        EXPECT_EQ(slot->reg, c.reg) << c.name;
        EXPECT_EQ(slot->elements, c.elements) << c.name;
        EXPECT_EQ(slot->columns, c.columns) << c.name;
    }
    // The pixel section's constants are not the vertex shader's.
    EXPECT_EQ(vertex.constants->find("tint"), nullptr);
    EXPECT_NE(vertex.source.find("float shared()"), std::string::npos);
    EXPECT_EQ(vertex.source.find("pshader"), std::string::npos);
    vertex.constants->Release();

    Compiled pixel = compile(m_compiler, "pshader", "ps_2_0");
    ASSERT_EQ(pixel.result, D3D_OK) << pixel.errors;
    ASSERT_NE(pixel.constants->find("tint"), nullptr);
    EXPECT_EQ(pixel.constants->find("tint")->reg, 0u);
    EXPECT_TRUE(pixel.constants->isPixel());
    pixel.constants->Release();
}

TEST_F(D3dxShaderTest, IntegerValuesBecomeLiterals)
{
    const int32_t one = 3;
    const int32_t eight[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(m_compiler->SetValue("numShadows", &one, 4), D3D_OK);
    ASSERT_EQ(m_compiler->SetValue("pointLightFalloffType", eight, sizeof eight), D3D_OK);
    // Names that are no identifiers and empty values are refused.
    EXPECT_EQ(m_compiler->SetValue("x; bad", &one, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_compiler->SetValue("empty", &one, 0), D3DERR_INVALIDCALL);
    Compiled vertex = compile(m_compiler, "vshader2", "vs_2_0");
    ASSERT_EQ(vertex.result, D3D_OK);
    EXPECT_NE(vertex.source.find("const int numShadows = 3;"), std::string::npos);
    EXPECT_NE(vertex.source.find("const int pointLightFalloffType[8] = int[](0, 1, 2, 3, 4, 5, 6, 7);"),
              std::string::npos);
    EXPECT_EQ(vertex.source.find("bad"), std::string::npos);
    vertex.constants->Release();
}

TEST_F(D3dxShaderTest, SamplersInDeclarationOrder)
{
    Compiled pixel = compile(m_compiler, "pshader", "ps_2_0");
    ASSERT_EQ(pixel.result, D3D_OK);
    UINT count = 0;
    ASSERT_EQ(D3DXGetShaderSamplers(pixel.code.data(), nullptr, &count), D3D_OK);
    EXPECT_EQ(count, 2u);
    LPCSTR names[D3DX_MAX_SAMPLERS] = {};
    ASSERT_EQ(D3DXGetShaderSamplers(pixel.code.data(), names, &count), D3D_OK);
    EXPECT_STREQ(names[0], "COLR0");
    EXPECT_STREQ(names[1], "ZMAP0");
    pixel.constants->Release();

    Compiled vertex = compile(m_compiler, "vshader2", "vs_2_0");
    ASSERT_EQ(D3DXGetShaderSamplers(vertex.code.data(), names, &count), D3D_OK);
    EXPECT_EQ(count, 0u);
    vertex.constants->Release();
    const DWORD garbage[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(D3DXGetShaderSamplers(garbage, names, &count), D3DERR_INVALIDCALL);
}

TEST(D3dxShaderErrors, BadSourcesAnswerWithAPositionedMessage)
{
    std::string tooMany = "#stage pixel\n";
    for (int i = 0; i < 17; ++i)
        tooMany += "uniform sampler2D S" + std::to_string(i) + ";\n";
    tooMany += "void pshader() {}\n";
    struct Case {
        const char* name;
        std::string source;
        const char* function;
        const char* profile;
        const char* message;
    };
    const Case cases[] = {
        {"no_entry", "#stage vertex\nvoid vshader1() {}\n", "vshader2", "vs_2_0", "(1): entry point 'vshader2'"},
        {"entry_in_other_stage", "#stage pixel\nvoid vshader2() {}\n", "vshader2", "vs_2_0", "entry point"},
        {"unknown_stage", "#stage geometry\nvoid vshader2() {}\n", "vshader2", "vs_2_0", "(1): unknown stage"},
        {"too_many_registers", "uniform vec4 big[300];\nvoid vshader2() {}\n", "vshader2", "vs_2_0",
         "(1): too many constants"},
        {"pixel_registers", "uniform vec4 big[225];\nvoid pshader() {}\n", "pshader", "ps_2_0", "too many constants"},
        {"vertex_sampler", "uniform sampler2D COLR0;\nvoid vshader2() {}\n", "vshader2", "vs_2_0", "(1): samplers"},
        {"too_many_samplers", tooMany, "pshader", "ps_2_0", "(18): too many samplers"},
        {"repeated", "uniform float a;\nuniform vec2 a;\nvoid vshader2() {}\n", "vshader2", "vs_2_0",
         "(2): bad or repeated"},
        {"matrix_type", "uniform mat4 m;\nvoid vshader2() {}\n", "vshader2", "vs_2_0", "(1): unsupported uniform"},
        {"huge_array", "uniform vec4 a[99999];\nvoid vshader2() {}\n", "vshader2", "vs_2_0", "(1): bad array size"},
        {"profile", "void vshader2() {}\n", "vshader2", "tx_1_0", "unsupported profile"},
    };
    for (const Case& c : cases) {
        ID3DXEffectCompiler* compiler = nullptr;
        ASSERT_EQ(D3DXCreateEffectCompiler(c.source.data(), UINT(c.source.size()), &compiler), D3D_OK);
        Compiled out = compile(compiler, c.function, c.profile);
        EXPECT_EQ(out.result, D3DXERR_INVALIDDATA) << c.name;
        EXPECT_NE(out.errors.find(c.message), std::string::npos) << c.name << ": " << out.errors;
        EXPECT_EQ(out.constants, nullptr) << c.name;
        EXPECT_TRUE(out.code.empty()) << c.name;
        compiler->Release();
    }
}
