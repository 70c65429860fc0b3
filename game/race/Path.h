#pragma once
// game/race: one race of the game. The AI paths and the three maps laid over
// a level's ground (Path, GroundMap, ColourMap, SpeedMap) are read from the
// level's files here and queried by the race and the computer drivers.
#include "engine/core/io/Stream.h"
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <vector>

// An AI path: a racing line of points that the computer drivers follow, read
// from a level's "%spath%02d.dat" file. Little-endian, no header, no gaps:
//   u8 closed, f32 half-width, f32 total length, u8 spare flag, i32 N,
//   N points (three f32), N-1 segment lengths (f32), N-1 unit directions
//   (three f32)
// so that a file of N points is 28N - 2 bytes. Segment i runs from point i-1
// to point i; the file has no segment 0, and entry 0 of `lengths` and
// `directions` is a copy of entry 1.
//
// The windowed queries visit i = from .. to-1, taking segment |i| mod count
// with start point |i-1| mod count: a window reaching a multiple of `count`
// visits the closing stretch from the last point to point 0 with the length
// and direction of segment 1, which loops are sampled evenly for. The
// whole-path queries are the window [1, count).
class Path {
public:
    // Fewer than two points is no path; more than this is no file of ours.
    static constexpr int32_t maxPoints = 1 << 16;
    // Metres from the origin that no coordinate of a level comes near.
    static constexpr float maxCoordinate = 100000.0f;

    // Half-width of the band around the line (metres); the race sets 1.5
    // after loading, whatever the file holds.
    float halfWidth = 1.0f;
    int32_t count = 0;
    uint8_t closed = 0;
    // Stored and kept, read by no query.
    uint8_t spareFlag = 0;
    float totalLength = 0.0f;
    std::vector<Vector3> points;
    std::vector<float> lengths;
    std::vector<Vector3> directions;

    virtual ~Path() = default;

    // False, after a report and with the path unchanged, when the file
    // cannot be opened or is refused: fewer than two points or more than
    // maxPoints, a size that does not fit its count, or a value that is not a
    // number, out of range or at odds with the points.
    bool load(Stream& fileSystem, const char* name);

    // At least two points and arrays that hold them: the queries below answer
    // their documented fallbacks for any other path and never index it.
    bool usable() const;

    // The nearest of points 1 .. count-1 (point 0 is never chosen); the first
    // wins a tie; 1 when there are none.
    int32_t nearestVertex(const Vector3& p) const;
    // The same over the window; 1 when the window is empty.
    int32_t nearestVertexInWindow(const Vector3& p, int32_t from, int32_t to) const;
    // The segment of 1 .. count-1 whose closest point is nearest; first wins;
    // 1 when there are none.
    int32_t nearestSegment(const Vector3& p) const;
    int32_t nearestSegmentInWindow(const Vector3& p, int32_t from, int32_t to) const;
    // The closest point of the nearest segment, with that segment's direction
    // and the distance to it minus the half-width (negative inside the band).
    // With no segment to visit the point is (0, 0, 0), the direction is not
    // written and the lateral distance is the largest float, so that a path
    // without points is never the nearest.
    Vector3 closestPoint(const Vector3& p, Vector3& direction, float& lateral) const;
    Vector3 closestPointInWindow(const Vector3& p, Vector3& direction, float& lateral, int32_t from,
                                 int32_t to) const;
    // Distance along the window, from the start of segment `from`, of p's
    // projection on the window's nearest segment; 0 for an empty window.
    float distanceAlongInWindow(const Vector3& p, int32_t from, int32_t to) const;
    // The point at distance s from point 0. An open path clamps s to its two
    // ends; a loop takes s modulo its total length (the sign follows s). A
    // walk that passes every segment stops at the last one's end point.
    Vector3 pointAtDistance(float s) const;
    // The same, walking the window from the start of segment `from`.
    Vector3 pointAtDistanceInWindow(float s, int32_t from, int32_t to) const;
    // Direction of the nearest segment times `scale`; (0, 0, 0) for a path
    // that is not usable.
    Vector3 segmentDirection(const Vector3& p, int32_t scale) const;

private:
    struct Projection {
        float distance;
        float t;
        Vector3 point;
    };
    struct Segment {
        int32_t index;
        int32_t start;
    };
    // The segment of a window nearest to a point, with its closest point and
    // the distance along the window to that point.
    struct Nearest {
        bool found = false;
        int32_t segment = 1;
        Vector3 point;
        float along = 0.0f;
    };
    // Callers check usable() first: the index rule divides by count.
    Segment windowSegment(int64_t i) const;
    Projection project(const Vector3& p, const Segment& segment) const;
    Nearest nearestInWindow(const Vector3& p, int32_t from, int32_t to) const;
};

// Turns v towards the unit `axis` until the cosine of the angle between them
// is at least cosLimit, keeping v's length; v comes back unchanged when it is
// zero or already inside the cone.
Vector3 clampToCone(const Vector3& v, float cosLimit, const Vector3& axis);
