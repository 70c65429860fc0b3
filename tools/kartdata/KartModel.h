#pragma once
// Our kart object (kart_01.lwo), its blob shadow (kart_shadow.lwo) and the
// exhaust smoke (rauch.lwo). The kart's layer numbers are the ones the race
// and the shop switch. A layer turns about its pivot, so a scene shows it in
// place by putting its pivot there; the wheel carriers, which ride rigid
// bodies, are modelled round their own centres instead (see
// ModelFile::home).
#include "tools/kartdata/KartConfig.h"
#include "tools/kartdata/ModelFile.h"

#include <cstdint>

namespace KartLayers {
inline constexpr uint32_t Body = 0;
// Tyre sets by level 0-5, each front left, front right, back left, back right.
inline constexpr uint32_t Tyres[6][4] = {{1, 7, 18, 24},   {34, 35, 36, 37}, {30, 31, 32, 33},
                                         {38, 39, 40, 41}, {61, 62, 63, 64}, {42, 43, 44, 45}};
// The wheel carriers that ride the suspension, front left to back right.
inline constexpr uint32_t Suspension[4] = {11, 5, 19, 13};
// Side skirts of levels 1-5 are 25-29, spoilers of levels 1-5 are 56-60.
inline constexpr uint32_t SkirtBase = 24;
inline constexpr uint32_t SpoilerBase = 55;
// Engine blocks, exhausts and air intakes, combined per engine level.
inline constexpr uint32_t EngineParts[8] = {46, 47, 48, 50, 51, 53, 54, 55};
inline constexpr uint32_t EngineLevels[6][3] = {{46, 50, 53}, {46, 51, 53}, {47, 51, 54},
                                                {48, 51, 54}, {48, 50, 55}, {47, 51, 55}};
// Every layer of the object, in number order.
std::vector<uint32_t> all();
// True for the layers that hang on the chassis (the rest ride the wheels or
// the suspension).
bool onChassis(uint32_t layer);
// The wheel (0-3) a tyre layer sits on, or -1.
int wheelOf(uint32_t layer);
} // namespace KartLayers

inline constexpr const char* kKartShadowObject = "D:\\Zoprax9/3dobjects_cars/kart_shadow.lwo";
inline constexpr const char* kSmokeObject = "D:\\Zoprax9/3dobjects_extras/rauch.lwo";
// The smoke's soft edge, a transparency picture.
inline constexpr const char* kSmokePicture = "D:/Zoprax9/textures_extras/rauch_puff_alpha.bmp";
inline constexpr const char* kShadowPicture = "D:/Zoprax9/textures_cars/kart_shadow_alpha.bmp";

ModelFile kartObject(const KartFrame& frame);
// A soft dark blob under the kart, lying 0.19 below its origin: the race puts
// the origin 0.2 above the ground.
ModelFile kartShadow(const KartFrame& frame);
// Five puffs (layers 0-4), each a quad facing +Z around its origin.
ModelFile smokeObject();
