#pragma once
#include "game/race/Kart.h"

// Another machine's kart in a network race: built like any kart, then made
// kinematic (no bodies, no joints, its geoms fixed to the kart's items), and
// moved every step to the last pose its owner sent. It does not drive, count
// down timers or send poses; it is drawn, animated and tinted here, and its
// energy follows the owner's replicated value.
class RemoteKart : public Kart {
public:
    using Kart::Kart;

    // Drops the physics of the kart's items and puts the root under the
    // pose's matrix; the race calls it once the scene is prepared.
    void makeKinematic();

    void update(float time, float dt) override;
    void setTransform(const Vector3& position, const Vector3& rotation) override;
    // A remote kart stands still for whoever asks (cameras, computer
    // drivers): its owner knows its speed.
    void getVelocity(Vector3& out) override;

private:
    // The forward and side axes from the root's world matrix.
    void takeAxesFromRoot(float time);
};
