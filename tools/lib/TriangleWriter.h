#pragma once
#include "engine/core/math/BoundingBox.h"

#include <cstdint>
#include <vector>

// A renderable that hands out fixed triangles, as a built mesh does for a
// collision object's triangle mesh. Counts how often it was asked. The
// writers below wind faces as the engine draws them: a face's front is
// where (p1 - p0) x (p2 - p0) points.
class TriangleSource : public BoundingBox {
public:
    TriangleSource(std::vector<float> positions, std::vector<uint32_t> indices);

    void computeBounds() override {}
    const Vector3* points() override { return m_corners; }
    void render() override {}
    bool copyTriangles(std::vector<float>& positions, std::vector<uint32_t>& indices) override;

    std::vector<float> m_positions;
    std::vector<uint32_t> m_indices;
    int m_copies = 0;
};

// A strip `width` wide around z = 0 that runs through the points (x, y) of
// the profile in order along +X, one quad per segment. Faces point up.
TriangleSource* writeProfile(const std::vector<float>& xs, const std::vector<float>& ys, float width);

// A ramp of `rows` quads along X, from height `height` at x = 0 down to 0 at
// x = `length`, `width` wide around z = 0, then a flat run of `flatLength`
// at height 0 beyond it. Faces point up.
TriangleSource* writeRamp(float length, float height, float width, float flatLength, int rows);

// A flat square floor at height y of `cells` x `cells` quads (two triangles
// each) spanning [-half, half] in X and Z. Faces point up.
TriangleSource* writeFloor(float half, float y, int cells);
