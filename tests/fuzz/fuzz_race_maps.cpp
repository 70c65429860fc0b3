// Feeds arbitrary bytes to the loaders of a level's AI paths and maps: the
// first byte chooses the reader (0 path, 1 position map, 2 colour map, 3 speed
// map), the rest is the file. What loads is queried at points in and around
// it; every answer must stay in range and be a number.
#include "engine/core/base/Report.h"
#include "game/race/ColourMap.h"
#include "game/race/GroundMap.h"
#include "game/race/Path.h"
#include "game/race/SpeedMap.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void checkFinite(const Vector3& v)
{
    check(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

void queryPath(const Path& path)
{
    const int32_t n = path.count;
    const Vector3 probes[] = {path.points[0] + Vector3(3, 1, -2), path.points[size_t(n / 2)],
                              path.points[size_t(n - 1)] - Vector3(-5, 0, 7), Vector3(2e5f, -2e5f, 2e5f)};
    for (const Vector3& p : probes) {
        const int32_t vertex = path.nearestVertex(p);
        check(vertex >= 1 && vertex < n);
        const int32_t segment = path.nearestSegment(p);
        check(segment >= 1 && segment < n);
        Vector3 direction;
        float lateral = 0;
        checkFinite(path.closestPoint(p, direction, lateral));
        checkFinite(direction);
        check(std::isfinite(lateral));
        checkFinite(path.segmentDirection(p, 2));
        // Windows of ten from a few starts, across the end and round again.
        for (int32_t from : {0, 1, n / 2, n - 3, n - 1, n, 2 * n + 1}) {
            const int32_t to = from + 10;
            const int32_t v = path.nearestVertexInWindow(p, from, to);
            const int32_t s = path.nearestSegmentInWindow(p, from, to);
            check(v >= 0 && v < n && s >= 0 && s < n);
            checkFinite(path.closestPointInWindow(p, direction, lateral, from, to));
            check(std::isfinite(lateral));
            const float along = path.distanceAlongInWindow(p, from, to);
            check(std::isfinite(along));
            for (float ahead : {-along, -1.0f, 0.0f, along, along + 7.5f})
                checkFinite(path.pointAtDistanceInWindow(ahead, from, to));
        }
    }
    for (float s : {-path.totalLength - 1.0f, -1.0f, 0.0f, 0.5f * path.totalLength, path.totalLength,
                    3.0f * path.totalLength + 2.0f})
        checkFinite(path.pointAtDistance(s));
}

template <typename Map, typename Query>
void queryMap(const Map& map, Query query)
{
    const float xs[] = {map.minX - 10.0f, map.minX, 0.5f * (map.minX + map.maxX), map.maxX, map.maxX + 10.0f, NAN};
    const float zs[] = {map.minZ - 10.0f, map.minZ, 0.5f * (map.minZ + map.maxZ), map.maxZ, map.maxZ + 10.0f, NAN};
    for (float x : xs)
        for (float z : zs)
            query(map, Vector3(x, 0, z));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    resetReportSwitch();
    reportLevel = ReportAssertion;
    reportToText = 1;
    MemoryFileSystem files;
    switch (data[0] % 4) {
    case 0: {
        files.addFile("ai/path01.dat", data + 1, size - 1);
        Path path;
        if (path.load(files, "ai/path01.dat")) {
            check(path.usable() && size - 1 == size_t(28 * int64_t(path.count) - 2));
            check(path.lengths[0] == path.lengths[1]);
            queryPath(path);
        }
        break;
    }
    case 1: {
        files.addFile("pos.pcx", data + 1, size - 1);
        GroundMap map(files, "pos.pcx", -100, 300, -50, 50);
        queryMap(map, [](const GroundMap& m, const Vector3& p) { (void)m.valueAt(p); });
        break;
    }
    case 2: {
        files.addFile("light.bmp", data + 1, size - 1);
        ColourMap map(files, "light.bmp", -100, 300, -50, 50);
        queryMap(map, [](const ColourMap& m, const Vector3& p) {
            for (float channel : m.sample(p))
                check(channel >= 0.0f && channel <= 2.0f);
        });
        break;
    }
    default: {
        files.addFile("speed.pcx", data + 1, size - 1);
        // One grid for the whole run: building its quarter million cells for
        // every input would leave little time for the readers.
        static SpeedMap map(0, 512, 0, 512);
        if (map.load(0, files, "speed.pcx"))
            for (const auto& cell : map.cells)
                check(cell[0] >= 0.0f && cell[0] <= 1.0f);
        break;
    }
    }
    resetReportSwitch();
    return 0;
}
