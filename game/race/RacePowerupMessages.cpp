// The power-up messages other machines send: hits on the karts this
// machine drives, and power-up objects their karts spawned. Every field is
// checked before it selects a kart or a kind.
#include "game/race/Race.h"

#include "engine/core/base/Report.h"
#include "game/net/NetPayload.h"
#include "game/race/Extras.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"

#include <string>

namespace {

void refuseMessage(const char* message, const std::string& why)
{
    reportError((std::string(message) + " refused: " + why).c_str());
}

} // namespace

// 33: i8 hit kart, i8 kind, u8 attacker, u8 flags.
void Race::onHitMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t target = in.readChar();
    const int32_t kind = in.readChar();
    const int32_t attacker = in.readByte();
    const uint8_t flags = in.readByte();
    if (!in.good() || in.remaining() != 0)
        return refuseMessage("hit message", "it is " + std::to_string(size) + " bytes long");
    if (target < 0 || target >= m_kartCount || !m_karts[target])
        return refuseMessage("hit message", "kart " + std::to_string(target) + " is not in the race");
    Kart& kart = *m_karts[target];
    // A kart driven elsewhere takes the hit on its own machine.
    if (!kart.m_controller || kart.m_controller->getType() == KartController::Network)
        return;
    kart.applyHit(kind, attacker, flags, false);
}

// 38: i8 owner, i8 kind, f32 position x, y, z, f32 direction x, y, z.
void Race::onSpawnMessage(const uint8_t* payload, int32_t size)
{
    NetPayload in(payload, size);
    const int32_t owner = in.readChar();
    const int32_t kind = in.readChar();
    Vector3 p, d;
    p.x = in.readFloat();
    p.y = in.readFloat();
    p.z = in.readFloat();
    d.x = in.readFloat();
    d.y = in.readFloat();
    d.z = in.readFloat();
    if (!in.good() || in.remaining() != 0)
        return refuseMessage("power-up spawn message", "it is " + std::to_string(size) +
                                                           " bytes long or carries a value that is not a number");
    if (m_extras)
        m_extras->spawn(kind, p, d, owner);
}
