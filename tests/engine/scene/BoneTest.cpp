#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Bone.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr float Pi = 3.14159265358979323846f;

void expectIdentity(const Matrix4& m)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m.m[i], Matrix4::identity().m[i], 1e-5f) << "element " << i;
}

void placeAtRest(Bone& bone)
{
    bone.m_motion[PositionX].m_value = bone.m_restPosition[0];
    bone.m_motion[PositionY].m_value = bone.m_restPosition[1];
    bone.m_motion[PositionZ].m_value = bone.m_restPosition[2];
    bone.m_motion[RotationP].m_value = bone.m_restDirection[0];
    bone.m_motion[RotationH].m_value = bone.m_restDirection[1];
    bone.m_motion[RotationB].m_value = bone.m_restDirection[2];
}

} // namespace

TEST(BoneTest, BonesAtRestGiveIdentitySkinning)
{
    Bone root(nullptr), child(nullptr), grandchild(nullptr);
    const float rootRest[3] = {1, 2, 3}, childRest[3] = {0, 0, 2}, grandRest[3] = {0.5f, 0, 1};
    std::copy(rootRest, rootRest + 3, root.m_restPosition);
    std::copy(childRest, childRest + 3, child.m_restPosition);
    std::copy(grandRest, grandRest + 3, grandchild.m_restPosition);
    // Rest directions in every axis: (pitch, heading, bank).
    root.m_restDirection[1] = 0.7f;
    child.m_restDirection[0] = -0.3f;
    child.m_restDirection[2] = 1.2f;
    grandchild.m_restDirection[0] = 0.2f;
    grandchild.m_restDirection[1] = -0.4f;
    grandchild.m_restDirection[2] = 0.9f;
    child.m_pivotRotation[1] = 0.5f;
    ASSERT_TRUE(child.setParentBone(&root));
    ASSERT_TRUE(grandchild.setParentBone(&child));
    for (Bone* b : {&root, &child, &grandchild})
        placeAtRest(*b);

    // A root bone with no turn is placed by a plain translation.
    Bone plain(nullptr);
    plain.m_restPosition[0] = 4.0f;
    EXPECT_EQ(plain.restMatrix(), SceneMath::translation(4.0f, 0.0f, 0.0f));
    placeAtRest(plain);
    expectIdentity(plain.skinningMatrix(0.0));

    // Computing the child first validates its parents on the way.
    expectIdentity(grandchild.skinningMatrix(0.0));
    EXPECT_TRUE(root.m_restValid);
    EXPECT_TRUE(child.m_restValid);
    expectIdentity(child.skinningMatrix(0.0));
    expectIdentity(root.skinningMatrix(0.0));

    // Moving the root carries the whole chain with it.
    root.m_motion[PositionY].m_value += 5.0f;
    for (Bone* b : {&root, &child, &grandchild})
        b->invalidateMatrices();
    const Matrix4 moved = grandchild.skinningMatrix(0.0);
    EXPECT_NEAR(moved.at(3, 1), 5.0f, 1e-4f);
    EXPECT_NEAR(moved.at(0, 0), 1.0f, 1e-5f);
}

TEST(BoneTest, RestPoseIsComputedOnceAndParentLoopsAreRefused)
{
    Bone a(nullptr), b(nullptr);
    a.m_restPosition[2] = 2.0f;
    const Matrix4 first = a.restMatrix();
    a.m_restPosition[2] = 9.0f;
    a.invalidateMatrices();
    EXPECT_EQ(a.restMatrix(), first);

    ASSERT_TRUE(b.setParentBone(&a));
    EXPECT_FALSE(a.setParentBone(&b));
    EXPECT_FALSE(a.setParentBone(&a));
    EXPECT_EQ(a.m_parentBone, nullptr);

    // A loop made behind the setter's back still ends.
    Bone c(nullptr), d(nullptr);
    c.m_parentBone = &d;
    d.m_parentBone = &c;
    for (float v : c.skinningMatrix(0.0).m)
        EXPECT_TRUE(std::isfinite(v));
}

TEST(BoneTest, ShapeRunsFromBaseThroughTheRingToTheTip)
{
    struct Case {
        float length;
        float ring;
    };
    const Case cases[] = {{10.0f, 1.0f}, {1.0f, 0.1f}, {0.0f, 0.0f}};
    for (const Case& c : cases) {
        BoneLineVertex v[BoneDisplay::VertexCount];
        BoneDisplay::buildShape(c.length, v);
        // Base-to-ring lines start at the origin; ring-to-tip lines at the tip.
        for (int i = 0; i < 8; i += 2)
            EXPECT_EQ(v[i].x + v[i].y + v[i].z, 0.0f);
        for (int i = 16; i < 24; i += 2)
            EXPECT_EQ(v[i].z, c.length);
        // Every ring point sits at z = L/10, L/10 off the axis.
        for (int i = 8; i < 16; ++i) {
            EXPECT_FLOAT_EQ(v[i].z, c.ring);
            EXPECT_FLOAT_EQ(std::hypot(v[i].x, v[i].y), c.ring);
        }
        for (const BoneLineVertex& p : v)
            EXPECT_EQ(p.color, 0xFF00CC00u);
    }
}

TEST(BoneTest, MeshSkinningWritesTheFirst1024Bones)
{
    SceneManager manager(nullptr, "bones");
    Scene* scene = manager.loadScene("skinned");
    MeshObject* mesh = scene->addNullObject("kart", scene->m_root);
    std::vector<std::unique_ptr<Bone>> bones;
    for (int i = 0; i < 1030; ++i) {
        bones.push_back(std::make_unique<Bone>(scene));
        bones.back()->m_restPosition[0] = float(i);
        placeAtRest(*bones.back());
        mesh->m_bones.push_back(bones.back().get());
    }
    bones[3]->m_motion[RotationH].m_value = Pi / 2;

    auto params = std::make_unique<ShaderFloatParams>(nullptr);
    mesh->writeSkinning(*params, 0.0);
    expectIdentity(params->m_boneMatrices[0]);
    expectIdentity(params->m_boneMatrices[1023]);
    // Bone 3 turned in place about its own origin at x = 3.
    const Vector3 p = SceneMath::transformPoint({3, 0, 1}, params->m_boneMatrices[3]);
    EXPECT_NEAR(p.x, 4.0f, 1e-5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-5f);
    EXPECT_NEAR(params->m_matBone[12 * 3 + 9], 3.0f, 1e-5f);

    // Invalidating the mesh invalidates its bones' animated pose.
    bones[3]->m_motion[RotationH].m_value = 0.0f;
    mesh->invalidateMatrices();
    mesh->writeSkinning(*params, 0.0);
    expectIdentity(params->m_boneMatrices[3]);
    mesh->m_bones.clear();
}

TEST(BoneTest, DisplayDrawsTwelveGreenLinesInTheBoneFrameAndPutsTheWorldBack)
{
    RecordingWorld world;
    RendererRig rig;
    ASSERT_TRUE(rig.start());
    IDirect3DDevice9* device = rig.device();
    // The renderer owns one table of each kind for the device's life.
    ASSERT_NE(rig.renderer->m_shaderIntParams.get(), nullptr);
    EXPECT_EQ(rig.renderer->m_shaderIntParams->m_renderer, rig.renderer.get());
    ShaderFloatParams* params = rig.renderer->m_shaderFloatParams.get();
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params->m_renderer, rig.renderer.get());
    SceneManager manager(rig.renderer.get(), "bones");
    Scene* scene = manager.loadScene("display");
    Bone bone(scene);
    bone.m_restLength = 10.0f;
    bone.m_motion[PositionY].m_value = 3.0f;

    // What the mesh's own draw left in place must be there again afterwards.
    const Matrix4 before = SceneMath::translation(7.0f, 0.0f, 0.0f);
    params->m_world = before;
    params->m_transformsValid = true;
    D3DMATRIX d3dBefore;
    std::memcpy(&d3dBefore, before.m, sizeof before.m);
    device->SetTransform(D3DTS_WORLD, &d3dBefore);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    auto draws = [&] {
        const auto& calls = static_cast<RecordingBackend&>(device->backend()).calls();
        return std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.rfind("draw type 2 primitives 12 vertices", 0) == 0;
        });
    };
    const auto drawn = draws();
    bone.m_extraDisplay->render();
    EXPECT_EQ(draws(), drawn + 1);

    EXPECT_EQ(params->m_world, before);
    EXPECT_FALSE(params->m_transformsValid);
    EXPECT_EQ(device->state().transform(D3DTS_WORLD)._41, 7.0f);
    EXPECT_EQ(device->state().transform(D3DTS_WORLD)._42, 0.0f);
    EXPECT_EQ(device->state().renderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
    EXPECT_EQ(device->state().renderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(device->state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    const D3DMATERIAL9& material = device->state().material();
    for (const D3DCOLORVALUE& c : {material.Diffuse, material.Ambient, material.Specular, material.Emissive}) {
        EXPECT_EQ(c.r, 0.0f);
        EXPECT_EQ(c.g, 0.8f);
        EXPECT_EQ(c.b, 0.0f);
        EXPECT_EQ(c.a, 1.0f);
    }
    EXPECT_EQ(material.Power, 0.0f);
}
