#include "LwoRig.h"

#include "engine/core/base/EngineLog.h"
#include "engine/lightwave/LwoReader.h"
#include "engine/scene/MeshObject.h"

#include <cmath>
#include <sstream>

namespace {

using LwoFileTest = LwoRig;

TEST_F(LwoFileTest, CubeLoadsWithItsLayerSurfaceAndName)
{
    LwoFile* file = load("Objects/cube.lwo", lwo2Cube());
    ASSERT_NE(file, nullptr) << lastError();
    ASSERT_EQ(file->m_layers.size(), 1u);
    LwMesh* mesh = file->layer(0);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->pointCount(), 8);
    EXPECT_EQ(mesh->polygonCount(), 6);
    EXPECT_EQ(mesh->m_name, "Objects/cube.lwo:1");
    EXPECT_EQ(mesh->m_layer, 0);
    EXPECT_EQ(mesh->m_polygons[0].points, (std::vector<uint32_t>{4, 6, 7, 5}));
    ASSERT_EQ(file->m_tagCount, 1);
    Surface* s = surface("Objects/cube.lwo@Default");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(file->tagSurface(0), s);
    EXPECT_EQ(s->m_loaded, 1);
    mesh->points();
    EXPECT_FLOAT_EQ(mesh->m_radius, float(std::sqrt(0.75)));
    EXPECT_EQ(lastError(), "");
}

TEST_F(LwoFileTest, LayersWithGapsNamesParentsAndPolygonKinds)
{
    Lwo2Writer w;
    w.tags({"Default"});
    w.layer(0);
    w.points(gridPoints(4));
    w.polygons({{0, 1, 2}, {0, 1}, {3}});
    w.layer(2, "body", {1, 2, 3}, 0);
    w.points(gridPoints(4));
    w.polygons({{0, 1, 2, 3}}, "PTCH");
    w.raw("XTRA", {1, 2, 3, 4});
    LwoFile* file = load("gaps.lwo", w.finish());
    ASSERT_NE(file, nullptr) << lastError();
    ASSERT_EQ(file->m_layers.size(), 3u);
    EXPECT_EQ(file->layer(1), nullptr);
    ASSERT_NE(file->layer(0), nullptr);
    ASSERT_NE(file->layer(2), nullptr);
    EXPECT_EQ(file->layer(0)->m_name, "gaps.lwo:1");
    EXPECT_EQ(file->layer(2)->m_name, "gaps.lwo:3 body");
    EXPECT_EQ(file->layer(2)->m_pivot, Vector3(1, 2, 3));
    EXPECT_EQ(file->layer(0)->polygonCount(), 3);
    // Patches are counted, not kept.
    EXPECT_EQ(file->layer(2)->polygonCount(), 0);

    EXPECT_EQ(scene->getLwoLayer(1, &files, "gaps.lwo"), nullptr);
    EXPECT_EQ(lastError(), "1 is not a valid layer number for gaps.lwo!\n");
    EXPECT_EQ(scene->getLwoLayer(-1, &files, "gaps.lwo"), nullptr);
    EXPECT_EQ(scene->getLwoLayer(3, &files, "gaps.lwo"), nullptr);
    EXPECT_EQ(scene->getLwoLayer(2, &files, "gaps.lwo"), file->layer(2));
}

TEST_F(LwoFileTest, FourByteIndicesPastFF00Points)
{
    const size_t count = 0xFF10;
    Lwo2Writer w;
    w.tags({"A", "B"});
    w.layer(0);
    w.points(gridPoints(count));
    w.polygons({{0, 0xFF05, 0xFF0F}, {0xFEFF, 0xFF00, 1}});
    w.polygonTags({1, 0});
    LwoFile* file = load("big.lwo", w.finish());
    ASSERT_NE(file, nullptr) << lastError();
    LwMesh* mesh = file->layer(0);
    EXPECT_EQ(mesh->pointCount(), int32_t(count));
    EXPECT_EQ(mesh->m_polygons[0].points, (std::vector<uint32_t>{0, 0xFF05, 0xFF0F}));
    EXPECT_EQ(mesh->m_polygons[1].points, (std::vector<uint32_t>{0xFEFF, 0xFF00, 1}));
    EXPECT_EQ(mesh->m_polygons[0].surface, 1);
    EXPECT_EQ(mesh->m_polygons[1].surface, 0);
}

TEST_F(LwoFileTest, VxReadsTwoOrFourBytes)
{
    const std::vector<uint8_t> bytes{0xFF, 0x01, 0x23, 0x45, 0x12, 0x34};
    LwoReader r(bytes.data(), bytes.size());
    uint32_t width = 0;
    EXPECT_EQ(r.vx(&width), 0x12345u);
    EXPECT_EQ(width, 4u);
    EXPECT_EQ(r.vx(&width), 0x1234u);
    EXPECT_EQ(width, 2u);
    EXPECT_FALSE(r.isShort());
    EXPECT_EQ(r.vx(), 0u);
    EXPECT_TRUE(r.isShort());
}

TEST_F(LwoFileTest, SharedFileNameSharesSurfacesOtherFilesGetTheirOwn)
{
    LwoFile* a = load("a.lwo", lwo2Cube("Paint"));
    LwoFile* again = scene->findOrLoadLwo(&files, "a.lwo");
    LwoFile* b = load("b.lwo", lwo2Cube("Paint"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(again, a);
    EXPECT_EQ(manager->m_lwoFiles.size(), 2u);
    EXPECT_NE(a->tagSurface(0), b->tagSurface(0));
    EXPECT_EQ(a->tagSurface(0), surface("a.lwo@Paint"));
    EXPECT_EQ(b->tagSurface(0), surface("b.lwo@Paint"));
    // A second scene asks the same manager and gets the same file.
    Scene* other = manager->loadScene("other");
    EXPECT_EQ(other->findOrLoadLwo(&files, "a.lwo"), a);
}

TEST_F(LwoFileTest, FormTagIsNotCheckedButTheFormTypeIs)
{
    std::vector<uint8_t> bytes = lwo2Cube();
    bytes[0] = 'X';
    EXPECT_NE(load("x.lwo", bytes), nullptr) << lastError();
    bytes[8] = 'L';
    bytes[11] = '3';
    EXPECT_EQ(load("y.lwo", bytes), nullptr);
    EXPECT_EQ(lastError(), "y.lwo is not an LWO2 file!\n");
    EXPECT_EQ(scene->findOrLoadLwo(&files, "missing.lwo"), nullptr);
    EXPECT_EQ(lastError(), "missing.lwo cannot be found!\n");
    // Asked for a layer, a file that cannot be found says so, not that the
    // layer number is wrong.
    EXPECT_EQ(scene->getLwoLayer(0, &files, "missing.lwo"), nullptr);
    EXPECT_EQ(lastError(), "missing.lwo cannot be found!\n");
}

TEST_F(LwoFileTest, OddChunksArePaddedAndUnknownChunksSkipped)
{
    std::vector<uint8_t> bytes;
    {
        Lwo2Writer x;
        x.raw("ODD1", {1, 2, 3, 0}, 3);
        x.tags({"Default"});
        x.raw("ZZZZ", {});
        x.layer(0);
        x.points(gridPoints(3));
        x.polygons({{0, 1, 2}});
        bytes = x.finish();
    }
    LwoFile* file = load("odd.lwo", bytes);
    ASSERT_NE(file, nullptr) << lastError();
    ASSERT_NE(file->layer(0), nullptr);
    EXPECT_EQ(file->layer(0)->polygonCount(), 1);
    EXPECT_EQ(file->m_tagCount, 1);
}

// Files that are broken in one place each: the load either fails with a
// report and caches nothing, or loads what is sound and drops the rest.
struct BrokenCase {
    const char* name;
    std::vector<uint8_t> (*make)();
    bool loads;
    const char* report; // the start of the recorded report, "" for none
};

std::vector<uint8_t> truncatedCube()
{
    std::vector<uint8_t> bytes = lwo2Cube();
    bytes.resize(bytes.size() - 7);
    return bytes;
}

std::vector<uint8_t> halfHeader()
{
    std::vector<uint8_t> bytes = lwo2Cube();
    bytes.insert(bytes.end(), {'T', 'A', 'G'});
    return bytes;
}

std::vector<uint8_t> shortLayer()
{
    Lwo2Writer w;
    w.raw("LAYR", {0, 0});
    w.raw("PNTS", std::vector<uint8_t>(12, 0));
    return w.finish();
}

std::vector<uint8_t> geometryBeforeLayer()
{
    Lwo2Writer w;
    w.points(gridPoints(3));
    w.polygons({{0, 1, 2}});
    w.layer(0);
    return w.finish();
}

std::vector<uint8_t> tagsBeforeTagTable()
{
    Lwo2Writer w;
    w.layer(0);
    w.points(gridPoints(3));
    w.polygons({{0, 1, 2}});
    w.polygonTags({7});
    w.tags({"Late"});
    return w.finish();
}

std::vector<uint8_t> pointsOutOfRange()
{
    Lwo2Writer w;
    w.layer(0);
    w.points(gridPoints(3));
    w.polygons({{0, 1, 3}, {0, 1, 2}});
    return w.finish();
}

std::vector<uint8_t> unterminatedTag()
{
    Lwo2Writer w;
    w.raw("TAGS", std::vector<uint8_t>(2000, 'a'));
    return w.finish();
}

std::vector<uint8_t> surfaceBeforeTags()
{
    Lwo2Writer w;
    w.layer(0);
    Lwo2Surface s;
    w.surface(s);
    w.tags({"Default"});
    return w.finish();
}

std::vector<uint8_t> subChunkPastItsChunk()
{
    Lwo2Writer w;
    w.tags({"Default"});
    Lwo2Bytes b;
    b.s0("Default").s0("").subRaw("DIFF", 400, {0, 0, 0, 0, 0, 0});
    w.raw("SURF", b.data);
    return w.finish();
}

std::vector<uint8_t> polygonPastItsChunk()
{
    Lwo2Writer w;
    w.layer(0);
    w.points(gridPoints(3));
    Lwo2Bytes b;
    b.id4("FACE").u2(3).u2(0).u2(1);
    w.raw("POLS", b.data);
    return w.finish();
}

std::vector<uint8_t> hugeChunk()
{
    Lwo2Writer w;
    w.layer(0);
    w.raw("PNTS", std::vector<uint8_t>(24, 0), 0x7FFFFFF0);
    return w.finish();
}

const BrokenCase kBroken[] = {
    {"truncated", truncatedCube, false, "truncated.lwo is truncated"},
    {"bytes after the form", halfHeader, true, "bytes after the form.lwo: its FORM holds"},
    {"huge chunk", hugeChunk, false, "huge chunk.lwo is truncated"},
    {"short layer", shortLayer, false, "short layer.lwo is damaged"},
    {"geometry before layer", geometryBeforeLayer, true, "loadLWO2: missing LAYR chunk!"},
    {"tags before tag table", tagsBeforeTagTable, true,
     "tags before tag table.lwo: polygons naming surface tags the file lacks, drawn without a surface: 1!\n"},
    {"points out of range", pointsOutOfRange, true,
     "points out of range.lwo: polygons naming points their layer lacks, left out: 1!\n"},
    {"unterminated tag", unterminatedTag, false, "unterminated tag.lwo is damaged"},
    {"surface before tags", surfaceBeforeTags, false, "surface surface before tags.lwo@Default not found"},
    {"sub-chunk past its chunk", subChunkPastItsChunk, false, "sub-chunk past its chunk.lwo is damaged"},
    {"polygon past its chunk", polygonPastItsChunk, false, "polygon past its chunk.lwo is damaged"},
};

TEST_F(LwoFileTest, BrokenFilesFailCleanlyOrLoadWhatIsSound)
{
    for (const BrokenCase& c : kBroken) {
        SCOPED_TRACE(c.name);
        lastErrorText.assignCString("");
        const std::string name = std::string(c.name) + ".lwo";
        LwoFile* file = load(name, c.make());
        EXPECT_EQ(file != nullptr, c.loads);
        EXPECT_EQ(lastError().rfind(c.report, 0), 0u) << lastError();
        EXPECT_EQ(manager->findLwoFile(name), file);
    }
    LwoFile* file = manager->findLwoFile("points out of range.lwo");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->layer(0)->m_polygons[0].points.empty());
    EXPECT_EQ(file->layer(0)->m_polygons[1].points.size(), 3u);
    file = manager->findLwoFile("tags before tag table.lwo");
    ASSERT_NE(file, nullptr);
    // Tag 7 of a table of one is no tag: the polygon draws without a surface.
    EXPECT_EQ(file->layer(0)->m_polygons[0].surface, -1);
}

// The FORM's size bounds the walk when it ends before the file; a FORM
// claiming more than the file holds is walked to the file's end. Both are
// reported, and what lies within both loads.
TEST_F(LwoFileTest, TheFormSizeIsCheckedAgainstTheFile)
{
    const std::vector<uint8_t> cube = lwo2Cube();
    auto withFormSize = [&](int64_t delta) {
        std::vector<uint8_t> bytes = cube;
        const uint32_t size = uint32_t(int64_t(cube.size()) - 8 + delta);
        for (int i = 0; i < 4; ++i)
            bytes[size_t(4 + i)] = uint8_t(size >> (24 - 8 * i));
        return bytes;
    };
    std::ostringstream log;
    setEngineLogSink(&log);
    LwoFile* longer = load("longer.lwo", withFormSize(16));
    ASSERT_NE(longer, nullptr) << lastError();
    EXPECT_NE(longer->layer(0), nullptr);
    const std::string size = std::to_string(cube.size() - 8);
    EXPECT_EQ(lastError(), "longer.lwo: its FORM holds " + std::to_string(cube.size() + 8) + " bytes, the file " +
                               size + " after the FORM header!\n");

    // Cut short: the walk ends at the FORM's end, which falls inside the
    // last chunk.
    EXPECT_EQ(load("shorter.lwo", withFormSize(-4)), nullptr);
    EXPECT_EQ(lastError().rfind("shorter.lwo is truncated", 0), 0u) << lastError();
    EXPECT_NE(log.str().find("shorter.lwo: its FORM holds " + std::to_string(cube.size() - 12)), std::string::npos)
        << log.str();

    lastErrorText.assignCString("");
    ASSERT_NE(load("exact.lwo", cube), nullptr);
    EXPECT_EQ(lastError(), "");
    setEngineLogSink(nullptr);
}

// Damaged content goes and the rest loads; each kind of damage is reported
// once, with how much of it there was.
TEST_F(LwoFileTest, DamagedContentIsLeftOutWithOneReportPerKind)
{
    Lwo2Writer w;
    w.tags({"S"});
    w.layer(0);
    w.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    w.polygons({{0, 1, 2}, {0, 1, 9}, {0, 2, 1}});
    // Polygon 1 names tag 3 and polygon 2 tag 7 of one; polygons 3 and 4
    // do not exist.
    w.polygonTags({0, 3, 7, 0, 0});
    w.vmap("TXUV", 2, "UV", {{0, {0, 0}}, {7, {1, 1}}, {8, {1, 1}}, {2, {1, 0}}});
    w.vmap("TXUV", 3, "Wide", {{0, {0, 0, 0}}});
    w.vmap("WGHT", 2, "Pair", {{0, {1, 1}}});
    w.vmad("TXUV", 2, "UV", {{0, 5, {0.5f, 0.5f}}, {9, 0, {0.5f, 0.5f}}, {1, 0, {0.25f, 0.25f}}});
    w.vmad("TXUV", 2, "Nowhere", {{0, 0, {1, 1}}});
    std::ostringstream log;
    setEngineLogSink(&log);
    LwoFile* file = load("damaged.lwo", w.finish());
    setEngineLogSink(nullptr);
    ASSERT_NE(file, nullptr) << lastError();
    EXPECT_EQ(log.str(), "damaged.lwo: polygons naming points their layer lacks, left out: 1!\n"
                         "damaged.lwo: polygon tags naming polygons their layer lacks, left out: 2!\n"
                         "damaged.lwo: polygons naming surface tags the file lacks, drawn without a surface: 2!\n"
                         "damaged.lwo: vertex maps of a dimension their type cannot have, left out: 2!\n"
                         "damaged.lwo: vertex map entries naming points their layer lacks, left out: 3!\n"
                         "damaged.lwo: vertex map entries naming polygons their layer lacks, left out: 1!\n"
                         "damaged.lwo: polygon vertex maps naming maps their layer lacks, left out: 1!\n");
    EXPECT_EQ(lastError(), "damaged.lwo: polygon vertex maps naming maps their layer lacks, left out: 1!\n");

    // What was sound is there.
    const LwMesh* mesh = file->layer(0);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->m_polygons[0].surface, 0);
    EXPECT_EQ(mesh->m_polygons[0].points.size(), 3u);
    EXPECT_TRUE(mesh->m_polygons[1].points.empty());
    EXPECT_EQ(mesh->m_polygons[1].surface, -1);
    EXPECT_EQ(mesh->m_polygons[2].surface, -1);
    EXPECT_EQ(mesh->m_polygons[2].points.size(), 3u);
    EXPECT_EQ(file->tagSurface(0), surface("damaged.lwo@S"));
}

TEST_F(LwoFileTest, ObjectLayerBecomesAMeshObject)
{
    files.addFile("Objects/cube.lwo", lwo2Cube());
    MeshObject* object = scene->loadObjectLayer(&files, "Objects/cube.lwo", 0, scene->m_root);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->m_name, "Objects/cube.lwo");
    EXPECT_EQ(object->m_parent, scene->m_root);
    EXPECT_EQ(object->firstLodMesh(), manager->findLwoFile("Objects/cube.lwo")->layer(0));
    EXPECT_EQ(object->meshId(), 0);
    EXPECT_TRUE(manager->findLwoFile("Objects/cube.lwo")->m_prepared);
    EXPECT_EQ(scene->loadObjectLayer(&files, "Objects/cube.lwo", 4, nullptr), nullptr);
    EXPECT_EQ(lastError(), "4 is not a valid layer number for Objects/cube.lwo!\n");
}

} // namespace
