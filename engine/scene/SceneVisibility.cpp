#include "engine/core/BoundingBox.h"
#include "engine/core/Renderer.h"
#include "engine/core/Report.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float Pi = 3.14159265358979f;

// The renderable whose box decides visibility: the first level's mesh, or
// for a collision object without one its collision shape while the renderer
// shows those.
BoundingBox* boundsOf(MeshObject* object, const Renderer* renderer)
{
    if (BoundingBox* mesh = object->firstLodMesh())
        return mesh;
    if (object->m_itemType == ItemCollision && renderer && renderer->m_collisionDisplay)
        return static_cast<CollisionObject*>(object)->m_collisionDisplay.get();
    return nullptr;
}

} // namespace

void Scene::sortVisible(std::vector<VisibleRecord>& records)
{
    std::sort(records.begin(), records.end(), [](const VisibleRecord& a, const VisibleRecord& b) {
        if ((a.flag != 0) != (b.flag != 0))
            return a.flag == 0;
        return a.depth < b.depth;
    });
}

void Scene::warpCorners(float corners[32], float halfAngle)
{
    for (int i = 0; i < 8; ++i) {
        float* c = corners + 4 * i;
        const float x = c[0], w = c[3];
        float s = std::sqrt(x * x + w * w);
        if (w < 0.0f)
            s = -s;
        // A corner at the eye itself stays there rather than turning NaN.
        c[0] = s == 0.0f ? 0.0f : std::atan(x / w) * s / halfAngle;
        c[3] = s;
    }
}

void Scene::collectVisible(SceneItem* camera, SceneObject* node, const Matrix4& viewProjection,
                           const std::vector<Antiportal*>& antiportals, std::vector<VisibleRecord>& out,
                           float& nearDepth, float& farDepth, double time)
{
    // Only mesh and collision objects draw; every other item just passes
    // the walk on to its children.
    if (node->m_itemType == ItemMesh || node->m_itemType == ItemCollision) {
        auto* object = static_cast<MeshObject*>(node);
        BoundingBox* box = boundsOf(object, m_renderer);
        bool skip = !box;
        if (box) {
            const bool hidden = object->m_unseenByCamera && !(m_renderer && m_renderer->m_showHiddenObjects);
            const bool flat = object->m_motion[ScaleX].evaluate(time) == 0.0f
                              && object->m_motion[ScaleY].evaluate(time) == 0.0f
                              && object->m_motion[ScaleZ].evaluate(time) == 0.0f;
            skip = hidden || flat || box->activeReflection() == camera;
        }
        if (!skip) {
            Matrix4 toClip;
            Matrix4::multiply(toClip, object->getMatrix(time, true), viewProjection);
            const float halfAngle =
                m_renderer && !m_renderer->m_fixedFunction && m_renderer->m_lensDistortion > 0.0001f
                    ? m_renderer->m_lensDistortion * Pi / 360.0f
                    : 0.0f;
            if (halfAngle > 0.0f) {
                const float widen = std::tan(halfAngle);
                for (int r = 0; r < 4; ++r)
                    toClip.at(r, 0) *= widen;
            }
            float corners[32];
            box->transformCorners(toClip, corners);
            if (halfAngle > 0.0f)
                warpCorners(corners, halfAngle);
            bool visible = !camera->isBoxOutside(corners);
            for (size_t i = 0; visible && i < antiportals.size(); ++i) {
                if (antiportals[i]->occludesBox(corners))
                    visible = false;
            }
            if (visible) {
                float nearest = corners[3], farthest = corners[3];
                for (int i = 1; i < 8; ++i) {
                    nearest = std::min(nearest, corners[4 * i + 3]);
                    farthest = std::max(farthest, corners[4 * i + 3]);
                }
                nearDepth = std::min(nearDepth, nearest);
                farDepth = std::max(farDepth, farthest);
                const uint8_t flag = box->depthSortFlag();
                out.push_back({object, flag ? -farthest : farthest, flag});
            }
        }
    }
    for (SceneObject* child : node->m_children)
        collectVisible(camera, child, viewProjection, antiportals, out, nearDepth, farDepth, time);
}

void Scene::renderLensFlares(SceneItem* camera, const std::vector<ReflectionView*>& visibleViews, double time)
{
    (void)camera;
    (void)visibleViews;
    (void)time;
    // Flares belong to the outermost view only; the flare drawing itself
    // hangs on the lights' flares.
    if (m_renderDepth >= 2 || !m_renderer || !m_renderer->m_lensFlares)
        return;
}
