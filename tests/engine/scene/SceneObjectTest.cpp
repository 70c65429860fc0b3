#include "engine/scene/ChannelCopy.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/SceneItem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr float Pi = 3.14159265358979323846f;

// Reference transforms applied to a point step by step, independent of the
// matrix products under test.
Vector3 rotateAbout(int axis, float a, const Vector3& p)
{
    const float c = std::cos(a), s = std::sin(a);
    switch (axis) {
    case 0:
        return {p.x, p.y * c - p.z * s, p.y * s + p.z * c};
    case 1:
        return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
    default:
        return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
    }
}

struct Motion {
    Vector3 pivot;
    Vector3 position;
    float heading, pitch, bank;
    Vector3 scale;
    Vector3 pivotRotation; // x, y, z angles
};

Vector3 referenceLocal(const Motion& m, const int order[3], Vector3 p)
{
    p = p - m.pivot;
    p = {p.x * m.scale.x, p.y * m.scale.y, p.z * m.scale.z};
    // Each axis turns by its channel value: X by pitch, Y by heading, Z by bank.
    const float byAxis[3] = {m.pitch, m.heading, m.bank};
    p = rotateAbout(order[2], byAxis[order[2]], p);
    p = rotateAbout(order[1], byAxis[order[1]], p);
    p = rotateAbout(order[0], byAxis[order[0]], p);
    p = rotateAbout(2, m.pivotRotation.z, p);
    p = rotateAbout(0, m.pivotRotation.x, p);
    p = rotateAbout(1, m.pivotRotation.y, p);
    return p + m.position;
}

void apply(SceneObject& item, const Motion& m, const int order[3])
{
    const float pivot[3] = {m.pivot.x, m.pivot.y, m.pivot.z};
    item.setPivotPosition(pivot);
    item.m_motion[PositionX].m_value = m.position.x;
    item.m_motion[PositionY].m_value = m.position.y;
    item.m_motion[PositionZ].m_value = m.position.z;
    item.m_motion[RotationH].m_value = m.heading;
    item.m_motion[RotationP].m_value = m.pitch;
    item.m_motion[RotationB].m_value = m.bank;
    item.m_motion[ScaleX].m_value = m.scale.x;
    item.m_motion[ScaleY].m_value = m.scale.y;
    item.m_motion[ScaleZ].m_value = m.scale.z;
    item.m_pivotRotation[0] = m.pivotRotation.x;
    item.m_pivotRotation[1] = m.pivotRotation.y;
    item.m_pivotRotation[2] = m.pivotRotation.z;
    for (int i = 0; i < 3; ++i)
        item.m_rotationOrder[i] = order[i];
}

void expectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

} // namespace

TEST(SceneObjectTest, FreshItemHasIdentityWorldAndDefaultViewportAndPitchLimit)
{
    SceneItem item(nullptr, ItemMesh);
    EXPECT_EQ(item.getMatrix(0.0), Matrix4::identity());
    EXPECT_EQ(item.getInvMatrix(0.0), Matrix4::identity());
    const D3DVIEWPORT9* v = item.viewport();
    EXPECT_EQ(v->X, 0u);
    EXPECT_EQ(v->Width, 512u);
    EXPECT_EQ(v->Height, 512u);
    EXPECT_EQ(v->MaxZ, 1.0f);

    const float down[3] = {-3.0f, 0.5f, 0.25f};
    item.setRotation(down, true);
    EXPECT_FLOAT_EQ(item.m_motion[RotationP].m_value, 1.5707964f); // pitch = -a[0], clamped
    EXPECT_FLOAT_EQ(item.m_motion[RotationH].m_value, 0.5f);      // heading unlimited by default
    EXPECT_FLOAT_EQ(item.m_motion[RotationB].m_value, -0.25f);
    item.setRotation(down, false);
    EXPECT_FLOAT_EQ(item.m_motion[RotationP].m_value, 3.0f);
}

TEST(SceneObjectTest, PivotIsSubtractedBeforeScaleAndRotation)
{
    SceneItem item(nullptr, ItemMesh);
    const int order[3] = {1, 0, 2};
    apply(item, {{1, 0, 0}, {5, 6, 7}, Pi / 2, 0, 0, {2, 2, 2}, {0, 0, 0}}, order);
    const Matrix4 world = item.getMatrix(0.0);
    expectNear(SceneMath::transformPoint({1, 0, 0}, world), {5, 6, 7});
    // Heading 90 degrees turns +Z toward +X; the scale of 2 applies after
    // the pivot is taken off.
    expectNear(SceneMath::transformPoint({1, 0, 1}, world), {7, 6, 7});
}

TEST(SceneObjectTest, ThreeLevelHierarchyMatchesStepwiseTransformInEveryRotationOrder)
{
    const int orders[6][3] = {{1, 0, 2}, {0, 1, 2}, {2, 1, 0}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}};
    const Motion grand = {{0.5f, 0, -1}, {10, 0, 3}, 0.3f, -0.2f, 0.7f, {1, 2, 1}, {0.1f, 0.2f, 0.3f}};
    const Motion parent = {{0, 1, 0}, {0, 4, 0}, -1.1f, 0.4f, 0.25f, {0.5f, 0.5f, 0.5f}, {0, 0.5f, 0}};
    const Motion child = {{2, 0, 0}, {-1, 2, 5}, 2.0f, 0.9f, -0.6f, {1, 1, 3}, {0.4f, 0, -0.2f}};
    const Vector3 points[] = {{0, 0, 0}, {1, 2, 3}, {-4, 0.5f, 2}};

    for (const auto& order : orders) {
        SCOPED_TRACE(testing::Message() << order[0] << order[1] << order[2]);
        SceneItem g(nullptr, ItemMesh), p(nullptr, ItemMesh), c(nullptr, ItemMesh);
        ASSERT_TRUE(g.addChild(&p));
        ASSERT_TRUE(p.addChild(&c));
        apply(g, grand, order);
        apply(p, parent, order);
        apply(c, child, order);

        const Matrix4 world = c.getMatrix(0.0);
        const Matrix4 inverse = c.getInvMatrix(0.0);
        for (const Vector3& q : points) {
            const Vector3 expected =
                referenceLocal(grand, order, referenceLocal(parent, order, referenceLocal(child, order, q)));
            const Vector3 got = SceneMath::transformPoint(q, world);
            expectNear(got, expected);
            expectNear(SceneMath::transformPoint(got, inverse), q, 1e-3f);
        }
        // The local matrix leaves the parents out.
        expectNear(SceneMath::transformPoint(points[1], c.getLocalMatrix(0.0)),
                   referenceLocal(child, order, points[1]));
        p.removeChild(&c);
        g.removeChild(&p);
    }
}

TEST(SceneObjectTest, DefaultOrderAppliesBankFirstAndHeadingLast)
{
    // Bank 90 then pitch 90 then heading 90 on +X: bank takes +X to +Y,
    // pitch takes +Y to +Z, heading takes +Z to +X.
    SceneItem item(nullptr, ItemMesh);
    item.m_motion[RotationH].m_value = Pi / 2;
    item.m_motion[RotationP].m_value = Pi / 2;
    item.m_motion[RotationB].m_value = Pi / 2;
    expectNear(SceneMath::transformPoint({1, 0, 0}, item.getMatrix(0.0)), {1, 0, 0});
    // Order {0, 1, 2}: bank (+X to +Y), heading (Y unchanged), pitch (+Y to +Z).
    item.m_rotationOrder[0] = 0;
    item.m_rotationOrder[1] = 1;
    item.invalidateMatrices();
    expectNear(SceneMath::transformPoint({1, 0, 0}, item.getMatrix(0.0)), {0, 0, 1});
    // A selector from a damaged scene file turns nothing: only pitch is left.
    item.m_rotationOrder[2] = 7;
    item.invalidateMatrices();
    expectNear(SceneMath::transformPoint({0, 1, 0}, item.getMatrix(0.0)), {0, 0, 1});
}

TEST(SceneObjectTest, MatrixCacheKeepsTheFirstTimeUntilInvalidated)
{
    SceneItem item(nullptr, ItemMesh);
    auto x = std::make_unique<Envelope>();
    x->addKeyLinear(0.0f, 0.0f);
    x->addKeyLinear(1.0f, 10.0f);
    item.m_motion[PositionX].m_envelope = std::move(x);

    EXPECT_FLOAT_EQ(item.getMatrix(0.0).at(3, 0), 0.0f);
    EXPECT_FLOAT_EQ(item.getMatrix(1.0).at(3, 0), 0.0f);
    item.invalidateMatrices();
    EXPECT_FLOAT_EQ(item.getMatrix(1.0).at(3, 0), 10.0f);
}

TEST(SceneObjectTest, PositionLimitsClampOrDropMoves)
{
    SceneItem item(nullptr, ItemMesh);
    item.m_limitPosition = 1;
    for (int i = 0; i < 3; ++i) {
        item.m_minPosition[i] = -10.0f;
        item.m_maxPosition[i] = 10.0f;
    }
    const float far[3] = {20.0f, -30.0f, 5.0f};
    item.setPosition(far);
    EXPECT_EQ(item.m_motion[PositionX].m_value, 10.0f);
    EXPECT_EQ(item.m_motion[PositionY].m_value, -10.0f);
    EXPECT_EQ(item.m_motion[PositionZ].m_value, 5.0f);

    struct Case {
        float start, step, expected;
    };
    const Case cases[] = {
        {0.0f, 5.0f, 5.0f},   // inside: stored
        {8.0f, 2.5f, 10.0f},  // overshoot 0.5 against 2 kept: clamped
        {8.0f, 20.0f, 8.0f},  // overshoot 18 against 2 kept: dropped
        {10.0f, 1.0f, 10.0f}, // already at the bound: dropped
    };
    for (const Case& c : cases) {
        const float start[3] = {c.start, 0.0f, 0.0f};
        item.setPosition(start);
        const float step[3] = {c.step, 0.0f, 0.0f};
        item.translate(step);
        EXPECT_EQ(item.m_motion[PositionX].m_value, c.expected) << c.start << " + " << c.step;
    }
}

TEST(SceneObjectTest, DepthRangeKeepsAFiniteDepthScale)
{
    struct Case {
        float nearDistance, farDistance, zn, zf;
    };
    const Case cases[] = {
        {1.0f, 100.0f, 0.9999f, 100.0001f},
        {0.0f, 50.0f, 0.01f, 50.0001f},   // near limit
        {5.0f, 2.0f, 4.9999f, 5.0f},      // far below near: a sliver past near
        {1.0f, 1e30f, 0.9999f, 1e30f},
    };
    for (const Case& c : cases) {
        SceneItem item(nullptr, ItemMesh);
        const Matrix4& p = item.setDepthRange(0.0, c.nearDistance, c.farDistance);
        const float q = c.zf / (c.zf - c.zn);
        EXPECT_TRUE(std::isfinite(p.at(2, 2)));
        EXPECT_NEAR(p.at(2, 2), q, std::fabs(q) * 1e-2f) << c.nearDistance << " " << c.farDistance;
        EXPECT_NEAR(p.at(3, 2), -q * c.zn, std::fabs(q * c.zn) * 1e-2f);
        EXPECT_EQ(p.at(2, 3), 1.0f);
        EXPECT_EQ(p.at(3, 3), 0.0f);
        EXPECT_TRUE(item.m_depthRangeSet);
    }
}

TEST(SceneObjectTest, FrustumTestsOfPointsAndBoxes)
{
    SceneItem item(nullptr, ItemMesh);
    item.m_farLimit = 100.0f;
    struct PointCase {
        float x, y, w;
        bool outside;
    };
    const PointCase points[] = {
        {0, 0, 1, false}, {0.9f, -0.9f, 1, false}, {1.1f, 0, 1, true}, {0, -1.1f, 1, true},
        {0, 0, 0.001f, true}, {0, 0, 101, true}, {0, 0, 100, false},
    };
    for (const PointCase& c : points) {
        const float clip[4] = {c.x, c.y, 0.0f, c.w};
        EXPECT_EQ(item.isPointOutside(clip), c.outside) << c.x << " " << c.y << " " << c.w;
    }

    auto box = [](float x0, float x1, float y0, float y1, float w0, float w1) {
        std::unique_ptr<float[]> corners(new float[32]);
        for (int i = 0; i < 8; ++i) {
            corners[4 * i + 0] = (i & 4) ? x1 : x0;
            corners[4 * i + 1] = (i & 2) ? y1 : y0;
            corners[4 * i + 2] = 0.0f;
            corners[4 * i + 3] = (i & 1) ? w1 : w0;
        }
        return corners;
    };
    struct BoxCase {
        const char* what;
        float x0, x1, y0, y1, w0, w1;
        bool outside;
    };
    const BoxCase boxes[] = {
        {"inside", -0.5f, 0.5f, -0.5f, 0.5f, 2, 3, false},
        {"left of the view", -9, -5, -0.5f, 0.5f, 2, 3, true},
        {"behind the eye", -0.5f, 0.5f, -0.5f, 0.5f, -3, -1, true},
        {"beyond the far limit", -0.5f, 0.5f, -0.5f, 0.5f, 150, 200, true},
        {"straddles the left plane", -9, 0, -0.5f, 0.5f, 2, 3, false},
        // Left of and behind the view, but no one plane has all corners out.
        {"left and behind, not one plane", -9, 0.5f, -0.5f, 0.5f, -2, 2, false},
    };
    for (const BoxCase& c : boxes) {
        const auto corners = box(c.x0, c.x1, c.y0, c.y1, c.w0, c.w1);
        EXPECT_EQ(item.isBoxOutside(corners.get()), c.outside) << c.what;
    }
}

TEST(SceneObjectTest, HierarchyRefusesCyclesAndWalksPreOrder)
{
    SceneItem a(nullptr, ItemMesh), b(nullptr, ItemMesh), c(nullptr, ItemMesh), d(nullptr, ItemMesh);
    ASSERT_TRUE(a.addChild(&b));
    ASSERT_TRUE(b.addChild(&c));
    ASSERT_TRUE(a.addChild(&d));
    EXPECT_FALSE(c.addChild(&a));
    EXPECT_FALSE(b.addChild(&b));
    EXPECT_EQ(a.m_parent, nullptr);

    EXPECT_EQ(a.nextInHierarchy(), &b);
    EXPECT_EQ(b.nextInHierarchy(), &c);
    EXPECT_EQ(c.nextInHierarchy(), &d);
    EXPECT_EQ(d.nextInHierarchy(), nullptr);

    // Moving a child re-links it instead of listing it twice.
    ASSERT_TRUE(d.addChild(&c));
    EXPECT_TRUE(b.m_children.empty());
    EXPECT_EQ(c.m_parent, &d);
    d.removeChild(&c);
    a.removeChild(&b);
    a.removeChild(&d);
}

TEST(SceneObjectTest, ForEachChildVisitsChildrenBeforeTheirParentButNotTheStart)
{
    SceneItem a(nullptr, ItemMesh), b(nullptr, ItemMesh), c(nullptr, ItemMesh), d(nullptr, ItemMesh);
    ASSERT_TRUE(a.addChild(&b));
    ASSERT_TRUE(b.addChild(&c));
    ASSERT_TRUE(a.addChild(&d));
    std::vector<SceneObject*> order;
    a.forEachChild([&](SceneObject* item) { order.push_back(item); });
    EXPECT_EQ(order, (std::vector<SceneObject*>{&c, &b, &d}));
    b.removeChild(&c);
    a.removeChild(&b);
    a.removeChild(&d);
}

TEST(SceneObjectTest, StoredLocalMatrixReplacesChannelsAndBodyUnderTheParent)
{
    SceneItem parent(nullptr, ItemMesh), child(nullptr, ItemMesh);
    ASSERT_TRUE(parent.addChild(&child));
    parent.m_motion[PositionX].m_value = 10.0f;
    child.m_motion[PositionY].m_value = 5.0f;
    child.m_motion[RotationH].m_value = 1.0f;
    child.m_localMatrix = SceneMath::translation(0.0f, 0.0f, 2.0f);
    child.m_useLocalMatrix = 1;
    Vector3 at = SceneMath::transformPoint({0, 0, 0}, child.getMatrix(0.0));
    EXPECT_FLOAT_EQ(at.x, 10.0f);
    EXPECT_FLOAT_EQ(at.y, 0.0f);
    EXPECT_FLOAT_EQ(at.z, 2.0f);

    // Switched off, the channels count again.
    child.m_useLocalMatrix = 0;
    child.invalidateMatrices();
    at = SceneMath::transformPoint({0, 0, 0}, child.getMatrix(0.0));
    EXPECT_FLOAT_EQ(at.y, 5.0f);
    parent.removeChild(&child);
}

TEST(SceneObjectTest, CopyKeepsTheGameFields)
{
    int owner = 0;
    SceneItem source(nullptr, ItemMesh);
    source.m_owner = &owner;
    source.m_axis[1] = 1.0f;
    source.m_useLocalMatrix = 1;
    source.m_localMatrix = SceneMath::translation(1.0f, 2.0f, 3.0f);
    std::unique_ptr<SceneObject> copy(source.clone());
    EXPECT_EQ(copy->m_owner, &owner);
    EXPECT_EQ(copy->m_axis[1], 1.0f);
    EXPECT_EQ(copy->m_useLocalMatrix, 1);
    EXPECT_EQ(copy->m_localMatrix.at(3, 2), 3.0f);
}

TEST(SceneObjectTest, TargetsThatPointAtEachOtherStillGiveFiniteMatrices)
{
    SceneItem a(nullptr, ItemMesh), b(nullptr, ItemMesh);
    a.m_motion[PositionZ].m_value = -5.0f;
    b.m_motion[PositionX].m_value = 5.0f;
    a.m_target = &b;
    b.m_target = &a;
    a.m_headingController = a.m_pitchController = ControlPointAtTarget;
    b.m_headingController = ControlPointAtTarget;
    a.m_goalObject = &b;
    b.m_goalObject = &a;
    b.m_matchGoalOrientation = 1;

    const Matrix4 m = a.getMatrix(0.0);
    for (float v : m.m)
        EXPECT_TRUE(std::isfinite(v));
    const Vector3 angles = b.getRotationAngles(0.0);
    EXPECT_TRUE(std::isfinite(angles.x) && std::isfinite(angles.y));
}

TEST(SceneObjectTest, PointAtTargetTurnsTowardIt)
{
    SceneItem eye(nullptr, ItemMesh), target(nullptr, ItemMesh);
    target.m_motion[PositionX].m_value = 3.0f;
    target.m_motion[PositionY].m_value = 3.0f;
    eye.m_target = &target;
    eye.m_headingController = eye.m_pitchController = ControlPointAtTarget;
    const Vector3 angles = eye.getRotationAngles(0.0);
    EXPECT_NEAR(angles.y, Pi / 2, 1e-5f);
    EXPECT_NEAR(angles.x, Pi / 4, 1e-5f);
    // Its local +Z now points at the target.
    const Vector3 ahead = SceneMath::transformPoint({0, 0, 1}, eye.getMatrix(0.0));
    EXPECT_NEAR(ahead.x, std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(ahead.y, std::sqrt(0.5f), 1e-5f);
}

TEST(SceneObjectTest, CloneOwnsItsOwnChannels)
{
    auto* source = new SceneItem(nullptr, ItemMesh);
    Envelope* x = ensureEnvelope(source->m_motion[PositionX]);
    x->addKeyLinear(1.0f, 4.0f);
    source->m_portalPlanes = std::make_unique<float[]>(12);
    source->m_portalPlanes[11] = 7.0f;

    std::unique_ptr<SceneObject> copy(source->clone());
    delete source; // the copy must not lean on anything the source freed

    EXPECT_NE(copy->m_motion[PositionX].m_envelope, nullptr);
    EXPECT_FLOAT_EQ(copy->m_motion[PositionX].evaluate(1.0), 4.0f);
    EXPECT_EQ(copy->m_motion[PositionX].m_name, "Position.X");
    ASSERT_TRUE(copy->m_portalPlanes);
    EXPECT_EQ(copy->m_portalPlanes[11], 7.0f);
}
