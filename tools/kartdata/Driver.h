#pragma once
// The drivers: their looks (data/karts/drivers.txt), the joints of their
// seated figure and their objects, one layer per moving part.
#include "tools/kartdata/KartConfig.h"
#include "tools/kartdata/ModelFile.h"

#include <string>
#include <vector>

struct DriverLook {
    std::string name;
    Vec build{1, 1, 1}; // width, height, girth
    float head = 0.13f;
    uint32_t skin = 0, suit = 0, trim = 0, legs = 0, shoes = 0, hair = 0, hat = 0, hatTrim = 0, featureColour = 0;
    std::string headwear, hairstyle, feature;
};

bool readDrivers(const std::string& path, std::vector<DriverLook>& drivers, std::string& error);

// The moving parts of a driver, in the order of the object's layers; each
// layer's pivot is the joint it turns about.
enum DriverPart : uint32_t { Torso, Head, UpperArmL, LowerArmL, UpperArmR, LowerArmR, Legs, DriverPartCount };

// The names the motions call the parts by, and the part each hangs from
// (Legs, the hips, is the root).
extern const char* const kDriverPartNames[DriverPartCount];
extern const DriverPart kDriverPartParents[DriverPartCount];

// Where the joints of a seated driver are in the kart (kart coordinates).
struct DriverRig {
    Vec hips, neck, headCentre;
    Vec shoulder[2], elbow[2], hand[2]; // left, right
    float headRadius = 0;
    Vec pivot(DriverPart part) const;
};

DriverRig driverRig(const KartFrame& frame, const DriverLook& look);
ModelFile driverObject(const DriverRig& rig, const DriverLook& look);
