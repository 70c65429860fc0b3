#pragma once
#include "engine/core/math/Vector3.h"

// Sixteen floats, row-major, used with row vectors (p' = p * M): rows 0-2 are
// the images of the X, Y and Z axes, row 3 holds the translation. An affine
// matrix has 0, 0, 0, 1 in its last column; the affine operations assume that
// column and never read it. Outputs are never passed as inputs.
struct Matrix4 {
    float m[16] = {};

    float& at(int r, int c) { return m[r * 4 + c]; }
    float at(int r, int c) const { return m[r * 4 + c]; }

    // The one process-wide identity, also the answer of a failed inverse.
    static const Matrix4& identity();

    static void multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);
    static void multiplyAffine(Matrix4& out, const Matrix4& a, const Matrix4& b);
    static void multiplyAffineAffine(Matrix4& out, const Matrix4& a, const Matrix4& b);
    // Cofactor inverse of an affine matrix; a singular one gives inf/NaN.
    static void inverseAffine(Matrix4& out, const Matrix4& a);
    // Gauss-Jordan inverse; the identity (and an assertion report) when singular.
    static void inverse(Matrix4& out, const Matrix4& a);

    bool operator==(const Matrix4& o) const = default;
};

// Euler angles (radians) from a rotation matrix. The order code packs frame
// (bit 0), repetition (bit 1), parity (bit 2) and the first axis (bits 3-4);
// the game uses 16: Z, then X, then Y, static frame.
Vector3 eulerFromMatrix(const Matrix4& m, int order);
