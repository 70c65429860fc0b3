#pragma once
// game/race: the race half of the game: the race with its loading, frame,
// progress and contact handlers, the karts and their controllers, the AI
// paths and maps, the power-up objects and the effects. Includes engine/,
// platform/ and game/app (and game/net for the replicated values).
#include <cstdint>

class Kart;

// The driver of one kart: turns its source of intent into the outputs the
// kart reads in its own step. This base drives karts that another machine
// moves: its outputs stay zero. A controller is shared by counted reference
// (a kart holds two) and deletes itself when the last reference goes.
class KartController {
public:
    // What getType answers.
    enum Type : int32_t { Human = 0, Computer = 1, Network = 2 };

    KartController() = default;
    KartController(const KartController&) = delete;
    KartController& operator=(const KartController&) = delete;
    virtual ~KartController() = default;

    virtual bool isAI() const { return false; }
    // One simulation step.
    virtual void update() {}
    virtual int32_t getType() const { return Network; }
    // The race puts the kart (back) on the track.
    virtual void reset() {}

    void addRef() { ++m_refCount; }
    // Deletes the controller when this was the last reference.
    void release();
    // A hit or effect still holds the kart: no reset may be asked for.
    bool isBusy() const;

    uint32_t m_refCount = 0;
    Kart* m_kart = nullptr;
    // Non-zero means active; steering is a fraction of the limit for the
    // computer driver.
    float m_steerLeft = 0.0f;
    float m_steerRight = 0.0f;
    float m_throttle = 0.0f;
    float m_brake = 0.0f;
    // The throttle was pressed in the good window before GO, or too early.
    float m_startBoost = 0.0f;
    float m_falseStart = 0.0f;
    float m_fire = 0.0f;
    float m_reset = 0.0f;
    float m_lookBack = 0.0f;
};
