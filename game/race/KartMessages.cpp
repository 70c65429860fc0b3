// What a kart tells the other machines of a network race: its pose every
// step, its animations and its finish, for the karts this machine drives,
// and the hits it takes while another machine drives it.
#include "game/race/Kart.h"

#include "game/app/RaceSetup.h"
#include "game/net/NetControl.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"

namespace {

enum RaceMessage : int32_t { AnimationStart = 34, AnimationEnd = 35, Finish = 36, Pose = 37, Hit = 33 };

bool networkRace()
{
    const Race* race = Race::current();
    return race && race->m_setup && race->m_setup->mode == 2;
}

void writeVector(NetControl& net, const Vector3& v)
{
    net.writeFloat(v.x);
    net.writeFloat(v.y);
    net.writeFloat(v.z);
}

} // namespace

// 37: i8 kart, f32 x3 position, f32 x3 forward, f32 x3 side.
void Kart::sendPose()
{
    if (m_drivenElsewhere || !networkRace())
        return;
    NetControl& net = NetControl::getInstance();
    net.beginChunk(Pose);
    net.writeByte(uint8_t(m_index));
    writeVector(net, m_position);
    writeVector(net, m_forward);
    writeVector(net, m_side);
    net.sendChunk();
}

// 34: i8 kart, u8 id with bit 7 the start flag, f32 weight, fade-in,
// fade-out, hold.
void Kart::sendAnimationStart(int32_t id, bool takeStart, float weight, float fadeIn, float fadeOut, float hold)
{
    if (m_drivenElsewhere || !networkRace())
        return;
    NetControl& net = NetControl::getInstance();
    net.beginChunk(AnimationStart);
    net.writeByte(uint8_t(m_index));
    net.writeByte(uint8_t((id & 0x7F) | (takeStart ? 0x80 : 0)));
    net.writeFloat(weight);
    net.writeFloat(fadeIn);
    net.writeFloat(fadeOut);
    net.writeFloat(hold);
    net.sendChunk();
}

// 35: i8 kart, i8 id, f32 fade-out.
void Kart::sendAnimationEnd(int32_t id, float fadeOut)
{
    if (m_drivenElsewhere || !networkRace())
        return;
    NetControl& net = NetControl::getInstance();
    net.beginChunk(AnimationEnd);
    net.writeByte(uint8_t(m_index));
    net.writeByte(uint8_t(id));
    net.writeFloat(fadeOut);
    net.sendChunk();
}

// 36: i8 kart, f32 finish time. Only the machine that drives a kart times
// its finish, so every machine books the same time for it.
void Kart::sendFinish()
{
    if (m_drivenElsewhere || !networkRace())
        return;
    NetControl& net = NetControl::getInstance();
    net.beginChunk(Finish);
    net.writeByte(uint8_t(m_index));
    net.writeFloat(m_finishTime);
    net.sendChunk();
}

void Kart::sendHit(int32_t kind, int32_t attacker, uint8_t flags)
{
    if (!networkRace())
        return;
    NetControl& net = NetControl::getInstance();
    net.beginChunk(Hit);
    net.writeByte(uint8_t(m_index));
    net.writeByte(uint8_t(kind));
    net.writeByte(uint8_t(attacker));
    net.writeByte(flags);
    net.sendChunk();
}
