#include "engine/core/geometry/PolygonTriangulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using PolygonOps::Triangle;

// Outlines in the z = 0 plane, listed clockwise as seen from -z (the side
// they face), as the object files hold them.
struct Outline {
    const char* name;
    std::vector<Vector3> points;
};

double area2(const Vector3& a, const Vector3& b, const Vector3& c)
{
    return double(b.x - a.x) * (c.y - a.y) - double(b.y - a.y) * (c.x - a.x);
}

// Positive when the outline turns counter-clockwise in x, y.
double signedOutlineArea(const std::vector<Vector3>& p)
{
    double sum = 0.0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Vector3& a = p[i];
        const Vector3& b = p[(i + 1) % p.size()];
        sum += double(a.x) * b.y - double(b.x) * a.y;
    }
    return sum / 2.0;
}

bool insideOutline(const std::vector<Vector3>& p, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            in = !in;
    return in;
}

std::vector<Triangle> cut(const std::vector<Vector3>& points)
{
    std::vector<uint32_t> polygon;
    for (uint32_t i = 0; i < points.size(); ++i)
        polygon.push_back(i);
    return PolygonOps::triangulate(points.data(), polygon.data(), uint32_t(polygon.size()));
}

TEST(PolygonTriangulatorTest, ConvexOutlinesFanFromTheFirstCorner)
{
    const std::vector<Vector3> quad{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    EXPECT_EQ(cut(quad), (std::vector<Triangle>{{0, 1, 2}, {2, 3, 0}}));
    const std::vector<Vector3> pentagon{{0, 0, 0}, {0, 1, 0}, {1, 2, 0}, {2, 1, 0}, {2, 0, 0}};
    EXPECT_EQ(cut(pentagon), (std::vector<Triangle>{{0, 1, 2}, {0, 2, 3}, {3, 4, 0}}));
    EXPECT_EQ(cut({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}), (std::vector<Triangle>{{0, 1, 2}}));
    EXPECT_TRUE(cut({{0, 0, 0}, {0, 1, 0}}).empty());
}

TEST(PolygonTriangulatorTest, ConcaveOutlinesKeepTheirAreaAndStayInside)
{
    const Outline outlines[] = {
        {"L shape", {{0, 0, 0}, {0, 2, 0}, {1, 2, 0}, {1, 1, 0}, {2, 1, 0}, {2, 0, 0}}},
        {"first corner reflex", {{1, 1, 0}, {2, 1, 0}, {2, 0, 0}, {0, 0, 0}, {0, 2, 0}, {1, 2, 0}}},
        {"arrow", {{0, 0, 0}, {2, 3, 0}, {4, 0, 0}, {2, 1, 0}}},
        {"comb", {{0, 0, 0}, {0, 3, 0}, {1, 3, 0}, {1, 1, 0}, {2, 1, 0}, {2, 3, 0}, {3, 3, 0}, {3, 1, 0},
                  {4, 1, 0}, {4, 3, 0}, {5, 3, 0}, {5, 0, 0}}},
        {"counter-clockwise L", {{2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}, {0, 0, 0}}},
    };
    for (const Outline& o : outlines) {
        SCOPED_TRACE(o.name);
        const auto triangles = cut(o.points);
        ASSERT_EQ(triangles.size(), o.points.size() - 2);
        // Every triangle turns the way the whole outline does (not its
        // first corner, which may be reflex): a flipped one would face away.
        const double area = signedOutlineArea(o.points);
        double total = 0.0;
        for (const Triangle& t : triangles) {
            const Vector3 &a = o.points[t[0]], &b = o.points[t[1]], &c = o.points[t[2]];
            total += std::fabs(area2(a, b, c)) / 2.0;
            EXPECT_GT(area2(a, b, c) * area, 0.0) << t[0] << " " << t[1] << " " << t[2] << " is flipped";
            const double cx = (a.x + b.x + c.x) / 3.0, cy = (a.y + b.y + c.y) / 3.0;
            EXPECT_TRUE(insideOutline(o.points, cx, cy)) << t[0] << " " << t[1] << " " << t[2];
        }
        EXPECT_NEAR(total, std::fabs(area), 1e-9);
    }
}

TEST(PolygonTriangulatorTest, CrossedAndFlatOutlinesEnd)
{
    const Outline outlines[] = {
        {"bow tie", {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}}},
        {"on a line", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}},
        {"one point", {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}, {1, 1, 0}}},
        {"star", {{0, 0, 0}, {2, 4, 0}, {4, 0, 0}, {0, 3, 0}, {4, 3, 0}}},
    };
    for (const Outline& o : outlines) {
        SCOPED_TRACE(o.name);
        const auto triangles = cut(o.points);
        EXPECT_EQ(triangles.size(), o.points.size() - 2);
        for (const Triangle& t : triangles)
            for (uint32_t c : t)
                EXPECT_LT(c, o.points.size());
    }
}

TEST(PolygonTriangulatorTest, FaceNormalAndBarycentric)
{
    const Vector3 p[3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    const uint32_t polygon[3] = {0, 1, 2};
    EXPECT_EQ(PolygonOps::computeFaceNormal(p, polygon, 3), Vector3(0, 0, -1));
    const auto inside = PolygonOps::barycentric(p[0], p[1], p[2], {0.75f, 0.25f, 0});
    EXPECT_NEAR(inside[0] + inside[1] + inside[2], 1.0, 1e-9);
    for (double v : inside)
        EXPECT_GE(v, 0.0);
    const auto outside = PolygonOps::barycentric(p[0], p[1], p[2], {2, -1, 0});
    EXPECT_LT(std::min({outside[0], outside[1], outside[2]}), 0.0);
}

} // namespace
