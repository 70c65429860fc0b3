// The race's network messages from other machines (the power-up ones are in
// RacePowerupMessages.cpp), and the handlers' life with the race. Every
// field is checked before it selects a kart or an animation.
#include "game/race/Race.h"

#include "engine/core/base/Report.h"
#include "game/app/RaceSetup.h"
#include "game/net/NetControl.h"
#include "game/net/NetPayload.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"

#include <string>

namespace {

// The race's message ids and their payload sizes.
struct RaceMessage {
    int32_t id;
    int32_t size;
    void (Race::*handler)(const uint8_t*, int32_t);
};
const RaceMessage kReady = {31, 1, &Race::onReadyMessage};
// In the order they are registered after loading.
const RaceMessage kLater[] = {
    {32, 1, &Race::onUnusedMessage},   {34, 18, &Race::onAnimationMessage}, {35, 6, &Race::onAnimationEndMessage},
    {33, 4, &Race::onHitMessage},      {36, 5, &Race::onFinishMessage},     {37, 37, &Race::onPoseMessage},
    {38, 26, &Race::onSpawnMessage},
};
const int32_t kRemovalOrder[] = {31, 32, 34, 35, 33, 36, 37, 38};

void refuseMessage(const char* message, const std::string& why)
{
    reportError((std::string(message) + " refused: " + why).c_str());
}

// Whether the payload held exactly its fields, each of them a number;
// refused with the reason when not.
bool wellFormed(const NetPayload& in, int32_t size, const char* message)
{
    if (in.remaining() != 0 || !in.good()) {
        reportError((std::string(message) + " refused: it is " + std::to_string(size) +
                     " bytes long or carries a value that is not a number")
                        .c_str());
        return false;
    }
    return true;
}

Vector3 readVector(NetPayload& in)
{
    Vector3 v;
    v.x = in.readFloat();
    v.y = in.readFloat();
    v.z = in.readFloat();
    return v;
}

bool drivenElsewhere(const Kart& kart)
{
    return kart.drivenElsewhere();
}

} // namespace

void Race::registerReadyHandler()
{
    NetControl::getInstance().addHandler(HandlerEntry(kReady.id, kReady.size, kReady.handler, this));
    m_handlersRegistered = true;
}

void Race::registerRaceHandlers()
{
    NetControl& net = NetControl::getInstance();
    for (const RaceMessage& m : kLater)
        net.addHandler(HandlerEntry(m.id, m.size, m.handler, this));
}

void Race::removeRaceHandlers()
{
    if (!m_handlersRegistered)
        return;
    NetControl& net = NetControl::getInstance();
    net.disconnect();
    for (int32_t id : kRemovalOrder)
        net.removeHandler(id);
    m_handlersRegistered = false;
}

// 31: i8 kart.
void Race::onReadyMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t kart = in.readChar();
    if (!wellFormed(in, size, "ready message"))
        return;
    if (kart < 0 || kart >= m_kartCount)
        return refuseMessage("ready message", "kart " + std::to_string(kart) + " is not in the race");
    m_ready[kart] = 1;
}

void Race::onUnusedMessage(const uint8_t*, int32_t) {}

// 34: i8 kart, u8 animation (bit 7 the start flag), f32 weight, fade-in,
// fade-out, hold.
void Race::onAnimationMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t kart = in.readChar();
    const uint8_t bits = in.readByte();
    const float weight = in.readFloat();
    const float fadeIn = in.readFloat();
    const float fadeOut = in.readFloat();
    const float hold = in.readFloat();
    if (!wellFormed(in, size, "animation message"))
        return;
    const int32_t id = bits & 0x7F;
    if (kart < 0 || kart >= m_kartCount)
        return refuseMessage("animation message", "kart " + std::to_string(kart) + " is not in the race");
    if (id >= Kart::kAnimations)
        return refuseMessage("animation message", "animation " + std::to_string(id) + " does not exist");
    if (drivenElsewhere(*m_karts[kart]))
        m_karts[kart]->playAnimation(id, weight, fadeIn, fadeOut, hold, (bits & 0x80) != 0, false, false);
}

// 35: i8 kart, i8 animation, f32 fade-out.
void Race::onAnimationEndMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t kart = in.readChar();
    const int32_t id = in.readChar();
    const float fadeOut = in.readFloat();
    if (!wellFormed(in, size, "animation end message"))
        return;
    if (kart < 0 || kart >= m_kartCount)
        return refuseMessage("animation end message", "kart " + std::to_string(kart) + " is not in the race");
    if (id < 0 || id >= Kart::kAnimations)
        return refuseMessage("animation end message", "animation " + std::to_string(id) + " does not exist");
    if (drivenElsewhere(*m_karts[kart]))
        m_karts[kart]->endAnimation(id, fadeOut, false);
}

// 36: i8 kart, f32 finish time.
void Race::onFinishMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t index = in.readChar();
    const float time = in.readFloat();
    if (!wellFormed(in, size, "finish message"))
        return;
    if (index < 0 || index >= m_kartCount)
        return refuseMessage("finish message", "kart " + std::to_string(index) + " is not in the race");
    Kart& kart = *m_karts[index];
    // This machine times its own karts.
    if (!drivenElsewhere(kart))
        return;
    kart.m_finished = 1;
    kart.m_finishTime = time;
    kart.resetEffects(true);
    if (m_setup->gameType == LastManStanding)
        kart.leaveTrack();
}

// 37: i8 kart, f32 x3 position, f32 x3 forward axis, f32 x3 side axis.
void Race::onPoseMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t index = in.readChar();
    const Vector3 position = readVector(in);
    const Vector3 forward = readVector(in);
    const Vector3 side = readVector(in);
    if (!wellFormed(in, size, "pose message"))
        return;
    if (index < 0 || index >= m_kartCount)
        return refuseMessage("pose message", "kart " + std::to_string(index) + " is not in the race");
    Kart& kart = *m_karts[index];
    // A kart out of a last-man-standing race stays away.
    if (!drivenElsewhere(kart) || (m_setup->gameType == LastManStanding && kart.m_finished))
        return;
    kart.m_position = position;
    kart.m_forward = forward;
    kart.m_side = side;
}

void Race::dropDepartedPlayers()
{
    const uint32_t slots = NetControl::getInstance().takeDepartedSlots();
    if (!slots)
        return;
    for (int32_t i = 0; i < m_kartCount; ++i) {
        const int32_t slot = m_setup->lobbySlot[i];
        if (slot >= 0 && slot < 32 && (slots & (1u << slot)) && drivenElsewhere(*m_karts[i])) {
            m_departed[i] = 1;
            // Nor does it hold back the start.
            m_ready[i] = 1;
        }
    }
}
