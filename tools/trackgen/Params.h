#pragma once
#include "tools/trackgen/Geometry.h"

#include <string>
#include <vector>

namespace track {

// A level's parameter file (data/levels/NAME.track), as written: one
// statement a line, "#" to the end of a line is a comment, lengths in
// metres and angles in degrees. The file's own comment header and
// data/levels/README.md list the statements.
struct ControlPoint {
    float x = 0.0f, z = 0.0f;
    float width = 12.0f, height = 0.0f, bank = 0.0f;
    int line = 0;
};

// Properties of the track from control point `from` up to `to` (wrapping
// past the last point when `to` <= `from`).
struct Stretch {
    int from = 0, to = 0;
    int line = 0;
    std::string verge;  // empty: the level's
    float vergeWidth = -1.0f;
    int walls = -1;     // bit 0 left, bit 1 right; -1: the level's
    std::string barrier;
    int kerbs = -1;     // -1: the level's
    bool bridge = false;
    bool tunnel = false;
    std::string tunnelMaterial;
};

struct Placement {
    enum Kind { Scatter, Row, Place, Backdrop };
    Kind how = Place;
    std::string prop;
    int line = 0;
    int count = 1;
    float near = 0.0f, far = 0.0f;     // scatter band; backdrop radius in `near`
    int from = 0, to = 0, sides = 0;   // row: control points and sides (bit 0 left, bit 1 right)
    float offset = 0.0f, spacing = 10.0f;
    float x = 0.0f, z = 0.0f, heading = 0.0f;
    float scaleMin = 1.0f, scaleMax = 1.0f;
    int where = 0; // scatter: 1 only within the arena's walls, -1 only outside them
};

struct Pickup {
    std::string kind; // item, special, health, hammer, quaddamage (the twelve coins are laid out by trackgen)
    float fraction = 0.0f;
    float offset = 0.0f;  // across the road, fraction of the half-width (+ left)
    int line = 0;
};

struct Area {
    float height = 0.0f;
    float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f;
    std::string material, facade;
    int line = 0;
};

struct Boundary {
    bool circle = true;
    float x = 0.0f, z = 0.0f, radius = 0.0f;
    float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f;
    float height = 1.0f;
    std::string material;
    int line = 0;
};

struct Shot {
    bool set = false;
    Vector3 eye, target;
};

struct Paintwork {
    std::string material;
    Rgb base, accent;
    bool hasAccent = false;
};

struct Lane {
    bool racing = false;
    float offset = 0.0f; // fraction of the usable half-width, + left
};

struct LevelParams {
    std::string file;
    std::string name;
    Rgb zenith{0.25f, 0.45f, 0.85f}, horizon{0.75f, 0.85f, 0.95f};
    float clouds = 0.5f;
    float sunHeading = 30.0f, sunElevation = 45.0f;
    Rgb sunColour{1.0f, 0.95f, 0.85f};
    float sunIntensity = 1.0f;
    Rgb ambientColour{0.6f, 0.7f, 0.9f};
    float ambientIntensity = 0.4f;
    float fogStart = 0.0f, fogEnd = 0.0f;
    std::vector<Paintwork> paints;
    std::string road = "road";  // "none": the ground is the floor
    std::string verge = "grass";
    float vergeWidth = 5.0f;
    int walls = 3;
    std::string barrier = "barrier_red";
    int kerbs = 1;
    std::string ground = "grass";
    std::string terrain = "flat";
    float terrainA = 0.0f, terrainB = 0.0f;
    float terrainLevel = -0.4f;
    float cell = 6.0f;
    std::vector<Area> waters, lavas, platforms;
    std::vector<ControlPoint> points;
    std::vector<Stretch> stretches;
    struct Jump {
        int at = 0;
        int line = 0;
    };
    std::vector<Jump> jumps;
    std::vector<Lane> lanes;
    std::vector<Pickup> pickups;
    std::vector<Placement> placements;
    std::vector<Boundary> boundaries;
    Shot shot, menuShot;
    int lanesLine = 0;
};

// Reads and checks a parameter file. False with `error` set to
// "FILE:LINE: message" (line 0 when the message is about the whole file).
bool readParams(const std::string& path, LevelParams& out, std::string& error);
bool parseParams(const std::string& path, const std::string& text, LevelParams& out, std::string& error);

} // namespace track
