#pragma once
// The scene files of the karts: the kart as the race builds it (chassis,
// camera target, collision boxes, wheels, suspension, joints and every look
// layer) and the menu's preview stage with every layer of the kart.
#include "tools/kartdata/KartConfig.h"
#include "tools/kartdata/ModelFile.h"

#include <string>

// The names the race looks the kart's parts up by.
namespace KartNames {
inline constexpr const char* Chassis = "chassis";
inline constexpr const char* CameraTarget = "CameraTarget";
inline constexpr const char* Collision = "kartcol";
inline constexpr const char* Wheels[4] = {"wheelFL", "wheelFR", "wheelBL", "wheelBR"};
inline constexpr const char* WheelJoints[4] = {"jointFLwheel", "jointFRwheel", "jointBLwheel", "jointBRwheel"};
inline constexpr const char* SuspensionJoints[4] = {"jointFLsuspension", "jointFRsuspension", "jointBLsuspension",
                                                    "jointBRsuspension"};
} // namespace KartNames

// The race's kart: its bodies carry the masses and the springs carry the
// spring and damper of its config.xml record.
std::string raceKartScene(const KartFrame& frame, const KartEntry& kart, const ModelFile& kartObject);
// The preview stage: a camera, a light and the turning "chassis" with every
// layer of the kart object under it, each at its place.
std::string chooseKartScene(const ModelFile& kartObject, const std::string& kartObjectName);
