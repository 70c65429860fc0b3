#pragma once
#include "engine/core/math/BoundingBox.h"

#include <cstdint>

class Bone;

// One vertex of the bone's wire shape, in the device's XYZ | DIFFUSE layout.
struct BoneLineVertex {
    float x, y, z;
    uint32_t color;
};

// The debug shape of a bone: a thin double pyramid along +Z of the bone's
// own frame, from its base to its rest length, with a ring at a tenth of it.
class BoneDisplay : public BoundingBox {
public:
    static constexpr int VertexCount = 24;

    explicit BoneDisplay(Bone* bone);

    void computeBounds() override;
    const Vector3* points() override { return m_corners; }
    void clearFrameFlag() override {}
    // Draws the shape in the bone's frame at the time through the device;
    // the world transform and the shared table's world matrix are put back
    // afterwards. The owning mesh passes its draw time.
    void render(double time);
    // Without a time: the bone's world matrix as this frame cached it.
    void render() override { render(0.0); }
    void renderFor(double time, MeshObject*, SceneObject*) override { render(time); }

    // The twelve lines as vertex pairs: base to ring, around the ring, ring
    // to tip; all green.
    static void buildShape(float restLength, BoneLineVertex out[VertexCount]);

    Bone* m_bone;
};
