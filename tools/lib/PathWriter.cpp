#include "tools/lib/PathWriter.h"

#include <cstring>

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

void putFloat(std::vector<uint8_t>& out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}

void putVector(std::vector<uint8_t>& out, const Vector3& v)
{
    putFloat(out, v.x);
    putFloat(out, v.y);
    putFloat(out, v.z);
}

} // namespace

PathFile makePath(const std::vector<Vector3>& points, bool closed, float halfWidth)
{
    PathFile path;
    path.closed = closed ? 1 : 0;
    path.halfWidth = halfWidth;
    path.points = points;
    double total = 0.0;
    for (size_t i = 1; i < points.size(); ++i) {
        Vector3 step = points[i] - points[i - 1];
        const double length = step.normalize();
        path.lengths.push_back(float(length));
        path.directions.push_back(step);
        total += length;
    }
    if (closed && points.size() >= 2)
        total += (points.front() - points.back()).length();
    path.totalLength = float(total);
    return path;
}

std::vector<uint8_t> writePathFile(const PathFile& path)
{
    std::vector<uint8_t> out;
    out.push_back(path.closed);
    putFloat(out, path.halfWidth);
    putFloat(out, path.totalLength);
    out.push_back(path.spareFlag);
    putU32(out, uint32_t(path.points.size()));
    for (const Vector3& point : path.points)
        putVector(out, point);
    for (float length : path.lengths)
        putFloat(out, length);
    for (const Vector3& direction : path.directions)
        putVector(out, direction);
    return out;
}
