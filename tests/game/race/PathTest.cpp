#include "game/race/Path.h"

#include "support/RecordedReports.h"
#include "tools/lib/MemoryFileSystem.h"
#include "tools/lib/PathWriter.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// A loop whose closing stretch, from the last point back to point 0, runs
// like segment 1 (+x, 10 m), as the file format expects of a loop:
//
//   3 (-10,10) ---------- 2 (10,10)
//   |                      |
//   4 (-10,0) -- 0 (0,0) - 1 (10,0)
const std::vector<Vector3> loopPoints = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {-10, 0, 10}, {-10, 0, 0}};
// An open line with a bend: 10 m along x, then 10 m along z.
const std::vector<Vector3> linePoints = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}};

void expectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

struct PathRig {
    MemoryFileSystem files;
    Path path;

    bool load(const std::vector<uint8_t>& bytes, const char* name = "ai/path01.dat")
    {
        files.addFile(name, bytes);
        return path.load(files, name);
    }
    bool load(const PathFile& file) { return load(writePathFile(file)); }
};

Path loaded(const std::vector<Vector3>& points, bool closed, float halfWidth = 1.5f)
{
    PathRig rig;
    EXPECT_TRUE(rig.load(makePath(points, closed, halfWidth)));
    return rig.path;
}

void putFloatAt(std::vector<uint8_t>& bytes, size_t at, float value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

void putIntAt(std::vector<uint8_t>& bytes, size_t at, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(uint32_t(value) >> (8 * i));
}

TEST(PathTest, LoadsEveryFieldAndCopiesSegmentOneIntoEntryZero)
{
    PathFile file = makePath(loopPoints, true, 2.5f);
    file.spareFlag = 7;
    const std::vector<uint8_t> bytes = writePathFile(file);
    ASSERT_EQ(bytes.size(), 28 * loopPoints.size() - 2);

    PathRig rig;
    ASSERT_TRUE(rig.load(bytes));
    const Path& path = rig.path;
    EXPECT_EQ(path.count, 5);
    EXPECT_EQ(path.closed, 1);
    EXPECT_EQ(path.spareFlag, 7);
    EXPECT_FLOAT_EQ(path.halfWidth, 2.5f);
    EXPECT_FLOAT_EQ(path.totalLength, 60.0f);
    EXPECT_EQ(path.points, loopPoints);
    const std::vector<float> lengths = {10, 10, 10, 20, 10};
    EXPECT_EQ(path.lengths, lengths);
    const std::vector<Vector3> directions = {{1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {-1, 0, 0}, {0, 0, -1}};
    EXPECT_EQ(path.directions, directions);
    EXPECT_TRUE(path.usable());
}

TEST(PathTest, BadFilesAreRefusedWithAReportAndLeaveThePathAsItWas)
{
    const std::vector<uint8_t> good = writePathFile(makePath(linePoints, false));
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* report;
    } cases[] = {
        {"empty file", [](auto& b) { b.clear(); }, "0 bytes hold no path header"},
        {"header cut short", [](auto& b) { b.resize(13); }, "13 bytes hold no path header"},
        {"one point", [](auto& b) { b = writePathFile(makePath({{1, 2, 3}}, false)); }, "1 points"},
        {"no points", [](auto& b) { b = writePathFile(makePath({}, false)); }, "0 points"},
        {"negative count", [](auto& b) { putIntAt(b, 10, -3); }, "-3 points"},
        {"huge count", [](auto& b) { putIntAt(b, 10, 0x7FFFFFFF); }, "2147483647 points"},
        {"count above the size", [](auto& b) { putIntAt(b, 10, 4); }, "82 bytes do not fit 4 points"},
        {"a byte too many", [](auto& b) { b.push_back(0); }, "83 bytes do not fit 3 points"},
        {"a byte too few", [](auto& b) { b.pop_back(); }, "81 bytes do not fit 3 points"},
        {"half-width not a number", [](auto& b) { putFloatAt(b, 1, nan); }, "half-width"},
        {"negative half-width", [](auto& b) { putFloatAt(b, 1, -1.0f); }, "half-width"},
        {"total length infinite", [](auto& b) { putFloatAt(b, 5, INFINITY); }, "total length"},
        {"point not a number", [](auto& b) { putFloatAt(b, 14 + 12 + 4, nan); }, "point 1 is not a number"},
        {"huge point", [](auto& b) { putFloatAt(b, 14 + 24 + 8, 2.0e5f); }, "point 2 is not a number or lies beyond"},
        {"huge point beyond float", [](auto& b) { putFloatAt(b, 14, FLT_MAX); }, "point 0"},
        {"length not a number", [](auto& b) { putFloatAt(b, 50, nan); }, "segment 1 disagrees"},
        {"negative length", [](auto& b) { putFloatAt(b, 54, -10.0f); }, "segment 2 disagrees"},
        {"length off its points", [](auto& b) { putFloatAt(b, 54, 11.0f); }, "segment 2 disagrees"},
        {"direction off its points", [](auto& b) { putFloatAt(b, 58, 0.5f); }, "segment 1 disagrees"},
        {"direction not a number", [](auto& b) { putFloatAt(b, 74, nan); }, "segment 2 disagrees"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PathRig rig;
        ASSERT_TRUE(rig.load(writePathFile(makePath(loopPoints, true))));
        const Path before = rig.path;
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        RecordedReports reports;
        EXPECT_FALSE(rig.load(bytes, "ai/bad.dat"));
        EXPECT_NE(reports.last().find("AI path \"ai/bad.dat\": "), std::string::npos) << reports.last();
        EXPECT_NE(reports.last().find(c.report), std::string::npos) << reports.last();
        EXPECT_EQ(rig.path.points, before.points);
        EXPECT_EQ(rig.path.count, before.count);
        EXPECT_EQ(rig.path.closed, before.closed);
    }
}

TEST(PathTest, AMissingFileIsReportedAndLeavesThePathEmpty)
{
    RecordedReports reports;
    MemoryFileSystem files;
    Path path;
    EXPECT_FALSE(path.load(files, "ai/path01.dat"));
    EXPECT_EQ(reports.last(), "AI path \"ai/path01.dat\": no such file");
    EXPECT_EQ(path.count, 0);
    EXPECT_FALSE(path.usable());
}

TEST(PathTest, ZeroLengthSegmentsLoadAndWalk)
{
    const Path path = loaded({{0, 0, 0}, {0, 0, 0}, {5, 0, 0}}, false);
    expectNear(path.pointAtDistance(0.0f), {0, 0, 0});
    expectNear(path.pointAtDistance(2.0f), {2, 0, 0});
    EXPECT_EQ(path.nearestSegment({4, 0, 1}), 2);
}

TEST(PathTest, NearestVertexNeverChoosesPointZero)
{
    const Path path = loaded(loopPoints, true);
    struct Case {
        Vector3 p;
        int32_t vertex;
    } cases[] = {
        {{0, 0, 0}, 1},      // on point 0, equally near 1 and 4: the first wins
        {{-1, 0, 0}, 4},     // nearest to point 0, then to 4
        {{10, 0, 9}, 2},
        {{-9, 0, 11}, 3},
        {{9, 0, -1}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(path.nearestVertex(c.p), c.vertex) << c.p.x << "," << c.p.z;
}

TEST(PathTest, NearestSegmentAndClosestPointOverTheWholePath)
{
    const Path path = loaded(linePoints, false, 1.5f);
    struct Case {
        Vector3 p;
        int32_t segment;
        Vector3 closest;
        Vector3 direction;
        float lateral;
    } cases[] = {
        {{5, 0, 2}, 1, {5, 0, 0}, {1, 0, 0}, 0.5f},
        {{5, 0, -1}, 1, {5, 0, 0}, {1, 0, 0}, -0.5f},
        {{12, 0, 6}, 2, {10, 0, 6}, {0, 0, 1}, 0.5f},
        {{-3, 0, 4}, 1, {0, 0, 0}, {1, 0, 0}, 3.5f},   // before the start: its start point
        {{10, 0, 14}, 2, {10, 0, 10}, {0, 0, 1}, 2.5f}, // past the end
        {{11, 0, -1}, 1, {10, 0, 0}, {1, 0, 0}, std::sqrt(2.0f) - 1.5f}, // the corner: first wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.segment);
        EXPECT_EQ(path.nearestSegment(c.p), c.segment);
        Vector3 direction;
        float lateral = 0;
        expectNear(path.closestPoint(c.p, direction, lateral), c.closest);
        expectNear(direction, c.direction);
        EXPECT_NEAR(lateral, c.lateral, 1e-5f);
        expectNear(path.segmentDirection(c.p, 3), c.direction * 3.0f);
    }
}

TEST(PathTest, WindowsWrapToTheClosingStretch)
{
    const Path path = loaded(loopPoints, true, 1.0f);
    const Vector3 p = {-3, 0, 1};
    struct Case {
        const char* name;
        int32_t from, to;
        int32_t vertex, segment;
        Vector3 closest;
        float lateral;
        float along;
    } cases[] = {
        // Segment 4, then the closing stretch 4 -> 0 (index 0).
        {"across the end", 4, 6, 0, 0, {-3, 0, 0}, 0.0f, 17.0f},
        // The same stretch once round the loop further.
        {"second lap", 9, 11, 0, 0, {-3, 0, 0}, 0.0f, 17.0f},
        {"before the end", 2, 4, 3, 3, {-3, 0, 10}, 8.0f, 23.0f},
        {"one segment", 1, 2, 1, 1, {0, 0, 0}, std::sqrt(10.0f) - 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(path.nearestVertexInWindow(p, c.from, c.to), c.vertex);
        EXPECT_EQ(path.nearestSegmentInWindow(p, c.from, c.to), c.segment);
        Vector3 direction;
        float lateral = 0;
        expectNear(path.closestPointInWindow(p, direction, lateral, c.from, c.to), c.closest);
        EXPECT_NEAR(lateral, c.lateral, 1e-5f);
        EXPECT_NEAR(path.distanceAlongInWindow(p, c.from, c.to), c.along, 1e-5f);
    }
    // The walk crosses the closing stretch with segment 1's length.
    expectNear(path.pointAtDistanceInWindow(12.0f, 4, 6), {-8, 0, 0});
    expectNear(path.pointAtDistanceInWindow(-2.0f, 4, 6), {-10, 0, 12});
    expectNear(path.pointAtDistanceInWindow(25.0f, 4, 6), {0, 0, 0}); // past the window: its end
}

TEST(PathTest, EmptyWindowsAnswerTheirFallbacks)
{
    const Path path = loaded(loopPoints, true);
    const Vector3 p = {5, 0, 0};
    Vector3 direction = {7, 7, 7};
    float lateral = 0;
    EXPECT_EQ(path.nearestVertexInWindow(p, 3, 3), 1);
    EXPECT_EQ(path.nearestSegmentInWindow(p, 4, 2), 1);
    expectNear(path.closestPointInWindow(p, direction, lateral, 3, 3), {0, 0, 0});
    expectNear(direction, {7, 7, 7});
    EXPECT_EQ(lateral, FLT_MAX);
    EXPECT_EQ(path.distanceAlongInWindow(p, 3, 3), 0.0f);
    expectNear(path.pointAtDistanceInWindow(4.0f, 3, 3), loopPoints[2]);
}

TEST(PathTest, PointAtDistanceClampsAnOpenPathAndWrapsALoop)
{
    const Path line = loaded(linePoints, false);
    struct Case {
        float s;
        Vector3 point;
    } open[] = {
        {-1.0f, {0, 0, 0}}, {0.0f, {0, 0, 0}}, {4.0f, {4, 0, 0}}, {10.0f, {10, 0, 0}},
        {15.0f, {10, 0, 5}}, {20.0f, {10, 0, 10}}, {500.0f, {10, 0, 10}}, {nan, {10, 0, 10}},
    };
    for (const Case& c : open) {
        SCOPED_TRACE(c.s);
        expectNear(line.pointAtDistance(c.s), c.point);
    }

    const Path loop = loaded(loopPoints, true);
    for (float x : {0.0f, 5.0f, 14.5f, 33.0f, 49.0f}) {
        SCOPED_TRACE(x);
        expectNear(loop.pointAtDistance(loop.totalLength + x), loop.pointAtDistance(x));
        expectNear(loop.pointAtDistance(3 * loop.totalLength + x), loop.pointAtDistance(x));
    }
    // The stored segments end 10 m short of the total: the closing stretch
    // is not walked, and the walk stops at the last point.
    expectNear(loop.pointAtDistance(55.0f), loopPoints[4]);
    // A negative distance keeps its sign and runs back along segment 1's line.
    expectNear(loop.pointAtDistance(-2.0f), {-2, 0, 0});
}

TEST(PathTest, AStoredTotalBeyondTheSegmentsStopsAtTheLastPoint)
{
    PathFile file = makePath(linePoints, false);
    file.totalLength = 100.0f;
    PathRig rig;
    ASSERT_TRUE(rig.load(file));
    expectNear(rig.path.pointAtDistance(50.0f), {10, 0, 10});
}

TEST(PathTest, APathWithoutPointsAnswersEveryQueryWithoutIndexingIt)
{
    Path empty;
    Path mismatched;
    mismatched.count = 5; // a count its arrays do not hold
    Path single;
    single.count = 1;
    single.points = {{1, 1, 1}};
    single.lengths = {1};
    single.directions = {{1, 0, 0}};
    for (const Path* path : {&empty, &mismatched, &single}) {
        EXPECT_FALSE(path->usable());
        const Vector3 p = {1, 2, 3};
        EXPECT_EQ(path->nearestVertex(p), 1);
        EXPECT_EQ(path->nearestVertexInWindow(p, 0, 10), 1);
        EXPECT_EQ(path->nearestSegment(p), 1);
        EXPECT_EQ(path->nearestSegmentInWindow(p, 0, 10), 1);
        Vector3 direction = {7, 7, 7};
        float lateral = 0;
        expectNear(path->closestPoint(p, direction, lateral), {0, 0, 0});
        expectNear(path->closestPointInWindow(p, direction, lateral, 0, 10), {0, 0, 0});
        expectNear(direction, {7, 7, 7});
        EXPECT_EQ(lateral, FLT_MAX);
        EXPECT_EQ(path->distanceAlongInWindow(p, 0, 10), 0.0f);
        expectNear(path->pointAtDistance(3.0f), {0, 0, 0});
        expectNear(path->pointAtDistanceInWindow(3.0f, 0, 10), {0, 0, 0});
        expectNear(path->segmentDirection(p, 2), {0, 0, 0});
    }
}

TEST(PathTest, ALoopOfNoLengthGivesFinitePoints)
{
    Path path = loaded({{2, 0, 2}, {2, 0, 2}}, true);
    ASSERT_EQ(path.totalLength, 0.0f);
    for (float s : {-5.0f, 0.0f, 5.0f}) {
        const Vector3 point = path.pointAtDistance(s);
        EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z)) << s;
    }
}

TEST(PathTest, ClampToConeTurnsVectorsIntoTheConeKeepingTheirLength)
{
    const Vector3 axis = {0, 0, 1};
    const float c45 = std::sqrt(0.5f);
    struct Case {
        const char* name;
        Vector3 v;
        float cosLimit;
        Vector3 result;
    } cases[] = {
        {"zero", {0, 0, 0}, 0.707f, {0, 0, 0}},
        {"along the axis", {0, 0, 3}, 0.707f, {0, 0, 3}},
        {"inside", {1, 0, 4}, 0.707f, {1, 0, 4}},
        {"across", {2, 0, 0}, c45, {2 * c45, 0, 2 * c45}},
        {"behind to the left", {-1, 0, -1}, c45, {-1, 0, 1}},
        {"on the edge", {1, 0, 1}, c45, {1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Vector3 r = clampToCone(c.v, c.cosLimit, axis);
        expectNear(r, c.result);
        EXPECT_NEAR(r.length(), c.v.length(), 1e-5);
    }
    // Straight behind there is no side to turn by: the result lies along the
    // axis, shortened to the cone's cosine.
    expectNear(clampToCone({0, 0, -2}, 0.5f, axis), {0, 0, 1});
}

} // namespace
