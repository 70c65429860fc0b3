#pragma once
#include "engine/core/math/Vector3.h"

#include <string>

// A sound that plays from a place in the scene. The mesh object that carries
// one keeps it where the object is and as loud as the listener's distance
// allows (MeshObject::updateSound); the game's audio behind it plays it.
class SoundEmitter {
public:
    virtual ~SoundEmitter() = default;

    virtual void start(bool loop) = 0;
    virtual void stop() = 0;
    virtual void setVolume(float volume) = 0;
    virtual bool isPlaying() const = 0;
    virtual void setPosition(const Vector3& position) = 0;
    // Inner and outer cone angles in radians; 2 pi both ways is no cone.
    virtual void setConeAngles(float inner, float outer) = 0;
    // Hands the emitter's own distance curve to the audio behind it.
    virtual void applyDistanceParameters() = 0;

    // The sound file it plays.
    std::string m_fileName;
    // Beyond this distance from the listener it is not heard at all.
    float m_range = 0.0f;
    float m_baseVolume = 1.0f;
};
