#pragma once
#include "engine/core/math/Vector3.h"
#include "game/race/ExtraEffect.h"

#include <cstdint>
#include <list>

class Camera;
class CollisionObject;
class Kart;
class MeshObject;
class Scene;
class Stream;

// The power-up objects of a race once they are out on the track: oil slicks,
// rockets, decoys, snowballs, bananas, homing pumpkins and holes. It loads
// one model per kind, spawns an object where a kart uses such a power-up or
// another machine says one did, moves them every simulation step, ends them
// when their time runs out or they hit a kart, and draws each with its
// kind's model. The contact handlers find an object through its collision
// objects and report its hits, its ground and its bounces here.
class Extras {
public:
    // Loads the models as hidden objects of the scene: each kind's model is
    // moved to every object of that kind and drawn once for each.
    Extras(Stream* files, Scene* scene);
    ~Extras();
    Extras(const Extras&) = delete;
    Extras& operator=(const Extras&) = delete;

    // A new object of the kind from the spawn position p and vector d. A
    // kind that leaves no object, an owner that is no kart of the race or a
    // position or vector that is not finite is refused with a report: such
    // values come from the network. A kind whose model did not load makes
    // an object without scene objects that ends in the next step. The
    // spawn of a human driver's kart in a started race is told to the other
    // machines.
    ExtraEffect* spawn(int32_t kind, const Vector3& p, const Vector3& d, int32_t owner);
    // One simulation step: lifetimes, motion, bodies and probes placed.
    void update(double clock, float dt);
    // Draws every object for one view.
    void render(Camera* camera, float time);

    // A power-up object (surface class 30) touched a kart: the hit, unless
    // it is the object's own kart, and the object ends (a hole stays 3 s
    // more).
    void hitKart(CollisionObject* object, Kart* kart);
    // A power-up object's ground probe (class 31) found the ground.
    void reportGround(CollisionObject* probe, const Vector3& position, const Vector3& normal);
    // A power-up object (class 30) ran into a wall: its direction is
    // mirrored at the wall and it is pushed out by the depth.
    void bounce(CollisionObject* object, const Vector3& normal, float depth);

    // The angles (about x, y and z, as SceneObject::setRotation takes them)
    // that turn a model's +z axis along v; the heading in [0, 2 pi).
    static Vector3 directionToAngles(const Vector3& v);

    // The live objects in spawn order.
    const std::list<ExtraEffect*>& effects() const { return m_effects; }
    // The model of a kind; null when it did not load or the kind has none.
    MeshObject* model(int32_t kind) const;

private:
    // Tells the other machines of a network race about a spawn (race
    // message 38: u8 owner, u8 kind, f32 p.x, p.y, p.z, d.x, d.y, d.z).
    void sendSpawn(int32_t kind, const Vector3& p, const Vector3& d, int32_t owner);
    void removeObjects(ExtraEffect& effect);

    Stream* m_files;
    Scene* m_scene;
    static constexpr int32_t kModels = 7;
    // In the order of extraKinds().
    MeshObject* m_models[kModels] = {};
    std::list<ExtraEffect*> m_effects;
};
