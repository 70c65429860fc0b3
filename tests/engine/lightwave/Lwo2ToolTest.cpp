#include "LwoRig.h"

#include "engine/core/texture/Texture.h"
#include "engine/lightwave/LwoVertexMaps.h"
#include "tools/lib/Lwo2Tools.h"

namespace {

using Lwo2ToolTest = LwoRig;

const char* kDescription = R"(# a wedge of two surfaces
surface Paint
  color 1 0 0
  diffuse 0.8
  smoothing 45
  sides 3
  image 1 uv UV
surface Metal
  specular 0.5
  image 1 planar y channel DIFF
clip 1 Textures/check.bmp
layer 0 body
point 0 0 0
point 1 0 0
point 1 1 0
point 0 1 0
face Paint 0 1 2 3
face Metal 0 2 1
uv UV 0 0 0
uv UV 2 1 1
weight Grip 1 0.5
morph Open 3 0 0 1
layer 2
point 0 0 0
point 0 1 0
point 1 0 0
face Paint 0 1 2
)";

TEST_F(Lwo2ToolTest, BuiltObjectLoadsBackEqual)
{
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(lwo2Build(kDescription, bytes, error)) << error;
    LwoFile* file = load("wedge.lwo", bytes);
    ASSERT_NE(file, nullptr) << lastError();
    ASSERT_EQ(file->m_layers.size(), 3u);
    LwMesh* body = file->layer(0);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->m_name, "wedge.lwo:1 body");
    EXPECT_EQ(body->pointCount(), 4);
    ASSERT_EQ(body->polygonCount(), 2);
    EXPECT_EQ(body->m_polygons[0].points, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(body->m_polygons[1].surface, 1);
    EXPECT_EQ(body->m_points[2], Vector3(1, 1, 0));
    auto* grip = static_cast<LwoWeightMap*>(body->findVertexMap("Grip"));
    ASSERT_NE(grip, nullptr);
    EXPECT_FLOAT_EQ(grip->weights[1], 0.5f);
    auto* open = static_cast<LwoMorphMap*>(body->findVertexMap("Open"));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->offsets[3], Vector3(0, 0, 1));
    ASSERT_NE(file->layer(2), nullptr);
    EXPECT_EQ(file->layer(2)->polygonCount(), 1);

    const Surface* paint = surface("wedge.lwo@Paint");
    ASSERT_NE(paint, nullptr);
    EXPECT_FLOAT_EQ(paint->m_color[0].m_value, 1.0f);
    EXPECT_FLOAT_EQ(paint->m_diffuse.m_value, 0.8f);
    EXPECT_EQ(paint->m_smoothing, 1);
    EXPECT_EQ(paint->m_doubleSided, 1);
    ASSERT_EQ(paint->m_imageLayers.size(), 1u);
    EXPECT_EQ(paint->m_imageLayers[0]->m_projection, 5);
    EXPECT_EQ(paint->m_imageLayers[0]->m_image->m_name, "Textures/check.bmp");
    ASSERT_NE(paint->m_imageLayers[0]->uvMap(0), nullptr);
    EXPECT_EQ(paint->m_imageLayers[0]->uvMap(0)->values[2], (LwoUVMap::Value{1, 1, 0}));
    const Surface* metal = surface("wedge.lwo@Metal");
    ASSERT_EQ(metal->m_imageLayers.size(), 1u);
    EXPECT_EQ(metal->m_imageLayers[0]->m_channel, lwoCode("DIFF"));
    EXPECT_EQ(metal->m_imageLayers[0]->m_axis, 1);
    EXPECT_FLOAT_EQ(metal->m_specular.m_value, 0.5f);
}

TEST_F(Lwo2ToolTest, BadDescriptionsSayWhichLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"point 0 0 0", "line 1: point before any layer"},
        {"layer 0\npoint 0 0\n", "line 2: point needs x y z"},
        {"layer 0\npoint 0 0 0\nface A 0 1", "line 3: face names point 1 of 1"},
        {"layer 70000", "line 1: layer needs a number from 0 to 65535"},
        {"surface S\nsides 4", "line 2: sides is 1, 2 or 3"},
        {"surface S\nimage 1 sideways x", "line 2: unknown projection sideways"},
        {"launch", "line 1: unknown statement launch"},
        {"clip 0 a.bmp", "line 1: clip needs an index from 1 to 32767 and a file"},
        {"layer 0\npoint 0 0 0 0", "line 2: unexpected 0"},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(lwo2Build(text, bytes, error)) << text;
        EXPECT_EQ(error, expected);
    }
}

TEST_F(Lwo2ToolTest, DumpShowsTheTreeOfEveryFixture)
{
    std::vector<uint8_t> wedge;
    std::string error;
    ASSERT_TRUE(lwo2Build(kDescription, wedge, error));
    const std::string dump = lwo2Dump(wedge);
    for (const char* expected :
         {"FORM ", " LWO2 (", "  TAGS 12: 2 tags \"Paint\" \"Metal\"", "  LAYR 22: layer 0 \"body\" pivot (0, 0, 0)",
          "  PNTS 48: 4 points", "  POLS 22: FACE, 2 polygons, 7 corners", "  PTAG 12: SURF, 2 entries",
          "  VMAP 30: TXUV \"UV\", dimension 2, 2 entries", "  CLIP 30: clip 1", "    STIL 20: \"Textures/check.bmp\"",
          "  SURF ", ": surface \"Paint\" source \"\"", "    BLOK ", "      IMAP ", ": ordinal \"\\x80\"",
          "        CHAN 4: COLR", "      TMAP 60", "        CNTR 14", "      PROJ 2: 5", "      VMAP 4: \"UV\""}) {
        EXPECT_NE(dump.find(expected), std::string::npos) << expected << "\n" << dump;
    }
    std::vector<uint8_t> cut = lwo2Cube();
    cut.resize(cut.size() - 5);
    EXPECT_NE(lwo2Dump(cut).find(": truncated, "), std::string::npos) << lwo2Dump(cut);
    EXPECT_EQ(lwo2Dump({1, 2}), "not an IFF file: 2 bytes\n");
    Lwo2Writer w;
    Lwo2Bytes broken;
    broken.s0("S").s0("").subRaw("DIFF", 90, {0, 0});
    w.raw("SURF", broken.data);
    EXPECT_NE(lwo2Dump(w.finish()).find("DIFF 90: runs past its parent by 88 bytes"), std::string::npos);
}

TEST_F(Lwo2ToolTest, OnlyLwo2ObjectsAreDumped)
{
    auto bytes = [](const char* text, size_t size) { return std::vector<uint8_t>(text, text + size); };
    struct Case {
        std::vector<uint8_t> bytes;
        const char* why;
    };
    const Case cases[] = {
        {lwo2Cube(), ""},
        {{1, 2}, "not an LWO2 object: only 2 bytes"},
        {bytes("RIFF\0\0\0\4WAVEfmt ", 16), "not an LWO2 object: it starts with \"RIFF\""},
        {bytes("FORM\0\0\0\4LWOB", 12), "not an LWO2 object: an IFF file of type \"LWOB\""},
        {bytes("<?xml version=\"1.0\"?>", 21), "not an LWO2 object: it starts with \"<?xm\""},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(lwo2LooksLikeObject(c.bytes, why), *c.why == 0) << c.why;
        EXPECT_EQ(why, c.why);
    }
}

} // namespace
