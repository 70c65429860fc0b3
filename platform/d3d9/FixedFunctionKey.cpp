#include "platform/d3d9/FixedFunctionKey.h"

#include "platform/d3d9/FixedFunctionState.h"

#include <algorithm>

namespace {

// Appends and reads back fixed-width fields of one 64-bit word.
class BitWriter {
public:
    void put(uint64_t value, int bits)
    {
        m_word |= (value & ((uint64_t(1) << bits) - 1)) << m_shift;
        m_shift += bits;
    }
    uint64_t word() const { return m_word; }

private:
    uint64_t m_word = 0;
    int m_shift = 0;
};

class BitReader {
public:
    explicit BitReader(uint64_t word) : m_word(word) {}
    uint8_t get(int bits)
    {
        uint64_t value = (m_word >> m_shift) & ((uint64_t(1) << bits) - 1);
        m_shift += bits;
        return static_cast<uint8_t>(value);
    }

private:
    uint64_t m_word;
    int m_shift = 0;
};

bool validOp(DWORD op)
{
    return op >= D3DTOP_DISABLE && op <= D3DTOP_LERP;
}

bool readsTextureAlpha(uint8_t op)
{
    return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM;
}

uint8_t materialSource(DWORD value, bool colorVertex, const FixedFunctionVertexFormat& vertex)
{
    // A vertex colour source without that colour in the vertices falls back
    // to the material, as Direct3D documents.
    if (!colorVertex)
        return D3DMCS_MATERIAL;
    if (value == D3DMCS_COLOR1 && vertex.hasDiffuse)
        return D3DMCS_COLOR1;
    if (value == D3DMCS_COLOR2 && vertex.hasSpecular)
        return D3DMCS_COLOR2;
    return D3DMCS_MATERIAL;
}

bool readsTexture(uint8_t op, const std::array<uint8_t, 3>& args)
{
    if (readsTextureAlpha(op))
        return true;
    const unsigned used = FixedFunctionKey::argumentsUsed(op);
    for (int a = 0; a < 3; ++a)
        if ((used >> a & 1) && (args[a] & D3DTA_SELECTMASK) == D3DTA_TEXTURE)
            return true;
    return false;
}

// Without a texture, an operation that would read one selects the current
// value (the diffuse colour at stage 0).
void passCurrentWithoutTexture(FixedFunctionKey::Stage& st)
{
    if (readsTexture(st.colorOp, st.colorArg)) {
        st.colorOp = D3DTOP_SELECTARG1;
        st.colorArg = {0, D3DTA_CURRENT, 0};
    }
    if (readsTexture(st.alphaOp, st.alphaArg)) {
        st.alphaOp = D3DTOP_SELECTARG1;
        st.alphaArg = {0, D3DTA_CURRENT, 0};
    }
    st.textureKind = FixedFunctionTextureKind::Texture2D;
}

void canonicalise(FixedFunctionKey::Fields& f)
{
    f.vertex.texCoordCount = std::min<uint8_t>(f.vertex.texCoordCount, 8);
    for (int i = 0; i < 8; ++i) {
        if (i >= f.vertex.texCoordCount)
            f.vertex.texCoordSize[i] = 0;
        else
            f.vertex.texCoordSize[i] = std::clamp<uint8_t>(f.vertex.texCoordSize[i], 1, 4);
    }

    bool reflects = false;
    bool normals = false;
    int count = 0;
    for (int s = 0; s < FixedFunctionKey::kStageCount; ++s) {
        auto& st = f.stages[s];
        if (s >= f.stageCount || !validOp(st.colorOp) || st.colorOp == D3DTOP_DISABLE) {
            f.stageCount = static_cast<uint8_t>(count);
            for (int r = s; r < FixedFunctionKey::kStageCount; ++r)
                f.stages[r] = FixedFunctionKey::Stage {};
            break;
        }
        ++count;
        if (!validOp(st.alphaOp))
            st.alphaOp = D3DTOP_DISABLE;
        unsigned colorUsed = FixedFunctionKey::argumentsUsed(st.colorOp);
        unsigned alphaUsed = FixedFunctionKey::argumentsUsed(st.alphaOp);
        // The dot product writes all four channels: the alpha operation is moot.
        if (st.colorOp == D3DTOP_DOTPRODUCT3) {
            st.alphaOp = D3DTOP_DISABLE;
            alphaUsed = 0;
        }
        bool texture = readsTextureAlpha(st.colorOp) || readsTextureAlpha(st.alphaOp);
        for (int a = 0; a < 3; ++a) {
            st.colorArg[a] = (colorUsed >> a & 1) ? (st.colorArg[a] & 0x3f) : 0;
            st.alphaArg[a] = (alphaUsed >> a & 1) ? (st.alphaArg[a] & 0x3f) : 0;
            if ((colorUsed >> a & 1) && (st.colorArg[a] & D3DTA_SELECTMASK) == D3DTA_TEXTURE)
                texture = true;
            if ((alphaUsed >> a & 1) && (st.alphaArg[a] & D3DTA_SELECTMASK) == D3DTA_TEXTURE)
                texture = true;
        }
        st.usesTexture = texture;
        if (!texture) {
            st.texCoordSet = 0;
            st.texGen = FixedFunctionKey::TexGenNone;
            st.transformCount = 0;
            st.projected = false;
            st.textureKind = FixedFunctionTextureKind::Texture2D;
        } else {
            st.texCoordSet &= 7;
            st.transformCount = std::min<uint8_t>(st.transformCount, 4);
            st.projected = st.projected && st.transformCount > 0;
            reflects = reflects || st.texGen == FixedFunctionKey::TexGenReflection;
            // Camera-space positions never read the normal, so they leave
            // NORMALIZENORMALS out of an unlit program.
            normals = normals || st.texGen == FixedFunctionKey::TexGenCameraNormal
                   || st.texGen == FixedFunctionKey::TexGenReflection;
        }
        if (s == FixedFunctionKey::kStageCount - 1)
            f.stageCount = static_cast<uint8_t>(count);
    }

    if (f.vertex.pretransformed) {
        f.lighting = false;
        f.clipPlanes = 0;
        if (f.fog == FixedFunctionKey::FogVertexLinear)
            f.fog = FixedFunctionKey::FogNone;
        for (auto& st : f.stages)
            st.texGen = FixedFunctionKey::TexGenNone;
        // With the generation gone, nothing of the program reads the normal.
        reflects = false;
        normals = false;
    }
    if (!f.lighting) {
        f.directionalLights = f.pointLights = f.spotLights = 0;
        f.ambientSource = f.diffuseSource = f.specularSource = f.emissiveSource = D3DMCS_MATERIAL;
    }
    if (!(f.lighting && f.specular) && !reflects)
        f.localViewer = false;
    if (!f.lighting && !normals)
        f.normalizeNormals = false;
    if (f.alphaFunc == D3DCMP_ALWAYS || f.alphaFunc > D3DCMP_ALWAYS)
        f.alphaFunc = 0;
    f.clipPlanes &= 0x3f;
}

} // namespace

FixedFunctionVertexFormat FixedFunctionVertexFormat::fromFvf(DWORD fvf)
{
    FixedFunctionVertexFormat v;
    v.hasNormal = (fvf & D3DFVF_NORMAL) != 0;
    v.hasDiffuse = (fvf & D3DFVF_DIFFUSE) != 0;
    v.hasSpecular = (fvf & D3DFVF_SPECULAR) != 0;
    v.pretransformed = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    v.texCoordCount = static_cast<uint8_t>(std::min<DWORD>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8));
    for (int i = 0; i < v.texCoordCount; ++i) {
        switch ((fvf >> (i * 2 + 16)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: v.texCoordSize[i] = 1; break;
        case D3DFVF_TEXTUREFORMAT3: v.texCoordSize[i] = 3; break;
        case D3DFVF_TEXTUREFORMAT4: v.texCoordSize[i] = 4; break;
        default: v.texCoordSize[i] = 2; break;
        }
    }
    return v;
}

FixedFunctionVertexFormat FixedFunctionVertexFormat::fromDeclaration(const D3DVERTEXELEMENT9* elements)
{
    FixedFunctionVertexFormat v;
    for (const D3DVERTEXELEMENT9* e = elements; e && e->Stream != 0xFF; ++e) {
        if (e->Usage == D3DDECLUSAGE_POSITIONT && e->UsageIndex == 0) {
            v.pretransformed = true;
        } else if (e->Usage == D3DDECLUSAGE_NORMAL && e->UsageIndex == 0) {
            v.hasNormal = true;
        } else if (e->Usage == D3DDECLUSAGE_COLOR) {
            if (e->UsageIndex == 0)
                v.hasDiffuse = true;
            else if (e->UsageIndex == 1)
                v.hasSpecular = true;
        } else if (e->Usage == D3DDECLUSAGE_TEXCOORD && e->UsageIndex < 8) {
            uint8_t size = 2;
            switch (e->Type) {
            case D3DDECLTYPE_FLOAT1: size = 1; break;
            case D3DDECLTYPE_FLOAT2: case D3DDECLTYPE_SHORT2: size = 2; break;
            case D3DDECLTYPE_FLOAT3: size = 3; break;
            default: size = 4; break;
            }
            v.texCoordSize[e->UsageIndex] = size;
            v.texCoordCount = std::max<uint8_t>(v.texCoordCount, e->UsageIndex + 1);
        }
    }
    // A gap in the texture sets still has to be a valid attribute.
    for (int i = 0; i < v.texCoordCount; ++i)
        if (v.texCoordSize[i] == 0)
            v.texCoordSize[i] = 2;
    return v;
}

unsigned FixedFunctionKey::argumentsUsed(uint8_t op)
{
    switch (op) {
    case D3DTOP_SELECTARG1: return 0b010;
    case D3DTOP_SELECTARG2: return 0b100;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP: return 0b111;
    case D3DTOP_MODULATE:
    case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X:
    case D3DTOP_ADD:
    case D3DTOP_ADDSIGNED:
    case D3DTOP_ADDSIGNED2X:
    case D3DTOP_SUBTRACT:
    case D3DTOP_ADDSMOOTH:
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDTEXTUREALPHAPM:
    case D3DTOP_BLENDCURRENTALPHA:
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
    case D3DTOP_MODULATECOLOR_ADDALPHA:
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
    case D3DTOP_DOTPRODUCT3: return 0b110;
    default: return 0;
    }
}

FixedFunctionKey FixedFunctionKey::build(const FixedFunctionState& state, const FixedFunctionVertexFormat& vertex,
                                         const std::array<FixedFunctionTextureKind, kStageCount>& textures)
{
    Fields f;
    f.vertex = vertex;
    f.lighting = state.renderState(D3DRS_LIGHTING) != FALSE;
    if (f.lighting) {
        for (DWORD index : state.enabledLights()) {
            D3DLIGHT9 light;
            if (!state.light(index, &light))
                continue;
            if (light.Type == D3DLIGHT_DIRECTIONAL)
                ++f.directionalLights;
            else if (light.Type == D3DLIGHT_POINT)
                ++f.pointLights;
            else
                ++f.spotLights;
        }
        bool colorVertex = state.renderState(D3DRS_COLORVERTEX) != FALSE;
        f.ambientSource = materialSource(state.renderState(D3DRS_AMBIENTMATERIALSOURCE), colorVertex, vertex);
        f.diffuseSource = materialSource(state.renderState(D3DRS_DIFFUSEMATERIALSOURCE), colorVertex, vertex);
        f.specularSource = materialSource(state.renderState(D3DRS_SPECULARMATERIALSOURCE), colorVertex, vertex);
        f.emissiveSource = materialSource(state.renderState(D3DRS_EMISSIVEMATERIALSOURCE), colorVertex, vertex);
    }
    f.specular = state.renderState(D3DRS_SPECULARENABLE) != FALSE;
    f.localViewer = state.renderState(D3DRS_LOCALVIEWER) != FALSE;
    f.normalizeNormals = state.renderState(D3DRS_NORMALIZENORMALS) != FALSE;
    if (state.renderState(D3DRS_FOGENABLE)) {
        DWORD table = state.renderState(D3DRS_FOGTABLEMODE);
        if (table == D3DFOG_LINEAR)
            f.fog = FogTableLinear;
        else if (table == D3DFOG_NONE && state.renderState(D3DRS_FOGVERTEXMODE) == D3DFOG_LINEAR)
            f.fog = FogVertexLinear;
    }
    if (state.renderState(D3DRS_ALPHATESTENABLE))
        f.alphaFunc = static_cast<uint8_t>(std::min<DWORD>(state.renderState(D3DRS_ALPHAFUNC), 15));
    f.clipPlanes = static_cast<uint8_t>(state.renderState(D3DRS_CLIPPLANEENABLE) & 0x3f);

    f.stageCount = kStageCount;
    for (int s = 0; s < kStageCount; ++s) {
        Stage& st = f.stages[s];
        auto tss = [&](D3DTEXTURESTAGESTATETYPE t) { return state.textureStageState(s, t); };
        st.colorOp = static_cast<uint8_t>(std::min<DWORD>(tss(D3DTSS_COLOROP), 31));
        st.alphaOp = static_cast<uint8_t>(std::min<DWORD>(tss(D3DTSS_ALPHAOP), 31));
        st.colorArg = {static_cast<uint8_t>(tss(D3DTSS_COLORARG0) & 0x3f), static_cast<uint8_t>(tss(D3DTSS_COLORARG1) & 0x3f),
                       static_cast<uint8_t>(tss(D3DTSS_COLORARG2) & 0x3f)};
        st.alphaArg = {static_cast<uint8_t>(tss(D3DTSS_ALPHAARG0) & 0x3f), static_cast<uint8_t>(tss(D3DTSS_ALPHAARG1) & 0x3f),
                       static_cast<uint8_t>(tss(D3DTSS_ALPHAARG2) & 0x3f)};
        st.resultTemp = (tss(D3DTSS_RESULTARG) & D3DTA_SELECTMASK) == D3DTA_TEMP;
        DWORD tci = tss(D3DTSS_TEXCOORDINDEX);
        st.texCoordSet = static_cast<uint8_t>(tci & 7);
        DWORD gen = tci & 0xffff0000u;
        st.texGen = gen == D3DTSS_TCI_CAMERASPACENORMAL ? TexGenCameraNormal
                  : gen == D3DTSS_TCI_CAMERASPACEPOSITION ? TexGenCameraPosition
                  : gen == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR ? TexGenReflection
                  : TexGenNone;
        DWORD flags = tss(D3DTSS_TEXTURETRANSFORMFLAGS);
        st.transformCount = static_cast<uint8_t>(std::min<DWORD>(flags & 0xff, 4));
        st.projected = (flags & D3DTTFF_PROJECTED) != 0;
        // PROJECTED on its own transforms all four components and divides
        // by the fourth.
        if (st.projected && st.transformCount == 0)
            st.transformCount = 4;
        st.textureKind = textures[s];
        if (st.textureKind == FixedFunctionTextureKind::None)
            passCurrentWithoutTexture(st);
    }
    return pack(f);
}

FixedFunctionKey FixedFunctionKey::pack(const Fields& input)
{
    Fields f = input;
    canonicalise(f);

    FixedFunctionKey key;
    BitWriter head;
    head.put(f.vertex.hasNormal, 1);
    head.put(f.vertex.hasDiffuse, 1);
    head.put(f.vertex.hasSpecular, 1);
    head.put(f.vertex.texCoordCount, 4);
    for (int i = 0; i < 8; ++i)
        head.put(f.vertex.texCoordSize[i] ? f.vertex.texCoordSize[i] - 1 : 0, 2);
    head.put(f.lighting, 1);
    head.put(f.directionalLights, 4);
    head.put(f.pointLights, 4);
    head.put(f.spotLights, 4);
    head.put(f.ambientSource, 2);
    head.put(f.diffuseSource, 2);
    head.put(f.specularSource, 2);
    head.put(f.emissiveSource, 2);
    head.put(f.specular, 1);
    head.put(f.localViewer, 1);
    head.put(f.normalizeNormals, 1);
    head.put(f.fog, 2);
    head.put(f.alphaFunc, 4);
    head.put(f.clipPlanes, 6);
    head.put(f.stageCount, 4);
    head.put(f.vertex.pretransformed, 1);
    key.m_words[0] = head.word();

    for (int s = 0; s < kStageCount; ++s) {
        const Stage& st = f.stages[s];
        BitWriter w;
        w.put(st.colorOp, 5);
        w.put(st.alphaOp, 5);
        for (int a = 0; a < 3; ++a)
            w.put(st.colorArg[a], 6);
        for (int a = 0; a < 3; ++a)
            w.put(st.alphaArg[a], 6);
        w.put(st.resultTemp, 1);
        w.put(st.usesTexture, 1);
        w.put(st.texCoordSet, 3);
        w.put(st.texGen, 2);
        w.put(st.transformCount, 3);
        w.put(st.projected, 1);
        w.put(static_cast<uint8_t>(st.textureKind), 2);
        key.m_words[1 + s] = w.word();
    }
    return key;
}

FixedFunctionKey::Fields FixedFunctionKey::fields() const
{
    Fields f;
    BitReader head(m_words[0]);
    f.vertex.hasNormal = head.get(1);
    f.vertex.hasDiffuse = head.get(1);
    f.vertex.hasSpecular = head.get(1);
    f.vertex.texCoordCount = head.get(4);
    for (int i = 0; i < 8; ++i) {
        uint8_t size = head.get(2) + 1;
        f.vertex.texCoordSize[i] = i < f.vertex.texCoordCount ? size : 0;
    }
    f.lighting = head.get(1);
    f.directionalLights = head.get(4);
    f.pointLights = head.get(4);
    f.spotLights = head.get(4);
    f.ambientSource = head.get(2);
    f.diffuseSource = head.get(2);
    f.specularSource = head.get(2);
    f.emissiveSource = head.get(2);
    f.specular = head.get(1);
    f.localViewer = head.get(1);
    f.normalizeNormals = head.get(1);
    f.fog = head.get(2);
    f.alphaFunc = head.get(4);
    f.clipPlanes = head.get(6);
    f.stageCount = head.get(4);
    f.vertex.pretransformed = head.get(1);

    for (int s = 0; s < kStageCount; ++s) {
        Stage& st = f.stages[s];
        BitReader r(m_words[1 + s]);
        st.colorOp = r.get(5);
        st.alphaOp = r.get(5);
        for (int a = 0; a < 3; ++a)
            st.colorArg[a] = r.get(6);
        for (int a = 0; a < 3; ++a)
            st.alphaArg[a] = r.get(6);
        st.resultTemp = r.get(1);
        st.usesTexture = r.get(1);
        st.texCoordSet = r.get(3);
        st.texGen = r.get(2);
        st.transformCount = r.get(3);
        st.projected = r.get(1);
        st.textureKind = static_cast<FixedFunctionTextureKind>(r.get(2));
    }
    return f;
}

size_t FixedFunctionKey::hash() const
{
    // FNV-1a over the words: cheap, and the words are already dense.
    uint64_t h = 1469598103934665603ull;
    for (uint64_t word : m_words) {
        for (int i = 0; i < 8; ++i) {
            h ^= (word >> (i * 8)) & 0xff;
            h *= 1099511628211ull;
        }
    }
    return static_cast<size_t>(h);
}
