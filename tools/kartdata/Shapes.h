#pragma once
// The modelling kit of our karts, drivers and race objects: closed solids
// (boxes, solids of revolution, ellipsoids, extruded outlines) built from
// points and polygons in metres, +Y up and +Z forward, each polygon tagged
// with a surface. Every polygon is wound so that (p1 - p0) x (p2 - p0)
// points out of the solid, which is what the object loader takes as the
// front; mirrored placements turn their polygons round to keep that.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec operator*(Vec a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec cross(Vec a, Vec b);
float dot(Vec a, Vec b);

// A placement: p' = p * m + t with row vectors, as the engine composes.
struct Place {
    std::array<float, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Vec t;

    static Place at(Vec t);
    static Place at(float x, float y, float z) { return at({x, y, z}); }
    // Turns about an axis (0 x, 1 y, 2 z) by radians, in the engine's sense:
    // heading turns +Z toward +X, pitch +Z toward -Y, bank +X toward +Y.
    static Place turn(int axis, float radians);
    static Place scale(Vec s);
    // The frame whose axes X, Y, Z are u, v, w, at t.
    static Place axes(Vec u, Vec v, Vec w, Vec t = {});
    // This placement, then `then`.
    Place operator*(const Place& then) const;
    Vec apply(Vec p) const;
    bool mirrors() const;
};

// A point of a revolved profile: distance from the axis and height along it.
struct Ring {
    float r, h;
};

// An outline corner in a plane.
struct Flat {
    float u, v;
};

class Mesh {
public:
    std::vector<Vec> points;
    struct Polygon {
        std::vector<uint32_t> corners;
        uint16_t surface;
    };
    std::vector<Polygon> polygons;

    // The surface the next solids are tagged with.
    Mesh& use(uint16_t surface)
    {
        m_surface = surface;
        return *this;
    }

    // An axis-aligned box between two corners, then placed.
    Mesh& box(Vec lo, Vec hi, const Place& place = {});
    // A box whose top is narrowed by `taper` on x and z (a wedge when the
    // taper reaches half the size).
    Mesh& taperedBox(Vec lo, Vec hi, float taperX, float taperZ, const Place& place = {});
    // A solid of revolution about its Y axis. The profile runs from the
    // bottom of the axis outwards, up the outside and back to the axis at the
    // top; a first or last ring of radius 0 closes that end in a point, any
    // other end is closed by a flat cap. `bands` tags each band between ring
    // i and i + 1 with a surface of its own (the current one when empty).
    Mesh& lathe(const std::vector<Ring>& profile, int segments, const Place& place = {},
                const std::vector<uint16_t>& bands = {});
    // A ring: the profile is a closed loop (counter-clockwise with the
    // distance from the axis to the right and the height up), revolved.
    Mesh& ring(const std::vector<Ring>& loop, int segments, const Place& place = {});
    // An ellipsoid around its centre.
    Mesh& ellipsoid(Vec radii, int segments, int rings, const Place& place = {});
    // A cylinder of `radius` and `length` along the placement's Y axis,
    // centred on its origin.
    Mesh& cylinder(float radius, float length, int segments, const Place& place = {});
    // A convex or concave outline in the XY plane (corners counter-clockwise
    // seen from +Z), extruded from z0 to z1 (z0 < z1), then placed.
    Mesh& prism(const std::vector<Flat>& outline, float z0, float z1, const Place& place = {});
    // A tube between two points: a cylinder of `radius` with flat ends.
    Mesh& rod(Vec from, Vec to, float radius, int segments = 8);
    // A rod with round ends: a capsule from `from` to `to`.
    Mesh& capsule(Vec from, Vec to, float radius, int segments = 10);
    // A flat polygon, one-sided, facing along its winding's normal.
    Mesh& face(const std::vector<Vec>& corners);

    // Moves every point made so far.
    Mesh& shift(Vec by);

    size_t triangleCount() const;
    // How many solids came out wound inside out (a modelling slip).
    int insideOut() const { return m_insideOut; }
    // Six times the enclosed volume: positive for a closed solid whose
    // polygons all face out.
    double signedVolume(size_t firstPolygon = 0) const;

private:
    // The frame of a rod from `from` to `to`: its Y axis along the rod, its
    // origin halfway; false when the rod has no length.
    static bool rodFrame(Vec from, Vec to, Place& frame, float& length);
    uint32_t add(Vec p);
    void polygon(std::vector<uint32_t> corners, bool flip);
    Mesh& checked(size_t first);
    Mesh& revolve(const std::vector<Ring>& profile, int segments, const Place& place,
                  const std::vector<uint16_t>& bands, bool loop);
    uint16_t m_surface = 0;
    int m_insideOut = 0;
};

// Colours as 0xRRGGBB in the data files; LightWave surfaces want 0..1.
std::array<float, 3> rgb(uint32_t colour);
