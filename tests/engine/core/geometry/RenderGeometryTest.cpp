#include "engine/core/geometry/LwVertex.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/win/MessageQueue.h"
#include "support/RendererRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(RenderGeometryTest, VertexLayoutGivesStrideAndOffsets)
{
    VertexLayout layout;
    layout.hasColor = true;
    layout.slotCount = 2;
    layout.animatedSlot[1] = true;
    MeshGeometry geometry(nullptr, nullptr, nullptr, layout);
    EXPECT_EQ(geometry.m_format.m_stride, 12u + 12u + 4u + 8u + 12u);
    EXPECT_EQ(geometry.m_format.m_texCoordOffset, 28u);
    const auto elements = geometry.m_format.elements();
    ASSERT_EQ(elements.size(), 6u);
    EXPECT_EQ(elements[3].Type, D3DDECLTYPE_FLOAT2);
    EXPECT_EQ(elements[4].Type, D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(elements[4].UsageIndex, 1);

    VertexLayout skinned;
    skinned.hasTangents = true;
    skinned.boneWeightCount = 3;
    skinned.slotCount = 1;
    MeshGeometry bones(nullptr, nullptr, nullptr, skinned);
    EXPECT_EQ(bones.m_format.m_stride, 24u + 8u + 48u + 4u + 12u);
    LwVertex v{};
    v.position[0] = 1.0f;
    v.texCoords[0][1] = 0.5f;
    v.boneIndex[0] = 7;
    v.boneWeight[2] = 0.25f;
    std::vector<uint8_t> packed(bones.m_format.m_stride);
    RenderGeometry::packVertex(bones.m_format, v, packed.data());
    float f;
    std::memcpy(&f, packed.data() + 28, 4);
    EXPECT_EQ(f, 0.5f);
    EXPECT_EQ(packed[80], 7);
    std::memcpy(&f, packed.data() + 92, 4);
    EXPECT_EQ(f, 0.25f);
}

TEST(RenderGeometryTest, MeshGeometryCollectsUntilUploaded)
{
    MeshGeometry geometry(nullptr, nullptr, nullptr, VertexLayout());
    const uint32_t indices[7] = {0, 1, 2, 2, 1, 0, 1};
    EXPECT_TRUE(geometry.addTriangles(indices, 7));
    EXPECT_EQ(geometry.m_primitiveCount, 2);
    EXPECT_EQ(geometry.m_indices.size(), 7u);
    LwVertex vertices[3]{};
    EXPECT_TRUE(geometry.addVertices(vertices, 3));
    EXPECT_EQ(geometry.m_vertexData.size(), 3u * 24u);
    EXPECT_FALSE(geometry.upload()) << "no device";
}

class MeshBuffersTest : public testing::Test {
protected:
    void SetUp() override
    {
        selectD3D9Backend(D3D9Backend::Recording);
        testing::internal::CaptureStderr();
        ASSERT_TRUE(rig.start(32, 32, true));
        testing::internal::GetCapturedStderr();
    }
    void TearDown() override { selectD3D9Backend(D3D9Backend::Default); }

    RendererRig rig;
};

TEST_F(MeshBuffersTest, CreateOnceWriteWithinCapacityRestoreAfterReset)
{
    MeshBuffers buffers(nullptr, nullptr, rig.renderer.get(), VertexLayout());
    ASSERT_TRUE(buffers.create(false, true, 8, 12));
    EXPECT_FALSE(buffers.create(false, true, 8, 12));
    const uint32_t six[6] = {0, 1, 2, 70000, 3, 1};
    ASSERT_TRUE(buffers.setIndices(six, 6));
    const uint32_t three[3] = {4, 5, 6};
    ASSERT_TRUE(buffers.setIndicesAt(6, three, 3));
    EXPECT_EQ(buffers.m_indexCount, 9);
    EXPECT_EQ(buffers.m_primitiveCount, 3);
    EXPECT_FALSE(buffers.setIndicesAt(10, three, 3)) << "past the capacity";
    LwVertex vertices[9]{};
    EXPECT_TRUE(buffers.setVertices(vertices, 8));
    EXPECT_FALSE(buffers.setVerticesAt(6, vertices, 3));
    EXPECT_TRUE(buffers.setVerticesAt(6, vertices, 2));
    EXPECT_EQ(buffers.m_vertexCount, 8);

    // The index buffer is static and keeps its data; 70000 is stored as 4464.
    void* data = nullptr;
    ASSERT_EQ(buffers.m_indexBuffers[0]->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint16_t*>(data)[3], uint16_t(70000 & 0xFFFF));
    buffers.m_indexBuffers[0]->Unlock();
    buffers.onLostDevice();
    EXPECT_EQ(buffers.m_vertexBuffers[0], nullptr) << "the dynamic vertex buffer goes";
    EXPECT_NE(buffers.m_indexBuffers[0], nullptr);
    buffers.onResetDevice();
    EXPECT_NE(buffers.m_vertexBuffers[0], nullptr);
}

} // namespace
