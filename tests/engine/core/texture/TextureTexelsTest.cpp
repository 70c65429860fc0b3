#include "engine/core/texture/AnimatedTexture.h"
#include "engine/core/texture/FlareShapes.h"
#include "engine/core/display/FormatDescription.h"
#include "engine/core/texture/GradientLayer.h"
#include "engine/core/texture/Texture.h"
#include "engine/core/texture/TextureTexels.h"
#include "platform/d3d9/CapabilityModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

D3DCAPS9 glCaps()
{
    return CapabilityModel::gl().caps(0, D3DDEVTYPE_HAL);
}

struct SizeCase {
    int32_t imageWidth, imageHeight;
    uint32_t flags;
    int32_t detail;
    DWORD textureCaps;
    uint32_t width, height;
};

TEST(FileTextureSize, PowersOfTwoDetailAndLimits)
{
    const SizeCase cases[] = {
        {100, 100, 3, 0, 0, 128, 128},
        {300, 20, 3, 0, 0, 512, 32},
        {64, 64, 3, 0, 0, 128, 64},
        {1, 1, 3, 0, 0, 128, 1},
        {256, 256, 3, -1, 0, 128, 128},
        {256, 256, 3 | TextureFullDetail, -1, 0, 256, 256},
        {512, 128, 3, -2, 0, 128, 32},
        // Never zero, however small the image and low the detail.
        {1, 1, 3, -2, 0, 32, 1},
        {4, 2, 3, -40, 0, 1, 1},
        // The device's limits bound everything.
        {10000, 3, 3, 0, 0, 8192, 4},
        // Non-power-of-two sizes only where asked for and allowed.
        {100, 60, 3 | TextureKeepSize, 0, D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 100, 60},
        {100, 60, 3 | TextureKeepSize, 0, 0, 128, 64},
        {100, 60, 3, 0, D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 128, 64},
    };
    for (const SizeCase& c : cases) {
        D3DCAPS9 caps = glCaps();
        caps.TextureCaps = c.textureCaps;
        uint32_t w = 0, h = 0;
        fileTextureSize(c.imageWidth, c.imageHeight, c.flags, caps, c.detail, &w, &h);
        EXPECT_EQ(w, c.width) << c.imageWidth << "x" << c.imageHeight << " detail " << c.detail;
        EXPECT_EQ(h, c.height) << c.imageWidth << "x" << c.imageHeight << " detail " << c.detail;
    }
}

TEST(NearestSteps, StretchesAndNeverLeavesTheImage)
{
    struct Case {
        int32_t imageSide;
        uint32_t side;
    };
    for (const Case c : {Case {100, 128}, Case {300, 512}, Case {7, 128}, Case {1000, 3}, Case {333, 1024}}) {
        NearestSteps steps(c.imageSide, c.side);
        int32_t previous = -1;
        for (uint32_t i = 0; i < c.side; ++i) {
            const int32_t p = steps.next();
            EXPECT_GE(p, 0);
            EXPECT_LT(p, c.imageSide);
            EXPECT_GE(p, previous);
            EXPECT_NEAR(p, std::floor(double(i) * c.imageSide / c.side), 1.0);
            previous = p;
        }
    }
}

TEST(ConvertPixel, Conversions)
{
    EXPECT_EQ(convertPixel(0x12345678, 0), 0x12345678u);
    EXPECT_EQ(convertPixel(0x12345678, 1), 0xFF345678u);
    EXPECT_EQ(convertPixel(0x12345678, 2), 0xFF121212u);
}

std::vector<uint32_t> levelOf(uint32_t w, uint32_t h, uint32_t value)
{
    return std::vector<uint32_t>(size_t(w) * h, value);
}

TexelLevel view(std::vector<uint32_t>& texels, uint32_t w, uint32_t h)
{
    return TexelLevel {reinterpret_cast<uint8_t*>(texels.data()), w * 4, w, h};
}

TEST(NormalMap, FlatLevelPointsStraightUp)
{
    for (uint32_t colour : {0xFF000000u, 0x80808080u, 0xFFFFFFFFu}) {
        auto texels = levelOf(8, 4, colour);
        makeNormalMapLevel(view(texels, 8, 4));
        for (uint32_t t : texels)
            ASSERT_EQ(t, 0x007F7FFFu) << std::hex << colour;
    }
}

TEST(NormalMap, SlopeTiltsAgainstTheRise)
{
    // Heights rise to the right in a 4-wide strip that wraps; texel 1 sees a
    // rise on both sides in x only, so its normal leans to -x and stays level
    // in y.
    std::vector<uint32_t> texels = {0xFF000000, 0xFF101010, 0xFF202020, 0xFF303030};
    makeNormalMapLevel(view(texels, 4, 1));
    const uint32_t t = texels[1];
    EXPECT_LT((t >> 16) & 0xFF, 127u);
    EXPECT_EQ((t >> 8) & 0xFF, 127u);
    EXPECT_GT(t & 0xFF, 200u);
    EXPECT_EQ(t >> 24, 0u);
}

TEST(AlphaAwareMip, TransparentColourWins)
{
    struct Case {
        uint32_t source[4];
        uint32_t expected;
    };
    const Case cases[] = {
        // All opaque: black, opaque.
        {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 0xFF000000},
        // Two transparent: their mean colour, alpha 0.
        {{0x00FF0000, 0xFF00FF00, 0x000000FF, 0xFFFFFFFF}, 0x00800080},
        // Half transparent: weighted, smallest alpha.
        {{0x80C8C8C8, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, 0x80C8C8C8},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> above = {c.source[0], c.source[1], c.source[2], c.source[3]};
        std::vector<uint32_t> below(1, 0);
        alphaAwareMipLevel(view(below, 1, 1), view(above, 2, 2));
        EXPECT_EQ(below[0], c.expected) << std::hex << c.source[0];
    }
}

TEST(AlphaAwareMip, OutsideTheLevelAboveIsOpaqueBlack)
{
    // A 1x1 level above a 1x1 level: three of the four sources lie outside.
    std::vector<uint32_t> above(1, 0x00204060);
    std::vector<uint32_t> below(1, 0);
    alphaAwareMipLevel(view(below, 1, 1), view(above, 1, 1));
    EXPECT_EQ(below[0], 0x00204060u);
}

TEST(FlareShapes, ShapeValueLattice)
{
    EXPECT_NEAR(flareShapeValue(0.0), -0.28179, 1e-5);
    EXPECT_DOUBLE_EQ(flareShapeValue(0.5), (flareShapeValue(0.0) + flareShapeValue(1.0)) / 2.0);
    for (double t = -50.0; t < 50.0; t += 0.37) {
        const double v = flareShapeValue(t);
        ASSERT_GE(v, -1.0);
        ASSERT_LE(v, 1.0);
    }
    // Far-off arguments stay defined.
    EXPECT_TRUE(std::isfinite(flareShapeValue(1e300)));
    EXPECT_TRUE(std::isfinite(flareShapeValue(-1e18)));
}

TEST(FlareShapes, RingProfile)
{
    uint32_t texel = 0;
    // Along the row through the centre: d = |x - 256 - 0.5| (dy = -0.5).
    auto greyAt = [&](uint32_t x) {
        EXPECT_TRUE(flareTexel(4, x, 256, 512, 512, &texel));
        EXPECT_EQ(texel >> 24, 0xFFu);
        EXPECT_EQ(texel & 0xFF, (texel >> 8) & 0xFF);
        return texel & 0xFF;
    };
    EXPECT_EQ(greyAt(256), 0u) << "the centre is black";
    EXPECT_EQ(greyAt(0), 0u) << "the edge is black";
    // Near the ring radius 43.2 the grey peaks; 3.024 texels away it is gone.
    const uint32_t peak = greyAt(256 + 44);
    EXPECT_GT(peak, 200u);
    EXPECT_EQ(greyAt(256 + 48), 0u);
    EXPECT_EQ(greyAt(256 + 39), 0u);
    EXPECT_GT(greyAt(256 + 42), greyAt(256 + 41));
}

TEST(FlareShapes, CentresAndNames)
{
    uint32_t texel = 0;
    for (int shape = 1; shape <= 3; ++shape) {
        ASSERT_TRUE(flareTexel(shape, 256, 256, 512, 512, &texel));
        EXPECT_GE(texel & 0xFF, 200u) << shape;
        ASSERT_TRUE(flareTexel(shape, 0, 0, 512, 512, &texel));
        EXPECT_EQ(texel, 0xFF000000u) << "shape " << shape << " is black in the corner";
    }
    ASSERT_TRUE(flareTexel(1, 255, 255, 512, 512, &texel));
    EXPECT_EQ(texel, 0xFFFFFFFFu) << "the four centre texels are white";
    ASSERT_TRUE(flareTexel(0, 100, 300, 512, 512, &texel));
    EXPECT_EQ(texel >> 24, 0xFFu);
    EXPECT_FALSE(flareTexel(5, 0, 0, 512, 512, &texel));
    EXPECT_STREQ(flareShapeName(4), "(flare RING)");
    EXPECT_STREQ(flareShapeName(0), "(flare)");
    EXPECT_EQ(flareShapeName(7), nullptr);
}

class ScriptedGradient : public GradientLayer {
public:
    float gradientStart() const override { return 0.0f; }
    float gradientEnd() const override { return 1.0f; }
    float gradientValue(Channel channel, float t) override
    {
        order.push_back(channel);
        switch (channel) {
        case GradientRed:
            return t;
        case GradientGreen:
            return 0.5f;
        case GradientBlue:
            return 1.0f - t;
        default:
            return 0.25f;
        }
    }
    bool isTransparencyLayer() const override { return transparency; }

    bool transparency = false;
    std::vector<Channel> order;
};

TEST(GradientTexels, LastTexelFirstAndTransparency)
{
    ScriptedGradient layer;
    std::vector<uint32_t> texels(gradientTexelCount);
    gradientTexels(layer, texels.data());
    ASSERT_GE(layer.order.size(), 4u);
    EXPECT_EQ(layer.order[0], GradientLayer::GradientAlpha);
    EXPECT_EQ(layer.order[3], GradientLayer::GradientRed);
    EXPECT_EQ(texels[1023], 0x400080FFu) << "step 0: red 0, green 0.5, blue 1, alpha 0.25";
    EXPECT_GE(texels[0] >> 16 & 0xFF, 254u) << "the last step is nearly full red";

    layer.transparency = true;
    gradientTexels(layer, texels.data());
    for (uint32_t t : texels)
        ASSERT_EQ(t >> 24, (t >> 16) & 0xFF) << "alpha follows red on TRAN";
}

TEST(AnimatedFrames, BehavioursAndGaps)
{
    AnimatedTexture texture(nullptr);
    texture.m_firstFrame = 1;
    texture.m_lastFrame = 4;
    texture.m_rate = 10.0f;
    for (int i = 0; i < 4; ++i)
        texture.m_frames.push_back(std::make_unique<AnimatedTexture>(nullptr));
    struct Case {
        int32_t behaviour;
        double time;
        int32_t index;
    };
    const Case cases[] = {
        {4, 0.25, 2}, {4, 0.5, 1}, {4, 0.0, 0},
        {1, 0.35, 3}, {1, 0.45, 0}, {1, 9.0, 0},
        {2, 0.35, 3}, {2, 9.0, 3},
        {256, 0.0, 3}, {256, 0.3, 0}, {256, 0.45, 0}, {256, 0.5, 1},
        // An unknown behaviour and a negative time still land in the table.
        {7, 9.0, 3}, {4, -0.1, 3}, {2, -1e30, 3}, {4, 1e300, 3},
    };
    for (const Case& c : cases) {
        texture.m_behaviour = c.behaviour;
        EXPECT_EQ(texture.frameIndex(c.time), c.index) << "behaviour " << c.behaviour << " time " << c.time;
    }
}

TEST(AnimatedFrames, MissingFramesShowThePreviousOne)
{
    AnimatedTexture texture(nullptr);
    texture.m_firstFrame = 10;
    texture.m_lastFrame = 13;
    texture.m_rate = 1.0f;
    texture.m_frames.resize(4);
    texture.m_frames[1] = std::make_unique<AnimatedTexture>(nullptr);
    EXPECT_EQ(texture.frameIndex(0.0), -1) << "nothing before the gap";
    EXPECT_EQ(texture.frameIndex(1.0), 1);
    EXPECT_EQ(texture.frameIndex(3.0), 1);
    EXPECT_EQ(texture.getD3DTexture(0.0), nullptr);

    texture.m_lastFrame = 9; // an empty range
    EXPECT_EQ(texture.frameIndex(1.0), -1);
    texture.m_lastFrame = 40; // more frames claimed than the table holds
    EXPECT_EQ(texture.frameIndex(30.0), 1);
}

// The scoring alone would put a 4-bit block format ahead of the 16-bit
// formats (it weighs size before the avoided classes); the chooser lets an
// avoided class lose to any candidate without it. These are the formats every
// texture kind ends in on the device's model.
TEST(TextureFormatChoice, ChoicesOnTheDeviceModel)
{
    const CapabilityModel model = CapabilityModel::gl();
    std::vector<const FormatDescription*> candidates;
    for (int i = 0; i < formatTableSize; ++i)
        if (model.isTextureFormat(formatTable()[i].format))
            candidates.push_back(&formatTable()[i]);
    std::vector<const FormatDescription*> withBlocks = candidates;
    for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
        if (!model.isTextureFormat(f))
            withBlocks.push_back(findFormatDescription(f));

    const FormatRequirements defaults = Texture::formatRequirements(3, 0, false);
    EXPECT_GT(defaults.score(*findFormatDescription(D3DFMT_DXT1)),
              defaults.score(*findFormatDescription(D3DFMT_A1R5G5B5)))
        << "the raw scores favour the block format";

    struct Case {
        uint32_t flags;
        int32_t conversion;
        bool alphaSource;
        D3DFORMAT expected;
    };
    const Case cases[] = {
        {3, 0, false, D3DFMT_A1R5G5B5},
        {3, 1, false, D3DFMT_R5G6B5},
        {3, 2, false, D3DFMT_R5G6B5},
        {3, 0, true, D3DFMT_A8R8G8B8},
        {3 | TextureAlphaOnly, 0, false, D3DFMT_A8},
        {3 | TextureAlphaOnly | TextureColour, 0, false, D3DFMT_A8R8G8B8},
        {3 | TextureAlphaTested, 1, false, D3DFMT_A1R5G5B5},
        {1, 0, false, D3DFMT_A1R5G5B5},
    };
    for (const auto* list : {&candidates, &withBlocks}) {
        for (const Case& c : cases) {
            const FormatRequirements r = Texture::formatRequirements(c.flags, c.conversion, c.alphaSource);
            const FormatDescription* chosen = Texture::chooseTextureFormat(r, *list);
            ASSERT_NE(chosen, nullptr);
            EXPECT_EQ(chosen->format, c.expected) << "flags " << c.flags << " conversion " << c.conversion
                                                   << " chose " << chosen->name;
        }
    }
    // With nothing but block formats to choose from, one of them is taken.
    const std::vector<const FormatDescription*> blocksOnly = {findFormatDescription(D3DFMT_DXT1),
                                                              findFormatDescription(D3DFMT_DXT5)};
    const FormatDescription* chosen = Texture::chooseTextureFormat(defaults, blocksOnly);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->format, D3DFMT_DXT1);
    EXPECT_EQ(Texture::chooseTextureFormat(defaults, {}), nullptr);
}

} // namespace
