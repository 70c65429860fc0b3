#pragma once
#include "engine/scene/BoneDisplay.h"
#include "engine/scene/SceneItem.h"

#include <memory>
#include <string>

// A skeleton bone of a mesh object. The rest pose comes from the scene file
// and is computed once; the animated pose is the bone's own motion chained
// through its parent bones. The owning mesh sends, per bone, the matrix that
// carries a vertex from the rest pose to the animated one.
class Bone : public SceneItem {
public:
    explicit Bone(Scene* scene);
    Bone(const Bone& source);
    ~Bone() override;

    // Leaves the rest pose alone: it is computed once for the bone's life.
    bool invalidateMatrices() override;
    SceneObject* clone() const override { return new Bone(*this); }

    // Refuses (reports, false) a parent bone that would make the bone its
    // own ancestor: the pose chains would recurse forever.
    bool setParentBone(Bone* parent);
    const Matrix4& restMatrix();
    const Matrix4& invRestMatrix();
    const Matrix4& animatedMatrix(double time);
    // Rest pose to animated pose: inverse rest x animated.
    Matrix4 skinningMatrix(double time);

    float m_restPosition[3] = {0.0f, 0.0f, 0.0f};
    // Pitch, heading, bank.
    float m_restDirection[3] = {0.0f, 0.0f, 0.0f};
    float m_restLength = 1.0f;
    float m_strength = 1.0f;
    uint8_t m_scaleStrength = 0;
    uint8_t m_limitedRange = 0;
    float m_minRange = 0.0f;
    float m_maxRange = 1.0f;
    std::string m_weightMapName;
    Bone* m_parentBone = nullptr;
    Matrix4 m_restMatrix;
    Matrix4 m_invRestMatrix;
    Matrix4 m_animatedMatrix;
    uint8_t m_restValid = 0;
    uint8_t m_invRestValid = 0;
    uint8_t m_animatedValid = 0;
    std::unique_ptr<BoneDisplay> m_boneDisplay;
};
