#pragma once
#include "engine/core/math/Vector3.h"

// The few vector operations the race needs beyond Vector3's own.
namespace vec {

inline float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float lengthSquared(const Vector3& a)
{
    return dot(a, a);
}

inline float distance(const Vector3& a, const Vector3& b)
{
    return float((a - b).length());
}

// The unit vector of a; a zero vector stays zero.
inline Vector3 unit(Vector3 a)
{
    a.normalize();
    return a;
}

} // namespace vec
