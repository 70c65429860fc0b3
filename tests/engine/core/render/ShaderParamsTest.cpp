#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

template <typename Table>
int32_t totalCount(const Table& table)
{
    int32_t sum = 0;
    for (const auto& entry : table.entries())
        sum += entry.count;
    return sum;
}

template <typename Table>
bool allZero(const Table& table)
{
    for (const auto& entry : table.entries()) {
        for (int32_t i = 0; i < entry.count; ++i) {
            if (entry.values[i] != 0)
                return false;
        }
    }
    return true;
}

Matrix4 rotationZ(float angle, float scale)
{
    Matrix4 m = Matrix4::identity();
    const float c = std::cos(angle), s = std::sin(angle);
    m.at(0, 0) = c * scale;
    m.at(0, 1) = s * scale;
    m.at(1, 0) = -s * scale;
    m.at(1, 1) = c * scale;
    m.at(2, 2) = scale;
    return m;
}

} // namespace

TEST(ShaderParamsTest, FreshTablesRegisterEveryNameInOrderWithZeroValues)
{
    ShaderIntParams ints(nullptr);
    ShaderFloatParams floats(nullptr);

    ASSERT_EQ(ints.entries().size(), 51u);
    EXPECT_EQ(totalCount(ints), 149);
    EXPECT_TRUE(allZero(ints));
    ASSERT_EQ(floats.entries().size(), 39u);
    EXPECT_TRUE(allZero(floats));
    EXPECT_EQ(floats.m_world, Matrix4::identity());
    EXPECT_EQ(floats.m_view, Matrix4::identity());
    EXPECT_EQ(floats.m_projection, Matrix4::identity());
    EXPECT_EQ(floats.m_boneMatrices[1023], Matrix4::identity());
    EXPECT_FALSE(floats.m_transformsValid);

    // Order and spelling are the contract with the shader sources.
    struct Expect {
        size_t index;
        const char* name;
        int32_t count;
    };
    const Expect intCases[] = {
        {0, "bake", 1},
        {8, "pointLightFalloffType", 8},
        {16, "numTexTRNL", 1},
        {18, "numShadows", 1},
        {19, "metaTexCOLRFullOpacity", 4},
        {25, "metaTexBUMPFullOpacity", 4},
        {26, "metaTexCOLRInvert", 4},
        {46, "metaTexBUMPgInput", 4},
        {50, "displacement", 1},
    };
    for (const Expect& e : intCases) {
        SCOPED_TRACE(e.name);
        EXPECT_STREQ(ints.entries()[e.index].name, e.name);
        EXPECT_EQ(ints.entries()[e.index].count, e.count);
    }
    const Expect floatCases[] = {
        {0, "matWorldViewProj", 16},
        {3, "matWorldWT", 12},
        {4, "matWorldLightviewLightprojShadowbias", 160},
        {5, "matBone", 12288},
        {20, "cameraPos", 3},
        {25, "metaTexCOLROpacity", 12},
        {26, "metaTexLUMIOpacity", 4},
        {32, "metaTexCOLRgParam", 16},
        {38, "metaTexBUMPgParam", 16},
    };
    for (const Expect& e : floatCases) {
        SCOPED_TRACE(e.name);
        EXPECT_STREQ(floats.entries()[e.index].name, e.name);
        EXPECT_EQ(floats.entries()[e.index].count, e.count);
    }

    std::set<std::string> names;
    for (const auto& entry : ints.entries())
        names.insert(entry.name);
    for (const auto& entry : floats.entries())
        names.insert(entry.name);
    EXPECT_EQ(names.size(), 51u + 39u);
}

TEST(ShaderParamsTest, EveryNameAndCountInRegistrationOrder)
{
    struct Expect {
        std::string name;
        int32_t count;
    };
    // The surface channels' four-character codes, in table order.
    const std::string channelCodes = "COLRLUMIDIFFREFLSPECTRANBUMP";
    std::vector<Expect> intNames = {
        {"bake", 1}, {"specularEnabled", 1}, {"isFogEnabled", 1}, {"isLocalViewer", 1},
        {"isCylindricalViewer", 1}, {"numActiveDistantLights", 1}, {"numActivePointLights", 1},
        {"numActiveSpotLights", 1}, {"pointLightFalloffType", 8}, {"spotLightFalloffType", 8},
        {"numTexCOLR", 1}, {"numTexLUMI", 1}, {"numTexDIFF", 1}, {"numTexREFL", 1}, {"numTexSPEC", 1},
        {"numTexTRAN", 1}, {"numTexTRNL", 1}, {"numTexBUMP", 1}, {"numShadows", 1}};
    for (const char* family : {"FullOpacity", "Invert", "Blendop", "gInput"}) {
        for (size_t c = 0; c < channelCodes.size(); c += 4)
            intNames.push_back({"metaTex" + channelCodes.substr(c, 4) + family, 4});
    }
    for (const char* name : {"sphericalEnvmapAvailable", "cubemapAvailable", "numBoneWeights", "displacement"})
        intNames.push_back({name, 1});

    std::vector<Expect> floatNames = {
        {"matWorldViewProj", 16}, {"matWorldView", 12}, {"matWorldViewNormalized", 9}, {"matWorldWT", 12},
        {"matWorldLightviewLightprojShadowbias", 160}, {"matBone", 12288}, {"time", 1},
        {"cylindricalScale", 1}, {"ambientLightColor", 3}, {"distantLightColor", 24},
        {"distantLightDir", 24}, {"pointLightColor", 24}, {"pointLightPos", 24},
        {"pointLightAttenuation", 24}, {"spotLightColor", 24}, {"spotLightPos", 24}, {"spotLightDir", 24},
        {"spotLightCosTheta", 8}, {"spotLightCosThetaMinusCosPhi", 8}, {"spotLightAttenuation", 24},
        {"cameraPos", 3}, {"srfColor", 4}, {"srfLighting", 4}, {"srfReflectivity", 3},
        {"srfAddTransparency", 1}};
    for (size_t c = 0; c < channelCodes.size(); c += 4)
        floatNames.push_back({"metaTex" + channelCodes.substr(c, 4) + "Opacity", c == 0 ? 12 : 4}); // COLR is wider
    for (size_t c = 0; c < channelCodes.size(); c += 4)
        floatNames.push_back({"metaTex" + channelCodes.substr(c, 4) + "gParam", 16});

    ShaderIntParams ints(nullptr);
    ShaderFloatParams floats(nullptr);
    auto check = [](const auto& entries, const std::vector<Expect>& expected) {
        ASSERT_EQ(entries.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(entries[i].name, expected[i].name) << i;
            EXPECT_EQ(entries[i].count, expected[i].count) << expected[i].name;
        }
    };
    check(ints.entries(), intNames);
    check(floats.entries(), floatNames);
}

TEST(ShaderParamsTest, DirectPointersAliasTheRegisteredValues)
{
    ShaderIntParams ints(nullptr);
    ShaderFloatParams floats(nullptr);

    *ints.m_numBoneWeights = 4;
    ints.m_metaTexBlendop[LayerSPEC][3] = 7;
    floats.m_cameraPos[2] = 5.0f;
    floats.m_metaTexOpacity[LayerBUMP][1] = 0.5f;

    EXPECT_EQ(ints.find("numBoneWeights")->values[0], 4);
    EXPECT_EQ(ints.find("metaTexSPECBlendop")->values[3], 7);
    EXPECT_EQ(floats.find("cameraPos")->values[2], 5.0f);
    EXPECT_EQ(floats.find("metaTexBUMPOpacity")->values[1], 0.5f);
    EXPECT_EQ(floats.find("noSuchParameter"), nullptr);
}

TEST(ShaderParamsTest, BoneMatrixLandsAtTwelveFloatsPerBone)
{
    ShaderFloatParams floats(nullptr);
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = float(i + 1);

    floats.setBoneMatrix(5, m);
    floats.setBoneMatrix(1024, m); // past the palette: ignored
    floats.setBoneMatrix(-1, m);

    const float expected[12] = {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(floats.m_matBone[60 + i], expected[i]) << i;
    EXPECT_EQ(floats.m_matBone[59], 0.0f);
    EXPECT_EQ(floats.m_matBone[72], 0.0f);
    EXPECT_EQ(floats.m_boneMatrices[5], m);
}

TEST(ShaderParamsTest, DerivedMatricesAreComputedOncePerChange)
{
    ShaderFloatParams floats(nullptr);
    floats.m_world = rotationZ(0.5f, 2.0f);
    floats.m_world.at(3, 0) = 10.0f;
    floats.m_view.at(3, 2) = 4.0f;
    floats.m_projection.at(2, 3) = 1.0f;
    floats.m_projection.at(3, 3) = 0.0f;

    floats.updateTransforms();
    EXPECT_TRUE(floats.m_transformsValid);

    // world * view: the rotation and the two translations.
    EXPECT_FLOAT_EQ(floats.m_matWorldView[0], 2.0f * std::cos(0.5f));
    EXPECT_FLOAT_EQ(floats.m_matWorldView[9], 10.0f);
    EXPECT_FLOAT_EQ(floats.m_matWorldView[11], 4.0f);
    // world * view * projection, row-major, not transposed: w' = z.
    EXPECT_FLOAT_EQ(floats.m_matWorldViewProj[15], 4.0f);
    EXPECT_FLOAT_EQ(floats.m_matWorldViewProj[11], 2.0f);
    EXPECT_FLOAT_EQ(floats.m_matWorldWT[9], 10.0f);

    // Uniform scale removed: the rotation's own 3x3 part is left.
    const Matrix4 rotation = rotationZ(0.5f, 1.0f);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(floats.m_matWorldViewNormalized[3 * r + c], rotation.at(r, c), 1e-6f) << r << c;
    }

    // A change the producer did not announce is not picked up...
    floats.m_world.at(3, 0) = 99.0f;
    floats.updateTransforms();
    EXPECT_FLOAT_EQ(floats.m_matWorldWT[9], 10.0f);
    // ...and an announced one is.
    floats.m_transformsValid = false;
    floats.updateTransforms();
    EXPECT_FLOAT_EQ(floats.m_matWorldWT[9], 99.0f);
}
