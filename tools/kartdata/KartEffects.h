#pragma once
// The effects a kart shows while a pickup or a hit works on it, one layer
// each, in the order of kKartEffectItems: the hammer over the driver, the
// rising health cross, the quad-damage ring, the shield bubble, the shock's
// bolts and the smoke cloud. Each is modelled round its own origin; the
// driver's scene places and moves them.
#include "tools/kartdata/ModelFile.h"

inline constexpr const char* kKartEffectsObject = "D:\\Zoprax9/3dobjects_extras/kart_effekte.lwo";

ModelFile kartEffectsObject();
