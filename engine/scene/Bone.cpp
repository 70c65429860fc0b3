#include "engine/scene/Bone.h"

#include "engine/core/base/Report.h"

#include <cstring>

using namespace SceneMath;

Bone::Bone(Scene* scene) : SceneItem(scene, ItemBone)
{
    m_nearLimit = 0.01f;
    m_restMatrix = Matrix4::identity();
    m_invRestMatrix = Matrix4::identity();
    m_animatedMatrix = Matrix4::identity();
    m_boneDisplay = std::make_unique<BoneDisplay>(this);
    m_extraDisplay = m_boneDisplay.get();
}

Bone::Bone(const Bone& source)
    : SceneItem(source),
      m_restLength(source.m_restLength),
      m_strength(source.m_strength),
      m_scaleStrength(source.m_scaleStrength),
      m_limitedRange(source.m_limitedRange),
      m_minRange(source.m_minRange),
      m_maxRange(source.m_maxRange),
      m_weightMapName(source.m_weightMapName),
      m_parentBone(source.m_parentBone),
      m_restMatrix(source.m_restMatrix),
      m_invRestMatrix(source.m_invRestMatrix),
      m_animatedMatrix(source.m_animatedMatrix),
      m_restValid(source.m_restValid),
      m_invRestValid(source.m_invRestValid),
      m_animatedValid(source.m_animatedValid)
{
    std::memcpy(m_restPosition, source.m_restPosition, sizeof m_restPosition);
    std::memcpy(m_restDirection, source.m_restDirection, sizeof m_restDirection);
    m_boneDisplay = std::make_unique<BoneDisplay>(this);
    m_extraDisplay = m_boneDisplay.get();
}

Bone::~Bone() = default;

bool Bone::invalidateMatrices()
{
    SceneItem::invalidateMatrices();
    m_animatedValid = 0;
    return false;
}

bool Bone::setParentBone(Bone* parent)
{
    for (Bone* b = parent; b; b = b->m_parentBone) {
        if (b == this) {
            reportError("bone cannot be its own ancestor");
            return false;
        }
    }
    m_parentBone = parent;
    return true;
}

const Matrix4& Bone::restMatrix()
{
    if (m_restValid)
        return m_restMatrix;
    // Marked first, so that a parent chain that loops back here (links set
    // without setParentBone) ends instead of recursing.
    m_restValid = 1;
    Matrix4 m = product(axisRotation(2, m_restDirection[2]), axisRotation(0, m_restDirection[0]));
    m = product(m, axisRotation(1, m_restDirection[1]));
    m = product(m, axisRotation(2, m_pivotRotation[2]));
    m = product(m, axisRotation(0, m_pivotRotation[0]));
    m = product(m, axisRotation(1, m_pivotRotation[1]));
    m = product(m, translation(m_restPosition[0], m_restPosition[1], m_restPosition[2]));
    if (m_parentBone && m_parentBone != this)
        m = product(m, m_parentBone->restMatrix());
    m_restMatrix = m;
    return m_restMatrix;
}

const Matrix4& Bone::invRestMatrix()
{
    if (!m_invRestValid) {
        Matrix4::inverseAffine(m_invRestMatrix, restMatrix());
        m_invRestValid = 1;
    }
    return m_invRestMatrix;
}

const Matrix4& Bone::animatedMatrix(double time)
{
    if (m_animatedValid)
        return m_animatedMatrix;
    m_animatedValid = 1;
    Matrix4 m = getLocalMatrix(time);
    if (m_parentBone && m_parentBone != this)
        m = product(m, m_parentBone->animatedMatrix(time));
    m_animatedMatrix = m;
    return m_animatedMatrix;
}

Matrix4 Bone::skinningMatrix(double time)
{
    return product(invRestMatrix(), animatedMatrix(time));
}
