// The depth and blend rules of materials for both pass families.
#include "engine/core/render/MaterialBlend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct BlendCase {
    const char* name;
    MaterialBlendInput in;
    bool fixedFunction;
    DWORD zwrite, alphaTest, alphaRef, blend, src, dest;
    float alpha, colourScale;
};

MaterialBlendInput transparent(bool layer, float transparency, float additive = 0.0f, bool punched = false,
                               int32_t opacityType = 0)
{
    MaterialBlendInput in;
    in.transparent = true;
    in.hasTranLayer = layer;
    in.transparency = transparency;
    in.additiveTransparency = additive;
    in.tranPunchThrough = punched;
    in.tranOpacityType = opacityType;
    return in;
}

MaterialBlendInput mirror(float reflection, int32_t mode)
{
    MaterialBlendInput in;
    in.reflection = reflection;
    in.reflectionMode = mode;
    in.transparent = true;
    return in;
}

const BlendCase kCases[] = {
    {"opaque_shader", MaterialBlendInput{}, false, TRUE, FALSE, 0, FALSE, 0, 0, 1.0f, 1.0f},
    {"opaque_fixed", MaterialBlendInput{}, true, TRUE, FALSE, 0, FALSE, 0, 0, 1.0f, 1.0f},
    // Over a mirror: premultiplied, depth written, alpha 1 - r.
    {"mirror_shader", mirror(0.3f, 0), false, TRUE, FALSE, 0, TRUE, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 0.7f, 1.0f},
    {"mirror_fixed", mirror(0.3f, 0), true, TRUE, FALSE, 0, TRUE, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 0.7f, 1.0f},
    // A mirror of another mode falls through to the transparency rule.
    {"mirror_mode2", mirror(0.3f, 2), false, FALSE, FALSE, 0, TRUE, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 1.0f, 1.0f},
    // A transparency layer over transparency 0: alpha-tested, still blended.
    {"layer_shader", transparent(true, 0.0f), false, TRUE, TRUE, 0, TRUE, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 1.0f,
     1.0f},
    {"layer_fixed", transparent(true, 0.0f), true, TRUE, TRUE, 0x7F, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
     1.0f, 1.0f},
    // Punched-through alpha: tested, not blended, whatever the value.
    {"punched_fixed", transparent(true, 0.5f, 0.0f, true), true, TRUE, TRUE, 0x7F, FALSE, 0, 0, 1.0f, 1.0f},
    // Additive transparency blends premultiplied after all.
    {"punched_additive", transparent(true, 0.5f, 0.25f, true), true, TRUE, TRUE, 0x7F, TRUE, D3DBLEND_ONE,
     D3DBLEND_INVSRCALPHA, 0.75f, 1.0f},
    // Without a layer the value fades colour and alpha.
    {"value_shader", transparent(false, 0.4f, 0.5f), false, FALSE, FALSE, 0, TRUE, D3DBLEND_ONE,
     D3DBLEND_INVSRCALPHA, 0.3f, 0.6f},
    {"value_fixed", transparent(false, 0.4f), true, FALSE, FALSE, 0, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
     0.6f, 0.6f},
    // A layer of opacity type 3 fades by the value too.
    {"layer_type3", transparent(true, 0.4f, 0.0f, false, 3), false, FALSE, FALSE, 0, TRUE, D3DBLEND_ONE,
     D3DBLEND_INVSRCALPHA, 0.6f, 0.6f},
};

} // namespace

TEST(MaterialBlendTest, DepthAndBlendByMaterial)
{
    for (const BlendCase& c : kCases) {
        const MaterialBlend b = c.fixedFunction ? fixedFunctionBlend(c.in) : shaderPassBlend(c.in);
        EXPECT_EQ(b.value(D3DRS_ZWRITEENABLE), c.zwrite) << c.name;
        EXPECT_EQ(b.value(D3DRS_ALPHATESTENABLE), c.alphaTest) << c.name;
        if (c.alphaTest) {
            EXPECT_EQ(b.value(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATER)) << c.name;
            EXPECT_EQ(b.value(D3DRS_ALPHAREF, 0xFFFF), c.alphaRef) << c.name;
        }
        EXPECT_EQ(b.value(D3DRS_ALPHABLENDENABLE), c.blend) << c.name;
        if (c.blend) {
            EXPECT_EQ(b.value(D3DRS_SRCBLEND), c.src) << c.name;
            EXPECT_EQ(b.value(D3DRS_DESTBLEND), c.dest) << c.name;
        }
        EXPECT_FLOAT_EQ(b.alpha, c.alpha) << c.name;
        EXPECT_FLOAT_EQ(b.colourScale, c.colourScale) << c.name;
    }
}

TEST(MaterialBlendTest, ReflectionGreyAndSpecularPower)
{
    const struct {
        float reflection;
        D3DCOLOR factor;
    } greys[] = {{0.5f, 0xFF7F7F7Fu}, {1.5f, 0xFFFFFFFFu}, {-0.2f, 0xFF000000u},
                 {std::numeric_limits<float>::quiet_NaN(), 0xFF000000u}};
    for (const auto& g : greys)
        EXPECT_EQ(reflectionFactor(g.reflection), g.factor) << g.reflection;

    EXPECT_FLOAT_EQ(specularPower(0.4f, 255.0f), 64.0f);
    EXPECT_FLOAT_EQ(specularPower(1.0f, 255.0f), 255.0f);
    EXPECT_FLOAT_EQ(specularPower(1.0f, 127.9961f), 127.9961f);
    EXPECT_FLOAT_EQ(specularPower(std::numeric_limits<float>::quiet_NaN(), 255.0f), 255.0f);
}
