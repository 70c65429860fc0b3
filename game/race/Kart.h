#pragma once
#include "engine/core/math/Vector3.h"
#include "game/race/AnimationEnvelope.h"
#include "game/race/KartEnergy.h"

#include <cstdint>
#include <string>
#include <vector>

class Camera;
class CollisionObject;
class ColourMap;
class KartController;
class MeshObject;
class Scene;
class SceneObject;
class Stream;
class Surface;
class Texture;
struct KartInfo;
struct MixerMotion;
struct UpgradeTable;

// One animation of the driver: the motion of that name in the character's
// motion mixer, whose entries the kart weighs.
using AnimationChannel = MixerMotion;

// One racer: the vehicle's bodies and joints from its kart scene, its
// visible parts and driver, its drive values, lap state, power-up state and
// hit timers. Built by the race after the level (Kart.cpp, KartLook.cpp),
// stepped every 0.01 s (KartDrive.cpp), animated and finished
// (KartAnimation.cpp); power-ups and hits (KartPowerups.cpp) and what it
// tells other machines (KartMessages.cpp) live beside them.
class Kart {
public:
    static constexpr int32_t kAnimations = 30;
    static constexpr int32_t kLayers = 65;
    static constexpr int32_t kSmoke = 5;
    // Wheels, joints and suspensions: front left, front right, back left,
    // back right.
    enum Corner { FL = 0, FR, BL, BR, Corners };

    // Animation ids (the names are the mixer motions of the driver).
    enum Animation : int32_t {
        AnimDrive = 0, AnimSteerLeft = 1, AnimSteerRight = 2, AnimReverse = 3, AnimReverseLeft = 4,
        AnimReverseRight = 5, AnimCrash = 6, AnimWinner = 7, AnimLoser = 8, AnimOvertakeLeft = 9,
        AnimOvertakeRight = 10, AnimOvertakenLeft = 11, AnimOvertakenRight = 12, AnimActivate = 13,
        AnimSnowball = 14, AnimHammer = 15, AnimHealth = 16, AnimQuadDamage = 17, AnimShoot = 18, AnimJump = 19,
        AnimSpeedup = 20, AnimSpin = 21, AnimThrow = 22, AnimShield = 23, AnimShock = 24, AnimTank = 25,
        AnimSpin2 = 26, AnimSmoke = 27, AnimFall = 28, AnimFalseStart = 29,
    };

    // The held power-up kinds (m_powerup; -1 none). The frog's second and
    // third jumps are kinds of their own.
    enum Powerup : int32_t {
        PowerupBoost = 0, PowerupOil = 1, PowerupShield = 2, PowerupRocket = 3, PowerupDecoy = 4,
        PowerupSnowball = 5, PowerupHealth = 6, PowerupQuadDamage = 7, PowerupHammer = 8, PowerupSpeedup = 9,
        PowerupBananas = 10, PowerupFrog = 11, PowerupFrog2 = 12, PowerupFrog3 = 13, PowerupTank = 14,
        PowerupPumpkin = 15, PowerupAlien = 16, PowerupHole = 17,
    };
    // What a hit's attacker carries: its damage counts four times, twice.
    enum HitFlags : uint8_t { HitQuadDamage = 1, HitHammer = 2 };

    // look: spoiler, tyre, side-skirt and engine levels, colour, logo. ccm
    // is the race's engine class (0 to 2). Missing parts are named in
    // m_missing; the race refuses a kart that lacks any.
    Kart(Stream* files, Scene* scene, int32_t index, const KartInfo* info, KartController* driver,
         KartController* finishDriver, const int32_t* look, const UpgradeTable* upgrades, int32_t ccm);
    Kart(const Kart&) = delete;
    Kart& operator=(const Kart&) = delete;
    virtual ~Kart();

    // One simulation step (KartDrive.cpp).
    virtual void update(float time, float dt);
    virtual void setTransform(const Vector3& position, const Vector3& rotation);
    virtual void getVelocity(Vector3& out);

    // Draws what the scene does not: the painted body with this kart's
    // colour and logo, the spoiler and the shadow.
    void render(float time, float frameTime, Camera* camera);
    void getChassisPosition(Vector3& out);
    void getBodyForward(Vector3& out);
    void predictPosition(float seconds, Vector3& out) const;
    void setSpring(float spring, float damper);
    void setSmoke(SceneObject* target);
    void setLayersVisible(bool on);
    void setEnergy(int32_t energy);
    int32_t energy() const { return m_energy.get(); }
    void applyTint(const ColourMap* map);
    // The ground under the kart, from its ground ray.
    void placeShadow(const Vector3& ground, const Vector3& normal);
    void setPhysicsEnabled(bool on);
    // A cue played at the kart.
    void playCue(uint32_t cue);

    // Animations, finish and reset (KartAnimation.cpp).
    void playAnimation(int32_t id, float weight, float fadeIn, float fadeOut, float hold, bool takeStart, bool send,
                       bool exclusive);
    // A fade-out of -1 keeps the envelope's own.
    void endAnimation(int32_t id, float fadeOut, bool send);
    void updateAnimations(float time, float frameTime);
    void onOvertake(bool overtaking, bool rightSide);
    bool updateFinished(float raceTime, int32_t laps);
    // Out of a last-man-standing race: hidden, moved away below the track,
    // its physics off.
    void leaveTrack();
    void switchToFinishController();
    void resetForRace(int32_t startRank);

    // Power-ups (KartPowerups.cpp) and hits (KartHits.cpp). A held kind
    // that does not exist (the special of a bad kart record), a hit kind
    // outside 1 to 18 or an attacker that is no kart of the race (values a
    // network message carries) is refused with a report.
    void usePowerup();
    void rollPowerup();
    void giveSpecial();
    // attacker: the kart whose power-up or ramming hits, -1 none;
    // attackerFlags: HitFlags the attacker's machine sent with it.
    void applyHit(int32_t kind, int32_t attacker, uint8_t attackerFlags, bool send);
    void applyHealth();
    void applyQuadDamage();
    void applyHammer();
    void resetEffects(bool all);
    static bool validPowerup(int32_t kind);

    // Messages to the other machines of a network race (KartMessages.cpp).
    void sendPose();
    void sendAnimationStart(int32_t id, bool takeStart, float weight, float fadeIn, float fadeOut, float hold);
    void sendAnimationEnd(int32_t id, float fadeOut);
    void sendFinish();
    // A hit on a kart that another machine drives goes to that machine
    // (race message 33: u8 hit kart, u8 kind, u8 attacker, u8 flags).
    void sendHit(int32_t kind, int32_t attacker, uint8_t flags);

    // Another machine drives the kart (its driver was a network controller
    // when it was built): it is timed, posed and animated there.
    bool drivenElsewhere() const { return m_drivenElsewhere; }

    // Empty when the kart scene held everything the kart needs; otherwise the
    // names it lacks.
    std::string m_missing;

    int32_t m_index;
    KartController* m_controller = nullptr;
    KartController* m_finishController = nullptr;
    SceneObject* m_wheelJoint[Corners] = {};
    SceneObject* m_suspensionJoint[Corners] = {};
    SceneObject* m_wheel[Corners] = {};
    SceneObject* m_suspension[Corners] = {};
    SceneObject* m_cameraTarget = nullptr;
    SceneObject* m_root = nullptr;
    SceneObject* m_character = nullptr;
    SceneObject* m_body = nullptr;
    SceneObject* m_chassis = nullptr;
    SceneObject* m_spoiler = nullptr;
    // 0 before the start, 1 forward, 2 reverse.
    int32_t m_gear = 0;
    float m_steer = 0.0f;
    uint8_t m_respawnRequest = 0;
    Vector3 m_forward{0.0f, 0.0f, 1.0f};
    Vector3 m_backward{0.0f, 0.0f, -1.0f};
    Vector3 m_velocity{0.0f, 1.0f, 0.0f};
    Vector3 m_side{-1.0f, 0.0f, 0.0f};
    float m_speed = 0.0f;
    Vector3 m_position;
    uint8_t m_onRoughGround = 0;
    AnimationChannel* m_animation[kAnimations] = {};
    AnimationEnvelope m_envelope[kAnimations];
    // The level and weight each animation's mixer entries blend with.
    float m_animationLevel[kAnimations] = {};
    float m_animationWeight[kAnimations] = {};
    int32_t m_exclusiveAnimation = -1;
    std::vector<Surface*> m_tintSurfaces;
    Texture* m_colourTexture = nullptr;
    Texture* m_logoTexture = nullptr;
    Texture** m_colourSlot = nullptr;
    Texture** m_logoSlot = nullptr;
    CollisionObject* m_groundRay = nullptr;
    MeshObject* m_shadow = nullptr;
    SceneObject* m_smoke[kSmoke] = {};
    uint8_t m_layerVisible[kLayers] = {};
    SceneObject* m_layer[kLayers] = {};
    float m_baseForwardSpeed = 0.0f;
    float m_forwardSpeed = 0.0f;
    float m_forwardForce = 0.0f;
    float m_backwardSpeed = 0.0f;
    float m_baseBackwardSpeed = 0.0f;
    float m_backwardForce = 0.0f;
    float m_brakeForce = 0.0f;
    float m_idleForce = 0.0f;
    float m_reverseThreshold = 0.2f;
    float m_mu = 0.0f;
    float m_slip = 0.0f;
    float m_drift = 0.0f;
    float m_driftExp = 1.0f;
    float m_steerSpeed = 0.0f;
    float m_steerAngle = 0.0f;
    float m_steerAngleMin = 0.0f;
    float m_turboTime = 0.0f;
    int32_t m_special = 0;
    int32_t m_lap = 0;
    int32_t m_maxLap = 0;
    int32_t m_rank = 0;
    int32_t m_previousRank = 0;
    KartEnergy m_energy;
    int32_t m_coins = 0;
    int32_t m_powerup = -1;
    // The last checkpoint touched; 2 after a reset.
    int32_t m_direction = 2;
    // The side the kart came onto the finish line from while it stands on it
    // (2 forwards, 1 backwards with a lap taken back, 0 neither): leaving the
    // line by that same side undoes what coming onto it counted.
    int32_t m_lineEntry = 0;
    uint8_t m_finished = 0;
    float m_finishTime = 0.0f;
    float m_lapTime = -1.0f;
    float m_bestLapTime = -1.0f;
    float m_lapStartTime = 0.0f;
    // Power-up and hit timers in 0.01 s steps.
    int32_t m_boostSteps = 0;
    int32_t m_oilHitSteps = 0;
    int32_t m_bananaHitSteps = 0;
    int32_t m_shieldSteps = 0;
    int32_t m_speedupSteps = 0;
    int32_t m_jump1Steps = 0;
    int32_t m_jump2Steps = 0;
    int32_t m_jump3Steps = 0;
    int32_t m_quadDamageSteps = 0;
    int32_t m_hammerSteps = 0;
    int32_t m_decoyHitSteps = 0;
    int32_t m_snowballHitSteps = 0;
    int32_t m_tankSteps = 0;
    int32_t m_spinHitSteps = 0;
    int32_t m_immunitySteps = 0;
    int32_t m_pumpkinHitSteps = 0;
    int32_t m_alienHitSteps = 0;
    int32_t m_rocketHitSteps = 0;
    // -1: out of the race.
    int32_t m_holeSteps = 0;
    int32_t m_collisionHitSteps = 0;
    int32_t m_poseSendCountdown = 0;

    // The race's last respawn point of this kart.
    Vector3 m_lastRespawnPoint{1e30f, 1e30f, 1e30f};
    // The kart's marker on the HUD's minimap.
    int32_t m_marker = -1;
    // The start boost of the last step, so its cue plays once.
    uint8_t m_startBoosting = 0;

protected:
    bool m_drivenElsewhere = false;

    // The ground ray straight down from 10 above the kart's position.
    void placeGroundRay(float time);

    // The scene the kart lives in.
    Scene* m_scene;

private:
    void findParts(Stream* files, const KartInfo& info);
    void applyLook(Stream* files, const int32_t* look);
    void loadCharacter(Stream* files, const KartInfo& info);
    void applyTuning(const KartInfo& info, const UpgradeTable* upgrades, const int32_t* look, int32_t ccm);
    // The mixer weight of an animation's entries and their start time.
    void writeAnimation(int32_t id);
    // The fixed grip and steering of the computer driver.
    void useComputerHandling(float slip, float drift);
    // Into forward (1) or reverse (2), with the driver's animations.
    void shiftGear(int32_t gear);
    void driveWheels(float force, float speed, bool braking);
    void steer(float rate, float dt);
    void countDownTimers();
    bool humanDriver() const;
    bool networkDriver() const;
    // Cues of power-ups and hits sound for a human driver only.
    void humanCue(uint32_t cue);
    // A power-up's or hit's animation: weight 1, its start taken over, sent.
    void effectAnimation(int32_t id, float hold, float fadeIn = 0.0f, float fadeOut = 0.0f);
    // A power-up object from the chassis along the body's forward axis (or
    // the kart's cached one), moved by the offset.
    void dropExtra(int32_t kind, const Vector3& offset = {}, bool alongForward = false);
    // The flags plus what the attacker (when it is a kart of the race) has.
    static uint8_t attackerFlags(int32_t attacker, uint8_t flags);
};
