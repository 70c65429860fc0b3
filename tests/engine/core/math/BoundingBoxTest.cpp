#include "engine/core/math/BoundingBox.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TestBox : public BoundingBox {
public:
    TestBox() : BoundingBox(nullptr, nullptr) {}
    void computeBounds() override {}
    const Vector3* points() override { return nullptr; }
    void render() override {}
};

} // namespace

TEST(BoundingBox, StartsEmpty)
{
    TestBox box;
    EXPECT_FALSE(box.m_valid);
    EXPECT_EQ(box.m_layer, -1);
    EXPECT_EQ(box.m_radius, 0.0f);
    EXPECT_EQ(box.renderData(), nullptr);
}

TEST(BoundingBox, CornersCentreAndRadius)
{
    TestBox box;
    const Vector3 centre = box.setMinMax({-1, -2, -3}, {1, 2, 3});
    EXPECT_EQ(centre, Vector3(0, 0, 0));
    EXPECT_TRUE(box.m_valid);
    EXPECT_EQ(box.m_corners[0], Vector3(-1, -2, -3));
    EXPECT_EQ(box.m_corners[5], Vector3(1, -2, 3));
    EXPECT_EQ(box.m_corners[7], Vector3(1, 2, 3));
    EXPECT_FLOAT_EQ(box.m_radius, std::sqrt(14.0f));
}

TEST(BoundingBox, DistanceToSphere)
{
    TestBox box;
    box.setMinMax({6, 0, 0}, {14, 0, 0}); // centre (10, 0, 0), radius 4
    struct Case {
        Vector3 point;
        double distance;
    } cases[] = {
        {{20, 0, 0}, 6.0},  // outside
        {{10, 1, 0}, 3.0},  // inside
        {{10, 0, 0}, 0.0},  // the centre itself
    };
    for (const Case& c : cases)
        EXPECT_NEAR(box.distanceToSphere(c.point), c.distance, 1e-6);
}

TEST(BoundingBox, TransformCornersIsHomogeneous)
{
    TestBox box;
    box.setMinMax({0, 0, 0}, {1, 1, 1});
    float out[32];
    box.transformCorners(Matrix4::identity(), out);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i * 4 + 3], 1.0f);
    EXPECT_EQ(out[7 * 4 + 0], 1.0f);

    Matrix4 project = Matrix4::identity();
    project.at(3, 0) = 5;  // translate x
    project.at(2, 3) = 1;  // w = z
    project.at(3, 3) = 0;
    box.transformCorners(project, out);
    EXPECT_EQ(out[1 * 4 + 0], 5.0f); // corner 1 = (0, 0, 1)
    EXPECT_EQ(out[1 * 4 + 3], 1.0f);
    EXPECT_EQ(out[0 * 4 + 3], 0.0f);
}
