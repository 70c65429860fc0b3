#pragma once
// The driver's scenes: the race's character scene (the seated driver, the
// kart effects and the motion mixer with every motion the race plays) and
// the menu's driver, who waves from the kart preview.
#include "tools/kartdata/Driver.h"
#include "tools/kartdata/SceneItems.h"

#include <string>

std::string characterScene(const DriverRig& rig, const std::string& driverObject);
std::string menuDriverScene(const DriverRig& rig, const std::string& driverObject);

// The driver's parts loaded into `s`, each at its seat and hung from its
// parent, the hips from `root` (0: none); their item ids by part.
void addDriverParts(SceneItems& s, const DriverRig& rig, const std::string& driverObject,
                    uint32_t (&ids)[DriverPartCount], uint32_t root = 0);
