#pragma once
// What the tools take from config.xml and data/karts/: the karts of the
// configuration with the files they name and their body values, and the
// kart's frame, the one set of measures the model, the rig and the drivers
// share.
#include "tools/kartdata/Shapes.h"

#include <string>
#include <vector>

// One <kart> record. The body values default as the game's do when an
// element is missing.
struct KartEntry {
    std::string name;
    std::string kartScene;
    std::string characterScene;
    std::string menuScene;
    std::string kartObject;
    std::string characterObject;
    float mass = 0.6f;
    float massWheels = 0.1f;
    float massSuspensions = 0.05f;
    float spring = 100.0f;
    float damper = 10.0f;
};

std::vector<KartEntry> readKarts(const std::string& configText);

// The measures of our kart (data/karts/kart.txt), in metres: +Z forward,
// +X right, the ground at y = 0.
struct KartFrame {
    float wheelRadius = 0;
    float frontAxle = 0, rearAxle = 0;   // z of the axles
    float frontTrack = 0, rearTrack = 0; // x of the wheel centres (right side)
    float frontTyreWidth = 0, rearTyreWidth = 0;
    float chassisHeight = 0; // the chassis body's centre above the ground
    Vec chassisBox;          // the chassis body's mass box
    float hubInset = 0;      // suspension bodies this far inside the wheels
    Vec bodyCollision;       // kartcol 1: centre y and size
    float bodyCollisionY = 0;
    Vec cabinCollision;      // kartcol 2, round the driver
    Vec cabinCollisionAt;
    Vec cameraTarget; // above and ahead of the chassis
    Vec hips;         // the driver's hips in the seat
    Vec steeringWheel; // the wheel's centre; the hands hold it at its sides
    float steeringRadius = 0;
    Vec exhaust;      // where the smoke leaves the kart

    // Wheel i (0 front left, 1 front right, 2 back left, 3 back right).
    Vec wheel(int i) const;
    Vec hub(int i) const;
    float tyreWidth(int i) const { return i < 2 ? frontTyreWidth : rearTyreWidth; }
};

// False with `error` set when the file is missing, incomplete or wrong.
bool readKartFrame(const std::string& path, KartFrame& frame, std::string& error);
