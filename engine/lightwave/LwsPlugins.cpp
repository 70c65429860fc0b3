// The plug-in blocks the scene loader understands: levels of detail, the
// master handler (physics spaces, the motion mixer's place), the morph
// mixer, and the custom-object servers for rigid bodies, joints, geoms and
// particles; the HyperVoxel block is handed to its reader
// (LwsHyperVoxels.cpp). Any other class or server is left to the key pass,
// which drops its tokens one by one.
#include "engine/lightwave/LwsLoader.h"

#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwsWords.h"
#include "engine/scene/Bone.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/FxCollision.h"
#include "engine/scene/FxGravity.h"
#include "engine/scene/FxWind.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/Scene.h"

#include <algorithm>
#include <cmath>

namespace {

float readFloat(LwsTokens& t)
{
    return float(t.nextFloat());
}

void readTriple(LwsTokens& t, float out[3])
{
    for (int k = 0; k < 3; ++k)
        out[k] = readFloat(t);
}

bool isWord(std::string_view token, const char* word)
{
    return LwsTokens::equalsIgnoringCase(token, word);
}

// A number truncated toward zero into an integer; 0 for what has none.
int32_t truncated(double value)
{
    if (!(value == value))
        return 0;
    return int32_t(std::clamp(value, -2147483648.0, 2147483647.0));
}

// A value read from a file that must lie in [0, limit).
uint32_t inRange(int32_t value, uint32_t limit, uint32_t fallback)
{
    return value >= 0 && uint32_t(value) < limit ? uint32_t(value) : fallback;
}

} // namespace

void LwsLoader::keyPlugin()
{
    const std::string_view kind = m_tokens.next();
    if (kind == LwsWords::ObjReplacementHandler)
        readLevelsOfDetail();
    else if (kind == LwsWords::MasterHandler)
        readMasterHandler();
    else if (kind == LwsWords::DisplacementHandler)
        readMorphMixer();
    else if (kind == LwsWords::CustomObjHandler)
        readCustomObject();
    else if (kind == LwsWords::VolumetricHandler)
        readHyperVoxels();
}

void LwsLoader::readLevelsOfDetail()
{
    m_tokens.advance(3); // plug-in index, server, a word
    const int32_t n = m_tokens.nextInt();
    const int32_t left = std::max(0, m_tokens.count() - m_tokens.cursor());
    const int32_t levels = std::clamp(n, 0, left / 2 + 1);
    for (int32_t i = 0; i < levels; ++i) {
        const float distance = readFloat(m_tokens);
        std::string name(m_tokens.next());
        if (name.empty())
            continue;
        for (size_t at; (at = name.find("\\\\")) != std::string::npos;)
            name.erase(at, 1);
        MeshObject* o = object();
        if (!o)
            continue;
        if (LwMesh* mesh = m_scene.getLwoLayer(0, m_fileSystem, name))
            o->addLod(mesh, distance);
    }
}

void LwsLoader::readMasterHandler()
{
    m_tokens.advance(1);
    const std::string_view server = m_tokens.next();
    if (server == LwsWords::MotionMixer) {
        m_motionMixerPosition = m_tokens.cursor();
        m_tokens.advance(2);
        m_tokens.skipBlock();
    } else if (server == LwsWords::OdeMaster) {
        readOdeMaster();
    }
}

void LwsLoader::readOdeMaster()
{
    for (std::string_view t = m_tokens.next(); !m_tokens.atEnd() && t != LwsWords::Close; t = m_tokens.next()) {
        if (t == "Gravity") {
            m_tokens.advance(3);
        } else if (t == "Solver") {
            m_tokens.advance(1);
        } else if (t == LwsWords::Open) {
            const std::string_view block = m_tokens.next();
            if (block == LwsWords::SurfaceBlock) {
                while (!m_tokens.atEnd() && m_tokens.next() != LwsWords::Close) {
                }
            } else if (block == LwsWords::SpaceBlock) {
                std::string name;
                int32_t type = 0;
                for (std::string_view k = m_tokens.next(); !m_tokens.atEnd() && k != LwsWords::Close;
                     k = m_tokens.next()) {
                    if (k == "Name")
                        name = std::string(m_tokens.next());
                    else if (k == "Type")
                        type = m_tokens.nextInt();
                    else if (k == "Parent")
                        m_tokens.advance(1);
                }
                // The default space is the top one; every other goes inside
                // the first space. The record's index is the space's class,
                // so only the classes the filter table holds get a space.
                const uint32_t parent = name == LwsWords::DefaultSpace || m_scene.m_spaces.empty()
                                            ? SpaceRecord::NoParent
                                            : 0u;
                if ((type == 0 || type == 1) && m_scene.m_spaces.size() < CollisionObject::ClassCount)
                    m_scene.addSpace(uint32_t(type), name, parent);
            }
        }
    }
}

void LwsLoader::readMorphMixer()
{
    m_tokens.advance(1);
    if (m_tokens.next() != LwsWords::MorphMixer)
        return;
    m_tokens.advance(4);
    const int32_t groups = std::clamp(m_tokens.nextInt(), 0, m_tokens.count());
    m_tokens.advance(int64_t(groups) * 2);
    const int32_t links = std::clamp(m_tokens.nextInt(), 0, m_tokens.count());
    m_tokens.advance(int64_t(links) * 3);
    const int32_t morphs = std::clamp(m_tokens.nextInt(), 0, m_tokens.count());
    for (int32_t i = 0; i < morphs && !m_tokens.atEnd(); ++i) {
        m_tokens.advance(2);
        const std::string name(m_tokens.next());
        auto value = std::make_unique<AnimatedValue>(0.0f);
        readChannel(*value, false);
        m_tokens.advance(1);
        value->m_name = name;
        if (MeshObject* o = object())
            o->m_namedValues.push_back(std::move(value));
    }
    m_tokens.advance(1);
}

void LwsLoader::readCustomObject()
{
    m_tokens.advance(1);
    const std::string_view server = m_tokens.next();
    if (server == LwsWords::OdeBody)
        readBody();
    else if (server == LwsWords::OdeJoint)
        readJoint();
    else if (server == LwsWords::OdeGeom)
        readGeom();
    else if (server == LwsWords::Emitter)
        readEmitter();
    else if (server == LwsWords::Gravity)
        readGravity();
    else if (server == LwsWords::Wind)
        readWind();
    else if (server == LwsWords::Collision)
        readCollision();
    // The collision-plane and culling-plane servers carry nothing to read.
}

void LwsLoader::readBody()
{
    MeshObject* o = object();
    double mass = 1.0;
    int32_t massType = 0;
    float scale[3] = {1.0f, 1.0f, 1.0f};
    int32_t autoDisable = 0;
    for (std::string_view t = m_tokens.next(); !m_tokens.atEnd() && t != LwsWords::Close; t = m_tokens.next()) {
        if (t == "MassType")
            massType = m_tokens.nextInt();
        else if (t == "Mass")
            mass = m_tokens.nextFloat();
        else if (t == "Scale")
            readTriple(m_tokens, scale);
        else if (t == "AutoDisable")
            autoDisable = m_tokens.nextInt();
    }
    if (!o)
        return;
    o->m_autoDisable = autoDisable;
    double size[3];
    for (int k = 0; k < 3; ++k)
        size[k] = double(scale[k]) * double(o->m_motion[ScaleX + k].evaluate(0.0));
    // ODE aborts on masses it cannot take; such a body is left without mass
    // (and so without a body), as an unknown mass type is.
    const bool finite = std::isfinite(mass) && std::isfinite(size[0]) && std::isfinite(size[1]) &&
                        std::isfinite(size[2]);
    dMass m;
    dMassSetZero(&m);
    switch (finite ? massType : -1) {
    case 0:
        if (mass > 0.0 && size[0] > 0.0)
            dMassSetSphereTotal(&m, mass, size[0]);
        break;
    case 1:
        if (mass > 0.0 && size[0] > 0.0 && size[1] > 0.0 && size[2] > 0.0)
            dMassSetBox(&m, mass, size[0], size[1], size[2]);
        break;
    case 2:
        if (mass > 0.0 && size[0] > 0.0 && size[1] >= 0.0)
            dMassSetCapsuleTotal(&m, mass, 2, size[0], size[1]);
        break;
    case 3:
        if (mass > 0.0 && size[0] > 0.0 && size[1] > 0.0)
            dMassSetCylinderTotal(&m, mass, 2, size[0], size[1]);
        break;
    default:
        return;
    }
    o->m_mass = m;
}

void LwsLoader::readJoint()
{
    MeshObject* o = object();
    OdeJointItem* joint = o && o->m_itemType == ItemOdeJoint ? static_cast<OdeJointItem*>(o) : nullptr;
    m_tokens.advance(2);
    for (std::string_view t = m_tokens.next(); !m_tokens.atEnd() && t != LwsWords::Close; t = m_tokens.next()) {
        if (t == "Type") {
            const int32_t type = m_tokens.nextInt();
            if (joint)
                joint->m_jointType = uint32_t(type);
        } else if (t == "Body1" || t == "Body2") {
            const uint32_t id = m_tokens.nextItemId();
            if (joint)
                (t == "Body1" ? pending(joint).body1 : pending(joint).body2) = id;
        } else if (t == "SpringForce") {
            const float v = readFloat(m_tokens);
            if (joint)
                joint->m_springForce = v;
        } else if (t == "DamperForce") {
            const float v = readFloat(m_tokens);
            if (joint)
                joint->m_damperForce = v;
        }
    }
}

void LwsLoader::readGeom()
{
    MeshObject* o = object();
    CollisionObject* geom = o && o->m_itemType == ItemCollision ? static_cast<CollisionObject*>(o) : nullptr;
    m_tokens.advance(2);
    for (std::string_view t = m_tokens.next(); !m_tokens.atEnd() && t != LwsWords::Close; t = m_tokens.next()) {
        if (t == "Type") {
            const int32_t v = m_tokens.nextInt();
            if (geom)
                geom->m_shapeType = inRange(v, ShapeRay + 1, ShapeSphere);
        } else if (t == "Surface") {
            const int32_t v = m_tokens.nextInt();
            if (geom)
                geom->m_surfaceClass = inRange(v, CollisionObject::ClassCount, 0);
        } else if (t == "Space") {
            const int32_t v = m_tokens.nextInt();
            if (geom)
                geom->m_spaceIndex = inRange(v, CollisionObject::ClassCount, 0);
        } else if (t == "Scale") {
            float scale[3];
            readTriple(m_tokens, scale);
            if (geom)
                std::copy(scale, scale + 3, geom->m_extents);
        } else if (t == "Transform") {
            const uint32_t id = m_tokens.nextItemId();
            if (!geom)
                continue;
            if (id >= 0x40000000u && id < 0x50000000u) {
                // A bone of the geom's own object.
                const size_t b = (id - 0x40000000u) >> 16;
                geom->m_attachedTo = b < geom->m_bones.size() ? geom->m_bones[b] : nullptr;
            } else {
                geom->m_attachedTo = resolveItemId(id);
            }
        }
    }
}

void LwsLoader::readEmitter()
{
    MeshObject* o = object();
    auto emitter = std::make_unique<ParticleEmitter>(o);
    ParticleEmitter& e = *emitter;
    LwsTokens& t = m_tokens;
    t.advance(3);
    readTriple(t, e.m_nozzleSize);
    if (t.next() != LwsWords::EmitterMarker)
        t.advance(1);
    t.advance(3);
    e.m_limit = std::clamp(t.nextInt(), 0, int32_t(ParticleTableSize));
    t.advance(2);
    e.m_velocity[0].m_value = readFloat(t);
    e.m_velocity[1].m_value = readFloat(t);
    e.m_velocity[2].m_value = readFloat(t);
    e.m_inherit = readFloat(t);
    t.advance(3);
    readTriple(t, e.m_drift);
    t.advance(3);
    e.m_birthRate.m_value = readFloat(t);
    e.m_nozzle = truncated(t.nextFloat());
    t.advance(1);
    e.m_generateBy = truncated(t.nextFloat());
    e.m_life.m_value = readFloat(t) * 0.033333335f;
    e.m_lifeVariation.m_value = readFloat(t) * 0.033333335f;
    e.m_explosion.m_value = readFloat(t);
    t.advance(1);
    e.m_trigger = t.nextInt();
    t.advance(10);
    e.m_speedScale.m_value = readFloat(t);
    e.m_drag.m_value = readFloat(t);
    e.m_speedScaleVariation.m_value = readFloat(t);
    e.m_dragVariation.m_value = readFloat(t);
    t.advance(3);
    e.m_sizeStart.m_value = readFloat(t);
    e.m_sizeVariation.m_value = readFloat(t);
    t.advance(2);
    e.m_maxStep = readFloat(t);
    t.advance(3);
    // Variant parameters up to the plug-in's end; whatever their name, they
    // animate the birth rate.
    for (std::string_view w = t.nextBlockToken(); !t.atEnd() && w != LwsWords::EndPlugin; w = t.nextBlockToken()) {
        if (!isWord(w, LwsWords::VariantParameter))
            continue;
        t.advance(2);
        t.nextBlockToken();
        e.m_birthRate.m_value = readFloat(t);
        readInlineEnvelope(e.m_birthRate, false);
    }
    if (o && !isWord(t.peek(), LwsWords::PluginEnabled))
        m_scene.m_emitters.push_back(std::move(emitter));
}

void LwsLoader::readGravity()
{
    MeshObject* o = object();
    auto gravity = std::make_unique<FxGravity>(o);
    LwsTokens& t = m_tokens;
    t.advance(3);
    gravity->m_falloff = t.nextInt();
    gravity->m_radius.m_value = readFloat(t);
    gravity->m_strength.m_value = readFloat(t);
    t.advance(1); // a third mode word the modifier has no use for
    gravity->m_mode = t.nextInt();
    if (t.next() != LwsWords::GravityMarker)
        t.advance(1);
    readTriple(t, gravity->m_direction);
    t.advance(1);
    if (o && !isWord(t.peek(1), LwsWords::PluginEnabled))
        m_scene.m_particleEffects.push_back(std::move(gravity));
}

void LwsLoader::readWind()
{
    MeshObject* o = object();
    auto wind = std::make_unique<FxWind>(o);
    LwsTokens& t = m_tokens;
    t.advance(3);
    wind->m_mode = t.nextInt();
    wind->m_radius.m_value = readFloat(t);
    wind->m_power.m_value = readFloat(t);
    wind->m_falloff = t.nextInt();
    wind->m_sceneInts[0] = t.nextInt();
    wind->m_sceneInts[1] = t.nextInt();
    t.advance(1);
    for (AnimatedValue& w : wind->m_wind)
        w.m_value = readFloat(t);
    t.advance(2);
    readTriple(t, wind->m_sceneVectorA);
    wind->m_sceneFloats[0] = readFloat(t);
    wind->m_sceneFloats[1] = readFloat(t);
    t.advance(1);
    readTriple(t, wind->m_sceneVectorB);
    t.advance(1);
    if (o && !isWord(t.peek(1), LwsWords::PluginEnabled))
        m_scene.m_particleEffects.push_back(std::move(wind));
}

void LwsLoader::readCollision()
{
    MeshObject* o = object();
    auto collision = std::make_unique<FxCollision>(o);
    LwsTokens& t = m_tokens;
    t.advance(3);
    collision->m_shape = t.nextInt();
    collision->m_size.m_value = readFloat(t);
    collision->m_bounce.m_value = readFloat(t);
    collision->m_mode = t.nextInt();
    collision->m_flag = t.nextInt() == 1;
    collision->m_scatter = readFloat(t);
    collision->m_sceneFloats[0] = readFloat(t);
    if (t.next() != LwsWords::CollisionMarker)
        t.advance(1);
    collision->m_sceneFloats[1] = readFloat(t);
    collision->m_sceneFloats[2] = readFloat(t);
    t.advance(6);
    if (o)
        m_scene.m_particleEffects.push_back(std::move(collision));
}
