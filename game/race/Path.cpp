#include "game/race/Path.h"

#include "engine/core/base/Format.h"
#include "engine/core/base/Report.h"
#include "platform/memory/LittleEndian.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t headerBytes = 14;
constexpr uint32_t pointBytes = 12;
constexpr uint32_t lengthBytes = 4;
constexpr uint32_t directionBytes = 12;
// Longer than any lap: a total beyond it is not a length.
constexpr double maxTotalLength = 4.0 * Path::maxCoordinate * Path::maxPoints;
// A point at distance walks back from its window's start along the first
// segment's line; this many segment lengths bounds that walk for any input.
constexpr double maxFractionBehind = 1.0e6;

uint32_t fileBytes(int32_t count)
{
    return uint32_t(28 * int64_t(count) - 2);
}

float readFloat(const uint8_t* p)
{
    const uint32_t bits = readLe32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Vector3 readVector(const uint8_t* p)
{
    return {readFloat(p), readFloat(p + 4), readFloat(p + 8)};
}

bool inRange(float value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

bool isCoordinate(const Vector3& v)
{
    const float m = Path::maxCoordinate;
    return inRange(v.x, -m, m) && inRange(v.y, -m, m) && inRange(v.z, -m, m);
}

double dot(const Vector3& a, const Vector3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

// The writers compute a segment's length and direction from the stored
// points, so what a file says of a segment agrees with its points to within
// rounding; these margins are far wider than that.
bool segmentAgrees(const Vector3& from, const Vector3& to, float length, const Vector3& direction)
{
    if (!std::isfinite(length) || length < 0.0f)
        return false;
    const Vector3 step = to - from;
    const double span = step.length();
    if (std::fabs(length - span) > 0.01 + 0.001 * span)
        return false;
    const double directionLength = direction.length();
    if (!std::isfinite(directionLength))
        return false;
    if (span < 0.01)
        return directionLength <= 1.01;
    const double ux = step.x / span, uy = step.y / span, uz = step.z / span;
    const double dx = direction.x - ux, dy = direction.y - uy, dz = direction.z - uz;
    return dx * dx + dy * dy + dz * dz <= 0.01 * 0.01;
}

bool refuse(const char* name, const char* problem)
{
    reportError(formatText("AI path \"%s\": %s", name, problem).c_str());
    return false;
}

} // namespace

bool Path::load(Stream& fileSystem, const char* name)
{
    std::unique_ptr<Stream> file = fileSystem.clone();
    if (!file->openRead(name))
        return refuse(name, "no such file");
    const uint32_t size = file->length;
    uint8_t header[headerBytes];
    const bool haveHeader = size >= headerBytes && file->read(header, headerBytes) == headerBytes;
    const int32_t pointCount = haveHeader ? int32_t(readLe32(header + 10)) : 0;
    const bool countFits = haveHeader && pointCount >= 2 && pointCount <= maxPoints && size == fileBytes(pointCount);
    std::vector<uint8_t> body;
    bool readWhole = false;
    if (countFits) {
        body.resize(size - headerBytes);
        readWhole = file->read(body.data(), uint32_t(body.size())) == body.size();
    }
    file->close();
    if (!haveHeader)
        return refuse(name, formatStatic("%u bytes hold no path header", size));
    if (pointCount < 2 || pointCount > maxPoints)
        return refuse(name, formatStatic("%d points: a path has 2 to %d", pointCount, maxPoints));
    if (!countFits)
        return refuse(name, formatStatic("%u bytes do not fit %d points (28 bytes a point, less 2)", size,
                                         pointCount));
    if (!readWhole)
        return refuse(name, "the file cannot be read whole");

    const float newHalfWidth = readFloat(header + 1);
    const float newTotalLength = readFloat(header + 5);
    if (!inRange(newHalfWidth, 0.0, maxCoordinate))
        return refuse(name, "the half-width is not a width");
    if (!inRange(newTotalLength, 0.0, maxTotalLength))
        return refuse(name, "the total length is not a length");

    const size_t n = size_t(pointCount);
    std::vector<Vector3> newPoints(n);
    std::vector<float> newLengths(n);
    std::vector<Vector3> newDirections(n);
    const uint8_t* at = body.data();
    for (size_t i = 0; i < n; ++i, at += pointBytes) {
        newPoints[i] = readVector(at);
        if (!isCoordinate(newPoints[i]))
            return refuse(name, formatStatic("point %zu is not a number or lies beyond %.0f metres", i,
                                             double(maxCoordinate)));
    }
    for (size_t i = 1; i < n; ++i, at += lengthBytes)
        newLengths[i] = readFloat(at);
    for (size_t i = 1; i < n; ++i, at += directionBytes) {
        newDirections[i] = readVector(at);
        if (!segmentAgrees(newPoints[i - 1], newPoints[i], newLengths[i], newDirections[i]))
            return refuse(name, formatStatic("segment %zu disagrees with its points", i));
    }
    newLengths[0] = newLengths[1];
    newDirections[0] = newDirections[1];

    closed = header[0];
    halfWidth = newHalfWidth;
    totalLength = newTotalLength;
    spareFlag = header[9];
    count = pointCount;
    points = std::move(newPoints);
    lengths = std::move(newLengths);
    directions = std::move(newDirections);
    return true;
}

bool Path::usable() const
{
    const size_t n = size_t(std::max(count, 0));
    return count >= 2 && points.size() >= n && lengths.size() >= n && directions.size() >= n;
}

Path::Segment Path::windowSegment(int64_t i) const
{
    return {int32_t(std::llabs(i) % count), int32_t(std::llabs(i - 1) % count)};
}

Path::Projection Path::project(const Vector3& p, const Segment& segment) const
{
    const Vector3& a = points[size_t(segment.start)];
    const Vector3& d = directions[size_t(segment.index)];
    const float length = lengths[size_t(segment.index)];
    float t = float(dot(p - a, d));
    Vector3 closest;
    if (t < 0.0f) {
        closest = a;
        t = 0.0f;
    } else if (t > length) {
        closest = points[size_t(segment.index)];
        t = length;
    } else {
        closest = a + d * t;
    }
    return {float((p - closest).length()), t, closest};
}

Path::Nearest Path::nearestInWindow(const Vector3& p, int32_t from, int32_t to) const
{
    Nearest best;
    if (!usable())
        return best;
    float travelled = 0.0f;
    float bestDistance = FLT_MAX;
    for (int64_t i = from; i < to; ++i) {
        const Segment segment = windowSegment(i);
        const Projection projection = project(p, segment);
        if (!best.found || projection.distance < bestDistance) {
            best = {true, segment.index, projection.point, travelled + projection.t};
            bestDistance = projection.distance;
        }
        travelled += lengths[size_t(segment.index)];
    }
    return best;
}

int32_t Path::nearestVertex(const Vector3& p) const
{
    return nearestVertexInWindow(p, 1, count);
}

int32_t Path::nearestVertexInWindow(const Vector3& p, int32_t from, int32_t to) const
{
    if (!usable())
        return 1;
    int32_t bestIndex = 1;
    double bestDistance = 0.0;
    bool found = false;
    for (int64_t i = from; i < to; ++i) {
        const int32_t index = windowSegment(i).index;
        const Vector3 offset = p - points[size_t(index)];
        const double distance = dot(offset, offset);
        if (!found || distance < bestDistance) {
            bestIndex = index;
            bestDistance = distance;
            found = true;
        }
    }
    return bestIndex;
}

int32_t Path::nearestSegment(const Vector3& p) const
{
    return nearestSegmentInWindow(p, 1, count);
}

int32_t Path::nearestSegmentInWindow(const Vector3& p, int32_t from, int32_t to) const
{
    const Nearest best = nearestInWindow(p, from, to);
    return best.found ? best.segment : 1;
}

Vector3 Path::closestPoint(const Vector3& p, Vector3& direction, float& lateral) const
{
    return closestPointInWindow(p, direction, lateral, 1, count);
}

Vector3 Path::closestPointInWindow(const Vector3& p, Vector3& direction, float& lateral, int32_t from,
                                   int32_t to) const
{
    const Nearest best = nearestInWindow(p, from, to);
    if (!best.found) {
        lateral = FLT_MAX;
        return {};
    }
    direction = directions[size_t(best.segment)];
    lateral = float((p - best.point).length()) - halfWidth;
    return best.point;
}

float Path::distanceAlongInWindow(const Vector3& p, int32_t from, int32_t to) const
{
    const Nearest best = nearestInWindow(p, from, to);
    return best.found ? best.along : 0.0f;
}

Vector3 Path::pointAtDistance(float s) const
{
    return pointAtDistanceInWindow(s, 1, count);
}

Vector3 Path::pointAtDistanceInWindow(float s, int32_t from, int32_t to) const
{
    if (!usable())
        return {};
    if (closed) {
        if (totalLength > 0.0f)
            s = std::fmod(s, totalLength);
    } else if (s < 0.0f) {
        return points[0];
    } else if (s >= totalLength) {
        return points[size_t(count - 1)];
    }
    Vector3 last = points[size_t(windowSegment(from).start)];
    for (int64_t i = from; i < to; ++i) {
        const Segment segment = windowSegment(i);
        const float length = lengths[size_t(segment.index)];
        const Vector3& a = points[size_t(segment.start)];
        const Vector3& b = points[size_t(segment.index)];
        if (s <= length) {
            if (!(length > 0.0f))
                return a;
            const double fraction = std::max(double(s) / length, -maxFractionBehind);
            return a + (b - a) * float(fraction);
        }
        s -= length;
        last = b;
    }
    return last;
}

Vector3 Path::segmentDirection(const Vector3& p, int32_t scale) const
{
    if (!usable())
        return {};
    return directions[size_t(nearestSegment(p))] * float(scale);
}

Vector3 clampToCone(const Vector3& v, float cosLimit, const Vector3& axis)
{
    const double n = v.length();
    if (n == 0.0 || dot(v, axis) / n >= cosLimit)
        return v;
    Vector3 w = v - axis * float(dot(v, axis));
    w.normalize();
    const float sinLimit = std::sqrt(std::max(0.0f, 1.0f - cosLimit * cosLimit));
    return (w * sinLimit + axis * cosLimit) * float(n);
}
