#include "tools/trackgen/Level.h"

#include "game/app/GameConfig.h"
#include "tools/lib/PathWriter.h"
#include "tools/trackgen/ConfigFile.h"
#include "tools/trackgen/ObjectWriter.h"
#include "tools/trackgen/Output.h"
#include "tools/trackgen/Props.h"
#include "tools/trackgen/RaceFiles.h"
#include "tools/trackgen/Raster.h"
#include "tools/trackgen/SceneWriter.h"
#include "tools/trackgen/Track.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace track {

namespace {

// The folder the GUI reads its pictures from (the game's resource
// provider puts it before every GUI file name).
const char* const kMenuFolder = "D:\\Zoprax9\\menu\\";
// Pieces of the level's objects, so that what lies behind the camera is
// not drawn; beyond the track's surroundings one piece per side.
constexpr float kTileSize = 150.0f;
constexpr float kTileMargin = 60.0f;

bool readRecord(const std::string& configPath, const LevelParams& params, LevelInfo& out, std::string& error)
{
    GameConfig config;
    if (!readConfig(configPath, config, error))
        return false;
    const LevelInfo* record = config.findLevel(params.name);
    if (!record) {
        error = params.file + ":1: " + configPath + " has no level named \"" + params.name + "\"";
        return false;
    }
    out = *record;
    return true;
}

std::string folderOf(const std::string& entry)
{
    const size_t cut = entry.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : entry.substr(0, cut + 1);
}

// Every map rectangle of the record must hold the track with its verges.
bool checkRects(const LevelInfo& record, const Terrain& terrain, const std::string& configPath, std::string& error)
{
    const struct {
        const char* what;
        const MapRect& rect;
    } rects[] = {{"minimap", record.minimapRect}, {"posmap", record.posmapRect}, {"colormap", record.colormapRect}};
    for (const auto& r : rects) {
        if (r.rect.xmin <= terrain.x0() && r.rect.xmax >= terrain.x1() && r.rect.zmin <= terrain.z0() &&
            r.rect.zmax >= terrain.z1() && r.rect.xmax - r.rect.xmin > 1.0f && r.rect.zmax - r.rect.zmin > 1.0f)
            continue;
        const float cx = std::round((terrain.x0() + terrain.x1()) * 0.5f);
        const float cz = std::round((terrain.z0() + terrain.z1()) * 0.5f);
        const float half = std::ceil(std::max(terrain.x1() - terrain.x0(), terrain.z1() - terrain.z0()) * 0.5f / 10.0f) * 10.0f + 10.0f;
        char text[256];
        std::snprintf(text, sizeof text,
                      ":0: the %s rectangle of level \"%s\" does not hold the track; xmin=\"%g\" xmax=\"%g\" "
                      "zmin=\"%g\" zmax=\"%g\" would",
                      r.what, record.name.c_str(), double(cx - half), double(cx + half), double(cz - half),
                      double(cz + half));
        error = configPath + text;
        return false;
    }
    return true;
}

std::string normalised(std::string entry)
{
    for (char& c : entry)
        c = c == '\\' ? '/' : char(std::tolower(static_cast<unsigned char>(c)));
    return entry;
}

// The record's names must keep the level's files in its own folder: the
// folder is emptied before each run.
bool checkNames(const LevelInfo& r, const std::string& configPath, std::string& error)
{
    const std::string folder = normalised(r.objectPath);
    const bool ownFolder = folder.size() > 3 && folder.back() == '/' && normalised(folderOf(r.filename)) == folder &&
                           normalised(r.aiPath) == folder && normalised(folderOf(r.posmap)) == folder &&
                           normalised(folderOf(r.colormap)) == folder && folder.find("..") == std::string::npos;
    const bool plainPictures = !r.minimap.empty() && !r.loadingscreen.empty() && !r.menuimage.empty() &&
                               r.minimap.find_first_of("/\\") == std::string::npos &&
                               r.loadingscreen.find_first_of("/\\") == std::string::npos &&
                               r.menuimage.find_first_of("/\\") == std::string::npos;
    if (ownFolder && plainPictures)
        return true;
    error = configPath + ":0: level \"" + r.name +
            "\" must keep its scene, AI files, maps and objects in its own folder (objectfiles path) and name "
            "its minimap, loading screen and menu image without a folder";
    return false;
}

WorldRect worldRect(const MapRect& r) { return {r.xmin, r.xmax, r.zmin, r.zmax}; }

std::vector<uint8_t> ppm(const Picture& p)
{
    const std::string header = "P6\n" + std::to_string(p.width()) + " " + std::to_string(p.height()) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const Rgb c = p.get(x, y);
            out.insert(out.end(), {toByte(c.r), toByte(c.g), toByte(c.b)});
        }
    return out;
}

Vector3 towardSun(const LevelParams& p)
{
    const float h = radians(p.sunHeading), e = radians(p.sunElevation);
    return Vector3(std::sin(h) * std::cos(e), std::sin(e), std::cos(h) * std::cos(e));
}

Picture view(const LevelModel& level, const LevelParams& params, const std::vector<const Picture*>& textures,
             const ViewPoint& at, int width, int height)
{
    Lighting light;
    light.towardSun = towardSun(params);
    light.sun = params.sunColour * params.sunIntensity;
    light.ambient = params.ambientColour * params.ambientIntensity;
    light.fog = params.horizon;
    light.fogStart = params.fogStart;
    light.fogEnd = params.fogEnd;
    Rasteriser r(width, height, at, light);
    r.add(level.sky, level.materials, textures, false);
    r.add(level.scenery, level.materials, textures, true);
    for (const auto& [cls, mesh] : level.floors)
        r.add(mesh, level.materials, textures, true);
    return r.render();
}

} // namespace

bool makeLevel(const std::string& paramsPath, const std::string& configPath, const std::filesystem::path& outDir,
               const std::filesystem::path& scratch, std::string& error, LevelStats* stats)
{
    LevelParams params;
    if (!readParams(paramsPath, params, error))
        return false;
    LevelInfo record;
    if (!readRecord(configPath, params, record, error))
        return false;
    if (!checkNames(record, configPath, error))
        return false;
    if (int(params.lanes.size()) != record.lanes) {
        error = paramsPath + ":" + std::to_string(params.lanesLine ? params.lanesLine : 1) + ": the level has " +
                std::to_string(params.lanes.size()) + " lanes but its record in config.xml says " +
                std::to_string(record.lanes);
        return false;
    }
    Centreline line;
    if (!line.build(params, error))
        return false;

    LevelModel level;
    for (const Paintwork& p : params.paints) {
        // The grid's stretch of road is painted with the road.
        for (const std::string& name : {p.material, std::string(p.material == "road" ? "gridroad" : "")}) {
            if (name.empty())
                continue;
            Material& m = level.materials.at(level.id(name));
            m.colour = p.base;
            m.paint.base = p.base;
            if (p.hasAccent)
                m.paint.accent = p.accent;
        }
    }
    const Terrain terrain(params, line);
    if (params.road == "none")
        line.layOn([&](float x, float z) { return terrain.standHeight(x, z); });
    if (!checkRects(record, terrain, configPath, error))
        return false;
    buildTrack(level, params, line, terrain);
    placeScenery(level, params, line, terrain);
    placeRaceMarkers(level, params, line, terrain);
    terrain.build(level);

    // The textures of the materials the level uses, drawn once.
    const std::string folder = record.objectPath;
    std::vector<bool> used(level.materials.size(), false);
    auto mark = [&](const Mesh& m) {
        for (const Mesh::Polygon& p : m.polygons())
            used[p.material] = true;
    };
    mark(level.scenery);
    mark(level.sky);
    for (const auto& [cls, mesh] : level.floors)
        mark(mesh);
    Output out;
    std::vector<Picture> pictures(level.materials.size());
    std::vector<const Picture*> textures(level.materials.size(), nullptr);
    const uint32_t seed = hashName(params.name.c_str());
    for (size_t i = 0; i < used.size(); ++i) {
        const Material& m = level.materials.at(uint16_t(i));
        if (!used[i])
            continue;
        if (m.name == "sky")
            pictures[i] = drawSky(params.zenith, params.horizon, params.clouds, seed, params.sunHeading, params.sunElevation,
                                  params.sunColour);
        else if (!m.kind.empty())
            pictures[i] = materialTexture(m, seed + uint32_t(i));
        else
            continue;
        textures[i] = &pictures[i];
        out.add(textureEntry(m, folder), pictures[i].jpeg(m.name == "sky" ? 92 : 88));
    }

    // The objects: scenery in tiles with the sky last, floors by class and
    // tile, and the hidden colliders under the names the debug console
    // knows.
    SceneObjects objects;
    objects.scenery = folder + params.name + ".lwo";
    objects.floor = folder + params.name + "_floor.lwo";
    objects.walls = folder + "colmesh.lwo";
    objects.reset = folder + "colreset.lwo";
    const float tx0 = terrain.x0() - kTileMargin, tz0 = terrain.z0() - kTileMargin;
    const float tx1 = terrain.x1() + kTileMargin, tz1 = terrain.z1() + kTileMargin;
    std::vector<Mesh> sceneryTiles = level.scenery.splitIntoTiles(kTileSize, tx0, tz0, tx1, tz1);
    std::vector<const Mesh*> layers;
    for (const Mesh& m : sceneryTiles)
        layers.push_back(&m);
    objects.sceneryLayers = int(layers.size());
    layers.push_back(&level.sky);
    out.add(objects.scenery, writeObject(layers, level.materials, folder));
    std::vector<Mesh> floorTiles;
    for (const auto& [cls, mesh] : level.floors)
        for (Mesh& tile : mesh.splitIntoTiles(kTileSize, tx0, tz0, tx1, tz1)) {
            floorTiles.push_back(std::move(tile));
            objects.floorClasses.push_back(cls);
        }
    layers.clear();
    for (const Mesh& m : floorTiles)
        layers.push_back(&m);
    out.add(objects.floor, writeObject(layers, level.materials, folder));
    out.add(objects.walls, writeHiddenObject(level.walls, "colmesh"));
    out.add(objects.reset, writeHiddenObject(level.reset, "colreset"));
    out.add(record.filename, levelScene(level, params, objects));

    // The computer drivers' lines, on the road surface as built. The spare
    // flag keeps their heights: the race's floor probe takes the last floor
    // a ray meets from below, which is the ground under the road as often as
    // the road.
    const std::vector<std::vector<Vector3>> paths = lanePaths(params, line);
    for (size_t i = 0; i < paths.size(); ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "path%02d.dat", int(i + 1));
        PathFile file = makePath(paths[i], true);
        file.spareFlag = 1;
        out.add(record.aiPath + name, writePathFile(file));
    }
    out.add(record.posmap, positionMap(line, worldRect(record.posmapRect), 256));
    out.add(record.colormap, colourMap(level, params, worldRect(record.colormapRect), 128).bmp());
    out.add(kMenuFolder + record.minimap, minimap(level, params, line, worldRect(record.minimapRect), 256).png());

    // The pictures: the loading screen's, drawn for a 1920 x 1080 display,
    // and the menu's, from the file's two views.
    const Section& grid = line.at(line.length() - 30.0f);
    ViewPoint shot;
    if (params.shot.set) {
        shot.eye = params.shot.eye;
        shot.target = params.shot.target;
    } else if (params.road == "none") {
        // An arena from high over its rim.
        const Vector3 middle((terrain.x0() + terrain.x1()) * 0.5f, 0.0f, (terrain.z0() + terrain.z1()) * 0.5f);
        const float span = std::max(terrain.x1() - terrain.x0(), terrain.z1() - terrain.z0());
        shot.eye = middle + Vector3(-0.45f * span, 0.42f * span + terrain.standHeight(middle.x, middle.z), -0.55f * span);
        shot.target = middle + Vector3(0.0f, terrain.standHeight(middle.x, middle.z), 0.0f);
    } else {
        shot.eye = grid.at(grid.width * 0.5f + 10.0f) + Vector3(0.0f, 9.0f, 0.0f);
        shot.target = line.at(30.0f).centre;
    }
    out.add(kMenuFolder + record.loadingscreen, view(level, params, textures, shot, 1920, 1080).jpeg(85));
    ViewPoint menuShot = shot;
    if (params.menuShot.set) {
        menuShot.eye = params.menuShot.eye;
        menuShot.target = params.menuShot.target;
    }
    out.add((scratch / (record.menuimage + ".ppm")).string(), ppm(view(level, params, textures, menuShot, 640, 360)));

    const std::vector<std::string> stale = {folderOf(record.filename), folder, kMenuFolder + record.minimap,
                                            kMenuFolder + record.loadingscreen};
    if (!out.write(outDir, stale, error))
        return false;
    if (stats) {
        stats->bytes = out.totalBytes();
        stats->triangles = level.scenery.triangleCount() + level.sky.triangleCount();
        for (const auto& [cls, mesh] : level.floors)
            stats->floorTriangles += mesh.triangleCount();
        stats->triangles += stats->floorTriangles;
        stats->length = line.length();
    }
    return true;
}

} // namespace track
