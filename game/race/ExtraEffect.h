#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>

class CollisionObject;
class MeshObject;
class Race;

// The power-up kinds that leave an object on the track or send one along
// it; the same numbers as the kart's held kinds.
enum ExtraKind : int32_t {
    ExtraOil = 1,
    ExtraRocket = 3,
    ExtraDecoy = 4,
    ExtraSnowball = 5,
    ExtraBanana = 10,
    ExtraPumpkin = 15,
    ExtraHole = 17,
};

// How an object of one kind starts: its model, where it is put and where it
// heads from the spawn position p and vector d, how long it lives, its
// collision body and whether it follows the ground.
struct ExtraKindInfo {
    int32_t kind;
    const char* model;
    // The position is p + along x d, raised by lift.
    float along;
    float lift;
    // The direction is d (flat: with its height removed and normalised),
    // or (0, 0, 1) when fixed.
    enum Heading { AlongSpawn, FlatAlongSpawn, Fixed } heading;
    // Simulation steps of 0.01 s.
    int32_t lifetime;
    float modelScale;
    // The body: a box with this side or a sphere with this radius, in a
    // collision space of the race.
    uint32_t shape;
    float size;
    uint32_t space;
    bool groundRay;
    // The height kept above the ground the ray finds.
    float heightOffset;
};

// The seven kinds, in the order their models load; null for any other.
const ExtraKindInfo* extraKindInfo(int32_t kind);
const ExtraKindInfo* extraKinds(int32_t& count);

// One power-up object out on the track: its place and heading, the angles
// added to the heading, its body and, for the kinds that follow the ground,
// its ground probe. The collision objects are the race scene's; each points
// back at this record (its owner) for the contact handlers.
struct ExtraEffect {
    int32_t kind = 0;
    // Simulation steps left.
    int32_t lifetime = 0;
    // The kart that spawned it; -1 before it is set.
    int32_t owner = -1;
    MeshObject* model = nullptr;
    CollisionObject* body = nullptr;
    CollisionObject* groundRay = nullptr;
    Vector3 position;
    Vector3 direction;
    // Radians, added to the angles that follow from the direction.
    float pitch = 0.0f;
    float yaw = 0.0f;
    float roll = 0.0f;
    float heightOffset = 1.0f;
    // Set by a contact handler: the object ends in the next step.
    uint8_t removeNow = 0;

    // The ground probe found the ground at this point.
    void setPosition(const Vector3& ground);
    // One step of its own motion (clock: the physics clock, seconds); the
    // pumpkin looks for its target among the race's karts.
    void move(double clock, float dt, const Race* race);
    // Puts the probe under the object again and the body on it.
    void placeBodies(double clock);
};
