#pragma once
#include <filesystem>
#include <string>

namespace track {

// The menu's "Tracks" imageset (D:\Zoprax9\menu\Tracks.imageset with its
// picture Tracks.jpg): every level's picture from SCRATCH, three a row,
// each image named by its level record's menu image.
bool writeTracksImageset(const std::string& configPath, const std::filesystem::path& outDir,
                         const std::filesystem::path& scratch, std::string& error);

} // namespace track
