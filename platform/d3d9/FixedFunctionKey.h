#pragma once
// The part of the fixed-function state that changes the generated program,
// packed into nine 64-bit words: one for the vertex layout and the global
// switches, one per texture stage. Values that only feed uniforms (matrices,
// colours, fog range, alpha reference) stay out, so a scene with moving
// lights and animated texture factors keeps hitting the same few programs.
// Fields that cannot affect the program in the current state (arguments an
// operation ignores, stages after the one that ends the cascade, material
// sources with lighting off) are zeroed so equal programs get equal keys.
#include "platform/d3d9/D3D9States.h"

#include <array>
#include <cstddef>
#include <cstdint>

class FixedFunctionState;

// What the bound vertex layout offers the fixed-function pipeline. Vertices
// reach the program on fixed attribute locations (see FixedFunctionShader.h).
struct FixedFunctionVertexFormat {
    bool hasNormal = false;
    bool hasDiffuse = false;
    bool hasSpecular = false;
    uint8_t texCoordCount = 0;
    std::array<uint8_t, 8> texCoordSize {}; // components 1..4 per set
    // Screen-space positions with 1/w (D3DFVF_XYZRHW, D3DDECLUSAGE_POSITIONT):
    // no transform, lighting or clip planes, as Direct3D draws them.
    bool pretransformed = false;

    static FixedFunctionVertexFormat fromFvf(DWORD fvf);
    // Reads up to the D3DDECL_END() record; the colour with usage index 0 is
    // the diffuse colour, index 1 the specular colour.
    static FixedFunctionVertexFormat fromDeclaration(const D3DVERTEXELEMENT9* elements);
};

// None: no texture bound to the stage.
enum class FixedFunctionTextureKind : uint8_t { Texture2D = 0, Volume = 1, Cube = 2, None = 3 };

class FixedFunctionKey {
public:
    static constexpr int kStageCount = 8;

    enum TexGen : uint8_t { TexGenNone = 0, TexGenCameraNormal = 1, TexGenCameraPosition = 2, TexGenReflection = 3 };
    enum Fog : uint8_t { FogNone = 0, FogVertexLinear = 1, FogTableLinear = 2 };

    struct Stage {
        uint8_t colorOp = 0;
        uint8_t alphaOp = 0;
        std::array<uint8_t, 3> colorArg {}; // D3DTA_* with modifiers, index = argument number
        std::array<uint8_t, 3> alphaArg {};
        bool resultTemp = false;
        bool usesTexture = false;
        uint8_t texCoordSet = 0;
        uint8_t texGen = TexGenNone;
        uint8_t transformCount = 0; // 0: no texture transform
        bool projected = false;
        FixedFunctionTextureKind textureKind = FixedFunctionTextureKind::Texture2D;
    };

    struct Fields {
        FixedFunctionVertexFormat vertex;
        bool lighting = false;
        uint8_t directionalLights = 0;
        uint8_t pointLights = 0;
        uint8_t spotLights = 0;
        uint8_t ambientSource = D3DMCS_MATERIAL;
        uint8_t diffuseSource = D3DMCS_MATERIAL;
        uint8_t specularSource = D3DMCS_MATERIAL;
        uint8_t emissiveSource = D3DMCS_MATERIAL;
        bool specular = false;
        bool localViewer = false;
        bool normalizeNormals = false;
        uint8_t fog = FogNone;
        uint8_t alphaFunc = 0; // D3DCMPFUNC; 0 when the test is off or always passes
        uint8_t clipPlanes = 0;
        uint8_t stageCount = 0; // stages before the one that ends the cascade
        std::array<Stage, kStageCount> stages {};
    };

    // The key for the current state, vertex layout and bound texture kinds.
    // A stage that reads a texture where none is bound passes the current
    // colour (or alpha) on instead, as Direct3D does.
    static FixedFunctionKey build(const FixedFunctionState& state, const FixedFunctionVertexFormat& vertex,
                                  const std::array<FixedFunctionTextureKind, kStageCount>& textures);
    // Canonicalises the fields first, as build does.
    static FixedFunctionKey pack(const Fields& fields);
    Fields fields() const;

    size_t hash() const;
    bool operator==(const FixedFunctionKey& other) const { return m_words == other.m_words; }
    bool operator!=(const FixedFunctionKey& other) const { return !(*this == other); }

    // Which of arguments 0, 1, 2 an operation reads (bit n = argument n).
    static unsigned argumentsUsed(uint8_t op);

private:
    std::array<uint64_t, 1 + kStageCount> m_words {};
};

struct FixedFunctionKeyHash {
    size_t operator()(const FixedFunctionKey& key) const { return key.hash(); }
};
