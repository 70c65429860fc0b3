#include "engine/core/math/Color.h"
#include "engine/core/math/Matrix4.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectNear(const Matrix4& a, const Matrix4& b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

// A rotation, scale and translation with the last column 0, 0, 0, 1.
Matrix4 affineSample()
{
    const float c = std::cos(0.4f), s = std::sin(0.4f);
    return Matrix4{{2 * c, 2 * s, 0, 0, -s, c, 0, 0, 0, 0, 0.5f, 0, 3, -4, 5, 1}};
}

class ReportRecording : public ::testing::Test {
protected:
    RecordedReports m_reports;
};

} // namespace

TEST(Vector3, NormalizeScalesToUnitAndReturnsLength)
{
    Vector3 v{3, 0, 4};
    EXPECT_DOUBLE_EQ(v.normalize(), 5.0);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);

    Vector3 zero;
    EXPECT_EQ(zero.normalize(), 0.0);
    EXPECT_EQ(zero, Vector3(0, 0, 0));
}

TEST(Matrix4, MultiplyAppliesLeftOperandFirst)
{
    Matrix4 translate = Matrix4::identity();
    translate.at(3, 0) = 10;
    Matrix4 scale = Matrix4::identity();
    scale.at(0, 0) = 2;
    Matrix4 out;
    Matrix4::multiply(out, translate, scale);
    EXPECT_FLOAT_EQ(out.at(3, 0), 20); // translated first, then scaled

    Matrix4 affine;
    Matrix4::multiplyAffine(affine, translate, scale);
    expectNear(affine, out);
}

TEST(Matrix4, MultiplyAffineKeepsProjectiveColumnOfRightOperand)
{
    Matrix4 projective = Matrix4::identity();
    projective.at(2, 3) = 1;
    projective.at(3, 3) = 0;
    Matrix4 full, affine;
    Matrix4::multiply(full, affineSample(), projective);
    Matrix4::multiplyAffine(affine, affineSample(), projective);
    expectNear(affine, full);
}

TEST(Matrix4, MultiplyAffineAffineWritesLastColumn)
{
    Matrix4 a = affineSample(), b = affineSample();
    a.m[3] = 7;
    a.m[7] = 8;
    b.m[11] = 9;
    b.m[15] = 4;
    Matrix4 out;
    Matrix4::multiplyAffineAffine(out, a, b);
    EXPECT_EQ(out.m[3], 0);
    EXPECT_EQ(out.m[7], 0);
    EXPECT_EQ(out.m[11], 0);
    EXPECT_EQ(out.m[15], 1);

    Matrix4 clean;
    Matrix4::multiply(clean, affineSample(), affineSample());
    expectNear(out, clean, 1e-4f);
}

TEST(Matrix4, InverseAffineAndGeneralInverseUndoTheTransform)
{
    Matrix4 inv, product;
    Matrix4::inverseAffine(inv, affineSample());
    Matrix4::multiply(product, affineSample(), inv);
    expectNear(product, Matrix4::identity());

    Matrix4 perspective{{1.5f, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1.01f, 1, 0, 0, -0.1f, 0}};
    Matrix4 general;
    Matrix4::multiply(general, affineSample(), perspective);
    Matrix4::inverse(inv, general);
    Matrix4::multiply(product, general, inv);
    expectNear(product, Matrix4::identity(), 1e-4f);
}

TEST_F(ReportRecording, InverseSwapsRowsWhenTheDiagonalIsZero)
{
    // First diagonal element 0, second row non-zero in the first column.
    Matrix4 m{{0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1}};
    Matrix4 inv, product;
    Matrix4::inverse(inv, m);
    Matrix4::multiply(product, m, inv);
    expectNear(product, Matrix4::identity(), 0);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(ReportRecording, InverseOfSingularMatrixIsIdentityWithAReport)
{
    Matrix4 zero, inv;
    inv.m[5] = 42;
    Matrix4::inverse(inv, zero);
    EXPECT_EQ(inv, Matrix4::identity());
    // The text is the quoted part of the stringified expression, escapes and all.
    EXPECT_STREQ(lastErrorText.c_str(), "Singular trans mat encountered.\\n");
}

// Rotation matrix for an order code, composed the way the extraction expects
// (the classic Euler-angle convention: i, j, k axes, repetition, parity, frame).
static Matrix4 composeEuler(float ax, float ay, float az, int order)
{
    static const int safe[4] = {0, 1, 2, 0}, next[4] = {1, 2, 0, 1};
    const int n = (order >> 2) & 1;
    const int i = safe[(order >> 3) & 3], j = next[i + n], k = next[i + 1 - n];
    double x = ax, y = ay, z = az;
    if (order & 1)
        std::swap(x, z);
    if (n) {
        x = -x;
        y = -y;
        z = -z;
    }
    const double ci = std::cos(x), cj = std::cos(y), ch = std::cos(z);
    const double si = std::sin(x), sj = std::sin(y), sh = std::sin(z);
    const double cc = ci * ch, cs = ci * sh, sc = si * ch, ss = si * sh;
    Matrix4 m = Matrix4::identity();
    auto set = [&m](int r, int c, double v) { m.at(r, c) = float(v); };
    if (order & 2) {
        set(i, i, cj), set(i, j, sj * si), set(i, k, sj * ci);
        set(j, i, sj * sh), set(j, j, -cj * ss + cc), set(j, k, -cj * cs - sc);
        set(k, i, -sj * ch), set(k, j, cj * sc + cs), set(k, k, cj * cc - ss);
    } else {
        set(i, i, cj * ch), set(i, j, sj * sc - cs), set(i, k, sj * cc + ss);
        set(j, i, cj * sh), set(j, j, sj * ss + cc), set(j, k, sj * cs - sc);
        set(k, i, -sj), set(k, j, cj * si), set(k, k, cj * ci);
    }
    return m;
}

TEST(EulerFromMatrix, RecoversAnglesForEveryOrderCode)
{
    for (int order = 0; order < 32; ++order) {
        // The repeated-axis middle angle comes back in [0, pi], negated for odd
        // parity: pick the representative the extraction returns.
        const bool repeatedOdd = (order & 2) && (order & 4);
        const float x = 0.3f, y = repeatedOdd ? -0.5f : 0.5f, z = -0.7f;
        const Vector3 e = eulerFromMatrix(composeEuler(x, y, z, order), order);
        EXPECT_NEAR(e.x, x, 1e-5) << "order " << order;
        EXPECT_NEAR(e.y, y, 1e-5) << "order " << order;
        EXPECT_NEAR(e.z, z, 1e-5) << "order " << order;
    }
}

TEST(EulerFromMatrix, GimbalLockAndIdentity)
{
    EXPECT_EQ(eulerFromMatrix(Matrix4::identity(), 16), Vector3(0, 0, 0));
    // Repetition orders at y = 0 leave all the turn in x.
    for (int order : {2, 10, 18}) {
        const Vector3 e = eulerFromMatrix(composeEuler(0.4f, 0.0f, 0.0f, order), order);
        EXPECT_NEAR(e.x, 0.4f, 1e-5) << order;
        EXPECT_EQ(e.z, 0.0f) << order;
    }
    // Non-repeating orders at y = 90 degrees: z is pinned to 0.
    const Vector3 e = eulerFromMatrix(composeEuler(0.2f, float(M_PI / 2), 0.0f, 16), 16);
    EXPECT_NEAR(e.y, M_PI / 2, 1e-3);
    EXPECT_EQ(e.z, 0.0f);
}

TEST(ColorToArgb, ClampsAndRounds)
{
    struct Case {
        Color c;
        uint32_t argb;
    } cases[] = {
        {{1.2f, 0.5f, -0.1f, 1.0f}, 0xFFFF8000u},
        {{0, 0, 0, 0}, 0x00000000u},
        {{1, 1, 1, 1}, 0xFFFFFFFFu},
        {{0.2f, 0.4f, 0.6f, 0.8f}, 0xCC336699u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(colorToArgb(c.c), c.argb);
}
