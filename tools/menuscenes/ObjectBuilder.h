#pragma once
// A LightWave object (one layer) built from simple solids: boxes, cylinders
// and cones, spheres and turned profiles, each polygon facing outwards, with
// plain-coloured surfaces. The menu's scenes are made of these.
#include "tools/lib/Lwo2Writer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    float x, y, z;
};

class ObjectBuilder {
public:
    struct Look {
        std::array<float, 3> colour;
        float diffuse = 1.0f;
        float specular = 0.15f;
        float luminosity = 0.0f; // 1: lit by nothing but itself
        bool bothSides = false;
    };
    // A surface by name (made once); its index for the solids below.
    uint16_t surface(const std::string& name, const Look& look);
    // Every solid from here on is scaled, then turned by pitch (about x),
    // bank (about z) and heading (about y), in that order, about the pivot,
    // and moved by the offset; place() without arguments puts it back.
    void place(Vec3 offset = {0, 0, 0}, float heading = 0.0f, float pitch = 0.0f, float bank = 0.0f,
               Vec3 scale = {1, 1, 1}, Vec3 pivot = {0, 0, 0});

    // A polygon of the corners, turned so that it faces `outward`.
    void face(uint16_t surface, std::vector<Vec3> corners, Vec3 outward);
    void box(uint16_t surface, Vec3 lo, Vec3 hi);
    // A box of the size standing on `base` (its bottom centre), turned by the
    // heading (radians, about y).
    void block(uint16_t surface, Vec3 base, Vec3 size, float heading = 0.0f);
    // From radius r0 at the base to r1 at the top (0 for a cone), with caps.
    void cylinder(uint16_t surface, Vec3 base, float r0, float r1, float height, int segments);
    // A profile of (radius, height) points from the bottom up, turned about
    // the vertical axis through `base`.
    void lathe(uint16_t surface, Vec3 base, const std::vector<std::array<float, 2>>& profile, int segments);
    void sphere(uint16_t surface, Vec3 centre, float radius, int segments);

    std::vector<uint8_t> finish() const;

private:
    uint32_t point(Vec3 p);
    Vec3 transform(Vec3 p) const;
    Vec3 turn(Vec3 v) const;

    // Rows of the 3 x 3 part (applied as m * v), the pivot and the offset.
    float m_matrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 m_pivot{0, 0, 0};
    Vec3 m_offset{0, 0, 0};

    std::vector<std::string> m_names;
    std::vector<Look> m_looks;
    std::vector<std::array<float, 3>> m_points;
    std::vector<std::vector<uint32_t>> m_polygons;
    std::vector<uint16_t> m_tags;
};
