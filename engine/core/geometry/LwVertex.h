#pragma once
#include <cstdint>

// The mesh build's fat vertex record: 149 32-bit words (596 bytes), the
// point stride the collision trimesh and the packers read.
struct LwVertex {
    static constexpr int32_t MaxMorphs = 32;
    static constexpr int32_t MaxSlots = 8;
    static constexpr int32_t MaxBoneWeights = 4;

    float position[3];
    float normal[3];
    float color[4];
    float texCoords[MaxSlots][3];
    int32_t polygon;
    float morphOffsets[MaxMorphs][3];
    // Index of the first vertex made from the same point: the welding key.
    int32_t pointGroup;
    uint8_t boneIndex[MaxBoneWeights];
    float boneWeight[MaxBoneWeights];
    float reserved[12];
};
static_assert(sizeof(LwVertex) == 596, "the vertex record is 149 words");
