#include "tools/kartdata/DriverMotions.h"

#include <cmath>
#include <map>
#include <numbers>

// Angles follow the scene's channels: heading turns the face to the right,
// pitch tips the front down, bank lifts the right side (a lean to the left).
// An arm hangs forward and down from its shoulder to the steering wheel:
// pitch lifts it (negative up), bank swings it out to the side (negative for
// the left arm). Most motions blend half and half with the driving pose
// ("Fahren", always playing), so their own poses go about twice as far as
// they should look.

const char* const kKartEffectItems[6] = {"hammer", "health", "quaddamage", "shield", "shock", "smoke"};

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

MotionTrack loop(const char* item, const char* channel, std::vector<MotionKey> keys)
{
    return {item, channel, std::move(keys), true};
}

MotionTrack once(const char* item, const char* channel, std::vector<MotionKey> keys)
{
    return {item, channel, std::move(keys), false};
}

// A held pose with a slight wobble of `amount` about it, `period` long.
MotionTrack wobble(const char* item, const char* channel, float value, float amount, float period)
{
    return loop(item, channel, {{0, value}, {0.5f * period, value + amount}, {period, value}});
}

// The same motion for the other side: left and right parts swapped,
// headings, banks and sideways offsets turned round.
MotionPlan mirrored(const MotionPlan& m, const std::string& name)
{
    MotionPlan out = m;
    out.name = name;
    for (MotionTrack& t : out.tracks) {
        if (t.item.size() > 1 && (t.item.back() == 'L' || t.item.back() == 'R'))
            t.item.back() = t.item.back() == 'L' ? 'R' : 'L';
        if (t.channel == "Rotation.H" || t.channel == "Rotation.B" || t.channel == "Position.X")
            for (MotionKey& k : t.keys)
                k.value = -k.value;
    }
    return out;
}

// Both arms the same way (the right as given, the left mirrored).
void bothArms(std::vector<MotionTrack>& tracks, const char* part, const char* channel, std::vector<MotionKey> keys,
              bool looping = true)
{
    const bool turned = std::string(channel) != "Rotation.P";
    std::vector<MotionKey> left = keys;
    if (turned)
        for (MotionKey& k : left)
            k.value = -k.value;
    const std::string right = std::string(part) + "R", leftName = std::string(part) + "L";
    tracks.push_back({right, channel, keys, looping});
    tracks.push_back({leftName, channel, left, looping});
}

MotionPlan steerLeft()
{
    return {"Lenken_LI",
            0.8f,
            {wobble("torso", "Rotation.B", 0.5f, 0.06f, 0.8f),
             wobble("torso", "Rotation.H", -0.2f, -0.04f, 0.8f),
             wobble("head", "Rotation.H", -0.55f, -0.08f, 0.8f),
             wobble("head", "Rotation.B", 0.25f, 0.04f, 0.8f),
             wobble("upperArmR", "Rotation.P", -0.65f, -0.05f, 0.8f),
             wobble("upperArmR", "Rotation.B", 0.3f, 0.0f, 0.8f),
             wobble("upperArmL", "Rotation.P", 0.45f, 0.05f, 0.8f),
             wobble("upperArmL", "Rotation.B", -0.35f, 0.0f, 0.8f)}};
}

MotionPlan reverse(const std::string& name, float lean)
{
    MotionPlan m{name,
                 1.2f,
                 {wobble("torso", "Rotation.H", 0.9f, 0.08f, 1.2f),
                  wobble("torso", "Rotation.P", -0.12f, 0.0f, 1.2f),
                  wobble("torso", "Rotation.B", lean, 0.0f, 1.2f),
                  wobble("head", "Rotation.H", 0.85f, 0.25f, 1.2f),
                  wobble("head", "Rotation.P", -0.1f, 0.0f, 1.2f),
                  // The right arm over the seat back, the left still on the wheel.
                  wobble("upperArmR", "Rotation.P", -1.0f, 0.0f, 1.2f),
                  wobble("upperArmR", "Rotation.H", -0.9f, 0.0f, 1.2f),
                  wobble("upperArmR", "Rotation.B", 0.9f, 0.0f, 1.2f),
                  wobble("lowerArmR", "Rotation.P", 0.6f, 0.0f, 1.2f),
                  wobble("upperArmL", "Rotation.H", -0.7f, 0.0f, 1.2f),
                  wobble("upperArmL", "Rotation.P", -0.2f, 0.0f, 1.2f)}};
    return m;
}

MotionPlan overtaking()
{
    // Overtaking on the left: a wave and a grin to the kart on the right.
    return {"Ueberholen_LI",
            3.0f,
            {wobble("head", "Rotation.H", 1.1f, 0.1f, 0.6f),
             wobble("head", "Rotation.B", -0.2f, 0.0f, 0.6f),
             wobble("torso", "Rotation.H", 0.3f, 0.0f, 0.6f),
             loop("upperArmR", "Rotation.P", {{0, -2.6f}, {0.3f, -2.4f}, {0.6f, -2.6f}}),
             loop("upperArmR", "Rotation.B", {{0, 0.6f}, {0.15f, 0.3f}, {0.3f, 0.6f}, {0.45f, 0.9f}, {0.6f, 0.6f}}),
             loop("lowerArmR", "Rotation.B", {{0, 0.6f}, {0.15f, -0.4f}, {0.3f, 0.6f}, {0.45f, -0.4f}, {0.6f, 0.6f}})}};
}

MotionPlan overtaken()
{
    // Overtaken on the left: a stare and a shaken fist at the kart going by.
    return {"Ueberholt_werden_LI",
            3.0f,
            {wobble("head", "Rotation.H", -1.2f, 0.1f, 0.6f),
             wobble("head", "Rotation.P", 0.15f, 0.0f, 0.6f),
             wobble("torso", "Rotation.H", -0.35f, 0.0f, 0.6f),
             wobble("torso", "Rotation.B", 0.2f, 0.0f, 0.6f),
             wobble("upperArmL", "Rotation.P", -2.3f, 0.0f, 0.3f),
             wobble("upperArmL", "Rotation.B", -0.7f, 0.0f, 0.3f),
             loop("lowerArmL", "Rotation.P", {{0, -1.2f}, {0.15f, -0.2f}, {0.3f, -1.2f}})}};
}

} // namespace

std::vector<MotionPlan> driverMotions()
{
    std::vector<MotionPlan> m;
    // Driving: a gentle bob on the bumps, the head nodding with it.
    m.push_back({"Fahren",
                 1.0f,
                 {loop("legs", "Position.Y", {{0, 0}, {0.25f, 0.012f}, {0.5f, 0}, {0.75f, 0.008f}, {1.0f, 0}}),
                  wobble("torso", "Rotation.P", 0.0f, 0.04f, 1.0f),
                  loop("head", "Rotation.P", {{0, 0.02f}, {0.5f, -0.04f}, {1.0f, 0.02f}}),
                  wobble("head", "Rotation.H", 0.0f, 0.06f, 2.0f)}});
    m.push_back(steerLeft());
    m.push_back(mirrored(steerLeft(), "Lenken_RE"));
    m.push_back(reverse("Rueckwaerts", 0.0f));
    m.push_back(reverse("Rueckwaerts_LI", 0.25f));
    m.push_back(reverse("Rueckwaerts_RE", -0.25f));

    // Crash: dazed, the head rolling round, the arms hanging loose.
    {
        MotionPlan crash{"Crash",
                         1.2f,
                         {loop("head", "Rotation.B", {{0, 0.35f}, {0.3f, 0}, {0.6f, -0.35f}, {0.9f, 0}, {1.2f, 0.35f}}),
                          loop("head", "Rotation.P", {{0, 0}, {0.3f, 0.3f}, {0.6f, 0}, {0.9f, -0.25f}, {1.2f, 0}}),
                          loop("torso", "Rotation.B", {{0, -0.15f}, {0.6f, 0.15f}, {1.2f, -0.15f}}),
                          wobble("torso", "Rotation.P", 0.2f, 0.0f, 1.2f)}};
        bothArms(crash.tracks, "upperArm", "Rotation.P", {{0, 0.9f}, {0.6f, 0.8f}, {1.2f, 0.9f}});
        bothArms(crash.tracks, "upperArm", "Rotation.B", {{0, 0.3f}, {0.6f, 0.4f}, {1.2f, 0.3f}});
        bothArms(crash.tracks, "lowerArm", "Rotation.P", {{0, 0.4f}, {0.6f, 0.5f}, {1.2f, 0.4f}});
        m.push_back(crash);
    }
    // The winner: both arms up and waving, bouncing in the seat.
    {
        MotionPlan winner{"Sieger",
                          0.8f,
                          {loop("legs", "Position.Y", {{0, 0}, {0.2f, 0.07f}, {0.4f, 0}, {0.6f, 0.07f}, {0.8f, 0}}),
                           loop("torso", "Rotation.B", {{0, -0.12f}, {0.4f, 0.12f}, {0.8f, -0.12f}}),
                           wobble("torso", "Rotation.P", -0.15f, 0.0f, 0.8f),
                           loop("head", "Rotation.P", {{0, -0.35f}, {0.4f, -0.2f}, {0.8f, -0.35f}}),
                           loop("head", "Rotation.H", {{0, 0.2f}, {0.4f, -0.2f}, {0.8f, 0.2f}})}};
        bothArms(winner.tracks, "upperArm", "Rotation.P", {{0, -2.7f}, {0.4f, -2.5f}, {0.8f, -2.7f}});
        bothArms(winner.tracks, "upperArm", "Rotation.B", {{0, 0.45f}, {0.2f, 0.7f}, {0.4f, 0.45f}, {0.6f, 0.7f}, {0.8f, 0.45f}});
        bothArms(winner.tracks, "lowerArm", "Rotation.P", {{0, -0.6f}, {0.4f, -0.2f}, {0.8f, -0.6f}});
        m.push_back(winner);
    }
    // The loser: slumped, head hanging and shaking slowly, arms limp.
    {
        MotionPlan loser{"Verlierer",
                         2.0f,
                         {wobble("torso", "Rotation.P", 0.45f, 0.05f, 2.0f),
                          wobble("head", "Rotation.P", 0.55f, 0.0f, 2.0f),
                          loop("head", "Rotation.H", {{0, 0.3f}, {1.0f, -0.3f}, {2.0f, 0.3f}}),
                          wobble("legs", "Position.Y", -0.03f, 0.0f, 2.0f)}};
        bothArms(loser.tracks, "upperArm", "Rotation.P", {{0, 1.0f}, {1.0f, 1.05f}, {2.0f, 1.0f}});
        bothArms(loser.tracks, "lowerArm", "Rotation.P", {{0, 0.3f}, {2.0f, 0.3f}});
        m.push_back(loser);
    }
    m.push_back(overtaking());
    m.push_back(mirrored(overtaking(), "Ueberholen_RE"));
    m.push_back(overtaken());
    m.push_back(mirrored(overtaken(), "Ueberholt_werden_RE"));

    // Using a power-up: a quick punch on the button ahead.
    m.push_back({"Aktivieren",
                 0.5f,
                 {once("upperArmR", "Rotation.P", {{0, 0}, {0.1f, -1.6f}, {0.3f, -1.5f}, {0.5f, 0}}),
                  once("lowerArmR", "Rotation.P", {{0, 0}, {0.1f, -0.5f}, {0.5f, 0}}),
                  once("torso", "Rotation.P", {{0, 0}, {0.1f, 0.25f}, {0.5f, 0}}),
                  once("head", "Rotation.P", {{0, 0}, {0.1f, 0.3f}, {0.5f, 0}})}});
    // Hit by a snowball: frozen stiff, shivering, arms wrapped round.
    {
        MotionPlan cold{"Schneeball",
                        0.2f,
                        {loop("torso", "Rotation.B", {{0, -0.06f}, {0.1f, 0.06f}, {0.2f, -0.06f}}),
                         loop("head", "Rotation.H", {{0, 0.08f}, {0.1f, -0.08f}, {0.2f, 0.08f}}),
                         wobble("head", "Rotation.P", 0.3f, 0.0f, 0.2f),
                         wobble("legs", "Position.Y", -0.02f, 0.0f, 0.2f)}};
        bothArms(cold.tracks, "upperArm", "Rotation.H", {{0, -0.9f}, {0.2f, -0.9f}});
        bothArms(cold.tracks, "upperArm", "Rotation.P", {{0, 0.3f}, {0.2f, 0.3f}});
        bothArms(cold.tracks, "lowerArm", "Rotation.H", {{0, -1.5f}, {0.1f, -1.4f}, {0.2f, -1.5f}});
        m.push_back(cold);
    }
    // Firing the alien: both arms thrust forward, the body thrown back.
    {
        MotionPlan fire{"Faser_schiessen",
                        0.67f,
                        {once("torso", "Rotation.P", {{0, 0}, {0.12f, -0.35f}, {0.4f, -0.2f}, {0.67f, 0}}),
                         once("head", "Rotation.P", {{0, 0}, {0.12f, -0.3f}, {0.67f, 0}})}};
        bothArms(fire.tracks, "upperArm", "Rotation.P", {{0, 0}, {0.1f, -1.6f}, {0.5f, -1.5f}, {0.67f, 0}}, false);
        bothArms(fire.tracks, "lowerArm", "Rotation.P", {{0, 0}, {0.1f, -0.6f}, {0.5f, -0.6f}, {0.67f, 0}}, false);
        m.push_back(fire);
    }
    // The frog's jump: up out of the seat and back, arms flung up.
    {
        MotionPlan jump{"huepfen",
                        0.67f,
                        {once("legs", "Position.Y", {{0, 0}, {0.25f, 0.45f}, {0.4f, 0.42f}, {0.62f, 0}, {0.67f, -0.02f}}),
                         once("torso", "Rotation.P", {{0, 0}, {0.25f, -0.2f}, {0.62f, 0.1f}, {0.67f, 0}})}};
        bothArms(jump.tracks, "upperArm", "Rotation.P", {{0, 0}, {0.25f, -2.6f}, {0.45f, -2.2f}, {0.67f, 0}}, false);
        bothArms(jump.tracks, "upperArm", "Rotation.B", {{0, 0}, {0.25f, 0.6f}, {0.67f, 0}}, false);
        m.push_back(jump);
    }
    // Speed-up: tucked down low behind the wheel, buzzing.
    {
        MotionPlan tuck{"Speedup",
                        0.3f,
                        {wobble("torso", "Rotation.P", 0.75f, 0.03f, 0.3f),
                         wobble("head", "Rotation.P", -0.55f, 0.0f, 0.3f),
                         loop("legs", "Position.Y", {{0, -0.02f}, {0.075f, -0.01f}, {0.15f, -0.02f}, {0.225f, -0.01f}, {0.3f, -0.02f}})}};
        bothArms(tuck.tracks, "upperArm", "Rotation.B", {{0, 0.5f}, {0.3f, 0.5f}});
        bothArms(tuck.tracks, "lowerArm", "Rotation.P", {{0, 0.6f}, {0.3f, 0.6f}});
        m.push_back(tuck);
    }
    // Skidding round: flailing arms, head and body thrown about.
    {
        MotionPlan spin{"Schleudern",
                        0.6f,
                        {loop("torso", "Rotation.H", {{0, 0.45f}, {0.3f, -0.45f}, {0.6f, 0.45f}}),
                         loop("torso", "Rotation.B", {{0, -0.2f}, {0.3f, 0.2f}, {0.6f, -0.2f}}),
                         loop("head", "Rotation.H", {{0, -0.6f}, {0.3f, 0.6f}, {0.6f, -0.6f}}),
                         loop("head", "Rotation.B", {{0, 0.35f}, {0.3f, -0.35f}, {0.6f, 0.35f}}),
                         loop("upperArmR", "Rotation.P", {{0, -2.6f}, {0.3f, -1.0f}, {0.6f, -2.6f}}),
                         loop("upperArmL", "Rotation.P", {{0, -1.0f}, {0.3f, -2.6f}, {0.6f, -1.0f}})}};
        bothArms(spin.tracks, "upperArm", "Rotation.B", {{0, 0.7f}, {0.3f, 0.9f}, {0.6f, 0.7f}});
        m.push_back(spin);
    }
    // Throwing the pumpkin: shown at the arm's full stretch, then back.
    m.push_back({"Kuerbis_werfen",
                 0.5f,
                 {once("upperArmR", "Rotation.P", {{0, -2.4f}, {0.12f, -2.3f}, {0.5f, 0}}),
                  once("upperArmR", "Rotation.B", {{0, 0.4f}, {0.5f, 0}}),
                  once("lowerArmR", "Rotation.P", {{0, -0.4f}, {0.5f, 0}}),
                  once("torso", "Rotation.H", {{0, -0.4f}, {0.12f, -0.3f}, {0.5f, 0}}),
                  once("torso", "Rotation.P", {{0, 0.2f}, {0.5f, 0}})}});
    // The tank: hunched and grim, elbows out, rumbling.
    {
        MotionPlan tank{"panzer",
                        0.5f,
                        {wobble("torso", "Rotation.P", 0.45f, 0.0f, 0.5f),
                         loop("torso", "Rotation.B", {{0, 0.05f}, {0.125f, -0.05f}, {0.25f, 0.05f}, {0.375f, -0.05f}, {0.5f, 0.05f}}),
                         wobble("head", "Rotation.P", -0.35f, 0.05f, 0.5f)}};
        bothArms(tank.tracks, "upperArm", "Rotation.B", {{0, 0.8f}, {0.5f, 0.8f}});
        bothArms(tank.tracks, "lowerArm", "Rotation.P", {{0, 0.5f}, {0.5f, 0.5f}});
        m.push_back(tank);
    }
    // Falling into a hole: spinning down out of sight, arms up; it stays
    // gone until the motion ends.
    {
        MotionPlan fall{"Fallen",
                        1.5f,
                        {once("legs", "Position.Y", {{0, 0}, {0.2f, 0.15f}, {1.5f, -2.0f}}),
                         once("legs", "Rotation.H", {{0, 0}, {1.5f, 4.0f * kPi}}),
                         once("head", "Rotation.P", {{0, 0}, {0.3f, -0.5f}, {1.5f, -0.5f}})}};
        bothArms(fall.tracks, "upperArm", "Rotation.P", {{0, 0}, {0.3f, -2.8f}, {1.5f, -2.8f}}, false);
        bothArms(fall.tracks, "upperArm", "Rotation.B", {{0, 0}, {0.3f, 0.5f}, {1.5f, 0.5f}}, false);
        m.push_back(fall);
    }
    // A false start: fists hammering the wheel, head shaking.
    {
        MotionPlan cross{"Fehlstart",
                         0.5f,
                         {loop("head", "Rotation.H", {{0, 0.4f}, {0.125f, -0.4f}, {0.25f, 0.4f}, {0.375f, -0.4f}, {0.5f, 0.4f}}),
                          wobble("torso", "Rotation.P", 0.25f, 0.05f, 0.5f),
                          loop("upperArmR", "Rotation.P", {{0, -1.1f}, {0.25f, 0.15f}, {0.5f, -1.1f}}),
                          loop("upperArmL", "Rotation.P", {{0, 0.15f}, {0.25f, -1.1f}, {0.5f, 0.15f}})}};
        m.push_back(cross);
    }
    return m;
}

Vec kartEffectPlace(int item)
{
    static const Vec places[6] = {{0.0f, 1.6f, -0.35f}, {0.0f, 1.0f, 0.0f},  {0.0f, 0.35f, 0.05f},
                                  {0.0f, 0.5f, 0.05f},  {0.0f, 0.5f, 0.05f}, {0.0f, 1.05f, -0.2f}};
    return item >= 0 && item < 6 ? places[item] : Vec{};
}

std::vector<MotionPlan> kartMotions()
{
    // Each grows in over a fifth of a second, then keeps moving for as long
    // as the race plays it.
    auto growIn = [](const char* item, float size) {
        return once(item, "Scale", {{0, 0.05f}, {0.15f, 1.15f * size}, {0.25f, size}});
    };
    std::vector<MotionPlan> m;
    m.push_back({"hammer",
                 2.0f,
                 {growIn("hammer", 1.0f),
                  loop("hammer", "Position.Y", {{0, 0}, {1.0f, 0.08f}, {2.0f, 0}}),
                  loop("hammer", "Rotation.H", {{0, 0}, {2.0f, 2.0f * kPi}}),
                  loop("hammer", "Rotation.B", {{0, 0.25f}, {0.5f, -0.25f}, {1.0f, 0.25f}})}});
    m.push_back({"health",
                 2.0f,
                 {once("health", "Scale", {{0, 0.05f}, {0.15f, 1.2f}, {0.3f, 1.0f}, {1.6f, 1.0f}, {2.0f, 0.05f}}),
                  once("health", "Position.Y", {{0, 0}, {2.0f, 1.0f}}),
                  once("health", "Rotation.H", {{0, 0}, {2.0f, 3.0f * kPi}})}});
    m.push_back({"quaddamage",
                 1.5f,
                 {growIn("quaddamage", 1.0f),
                  loop("quaddamage", "Rotation.H", {{0, 0}, {1.5f, 2.0f * kPi}}),
                  loop("quaddamage", "Position.Y", {{0, 0}, {0.75f, 0.2f}, {1.5f, 0}})}});
    m.push_back({"schutzschild",
                 3.0f,
                 {growIn("shield", 1.0f),
                  loop("shield", "Rotation.H", {{0, 0}, {3.0f, 2.0f * kPi}}),
                  loop("shield", "Rotation.B", {{0, 0}, {1.5f, 0.1f}, {3.0f, 0}})}});
    m.push_back({"elektroschock",
                 0.3f,
                 {growIn("shock", 1.0f),
                  loop("shock", "Rotation.H", {{0, 0}, {0.1f, 1.9f}, {0.2f, 0.7f}, {0.3f, 2.0f * kPi}}),
                  loop("shock", "Rotation.B", {{0, 0.1f}, {0.1f, -0.15f}, {0.2f, 0.12f}, {0.3f, 0.1f}}),
                  loop("shock", "Position.Y", {{0, 0}, {0.1f, 0.06f}, {0.2f, -0.03f}, {0.3f, 0}})}});
    m.push_back({"rauch",
                 2.0f,
                 {growIn("smoke", 1.0f),
                  loop("smoke", "Rotation.H", {{0, 0}, {2.0f, 2.0f * kPi}}),
                  loop("smoke", "Position.Y", {{0, 0}, {1.0f, 0.25f}, {2.0f, 0}})}});
    return m;
}

namespace {

const char* const kRotations[3] = {"Rotation.H", "Rotation.P", "Rotation.B"};
const char* const kPositions[3] = {"Position.X", "Position.Y", "Position.Z"};

// A track's keys as a scene envelope: TCB keys, repeated or held.
LwsEnvelope envelope(const std::vector<MotionKey>& keys, bool looping, float offset)
{
    LwsEnvelope e;
    for (const MotionKey& k : keys)
        e.keys.push_back({k.value + offset, k.time, 0, {}});
    e.pre = looping ? 2 : 1;
    e.post = looping ? 2 : 1;
    return e;
}

float frames(float seconds)
{
    return std::round(seconds * 30.0f);
}

} // namespace

LwsMixerActor characterActor(const DriverRig& rig, const uint32_t (&partIds)[DriverPartCount])
{
    LwsMixerActor actor;
    actor.name = "Character";
    for (uint32_t p = 0; p < DriverPartCount; ++p)
        actor.items.push_back({kDriverPartNames[p], partIds[p]});
    for (const MotionPlan& plan : driverMotions()) {
        LwsMixerMotion motion;
        motion.name = plan.name;
        motion.firstFrame = 0.0f;
        motion.lastFrame = frames(plan.seconds);
        // Every part's every channel: the motion's own tracks, the seated
        // pose for the rest. The hips carry the driver's height too.
        for (uint32_t p = 0; p < DriverPartCount; ++p) {
            LwsMixerItem item;
            item.name = kDriverPartNames[p];
            std::vector<std::pair<std::string, float>> channels;
            if (p == Legs)
                channels.push_back({kPositions[1], rig.pivot(Legs).y});
            for (const char* rotation : kRotations)
                channels.push_back({rotation, 0.0f});
            for (const auto& [channel, rest] : channels) {
                const MotionTrack* track = nullptr;
                for (const MotionTrack& t : plan.tracks)
                    if (t.item == item.name && t.channel == channel)
                        track = &t;
                item.channels.push_back(
                    {channel, track ? envelope(track->keys, track->loop, rest) : envelope({{0.0f, 0.0f}}, false, rest)});
            }
            motion.items.push_back(item);
        }
        actor.motions.push_back(motion);
    }
    return actor;
}

LwsMixerActor kartActor(const uint32_t (&effectIds)[6])
{
    LwsMixerActor actor;
    actor.name = "kart";
    for (int i = 0; i < 6; ++i)
        actor.items.push_back({kKartEffectItems[i], effectIds[i]});
    for (const MotionPlan& plan : kartMotions()) {
        LwsMixerMotion motion;
        motion.name = plan.name;
        motion.lastFrame = frames(plan.seconds);
        std::map<std::string, LwsMixerItem> items;
        for (const MotionTrack& t : plan.tracks) {
            int index = 0;
            while (index < 6 && t.item != kKartEffectItems[index])
                ++index;
            const Vec place = kartEffectPlace(index);
            LwsMixerItem& item = items[t.item];
            item.name = t.item;
            if (t.channel == "Scale") {
                for (const char* axis : {"Scale.X", "Scale.Y", "Scale.Z"})
                    item.channels.push_back({axis, envelope(t.keys, t.loop, 0.0f)});
            } else {
                const float offset = t.channel == "Position.X" ? place.x
                                     : t.channel == "Position.Y" ? place.y
                                     : t.channel == "Position.Z" ? place.z
                                                                 : 0.0f;
                item.channels.push_back({t.channel, envelope(t.keys, t.loop, offset)});
            }
        }
        for (auto& [name, item] : items)
            motion.items.push_back(item);
        actor.motions.push_back(motion);
    }
    return actor;
}
