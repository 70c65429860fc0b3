#pragma once
// The records config.xml describes: upgrades, levels and karts. Plain,
// copyable, read-only once the configuration has loaded.
#include <cstdint>
#include <string>
#include <vector>

// One level of one upgrade kind: multipliers (1.0 = no change) and a price.
struct UpgradeInfo {
    float speed = 1.0f;
    float drift = 1.0f;
    float acceleration = 1.0f;
    int32_t price = 0;
};

// The shop's six upgrade lists. The four kinds that have levels start with the
// stock part at index 0, so an entry's index is its level; colours and logos
// start empty, so an entry's index is the colour or logo number.
struct UpgradeTable {
    std::vector<UpgradeInfo> sideskirts;
    std::vector<UpgradeInfo> engine;
    std::vector<UpgradeInfo> tires;
    std::vector<UpgradeInfo> spoiler;
    std::vector<UpgradeInfo> logo;
    std::vector<UpgradeInfo> color;

    UpgradeTable();
    // Entry index of a list, or null when the list is shorter: looks and
    // levels come from profiles and the network and are not trusted.
    static const UpgradeInfo* at(const std::vector<UpgradeInfo>& list, int32_t index);
};

// A world rectangle mapped onto an image: x and z in world units.
struct MapRect {
    float xmin = 0.0f;
    float xmax = 1.0f;
    float zmin = 0.0f;
    float zmax = 1.0f;
};

struct LevelInfo {
    std::string filename; // the level's scene
    std::string name;     // the key of the record
    int32_t menutext = 99999;
    std::string menuimage;
    std::string loadingscreen;
    std::string aiPath; // prefix of the AI path files
    int32_t lanes = 3;
    MapRect speedMapRect{0.0f, 0.0f, 0.0f, 0.0f};
    std::string speedMap;
    std::string objectPath;
    std::string minimap;
    MapRect minimapRect;
    std::string posmap;
    MapRect posmapRect;
    std::string colormap;
    MapRect colormapRect;
    int32_t music = 0;
};

struct KartInfo {
    std::string name; // the key of the record
    std::string kartFile;
    std::string characterFile;
    std::string kartObject;
    std::string characterObject;
    std::string menuscene;
    int32_t menutext = 99999;
    std::string menuimage;
    // Items of the kart scene that the kart construction looks up.
    std::string jointFLwheel = "jointFLwheel";
    std::string jointFRwheel = "jointFRwheel";
    std::string jointBLwheel = "jointBLwheel";
    std::string jointBRwheel = "jointBRwheel";
    std::string jointFLsuspension = "jointFLsuspension";
    std::string jointFRsuspension = "jointFRsuspension";
    std::string jointBLsuspension = "jointBLsuspension";
    std::string jointBRsuspension = "jointBRsuspension";
    std::string wheelFL = "wheelFL";
    std::string wheelFR = "wheelFR";
    std::string wheelBL = "wheelBL";
    std::string wheelBR = "wheelBR";
    float forwardSpeed = 100.0f;
    float forwardForce = 1.0f;
    float backwardSpeed = 50.0f;
    float backwardForce = 1.0f;
    float brakeForce = 10.0f;
    float idleForce = 1.0f;
    float mu = 5.0f;
    float slip = 0.0f;
    float drift = 0.0f;
    float driftexp = 1.0f;
    float spring = 100.0f;
    float damper = 10.0f;
    float mass = 0.6f;
    float masssuspensions = 0.05f;
    float masswheels = 0.1f;
    float steerspeed = 0.05f;       // radians per 0.01 s step
    float steerangle = 0.7853982f;  // radians
    float steeranglemin = 0.7853982f;
    float turbotime = 10.0f;
    int32_t special = 0;
};
