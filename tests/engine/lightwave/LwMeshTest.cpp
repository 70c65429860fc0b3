#include "LwoRig.h"

#include "engine/core/geometry/LwVertex.h"
#include "engine/lightwave/SurfaceStagePlan.h"
#include "engine/scene/Bone.h"
#include "engine/scene/MeshObject.h"

#include <cmath>
#include <cstring>

namespace {

using LwMeshTest = LwoRig;

std::vector<std::array<float, 3>> cubePoints()
{
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({i & 4 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 1 ? 0.5f : -0.5f});
    return points;
}

const std::vector<std::vector<uint32_t>> kCubeFaces{{4, 6, 7, 5}, {0, 1, 3, 2}, {2, 3, 7, 6},
                                                    {0, 4, 5, 1}, {1, 5, 7, 3}, {0, 2, 6, 4}};

// A closed cylinder of `sides` quads around y with two caps, all of one
// surface smoothed up to 89 degrees.
std::vector<uint8_t> cylinder(uint32_t sides)
{
    Lwo2Writer w;
    w.tags({"Side"});
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    for (uint32_t i = 0; i < sides; ++i) {
        const float a = float(2.0 * 3.14159265358979 * i / sides);
        points.push_back({std::cos(a), 0.0f, std::sin(a)});
        points.push_back({std::cos(a), 1.0f, std::sin(a)});
    }
    w.points(points);
    std::vector<std::vector<uint32_t>> polygons;
    std::vector<uint32_t> bottom, top;
    for (uint32_t i = 0; i < sides; ++i) {
        const uint32_t j = (i + 1) % sides;
        polygons.push_back({2 * i, 2 * i + 1, 2 * j + 1, 2 * j});
        bottom.push_back(2 * i);
        top.insert(top.begin(), 2 * i + 1);
    }
    polygons.push_back(bottom);
    polygons.push_back(top);
    w.polygons(polygons);
    w.polygonTags(std::vector<uint16_t>(polygons.size(), 0));
    Lwo2Surface s;
    s.name = "Side";
    s.smoothing = float(89.0 * 3.14159265358979 / 180.0);
    w.surface(s);
    return w.finish();
}

std::vector<uint8_t> cubeWith(const std::vector<uint16_t>& tags, std::vector<Lwo2Surface> surfaces)
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (const Lwo2Surface& s : surfaces)
        names.push_back(s.name);
    w.tags(names);
    w.layer(0);
    w.points(cubePoints());
    w.polygons(kCubeFaces);
    w.polygonTags(tags);
    for (const Lwo2Surface& s : surfaces)
        w.surface(s);
    return w.finish();
}

Lwo2Surface named(const char* name)
{
    Lwo2Surface s;
    s.name = name;
    return s;
}

struct CountCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<int32_t> batchVertices;
    std::vector<int32_t> batchIndices;
};

TEST_F(LwMeshTest, BuildCountsMatchHandCounts)
{
    Lwo2Surface doubleSided = named("Both");
    doubleSided.sides = 3;
    Lwo2Surface front = named("Front");
    front.backSurface = "Back";
    Lwo2Surface smooth = named("Round");
    smooth.smoothing = 1.6f;
    const CountCase cases[] = {
        // Flat faces: four vertices and two triangles a face.
        {"cube", lwo2Cube(), {24}, {36}},
        // The sides share smoothed vertices; the caps meet them at 90 degrees.
        {"cylinder", cylinder(8), {16 + 8 + 8}, {3 * (16 + 6 + 6)}},
        {"two surfaces", cubeWith({0, 0, 0, 1, 1, 1}, {named("A"), named("B")}), {12, 12}, {18, 18}},
        // The reversed triangles reuse the vertices: same point, normal and coordinates.
        {"double-sided", cubeWith({0, 0, 0, 0, 0, 0}, {doubleSided}), {24}, {72}},
        {"back surface", cubeWith({0, 0, 0, 0, 0, 0}, {front}), {24, 24}, {36, 36}},
        // Smoothed past 90 degrees every point becomes one vertex.
        {"smooth cube", cubeWith({0, 0, 0, 0, 0, 0}, {smooth}), {8}, {36}},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.name);
        LwoFile* file = load(std::string(c.name) + ".lwo", c.bytes);
        ASSERT_NE(file, nullptr) << lastError();
        LwMesh* mesh = file->layer(0);
        ASSERT_TRUE(mesh->build(nullptr, true));
        const LwMeshData& d = mesh->m_data;
        ASSERT_EQ(d.batchSurface.size(), c.batchVertices.size());
        for (size_t b = 0; b < c.batchVertices.size(); ++b) {
            EXPECT_EQ(d.batchEndVertex[b] - d.batchFirstVertex[b], c.batchVertices[b]);
            EXPECT_EQ(d.batchEndIndex[b] - d.batchFirstIndex[b], c.batchIndices[b]);
            EXPECT_EQ(int32_t(d.batchIndices[b].size()), c.batchIndices[b]);
            for (uint32_t i : d.batchIndices[b])
                EXPECT_LT(int32_t(i), c.batchVertices[b]);
        }
        // Normals are unit length and point away from the centre.
        for (const LwVertex& v : d.vertices) {
            const double length = std::sqrt(double(v.normal[0]) * v.normal[0] + double(v.normal[1]) * v.normal[1] +
                                            double(v.normal[2]) * v.normal[2]);
            EXPECT_NEAR(length, 1.0, 1e-5);
        }
    }
    LwMesh* cube = manager->findLwoFile("cube.lwo")->layer(0);
    const LwVertex& first = cube->m_data.vertices[0];
    EXPECT_FLOAT_EQ(first.normal[0], 1.0f) << "the +x face faces +x";
    EXPECT_EQ(cube->m_cornerCount, 24);
    LwMesh* both = manager->findLwoFile("back surface.lwo")->layer(0);
    EXPECT_EQ(both->m_data.batchSurface, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(both->surfaceAt(1), surface("back surface.lwo@Back"));
}

TEST_F(LwMeshTest, DegeneratePolygonsAndMissingSurfacesDropOrFallBack)
{
    Lwo2Writer w;
    w.layer(0);
    w.points(cubePoints());
    w.polygons({{0, 1}, {4, 6, 7, 5}, {3}, {0, 1, 3, 2}});
    LwoFile* file = load("loose.lwo", w.finish());
    ASSERT_NE(file, nullptr);
    LwMesh* mesh = file->layer(0);
    ASSERT_TRUE(mesh->build(nullptr, true));
    EXPECT_EQ(mesh->polygonCount(), 2);
    EXPECT_EQ(mesh->m_cornerCount, 8);
    EXPECT_EQ(mesh->m_polygons[1].sourceIndex, 3);
    // No tags: everything goes to the batch of no surface.
    EXPECT_EQ(mesh->m_data.batchSurface, (std::vector<int32_t>{0}));
    EXPECT_EQ(mesh->surfaceAt(0), nullptr);
    EXPECT_EQ(mesh->m_data.indexCount(), 12);
}

TEST_F(LwMeshTest, UvMappedQuadCarriesItsCoordinates)
{
    Lwo2Writer w;
    w.tags({"Tex"});
    w.layer(0);
    w.points({{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}});
    w.vmap("TXUV", 2, "UV", {{0, {0, 1}}, {1, {0, 0}}, {2, {1, 0}}, {3, {1, 1}}});
    w.polygons({{0, 1, 2, 3}});
    w.polygonTags({0});
    w.vmad("TXUV", 2, "UV", {{3, 0, {0.5f, 0.5f}}});
    w.clipStill(1, "check.bmp");
    Lwo2Surface s = named("Tex");
    Lwo2Block block;
    block.image = 1;
    block.vmap = "UV";
    s.blocks.push_back(block);
    w.surface(s);
    files.addFile("check.bmp", {'B', 'M'});
    LwoFile* file = load("quad.lwo", w.finish());
    ASSERT_NE(file, nullptr) << lastError();
    LwMesh* mesh = file->layer(0);
    ASSERT_TRUE(mesh->build(nullptr, true));
    const LwMeshData& d = mesh->m_data;
    ASSERT_EQ(d.vertexCount(), 4);
    const float expected[4][2] = {{0, 1}, {0, 0}, {1, 0}, {0.5f, 0.5f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(d.vertices[size_t(i)].texCoords[0][0], expected[i][0]) << i;
        EXPECT_FLOAT_EQ(d.vertices[size_t(i)].texCoords[0][1], expected[i][1]) << i;
    }
    EXPECT_EQ(mesh->m_surfaceSets[0]->count, 1);
}

TEST_F(LwMeshTest, MorphsMakeTheMeshDeformableAndBlendSafely)
{
    Lwo2Writer w;
    w.tags({"A"});
    w.layer(0);
    w.points(cubePoints());
    w.vmap("MORF", 3, "Up", {{6, {0, 2, 0}}, {7, {0, 2, 0}}});
    w.vmap("MORF", 3, "Out", {{4, {1, 0, 0}}});
    w.polygons(kCubeFaces);
    w.polygonTags({0, 0, 0, 0, 0, 0});
    w.surface(named("A"));
    LwoFile* file = load("morph.lwo", w.finish());
    ASSERT_NE(file, nullptr);
    LwMesh* mesh = file->layer(0);
    EXPECT_EQ(mesh->numMorphmaps(), 2u);
    ASSERT_TRUE(mesh->build(nullptr, false));
    EXPECT_TRUE(mesh->m_deformable);
    ASSERT_EQ(mesh->m_data.vertexCount(), 24) << "a deformable mesh keeps its data";
    ASSERT_EQ(mesh->m_data.deformedVertices.size(), 24u);
    const float none[2] = {0.0f, 0.0f};
    mesh->blendMorphs(none, 2);
    const float up[2] = {1.0f, 0.0f};
    for (const LwVertex& v : mesh->m_data.deformedVertices)
        for (float c : v.position)
            EXPECT_TRUE(std::isfinite(c));
    EXPECT_EQ(std::memcmp(mesh->m_data.deformedVertices[0].position, mesh->m_data.vertices[0].position, 12), 0);
    mesh->blendMorphs(up, 2);
    const LwVertex& v = mesh->m_data.vertices[1]; // point 6 of the +x face
    EXPECT_FLOAT_EQ(v.morphOffsets[0][1], 2.0f);
    EXPECT_FLOAT_EQ(mesh->m_data.deformedVertices[1].position[1], v.position[1] + 2.0f);
}

TEST_F(LwMeshTest, BoneWeightsAreNormalisedAndPaletteIndicesNeverWrap)
{
    files.addFile("bones.lwo", lwo2Cube());
    for (size_t bones : {size_t(2), size_t(300)}) {
        SCOPED_TRACE(bones);
        auto* object = new MeshObject(scene);
        scene->m_objects.push_back(object);
        std::vector<std::unique_ptr<Bone>> owned;
        for (size_t b = 0; b < bones; ++b) {
            owned.push_back(std::make_unique<Bone>(scene));
            // Bone b rests at x = b, so the last bones are the nearest to nothing.
            owned.back()->m_restPosition[0] = float(b) * 10.0f;
            object->m_bones.push_back(owned.back().get());
        }
        std::vector<uint8_t> bytes = lwo2Cube();
        const std::string name = "bones" + std::to_string(bones) + ".lwo";
        LwoFile* file = load(name, bytes);
        LwMesh* mesh = file->layer(0);
        ASSERT_TRUE(mesh->build(object, false));
        EXPECT_EQ(mesh->m_data.bonesPerVertex, std::min<int32_t>(int32_t(bones), 4));
        for (const LwVertex& v : mesh->m_data.vertices) {
            float sum = 0.0f;
            for (int k = 0; k < mesh->m_data.bonesPerVertex; ++k) {
                sum += v.boneWeight[k];
                EXPECT_LT(size_t(v.boneIndex[k]), std::min<size_t>(bones, 256));
            }
            EXPECT_NEAR(sum, 1.0f, 1e-5f);
        }
        object->m_bones.clear();
    }
}

TEST_F(LwMeshTest, CollisionTrianglesComeFromThePolygonsBeforeAndAfterTheBuild)
{
    LwoFile* file = load("hit.lwo", lwo2Cube());
    LwMesh* mesh = file->layer(0);
    std::vector<float> positions{9, 9, 9};
    std::vector<uint32_t> indices;
    ASSERT_TRUE(mesh->copyTriangles(positions, indices));
    EXPECT_EQ(positions.size(), 3u + 24u);
    EXPECT_EQ(indices.size(), 36u);
    for (uint32_t i : indices) {
        EXPECT_GE(i, 1u);
        EXPECT_LT(i, 9u);
    }
    ASSERT_TRUE(mesh->build(nullptr, false));
    EXPECT_EQ(mesh->m_data.vertexCount(), 0) << "a static mesh drops its build data";
    std::vector<float> again;
    std::vector<uint32_t> againIndices;
    ASSERT_TRUE(mesh->copyTriangles(again, againIndices));
    EXPECT_EQ(again.size(), 24u);
    EXPECT_EQ(againIndices.size(), 36u);
    std::vector<float> none;
    std::vector<uint32_t> noIndices;
    Lwo2Writer w;
    w.layer(0);
    w.points(cubePoints());
    EXPECT_FALSE(load("empty.lwo", w.finish())->layer(0)->copyTriangles(none, noIndices));
}

} // namespace
