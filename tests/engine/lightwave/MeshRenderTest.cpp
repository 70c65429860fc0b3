// A mesh object's draw on the recording backend: morphing, the thinned
// skinning schedule and its uploads, transparency, shadow-map frames and the
// stencil-masked mirror, each draw logged by the pass it went through.
#include "engine/core/geometry/LwVertex.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderPass.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/lightwave/Surface.h"
#include "engine/scene/Bone.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/ShadowPass.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct Reflected {
    float plane[4];
    Matrix4 view;
    Matrix4 projection;
};

// Draws nothing of its own: writes the pass name, the surface and the
// device states the mesh is responsible for into the log.
class LoggingPass : public ShaderPass {
public:
    LoggingPass(Renderer* renderer, std::string name, Lines* log)
        : ShaderPass(renderer), m_passName(std::move(name)), m_log(log)
    {
    }
    bool activate() override { return false; }
    void applyMaterialStates(Material* material, double) override
    {
        const auto* surface = static_cast<const Surface*>(material);
        IDirect3DDevice9* d = m_renderer->m_device;
        auto rs = [d](D3DRENDERSTATETYPE s) {
            DWORD v = 0;
            d->GetRenderState(s, &v);
            return std::to_string(v);
        };
        D3DVIEWPORT9 viewport{};
        d->GetViewport(&viewport);
        // Surfaces are named "file@surface".
        const std::string surfaceName = surface ? surface->m_name.substr(surface->m_name.find('@') + 1) : "-";
        std::string line = m_passName + " " + surfaceName;
        if (m_withStates)
            line += " stencil " + rs(D3DRS_STENCILENABLE) + " func " + rs(D3DRS_STENCILFUNC) + " ref "
                    + rs(D3DRS_STENCILREF) + " op " + rs(D3DRS_STENCILPASS) + " colour "
                    + rs(D3DRS_COLORWRITEENABLE) + " zfunc " + rs(D3DRS_ZFUNC) + " cull "
                    + std::to_string(m_renderer->m_cullMode) + " clip " + rs(D3DRS_CLIPPLANEENABLE)
                    + (viewport.MinZ == 1.0f ? " far" : "")
                    + (d->state().transform(D3DTS_VIEW)._22 < 0.0f ? " mirrored" : "");
        m_log->push_back(line);
        // What a draw inside a reflection was given to clip with.
        const FixedFunctionState& state = d->state();
        if (m_reflected && state.renderState(D3DRS_CLIPPLANEENABLE)) {
            Reflected r;
            std::memcpy(r.plane, state.clipPlane(0), sizeof r.plane);
            std::memcpy(r.view.m, &state.transform(D3DTS_VIEW), sizeof r.view.m);
            std::memcpy(r.projection.m, &state.transform(D3DTS_PROJECTION), sizeof r.projection.m);
            m_reflected->push_back(r);
        }
    }

    std::string m_passName;
    Lines* m_log;
    bool m_withStates = false;
    std::vector<Reflected>* m_reflected = nullptr;
};

std::vector<std::array<float, 3>> cubePoints(float half = 0.5f)
{
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({i & 4 ? half : -half, i & 2 ? half : -half, i & 1 ? half : -half});
    return points;
}

const std::vector<std::vector<uint32_t>> kCubeFaces{{4, 6, 7, 5}, {0, 1, 3, 2}, {2, 3, 7, 6},
                                                    {0, 4, 5, 1}, {1, 5, 7, 3}, {0, 2, 6, 4}};

Lwo2Surface named(const std::string& name)
{
    Lwo2Surface s;
    s.name = name;
    return s;
}

class MeshRenderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start(64, 64, fixedFunction()));
        m_manager = std::make_unique<SceneManager>(m_rig.renderer.get(), "mesh");
        m_scene = m_manager->loadScene("mesh");
        m_camera = m_scene->addCamera(true); // at the origin, looking along +Z
        Renderer& r = *m_rig.renderer;
        auto main = std::make_unique<LoggingPass>(&r, "main", &m_log);
        auto shadow = std::make_unique<LoggingPass>(&r, "shadow", &m_log);
        auto reset = std::make_unique<LoggingPass>(&r, "reset", &m_log);
        m_passes = {main.get(), shadow.get(), reset.get()};
        main->m_reflected = &m_reflected;
        r.m_mainPass = std::move(main);
        r.m_secondPass = std::move(shadow);
        r.m_opaquePass = std::move(reset);
    }
    void TearDown() override
    {
        m_manager.reset();
        EXPECT_EQ(LwMesh::renderDepthCounter(), 0);
    }
    virtual bool fixedFunction() const { return true; }

    void logStates(bool on)
    {
        for (LoggingPass* pass : m_passes)
            pass->m_withStates = on;
    }

    // Loads the object file and hangs its layer under a new object at z,
    // built for that object (with whatever bones it has by then).
    MeshObject* place(const std::string& name, const std::vector<uint8_t>& bytes, float z,
                      std::vector<Bone*> bones = {})
    {
        m_files.addFile(name, bytes);
        LwoFile* file = m_scene->findOrLoadLwo(&m_files, name);
        EXPECT_NE(file, nullptr) << lastErrorText.c_str();
        if (!file)
            return nullptr;
        LwMesh* mesh = file->layer(0);
        MeshObject* object = m_scene->addNullObject(name, m_scene->m_root);
        object->m_bones = std::move(bones);
        object->addLod(mesh, 0.0f);
        object->m_motion[PositionZ].m_value = z;
        EXPECT_TRUE(mesh->build(object, false));
        return object;
    }

    static LwMesh* meshOf(MeshObject* object) { return static_cast<LwMesh*>(object->firstLodMesh()); }

    RecordingBackend& recording() { return static_cast<RecordingBackend&>(m_rig.device()->backend()); }

    // One frame from the camera; returns how many vertex uploads it made.
    long frame(double time = 0.0)
    {
        recording().clearCalls();
        m_log.clear();
        m_reflected.clear();
        m_scene->render(time, m_camera);
        const auto& calls = recording().calls();
        return std::count_if(calls.begin(), calls.end(),
                             [](const std::string& c) { return c.rfind("uploadBuffer", 0) == 0; });
    }

    Bone* addBone()
    {
        m_bones.push_back(std::make_unique<Bone>(m_scene));
        return m_bones.back().get();
    }

    DWORD state(D3DRENDERSTATETYPE which)
    {
        DWORD value = 0;
        m_rig.device()->GetRenderState(which, &value);
        return value;
    }

    RecordingWorld m_world;
    ScopedWorkingDirectory m_folder{"meshrender"};
    RendererRig m_rig;
    MemoryFileSystem m_files;
    std::vector<std::unique_ptr<Bone>> m_bones;
    std::unique_ptr<SceneManager> m_manager;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    Lines m_log;
    std::vector<Reflected> m_reflected;
    std::vector<LoggingPass*> m_passes;
};

} // namespace

TEST_F(MeshRenderTest, SkinningIsThinnedByDistanceAndForcedAfterAReset)
{
    struct Case {
        float distance;
        std::vector<long> uploads; // per frame
    };
    // Near: every frame. Middle: every other frame, starting with the
    // forced first one. Far: only the forced first frame.
    const Case cases[] = {{5.0f, {1, 1, 1, 1}}, {20.0f, {1, 0, 1, 0}}, {40.0f, {1, 0, 0, 0}}};
    MeshObject* previous = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.distance);
        if (previous)
            previous->m_hidden = 1;
        const std::string name = "skin" + std::to_string(int(c.distance)) + ".lwo";
        MeshObject* object = place(name, lwo2Cube(), c.distance, {addBone()});
        ASSERT_NE(object, nullptr);
        ASSERT_TRUE(meshOf(object)->m_deformable);
        std::vector<long> uploads;
        for (size_t f = 0; f < c.uploads.size(); ++f)
            uploads.push_back(frame(double(f)));
        EXPECT_EQ(uploads, c.uploads);
        previous = object;
    }
    // After a device reset the far mesh skins and uploads once more.
    m_manager->onLostDevice();
    m_manager->onResetDevice();
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(frame(), 0);
}

TEST_F(MeshRenderTest, BonesMoveWeightedVerticesAndLeaveUnweightedOnesAtRest)
{
    // The bone holds the +x half of the cube through its weight map; the
    // other half has no weight at all.
    Lwo2Writer w;
    w.tags({"Skin"});
    w.layer(0);
    w.points(cubePoints());
    w.vmap("WGHT", 1, "Arm", {{4, {1.0f}}, {5, {1.0f}}, {6, {1.0f}}, {7, {1.0f}}});
    w.polygons(kCubeFaces);
    w.polygonTags({0, 0, 0, 0, 0, 0});
    w.surface(named("Skin"));
    Bone* bone = addBone();
    bone->m_weightMapName = "Arm";
    bone->m_motion[PositionX].m_value = 3.0f; // rests at the origin, posed 3 along x
    MeshObject* object = place("arm.lwo", w.finish(), 5.0f, {bone});
    ASSERT_NE(object, nullptr);
    LwMesh* mesh = meshOf(object);
    EXPECT_EQ(frame(), 1);
    const LwMeshData& d = mesh->m_data;
    ASSERT_EQ(d.deformedVertices.size(), d.vertices.size());
    for (size_t i = 0; i < d.vertices.size(); ++i) {
        const LwVertex& rest = d.vertices[i];
        const LwVertex& posed = d.deformedVertices[i];
        const float shift = rest.position[0] > 0.0f ? 3.0f : 0.0f;
        EXPECT_FLOAT_EQ(posed.position[0], rest.position[0] + shift) << i;
        EXPECT_FLOAT_EQ(posed.position[1], rest.position[1]) << i;
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(posed.normal[k], rest.normal[k]) << i;
    }

    // A quarter turn about y turns positions and normals alike; a palette
    // index beyond the palette counts as no weight.
    Matrix4 turn = Matrix4::identity();
    turn.at(0, 0) = 0.0f;
    turn.at(0, 2) = -1.0f;
    turn.at(2, 0) = 1.0f;
    turn.at(2, 2) = 0.0f;
    mesh->skinVertices(&turn, 1);
    for (size_t i = 0; i < d.vertices.size(); ++i) {
        const LwVertex& rest = d.vertices[i];
        const LwVertex& posed = d.deformedVertices[i];
        if (rest.boneWeight[0] == 0.0f) {
            EXPECT_EQ(std::memcmp(posed.position, rest.position, sizeof rest.position), 0) << i;
            continue;
        }
        EXPECT_FLOAT_EQ(posed.position[0], rest.position[2]) << i;
        EXPECT_FLOAT_EQ(posed.position[2], -rest.position[0]) << i;
        EXPECT_FLOAT_EQ(posed.normal[0], rest.normal[2]) << i;
        EXPECT_FLOAT_EQ(posed.normal[2], -rest.normal[0]) << i;
    }
    mesh->skinVertices(&turn, 0);
    for (size_t i = 0; i < d.vertices.size(); ++i)
        EXPECT_EQ(std::memcmp(d.deformedVertices[i].position, d.vertices[i].position, 12), 0) << i;
}

TEST_F(MeshRenderTest, MorphWeightsBlendEveryFrameAndAllZeroKeepsTheBase)
{
    Lwo2Writer w;
    w.tags({"Face"});
    w.layer(0);
    w.points(cubePoints());
    w.vmap("MORF", 3, "Up", {{6, {0, 2, 0}}, {7, {0, 2, 0}}});
    w.vmap("MORF", 3, "Out", {{6, {1, 0, 0}}});
    w.polygons(kCubeFaces);
    w.polygonTags({0, 0, 0, 0, 0, 0});
    w.surface(named("Face"));
    // Far enough that a skinned mesh would not update: a morphed one does.
    MeshObject* object = place("morph.lwo", w.finish(), 40.0f);
    ASSERT_NE(object, nullptr);
    for (const char* name : {"Up", "Out"}) {
        object->m_namedValues.push_back(std::make_unique<AnimatedValue>());
        object->m_namedValues.back()->m_name = name;
    }
    LwMesh* mesh = meshOf(object);
    const LwMeshData& d = mesh->m_data;
    // The vertex of point 6 on the +x face, and one of point 0.
    size_t moved = d.vertices.size(), still = d.vertices.size();
    for (size_t i = 0; i < d.vertices.size(); ++i) {
        const float* p = d.vertices[i].position;
        if (p[0] > 0 && p[1] > 0 && p[2] < 0 && d.vertices[i].normal[0] > 0.5f)
            moved = i;
        if (p[0] < 0 && p[1] < 0 && p[2] < 0)
            still = i;
    }
    ASSERT_LT(moved, d.vertices.size());
    ASSERT_LT(still, d.vertices.size());
    struct Case {
        float up, out;
        float dx, dy; // offset of point 6
    };
    // The offsets are weighted and divided by the weights' sum; no weight
    // at all leaves the base shape.
    const Case cases[] = {{0, 0, 0, 0}, {1, 0, 0, 2}, {0, 1, 1, 0}, {0.5f, 0.5f, 0.5f, 1}, {2, 0, 0, 2}, {0, 0, 0, 0}};
    double time = 0.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.up) + " " + std::to_string(c.out));
        object->m_namedValues[0]->m_value = c.up;
        object->m_namedValues[1]->m_value = c.out;
        EXPECT_EQ(frame(time += 1.0), 1) << "a morphed mesh uploads every frame";
        const float* base = d.vertices[moved].position;
        const float* out = d.deformedVertices[moved].position;
        EXPECT_FLOAT_EQ(out[0], base[0] + c.dx);
        EXPECT_FLOAT_EQ(out[1], base[1] + c.dy);
        EXPECT_FLOAT_EQ(out[2], base[2]);
        EXPECT_EQ(std::memcmp(d.deformedVertices[still].position, d.vertices[still].position, 12), 0);
    }

    // An animated weight is evaluated at the frame's time and kept.
    auto envelope = std::make_unique<Envelope>();
    envelope->addKeyLinear(0.0f, 0.0f);
    envelope->addKeyLinear(10.0f, 1.0f);
    object->m_namedValues[0]->m_envelope = std::move(envelope);
    object->m_namedValues[1]->m_value = 0.0f;
    frame(5.0);
    EXPECT_FLOAT_EQ(object->m_namedValues[0]->m_value, 0.5f);
    EXPECT_FLOAT_EQ(d.deformedVertices[moved].position[1], d.vertices[moved].position[1] + 2.0f);
}

TEST_F(MeshRenderTest, TransparencyDecidesWhatIsDrawn)
{
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    m_files.addFile("mask.bmp", writeBmp(layout, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
    Lwo2Writer w;
    w.tags({"Solid", "Glass", "Gone", "Masked"});
    w.layer(0);
    w.points(cubePoints());
    w.polygons(kCubeFaces);
    w.polygonTags({0, 0, 1, 1, 2, 3});
    w.clipStill(1, "mask.bmp");
    Lwo2Surface solid = named("Solid");
    Lwo2Surface glass = named("Glass");
    glass.values = {{"TRAN", 0.5f}};
    Lwo2Surface gone = named("Gone");
    gone.values = {{"TRAN", 1.0f}};
    Lwo2Surface masked = named("Masked");
    masked.values = {{"TRAN", 1.0f}};
    Lwo2Block mask;
    mask.channel = "TRAN";
    mask.image = 1;
    masked.blocks.push_back(mask);
    for (const Lwo2Surface& s : {solid, glass, gone, masked})
        w.surface(s);
    MeshObject* object = place("glass.lwo", w.finish(), 5.0f);
    ASSERT_NE(object, nullptr);
    frame();
    // Transparency 1.0 hides a surface unless an image says where.
    EXPECT_EQ(m_log, (Lines{"main Solid", "main Glass", "main Masked"}));

    // Without an owner the same rules hold.
    m_log.clear();
    meshOf(object)->render();
    EXPECT_EQ(m_log, (Lines{"main Solid", "main Glass", "main Masked"}));
}

TEST_F(MeshRenderTest, ShadowMapFramesDrawOnlyCastersWithTheShadowPass)
{
    MeshObject* object = place("caster.lwo", lwo2Cube("Body"), 5.0f);
    ASSERT_NE(object, nullptr);
    struct Case {
        bool shadowFrame;
        int32_t options;
        Lines drawn;
    };
    const Case cases[] = {
        {true, 7, {"shadow Body"}},
        {true, 5, {}}, // receives but does not cast
        {false, 5, {"main Body"}},
        {false, 0, {"main Body"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shadowFrame) + " " + std::to_string(c.options));
        object->m_shadowOptions = c.options;
        if (c.shadowFrame) {
            ShadowPass::Scope shadow;
            frame();
        } else {
            frame();
        }
        EXPECT_EQ(m_log, c.drawn);
    }
    EXPECT_FALSE(ShadowPass::active());
    // A mesh drawn for no object never goes into a shadow map.
    ShadowPass::Scope shadow;
    m_log.clear();
    meshOf(object)->render();
    EXPECT_TRUE(m_log.empty());
}

namespace {

// A floor quad 8 wide from z 2 to z 20 in the object's y = 0 plane, facing
// up; its first three points give the mirror plane's normal.
std::vector<uint8_t> mirrorFloor(float reflection = 1.0f)
{
    Lwo2Writer w;
    w.tags({"Mirror"});
    w.layer(0);
    w.points({{-4, 0, 2}, {-4, 0, 20}, {4, 0, 20}, {4, 0, 2}});
    w.polygons({{0, 1, 2, 3}});
    w.polygonTags({0});
    Lwo2Surface s = named("Mirror");
    s.color = {0, 0, 0};
    s.values = {{"REFL", reflection}};
    s.reflectionMode = 0;
    w.surface(s);
    return w.finish();
}

} // namespace

TEST_F(MeshRenderTest, MirrorDrawsItsReflectionInsideTheStencilMaskAndPutsEverythingBack)
{
    MeshObject* floor = place("floor.lwo", mirrorFloor(), 0.0f);
    ASSERT_NE(floor, nullptr);
    floor->m_motion[PositionY].m_value = -1.0f;
    place("box.lwo", lwo2Cube("Box"), 10.0f);
    logStates(true);
    m_rig.renderer->m_colorWriteMask = 0x7;
    m_rig.device()->SetRenderState(D3DRS_STENCILREF, 5);
    frame();
    const Lines expected = {
        "main Box stencil 0 func 8 ref 5 op 1 colour 15 zfunc 4 cull 3 clip 0",
        // Mark the mirror's pixels without colour.
        "main Mirror stencil 1 func 3 ref 0 op 7 colour 0 zfunc 4 cull 3 clip 0",
        // Open them: depth back to the far plane.
        "reset Mirror stencil 1 func 4 ref 1 op 1 colour 7 zfunc 8 cull 3 clip 0 far",
        // The reflection, mirrored and clipped at the mirror plane; the
        // mirror is not in its own image.
        "main Box stencil 1 func 4 ref 1 op 1 colour 7 zfunc 4 cull 2 clip 1 mirrored",
        // Close: the surface over its reflection, the mask taken back.
        "main Mirror stencil 1 func 3 ref 1 op 8 colour 7 zfunc 4 cull 3 clip 0",
    };
    EXPECT_EQ(m_log, expected);
    EXPECT_EQ(state(D3DRS_STENCILENABLE), DWORD(FALSE));
    EXPECT_EQ(state(D3DRS_STENCILREF), 5u);
    EXPECT_EQ(state(D3DRS_STENCILFUNC), DWORD(D3DCMP_LESSEQUAL));
    EXPECT_EQ(state(D3DRS_CLIPPLANEENABLE), 0u);
    EXPECT_EQ(m_rig.renderer->m_cullMode, 3u);
    EXPECT_EQ(meshOf(floor)->activeReflection(), nullptr);
    // The camera's view and projection are what the device holds again.
    const FixedFunctionState& device = m_rig.device()->state();
    const ShaderFloatParams& params = *m_rig.renderer->m_shaderFloatParams;
    EXPECT_EQ(std::memcmp(&device.transform(D3DTS_VIEW), m_camera->getInvMatrix(0.0, true).m, 64), 0);
    EXPECT_EQ(std::memcmp(params.m_view.m, m_camera->getInvMatrix(0.0, true).m, 64), 0);
    EXPECT_EQ(std::memcmp(&device.transform(D3DTS_PROJECTION), params.m_projection.m, 64), 0);
    EXPECT_EQ(params.m_projection.at(1, 1), m_camera->m_projection.at(1, 1));
    // The reflection drew with the camera's projection and depth range, not
    // with the bare lens that puts every depth at 1.
    ASSERT_EQ(m_reflected.size(), 1u);
    EXPECT_EQ(std::memcmp(m_reflected[0].projection.m, params.m_projection.m, 64), 0);
    EXPECT_NE(m_reflected[0].projection.at(3, 2), 0.0f);
    EXPECT_EQ(std::memcmp(&device.transform(D3DTS_WORLD), floor->getMatrix(0.0, true).m, 64), 0);
    const D3DVIEWPORT9* viewport = m_camera->viewport();
    D3DVIEWPORT9 now{};
    m_rig.device()->GetViewport(&now);
    EXPECT_EQ(now.MaxZ, viewport->MaxZ);
    EXPECT_EQ(now.MinZ, viewport->MinZ);
}

TEST_F(MeshRenderTest, MirrorsReflectOnlyAtTheOutermostDepth)
{
    MeshObject* floor = place("floor.lwo", mirrorFloor(), 0.0f);
    ASSERT_NE(floor, nullptr);
    floor->m_motion[PositionY].m_value = -1.0f;
    struct Case {
        int32_t depthAround;
        Lines drawn;
    };
    // Inside one reflection a mirror draws as a plain surface; inside two
    // nothing draws at all.
    const Case cases[] = {
        {0, {"main Mirror", "reset Mirror", "main Mirror"}},
        {1, {"main Mirror"}},
        {2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depthAround);
        m_log.clear();
        LwMesh::renderDepthCounter() = c.depthAround;
        floor->render(0.0, m_camera);
        EXPECT_EQ(LwMesh::renderDepthCounter(), c.depthAround);
        LwMesh::renderDepthCounter() = 0;
        EXPECT_EQ(m_log, c.drawn);
        EXPECT_EQ(meshOf(floor)->m_renderDepth, 0);
    }
}

TEST_F(MeshRenderTest, MirrorSeenByACameraWithoutASceneReportsAndStillDrawsTheSurface)
{
    MeshObject* floor = place("floor.lwo", mirrorFloor(), 0.0f);
    ASSERT_NE(floor, nullptr);
    floor->m_motion[PositionY].m_value = -1.0f;
    lastErrorText.assignCString("");
    m_rig.device()->SetRenderState(D3DRS_STENCILREF, 3);
    Scene* scene = m_camera->m_scene;
    m_camera->m_scene = nullptr;
    floor->render(0.0, m_camera);
    m_camera->m_scene = scene;
    EXPECT_STREQ(lastErrorText.c_str(), "reflection scene ist nicht zugeordnet!\n");
    EXPECT_EQ(m_log, (Lines{"main Mirror", "reset Mirror", "main Mirror"}));
    EXPECT_EQ(state(D3DRS_STENCILENABLE), DWORD(FALSE));
    EXPECT_EQ(state(D3DRS_STENCILREF), 3u);
    EXPECT_EQ(m_rig.renderer->m_cullMode, 3u);

    // Without a reflection the same surface is a plain one.
    m_log.clear();
    lastErrorText.assignCString("");
    auto* surface = static_cast<Surface*>(meshOf(floor)->m_geometries[0]->m_surface);
    surface->m_reflection.m_value = 0.0f;
    floor->render(0.0, m_camera);
    EXPECT_EQ(m_log, (Lines{"main Mirror"}));
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

namespace {

class MeshRenderShaderTest : public MeshRenderTest {
protected:
    bool fixedFunction() const override { return false; }
};

float planeSide(const float plane[4], const Matrix4& toClip, Vector3 p)
{
    float clip[4];
    for (int c = 0; c < 4; ++c)
        clip[c] = p.x * toClip.at(0, c) + p.y * toClip.at(1, c) + p.z * toClip.at(2, c) + toClip.at(3, c);
    return clip[0] * plane[0] + clip[1] * plane[1] + clip[2] * plane[2] + clip[3] * plane[3];
}

} // namespace

// With shaders the clip plane is given in clip space: what the reflection
// draws lies on the kept side exactly when its world position lies above
// the mirror.
TEST_F(MeshRenderShaderTest, ClipPlaneMovesIntoClipSpace)
{
    MeshObject* floor = place("floor.lwo", mirrorFloor(), 0.0f);
    ASSERT_NE(floor, nullptr);
    floor->m_motion[PositionY].m_value = -1.0f;
    place("box.lwo", lwo2Cube("Box"), 10.0f);
    frame();
    ASSERT_EQ(m_reflected.size(), 1u) << "the box in the mirror";
    const Reflected& r = m_reflected[0];
    const Matrix4 toClip = [&] {
        Matrix4 out;
        Matrix4::multiply(out, r.view, r.projection);
        return out;
    }();
    // The mirrored view turns world points above the floor into their
    // images under it; the plane keeps the world side above.
    EXPECT_NEAR(planeSide(r.plane, toClip, {0, -1, 10}), 0.0f, 1e-3f);
    EXPECT_GT(planeSide(r.plane, toClip, {0, 0, 10}), 0.0f);
    EXPECT_GT(planeSide(r.plane, toClip, {3, 2, 15}), 0.0f);
    EXPECT_LT(planeSide(r.plane, toClip, {0, -2, 10}), 0.0f);
    EXPECT_LT(planeSide(r.plane, toClip, {-2, -5, 6}), 0.0f);
}
