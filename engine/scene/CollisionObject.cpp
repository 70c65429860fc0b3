#include "engine/scene/CollisionObject.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/scene/Scene.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <utility>

static_assert(sizeof(dTriIndex) == sizeof(uint32_t), "the triangle list is handed to ODE as 32-bit indices");

namespace {

// ODE stops the process on a negative or non-finite size, and scene data
// can carry one.
bool usableSize(float value)
{
    return std::isfinite(value) && value >= 0.0f;
}

} // namespace

CollisionObject::CollisionObject(Scene* scene) : MeshObject(scene, ItemCollision) {}

CollisionObject::CollisionObject(const CollisionObject& source)
    : MeshObject(source),
      m_shapeType(source.m_shapeType),
      m_surfaceClass(source.m_surfaceClass),
      m_spaceIndex(source.m_spaceIndex),
      m_attachedTo(source.m_attachedTo),
      m_trigger(source.m_trigger)
{
    for (int i = 0; i < 3; ++i)
        m_extents[i] = source.m_extents[i];
}

CollisionObject::~CollisionObject()
{
    releaseGeoms();
    releaseTriMesh();
    m_extraDisplay = nullptr;
}

void CollisionObject::releaseGeoms()
{
    if (m_geom) {
        dGeomDestroy(m_geom);
        m_geom = nullptr;
    }
    if (m_extraGeom) {
        dGeomDestroy(m_extraGeom);
        m_extraGeom = nullptr;
    }
}

// Only once no geom uses the data any more.
void CollisionObject::releaseTriMesh()
{
    if (m_triMeshData) {
        dGeomTriMeshDataDestroy(m_triMeshData);
        m_triMeshData = nullptr;
    }
    m_triPositions.clear();
    m_triIndices.clear();
}

void CollisionObject::createBody()
{
    SceneObject::createBody();
    initialize();
}

void CollisionObject::destroyBody()
{
    SceneObject::destroyBody();
    releaseGeoms();
}

dGeomID CollisionObject::makeTriMesh()
{
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    BoundingBox* mesh = firstLodMesh();
    if (!mesh || !mesh->copyTriangles(positions, indices)) {
        reportError("collision mesh has no triangles");
        return nullptr;
    }
    const size_t points = positions.size() / 3;
    bool sound = !indices.empty() && positions.size() % 3 == 0 && indices.size() % 3 == 0 &&
                 points <= size_t(INT_MAX) && indices.size() <= size_t(INT_MAX);
    for (size_t i = 0; sound && i < indices.size(); ++i)
        sound = indices[i] < points;
    for (size_t i = 0; sound && i < positions.size(); ++i)
        sound = std::isfinite(positions[i]);
    if (!sound) {
        reportError("collision mesh triangles are malformed");
        return nullptr;
    }
    // No turning round: a face's front is where (p1 - p0) x (p2 - p0)
    // points, for the mesh's lighting and for ODE alike (the two only
    // describe that one direction in different hands), so a ground that is
    // seen from above is solid from above.
    m_triPositions = std::move(positions);
    m_triIndices = std::move(indices);
    m_triMeshData = dGeomTriMeshDataCreate();
    dGeomTriMeshDataBuildSingle(m_triMeshData, m_triPositions.data(), 3 * sizeof(float), int(points),
                                m_triIndices.data(), int(m_triIndices.size()), 3 * sizeof(dTriIndex));
    return dCreateTriMesh(nullptr, m_triMeshData, nullptr, nullptr, nullptr);
}

dGeomID CollisionObject::makeGeom(const float size[3], const dMatrix3 r, const float p[3])
{
    switch (m_shapeType) {
    case ShapeSphere:
        if (!usableSize(size[0]))
            break;
        return dCreateSphere(nullptr, size[0]);
    case ShapeBox:
        if (!usableSize(size[0]) || !usableSize(size[1]) || !usableSize(size[2]))
            break;
        return dCreateBox(nullptr, size[0], size[1], size[2]);
    case ShapeCapsule:
        if (!usableSize(size[0]) || !usableSize(size[2]))
            break;
        return dCreateCapsule(nullptr, size[0], size[2]);
    case ShapeTriMesh:
        return makeTriMesh();
    case ShapePlane: {
        // The plane through p with the object's Z axis as its normal.
        const double n[3] = {r[2], r[6], r[10]};
        const double d = n[0] * p[0] + n[1] * p[1] + n[2] * p[2];
        return dCreatePlane(nullptr, n[0], n[1], n[2], d);
    }
    case ShapeRay:
        return dCreateRay(nullptr, DBL_MAX);
    default:
        reportError("unknown collision shape");
        return nullptr;
    }
    reportError("collision shape size is negative or not a number");
    return nullptr;
}

BoundingBox* CollisionObject::extraDisplay()
{
    if (!m_collisionDisplay && m_renderer && (m_renderer->m_drawGadgets || m_renderer->m_collisionDisplay)) {
        m_collisionDisplay = std::make_unique<CollisionDisplay>(this);
        m_extraDisplay = m_collisionDisplay.get();
    }
    return m_extraDisplay;
}

void CollisionObject::initialize()
{
    releaseGeoms();
    releaseTriMesh();
    extraDisplay();
    if (!m_scene)
        return;

    float size[3];
    for (int i = 0; i < 3; ++i)
        size[i] = m_extents[i] * m_motion[ScaleX + i].evaluate(0.0);
    Vector3 at = position(0.0);
    if (m_parent)
        at = SceneMath::transformPoint(at, m_parent->getMatrix(0.0, true));
    const float p[3] = {at.x, at.y, at.z};
    dMatrix3 r;
    getOdeRotation(r, 0.0);

    m_geom = makeGeom(size, r, p);
    if (!m_geom)
        return;
    // Planes cannot be placed or carried: ODE stops the process on either.
    if (m_shapeType != ShapePlane) {
        if (m_attachedTo) {
            if (dBodyID carrier = m_attachedTo->m_body) {
                dGeomSetBody(m_geom, carrier);
                dGeomSetOffsetWorldPosition(m_geom, p[0], p[1], p[2]);
                dGeomSetOffsetWorldRotation(m_geom, r);
            }
        } else {
            dGeomSetPosition(m_geom, p[0], p[1], p[2]);
            dGeomSetRotation(m_geom, r);
            if (m_body) {
                dBodySetPosition(m_body, p[0], p[1], p[2]);
                dBodySetRotation(m_body, r);
                dGeomSetBody(m_geom, m_body);
            }
        }
    }
    dGeomSetData(m_geom, this);
    if (m_surfaceClass >= ClassCount)
        reportError("collision surface class outside 0 to 49: the object collides with nothing");
    if (m_spaceIndex < m_scene->m_spaces.size() && m_scene->m_spaces[m_spaceIndex].space)
        dSpaceAdd(m_scene->m_spaces[m_spaceIndex].space, m_geom);
    else
        reportError("collision space index outside the scene's spaces: the object collides with nothing");
    m_initialized = true;
}

void CollisionObject::syncTransform(double time)
{
    SceneObject::evaluateMotion(time);
    if (!m_geom || m_body || m_extraGeom || m_attachedTo || m_shapeType == ShapePlane)
        return;
    const Matrix4& w = m_worldMatrix;
    if (m_shapeType == ShapeRay) {
        const double dx = w.at(2, 0), dy = w.at(2, 1), dz = w.at(2, 2);
        const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        // A ray without a direction (a zero Z scale) keeps its last one.
        if (!(length > 0.0) || !std::isfinite(length))
            return;
        dGeomRaySet(m_geom, w.at(3, 0), w.at(3, 1), w.at(3, 2), dx, dy, dz);
        return;
    }
    dMatrix3 r;
    getOdeRotation(r, time);
    // Placing a geom makes its space recompute its bounds: a geom that did
    // not move (most static geoms, a whole track among them) is left alone.
    const dReal* atNow = dGeomGetPosition(m_geom);
    const dReal* rotationNow = dGeomGetRotation(m_geom);
    bool moved = atNow[0] != dReal(w.at(3, 0)) || atNow[1] != dReal(w.at(3, 1)) || atNow[2] != dReal(w.at(3, 2));
    for (int i = 0; i < 12 && !moved; ++i)
        moved = (i & 3) != 3 && rotationNow[i] != r[i];
    if (!moved)
        return;
    dGeomSetPosition(m_geom, w.at(3, 0), w.at(3, 1), w.at(3, 2));
    dGeomSetRotation(m_geom, r);
}
