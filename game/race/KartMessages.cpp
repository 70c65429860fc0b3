// What a kart tells the other machines of a network race: its pose every
// step, its animations, its finish and the hits it deals to karts driven
// there. The outline the kart calls; the
// messages themselves are filled in with the race's network messages.
#include "game/race/Kart.h"

void Kart::sendPose() {}

void Kart::sendAnimationStart(int32_t id, bool takeStart, float weight, float fadeIn, float fadeOut, float hold) {}

void Kart::sendAnimationEnd(int32_t id, float fadeOut) {}

void Kart::sendFinish() {}

void Kart::sendHit(int32_t kind, int32_t attacker, uint8_t flags) {}
