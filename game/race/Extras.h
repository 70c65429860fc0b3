#pragma once
#include "engine/core/Vector3.h"

#include <cstdint>

class Camera;
class CollisionObject;
class Kart;
class Scene;
class Stream;

// The power-up objects of a race: oil, rockets, decoys, snowballs, bananas,
// pumpkins and holes once they are out on the track. This is their outline:
// the operations the race and its contact handlers call, doing nothing. The
// objects themselves are filled in later.
class Extras {
public:
    Extras(Stream* files, Scene* scene) {}

    // One simulation step.
    void update(float time, float dt) {}
    // Draws the objects for one view.
    void render(Camera* camera, float time) {}

    // A power-up object (surface class 30) touched a kart.
    void hitKart(CollisionObject* object, Kart* kart) {}
    // A power-up object's ground probe (class 31) found the ground.
    void reportGround(CollisionObject* probe, const Vector3& position, const Vector3& normal) {}
    // A power-up object (class 30) ran into a wall.
    void bounce(CollisionObject* object, const Vector3& normal, float depth) {}
};
