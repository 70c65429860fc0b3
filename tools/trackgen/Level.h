#pragma once
#include <filesystem>
#include <string>

namespace track {

struct LevelStats {
    size_t bytes = 0;
    size_t triangles = 0;
    size_t floorTriangles = 0;
    float length = 0.0f;
};

// Makes every file of the level that `paramsPath` describes, under the
// names its record in `configPath` gives, below `outDir`; the menu's
// picture of it goes to `scratch` for the Tracks imageset. False with
// `error` ("FILE:LINE: ...") when the parameters or the record do not make
// a level; nothing of the level is then left in `outDir`.
bool makeLevel(const std::string& paramsPath, const std::string& configPath, const std::filesystem::path& outDir,
               const std::filesystem::path& scratch, std::string& error, LevelStats* stats = nullptr);

} // namespace track
