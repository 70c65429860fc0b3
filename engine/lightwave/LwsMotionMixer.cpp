#include "engine/lightwave/LwsLoader.h"

void LwsLoader::readMotionMixer() {}
