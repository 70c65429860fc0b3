#pragma once
// engine/scene: the scene manager and scenes, the scene-object class tree,
// channels and envelopes, physics coupling, lights, particles and flares.
// Includes engine/core, platform/ and ODE.
#include "engine/core/math/Matrix4.h"
#include "engine/core/base/ObjectBase.h"
#include "engine/core/math/Vector3.h"
#include "engine/scene/AnimatedValue.h"
#include "platform/d3d9/D3D9Types.h"

#include <ode/ode.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ItemDisplay;
class Renderer;
class Scene;
class BoundingBox;
struct ViewState;

// Item type codes; every item class passes its own to the base.
enum SceneItemType : uint32_t {
    ItemReflectionView = 0,
    ItemMesh = 1,
    ItemLight = 2,
    ItemCamera = 3,
    ItemBone = 4,
    ItemCollision = 5,
    ItemOdeJoint = 6,
};

// The nine motion channels, in the order scene files list them.
enum MotionChannel : int32_t {
    PositionX = 0,
    PositionY,
    PositionZ,
    RotationH,
    RotationP,
    RotationB,
    ScaleX,
    ScaleY,
    ScaleZ,
    MotionChannelCount
};

// Where heading and pitch come from.
enum MotionController : int32_t {
    ControlByChannel = 0,
    ControlPointAtTarget = 1,
    ControlAlignToPath = 2,
};

// The node of the scene graph. Carries the item's animated motion, pivot,
// hierarchy links, motion controllers, limits, optional rigid body and the
// cached matrices the renderer and physics read. The cache is keyed by
// nothing but its flags: within one frame every query sees the time of the
// first query after the last invalidation.
class SceneObject {
public:
    SceneObject(Scene* scene, uint32_t itemType);
    // A copy shares nothing it would delete: channels are copied deeply,
    // owned blocks duplicated or left empty, and the body is not taken over.
    SceneObject(const SceneObject& source);
    SceneObject& operator=(const SceneObject&) = delete;
    virtual ~SceneObject();

    virtual void onLostDevice() {}
    virtual void onResetDevice() {}
    virtual bool isDirectional() const { return false; }
    virtual Matrix4 getMatrix(double time, bool flag = false);
    virtual Matrix4 getInvMatrix(double time, bool flag = false);
    virtual const Matrix4& setDepthRange(double time, float nearDistance, float farDistance) = 0;
    // Clip-space tests against this item's projection: a point is x, y, z,
    // w; a box is eight such corners.
    virtual bool isPointOutside(const float clip[4]) const = 0;
    virtual bool isBoxOutside(const float corners[32]) const = 0;
    virtual D3DVIEWPORT9* viewport() { return &m_viewport; }
    virtual bool invalidateMatrices();
    // Unlinks the item and deletes it.
    virtual void remove();
    virtual void initialize() {}
    virtual SceneObject* clone() const = 0;
    virtual void createBody();
    virtual void destroyBody();
    virtual void evaluateMotion(double time);
    virtual void computeInvMatrix(double time);
    virtual void resetProjection(double time) = 0;

    void setName(const std::string& name) { m_name = name; }
    // (x-angle, y-angle, z-angle) at the time, controllers applied.
    Vector3 getRotationAngles(double time);
    Matrix4 getWorldRotation(double time);
    Matrix4 getLocalMatrix(double time);
    void getOdeRotation(dMatrix3 rotation, double time);
    void setBodyTransform(const dReal* rotation, const dReal* position);
    void setPosition(const float position[3]);
    void setRotation(const float angles[3], bool clamp);
    void translate(const float delta[3]);
    void setPivotPosition(const float pivot[3]);
    SceneObject* nextInHierarchy() const;

    // Links a child at the end of the children. A link that would make the
    // item its own ancestor is refused (reported, false): every walk of the
    // tree would otherwise run forever.
    bool addChild(SceneObject* child);
    void removeChild(SceneObject* child);
    bool isAncestorOf(const SceneObject* object) const;
    // Invalidates the whole subtree, children before their parent.
    static void invalidateTree(SceneObject* root);
    // Calls `visit` for every item below this one, children before their
    // parent and in child order; the item itself is not visited. The tree
    // must not change during the walk.
    void forEachChild(const std::function<void(SceneObject*)>& visit);
    // Removes the subtree, last child first, children before their parent.
    static void removeTree(SceneObject* object);

    Vector3 position(double time);
    ViewState* view() const;

    Renderer* m_renderer;
    AnimatedValue m_motion[MotionChannelCount];
    float m_pivotPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_pivotRotation[3] = {0.0f, 0.0f, 0.0f};
    int32_t m_headingController = ControlByChannel;
    int32_t m_pitchController = ControlByChannel;
    // Stored only: bank always comes from its channel.
    int32_t m_bankController = ControlByChannel;
    float m_pathLookAhead = 0.0f;
    int32_t m_rotationOrder[3] = {1, 0, 2};
    std::vector<std::unique_ptr<ObjectBase>> m_ownedObjects;
    uint8_t m_hasEnvMinDistance = 0;
    uint8_t m_hasEnvMaxDistance = 0;
    float m_envMinDistance = 0.0f;
    float m_envMaxDistance = 0.0f;
    // The four side-plane normals of an antiportal; empty for other items.
    std::unique_ptr<float[]> m_portalPlanes;
    dBodyID m_body = nullptr;
    dMass m_mass;
    int32_t m_autoDisable = 0;
    SceneObject* m_goalObject = nullptr;
    uint8_t m_matchGoalOrientation = 0;
    // 1: the item itself is not drawn; its children still are.
    uint8_t m_hidden = 0;
    SceneObject* m_parent = nullptr;
    SceneObject* m_target = nullptr;
    std::vector<SceneObject*> m_children;
    Matrix4 m_worldMatrix;
    Matrix4 m_invWorldMatrix;
    Matrix4 m_projection;
    Matrix4 m_fixedMatrix;
    D3DVIEWPORT9 m_viewport = {0, 0, 512, 512, 0.0f, 1.0f};
    uint8_t m_matrixValid = 0;
    uint8_t m_invMatrixValid = 0;
    uint8_t m_projectionValid = 0;
    uint8_t m_depthRangeSet = 0;
    float m_farLimit = 3.4028235e38f;
    // A second debug node owned by the subclass that sets it.
    BoundingBox* m_extraDisplay = nullptr;
    std::unique_ptr<ItemDisplay> m_display;
    uint32_t m_itemType;
    std::string m_name;
    Scene* m_scene;
    uint8_t m_limitPosition = 0;
    float m_minPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_maxPosition[3] = {0.0f, 0.0f, 0.0f};
    // Bit 0 pitch, bit 1 heading, bit 2 bank.
    uint32_t m_rotationLimitFlags = 1;
    // Pitch, heading, bank.
    float m_minRotation[3] = {-1.5707964f, 0.0f, 0.0f};
    float m_maxRotation[3] = {1.5707964f, 0.0f, 0.0f};
    // The game's own record this item belongs to (a kart, a power-up); the
    // engine only carries it for the game's contact handlers.
    void* m_owner = nullptr;
    // An axis the game writes for its contact handlers: a wheel's axle.
    float m_axis[3] = {0.0f, 0.0f, 0.0f};
    // While set, the item's matrix relative to its parent is m_localMatrix,
    // whatever its channels or body say: the game places it itself.
    uint8_t m_useLocalMatrix = 0;
    Matrix4 m_localMatrix;

protected:
    // The channel formula of the world matrix, with or without the parent.
    Matrix4 composeMotion(double time, bool withParent);
    // The matrix of the axis rotations in the item's rotation order,
    // followed by the pivot rotation.
    Matrix4 rotationPart(double time);
    Vector3 channelAngles(double time);

private:
    // Re-entrancy marks: a query that comes back to an item already being
    // evaluated (a cycle through targets, goals or parents) is answered
    // from the channels or the last cached matrix instead of recursing.
    bool m_evaluatingMatrix = false;
    bool m_evaluatingAngles = false;
};

// Helpers shared by the item classes.
namespace SceneMath {
// The rotations of the matrix build, angle used as given: X rows (1, 0, 0),
// (0, c, s), (0, -s, c); Y rows (c, 0, -s), (0, 1, 0), (s, 0, c); Z rows
// (c, s, 0), (-s, c, 0), (0, 0, 1). Any other axis selector gives identity.
Matrix4 axisRotation(int32_t axis, float angle);
Matrix4 translation(float x, float y, float z);
Matrix4 scaling(float x, float y, float z);
// a x b for affine matrices.
Matrix4 product(const Matrix4& a, const Matrix4& b);
Vector3 transformPoint(const Vector3& p, const Matrix4& m);
// The axis swap that turns a view along +Z into one along X (axis 0) or Y
// (axis 1); identity for any other axis.
Matrix4 viewAxisMatrix(int32_t axis);
} // namespace SceneMath
