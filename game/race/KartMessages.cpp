// What a kart tells the other machines of a network race: its pose every
// step, its animations and its finish. The outline the kart calls; the
// messages themselves are filled in with the race's network messages.
#include "game/race/Kart.h"

void Kart::sendPose() {}

void Kart::sendAnimationStart(int32_t id, bool takeStart, float weight, float fadeIn, float fadeOut, float hold) {}

void Kart::sendAnimationEnd(int32_t id, float fadeOut) {}

void Kart::sendFinish() {}
