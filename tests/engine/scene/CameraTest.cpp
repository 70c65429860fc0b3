#include "engine/scene/Camera.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float Pi = 3.14159265358979323846f;

class CameraTest : public testing::Test {
protected:
    SceneManager m_manager{nullptr, "cameras"};
    Scene* m_scene = m_manager.loadScene("view");
    Camera* m_camera = m_scene->addCamera(true);
};

void expectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

} // namespace

TEST_F(CameraTest, ProjectionFollowsZoomAndDefaultLens)
{
    EXPECT_EQ(m_scene->m_currentCamera, m_camera);
    struct Case {
        float zoom, x, y;
    };
    const Case cases[] = {{3.2f, 2.4f, 3.2f}, {6.4f, 4.8f, 6.4f}, {1.6f, 1.2f, 1.6f}};
    for (const Case& c : cases) {
        m_camera->m_zoomFactor.m_value = c.zoom;
        m_camera->invalidateMatrices();
        const Matrix4& p = m_camera->setDepthRange(0.0, 1.0f, 1000.0f);
        EXPECT_NEAR(p.at(0, 0), c.x, 1e-4f) << c.zoom;
        EXPECT_NEAR(p.at(1, 1), c.y, 1e-4f) << c.zoom;
        EXPECT_EQ(p.at(2, 0), 0.0f);
        EXPECT_EQ(p.at(2, 3), 1.0f);
        EXPECT_EQ(p.at(3, 3), 0.0f);
        EXPECT_NEAR(m_manager.m_view.lens, c.zoom * 31.25f, 1e-3f);
        EXPECT_NEAR(m_manager.m_view.nearPlane[0], 0.9999f, 1e-6f);
    }
}

TEST_F(CameraTest, ClipSpaceOfAPointInFront)
{
    // Camera at (0, 0, -10) looking down +Z; a point at the origin is 10
    // ahead; one 10 to the side is outside the 2.4 horizontal scale.
    m_camera->m_motion[PositionZ].m_value = -10.0f;
    const Matrix4 view = m_camera->getInvMatrix(0.0, true);
    const Matrix4& projection = m_camera->setDepthRange(0.0, 1.0f, 100.0f);
    Matrix4 viewProjection;
    Matrix4::multiplyAffine(viewProjection, view, projection);

    auto clip = [&](const Vector3& p, float out[4]) {
        for (int c = 0; c < 4; ++c)
            out[c] = p.x * viewProjection.at(0, c) + p.y * viewProjection.at(1, c) + p.z * viewProjection.at(2, c) +
                     viewProjection.at(3, c);
    };
    float c[4];
    clip({0, 0, 0}, c);
    EXPECT_NEAR(c[3], 10.0f, 1e-4f);
    EXPECT_NEAR(c[2] / c[3], (100.0001f / (100.0001f - 0.9999f)) * (1.0f - 0.9999f / 10.0f), 1e-4f);
    EXPECT_FALSE(m_camera->isPointOutside(c));
    clip({1, 2, 0}, c);
    EXPECT_NEAR(c[0], 2.4f, 1e-4f);
    EXPECT_NEAR(c[1], 6.4f, 1e-4f);
    EXPECT_FALSE(m_camera->isPointOutside(c));
    clip({10, 0, 0}, c);
    EXPECT_TRUE(m_camera->isPointOutside(c));
    clip({0, 0, -20}, c);
    EXPECT_TRUE(m_camera->isPointOutside(c));
}

TEST_F(CameraTest, ViewMatrixInvertsTheEyePlacement)
{
    m_camera->m_motion[PositionX].m_value = 3.0f;
    m_camera->m_motion[RotationH].m_value = Pi / 2; // looking along +X
    const Matrix4 view = m_camera->getInvMatrix(0.0, true);
    // A point 5 ahead of the eye is on the view's +Z axis.
    expectNear(SceneMath::transformPoint({8, 0, 0}, view), {0, 0, 5});
    expectNear(SceneMath::transformPoint({3, 0, -1}, view), {1, 0, 0});
}

TEST_F(CameraTest, ViewAxisTurnsTheEye)
{
    struct Case {
        int32_t axis;
        Vector3 itemPoint;
    };
    const Case cases[] = {{0, {4, 0, 0}}, {1, {0, -4, 0}}, {2, {0, 0, 4}}, {7, {0, 0, 4}}};
    for (const Case& c : cases) {
        Camera* camera = m_scene->addCamera(false);
        camera->m_viewAxis = c.axis;
        expectNear(SceneMath::transformPoint(c.itemPoint, camera->getInvMatrix(0.0, true)), {0, 0, 4});
        camera->remove();
    }
    // Mono with the default axis: the eye is the item.
    m_camera->m_motion[PositionY].m_value = 2.0f;
    EXPECT_EQ(m_camera->getMatrix(0.0, true), m_camera->getMatrix(0.0, false));
}

TEST_F(CameraTest, StereoEyesSitHalfTheSeparationToEachSide)
{
    struct Case {
        int32_t eye;
        float eyeX, shift;
    };
    // The shift of eye 0 is -0.5 x scale x separation x 2.4.
    const Case cases[] = {
        {0, -0.03f, -0.072f}, {1, 0.03f, 0.072f}, {2, 0.0f, 1.0f}, {3, 0.0f, -1.0f}, {-1, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        m_manager.m_view.stereoEye = c.eye;
        m_camera->invalidateMatrices();
        m_camera->m_eyeMatricesValid = 0;
        const Matrix4 eye = m_camera->getMatrix(0.0, true);
        EXPECT_NEAR(eye.at(3, 0), c.eyeX, 1e-6f) << c.eye;
        const Matrix4 back = m_camera->getInvMatrix(0.0, true);
        EXPECT_NEAR(back.at(3, 0), -c.eyeX, 1e-6f) << c.eye;
        EXPECT_NEAR(m_camera->setDepthRange(0.0, 1.0f, 10.0f).at(2, 0), c.shift, 1e-5f) << c.eye;
    }
    m_manager.m_view.stereoEye = -1;
}

TEST_F(CameraTest, LeavingStereoPutsTheEyeBackOnTheCamera)
{
    struct Case {
        int32_t from, to;
        float eyeX;
    };
    const Case cases[] = {{1, -1, 0.0f}, {0, 2, 0.0f}, {0, 3, 0.0f}, {-1, 1, 0.03f}, {1, 0, -0.03f}};
    for (const Case& c : cases) {
        m_manager.m_view.stereoEye = c.from;
        m_camera->invalidateMatrices();
        m_camera->getMatrix(0.0, true);
        m_manager.m_view.stereoEye = c.to;
        m_camera->invalidateMatrices();
        EXPECT_NEAR(m_camera->getMatrix(0.0, true).at(3, 0), c.eyeX, 1e-6f) << c.from << " to " << c.to;
        EXPECT_NEAR(m_camera->getInvMatrix(0.0, true).at(3, 0), -c.eyeX, 1e-6f) << c.from << " to " << c.to;
    }
    // Looking along +X the offset lands in the eye's Z row: still dropped.
    m_camera->m_viewAxis = 0;
    m_manager.m_view.stereoEye = 0;
    m_camera->invalidateMatrices();
    m_camera->getMatrix(0.0, true);
    m_manager.m_view.stereoEye = -1;
    m_camera->invalidateMatrices();
    const Matrix4 eye = m_camera->getMatrix(0.0, true);
    EXPECT_EQ(eye.at(3, 0), 0.0f);
    EXPECT_EQ(eye.at(3, 2), 0.0f);
}

TEST_F(CameraTest, ViewportComesFromTheRenderer)
{
    m_manager.m_view.viewportX = 10;
    m_manager.m_view.viewportWidth = 640;
    m_manager.m_view.viewportHeight = 480;
    const D3DVIEWPORT9* v = m_camera->viewport();
    EXPECT_EQ(v->X, 10u);
    EXPECT_EQ(v->Width, 640u);
    EXPECT_EQ(v->Height, 480u);
    EXPECT_EQ(v->MinZ, 0.0f);
    EXPECT_EQ(v->MaxZ, 1.0f);
}

TEST_F(CameraTest, CloneIsAnIndependentCamera)
{
    m_camera->m_zoomFactor.m_value = 6.4f;
    m_camera->m_viewAxis = 0;
    std::unique_ptr<SceneObject> copy(m_camera->clone());
    auto* camera = static_cast<Camera*>(copy.get());
    EXPECT_EQ(camera->m_itemType, uint32_t(ItemCamera));
    EXPECT_EQ(camera->m_viewAxis, 0);
    EXPECT_EQ(camera->m_zoomFactor.m_value, 6.4f);
    EXPECT_FLOAT_EQ(camera->m_nearLimit, 0.01f);
}
