#pragma once
// Scenes for looking at the karts, drivers and race objects with lwsview:
// a floor, a sun, a camera and the models placed on it as a race or the
// shop would show them. They are packed with the data set below
// D:\Zoprax9\views\; nothing in the game loads them.
#include "tools/kartdata/Driver.h"
#include "tools/kartdata/ModelFile.h"

#include <string>
#include <vector>

inline constexpr const char* kStageObject = "D:\\Zoprax9/views/stage.lwo";

// The parts a kart shows: levels 0-5 of each upgrade.
struct KartLook {
    int spoiler = 0, tyres = 0, skirts = 0, engine = 0;
};

struct ViewKart {
    const DriverRig* rig = nullptr; // null: the kart alone
    std::string driverObject;
    KartLook look;
    Vec at;
    float heading = 0.0f;
};

struct ViewObject {
    std::string file;
    uint32_t layer = 0;
    Vec at;
    float heading = 0.0f;
    float scale = 1.0f;
};

struct ViewCamera {
    Vec at;
    float heading = 0.0f, pitch = 0.0f;
    float zoom = 3.2f; // the race's chase camera
};

ModelFile stageObject();
std::string viewScene(const ModelFile& kart, const std::string& kartObject, const std::vector<ViewKart>& karts,
                      const std::vector<ViewObject>& objects, const ViewCamera& camera);
