#include "engine/core/math/Matrix4.h"

#include "engine/core/base/Report.h"

#include <cfloat>
#include <cmath>
#include <utility>

const Matrix4& Matrix4::identity()
{
    static const Matrix4 id{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return id;
}

void Matrix4::multiply(Matrix4& out, const Matrix4& a, const Matrix4& b)
{
    const float* A = a.m;
    const float* B = b.m;
    float* o = out.m;
    for (int r = 0; r < 4; ++r) {
        const float a0 = A[r * 4], a1 = A[r * 4 + 1], a2 = A[r * 4 + 2], a3 = A[r * 4 + 3];
        o[r * 4 + 0] = a0 * B[0] + a1 * B[4] + a2 * B[8] + a3 * B[12];
        o[r * 4 + 1] = a0 * B[1] + a1 * B[5] + a2 * B[9] + a3 * B[13];
        o[r * 4 + 2] = a0 * B[2] + a1 * B[6] + a2 * B[10] + a3 * B[14];
        o[r * 4 + 3] = a0 * B[3] + a1 * B[7] + a2 * B[11] + a3 * B[15];
    }
}

void Matrix4::multiplyAffine(Matrix4& out, const Matrix4& a, const Matrix4& b)
{
    const float* A = a.m;
    const float* B = b.m;
    float* o = out.m;
    for (int r = 0; r < 4; ++r) {
        const float a0 = A[r * 4], a1 = A[r * 4 + 1], a2 = A[r * 4 + 2];
        for (int c = 0; c < 4; ++c)
            o[r * 4 + c] = a0 * B[c] + a1 * B[4 + c] + a2 * B[8 + c];
    }
    // A's last column is taken as 0, 0, 0, 1: only the translation row adds B's.
    for (int c = 0; c < 4; ++c)
        o[12 + c] += B[12 + c];
}

void Matrix4::multiplyAffineAffine(Matrix4& out, const Matrix4& a, const Matrix4& b)
{
    const float* A = a.m;
    const float* B = b.m;
    float* o = out.m;
    for (int r = 0; r < 4; ++r) {
        const float a0 = A[r * 4], a1 = A[r * 4 + 1], a2 = A[r * 4 + 2];
        o[r * 4 + 0] = a0 * B[0] + a1 * B[4] + a2 * B[8];
        o[r * 4 + 1] = a0 * B[1] + a1 * B[5] + a2 * B[9];
        o[r * 4 + 2] = a0 * B[2] + a1 * B[6] + a2 * B[10];
        o[r * 4 + 3] = 0.0f;
    }
    o[12] += B[12];
    o[13] += B[13];
    o[14] += B[14];
    o[15] = 1.0f;
}

void Matrix4::inverseAffine(Matrix4& out, const Matrix4& a)
{
    const float* m = a.m;
    float* o = out.m;
    const float det = (m[9] * m[4] - m[8] * m[5]) * m[2] + (m[8] * m[6] - m[4] * m[10]) * m[1] +
                      (m[5] * m[10] - m[9] * m[6]) * m[0];
    const float inv = 1.0f / det;
    o[0] = (m[5] * m[10] - m[9] * m[6]) * inv;
    o[1] = (m[9] * m[2] - m[1] * m[10]) * inv;
    o[2] = (m[1] * m[6] - m[2] * m[5]) * inv;
    o[4] = (m[8] * m[6] - m[4] * m[10]) * inv;
    o[5] = (m[0] * m[10] - m[8] * m[2]) * inv;
    o[6] = (m[4] * m[2] - m[0] * m[6]) * inv;
    o[8] = (m[9] * m[4] - m[8] * m[5]) * inv;
    o[9] = (m[8] * m[1] - m[9] * m[0]) * inv;
    o[10] = (m[5] * m[0] - m[4] * m[1]) * inv;
    o[12] = -(m[12] * o[0] + m[13] * o[4] + m[14] * o[8]);
    o[13] = -(m[12] * o[1] + m[13] * o[5] + m[14] * o[9]);
    o[14] = -(m[12] * o[2] + m[13] * o[6] + m[14] * o[10]);
    o[3] = o[7] = o[11] = 0.0f;
    o[15] = 1.0f;
}

void Matrix4::inverse(Matrix4& out, const Matrix4& in)
{
    Matrix4 a = in;
    Matrix4 b = identity();
    for (int c = 0; c < 4; ++c) {
        if (a.at(c, c) == 0.0f) {
            int r = c + 1;
            while (r < 4 && a.at(r, c) == 0.0f)
                ++r;
            if (r == 4) {
                ENGINE_ASSERT(0 && "Singular trans mat encountered.\n");
                out = identity();
                return;
            }
            for (int k = 0; k < 4; ++k) {
                std::swap(a.at(c, k), a.at(r, k));
                std::swap(b.at(c, k), b.at(r, k));
            }
        }
        if (a.at(c, c) != 1.0f) {
            const float s = 1.0f / a.at(c, c);
            for (int k = 0; k < 4; ++k) {
                a.at(c, k) *= s;
                b.at(c, k) *= s;
            }
        }
        for (int r = c + 1; r < 4; ++r) {
            const float f = a.at(r, c);
            for (int k = c + 1; k < 4; ++k)
                a.at(r, k) -= f * a.at(c, k);
            for (int k = 0; k < 4; ++k)
                b.at(r, k) -= f * b.at(c, k);
        }
    }
    for (int c = 3; c >= 1; --c)
        for (int r = 0; r < c; ++r) {
            const float f = a.at(r, c);
            for (int k = 0; k < 4; ++k)
                b.at(r, k) -= f * b.at(c, k);
        }
    out = b;
}

Vector3 eulerFromMatrix(const Matrix4& m, int order)
{
    static const unsigned char safe[4] = {0, 1, 2, 0};
    static const unsigned char next[4] = {1, 2, 0, 1};
    const int n = (order >> 2) & 1;
    const int i = safe[(order >> 3) & 3];
    const int j = next[i + n];
    const int k = next[i + 1 - n];
    const double eps = 16.0 * FLT_EPSILON;
    auto M = [&m](int r, int c) { return static_cast<double>(m.at(r, c)); };

    double x, y, z;
    if (order & 2) {
        const double sy = std::sqrt(M(i, j) * M(i, j) + M(i, k) * M(i, k));
        if (sy > eps) {
            x = std::atan2(M(i, j), M(i, k));
            y = std::atan2(sy, M(i, i));
            z = std::atan2(M(j, i), -M(k, i));
        } else {
            x = std::atan2(-M(j, k), M(j, j));
            y = std::atan2(sy, M(i, i));
            z = 0.0;
        }
    } else {
        const double cy = std::sqrt(M(i, i) * M(i, i) + M(j, i) * M(j, i));
        if (cy > eps) {
            x = std::atan2(M(k, j), M(k, k));
            y = std::atan2(-M(k, i), cy);
            z = std::atan2(M(j, i), M(i, i));
        } else {
            x = std::atan2(-M(j, k), M(j, j));
            y = std::atan2(-M(k, i), cy);
            z = 0.0;
        }
    }
    if (n) {
        x = -x;
        y = -y;
        z = -z;
    }
    if (order & 1)
        std::swap(x, z);
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}
