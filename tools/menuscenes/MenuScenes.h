#pragma once
// The menu's 3D scenes: the four backgrounds (a race track before a city
// under an evening sky) and the four prizes of a finished season.
#include <cstdint>
#include <string>
#include <vector>

struct SceneFile {
    std::string entry; // the archive entry name ("D:\Zoprax9/menu/...")
    std::vector<uint8_t> bytes;
};

// Each background: its scene and its world and sky objects.
std::vector<SceneFile> backgroundScenes();
// The bronze, silver and gold cups and the consolation medal.
std::vector<SceneFile> trophyScenes();
