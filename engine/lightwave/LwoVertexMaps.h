#pragma once
#include "engine/core/base/ObjectBase.h"
#include "engine/core/math/Vector3.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The vertex maps of one object layer. A map is shared: the layer record
// while the file loads, every texture layer that binds it and the mesh that
// deforms with it each hold a reference (std::shared_ptr), and the last one
// to let go frees it.

// The per-polygon values of a discontinuous map (VMAD): for one polygon, the
// points whose value differs there, and those values.
template <typename Value>
struct LwoPolygonValues {
    std::vector<uint32_t> pointIndices;
    std::vector<Value> values;
};

// UV map (TXUV), or the coordinate side of a "max " map: (u, v, w) per
// point, w being 0 except for "max " maps.
class LwoUVMap : public ObjectBase {
public:
    using Value = std::array<float, 3>;
    std::string name;
    std::vector<Value> values;
    // One record per FACE polygon of the layer once a VMAD names the map.
    std::vector<LwoPolygonValues<Value>> perPolygon;
};

// Colour map (RGB, RGBA), or the colour side of a "max " map: (r, g, b, a)
// per point.
class LwoColorMap : public ObjectBase {
public:
    using Value = std::array<float, 4>;
    std::string name;
    std::vector<Value> values;
    std::vector<LwoPolygonValues<Value>> perPolygon;
    uint8_t hasAlpha = 0;
};

// Base of the per-point deformation maps the mesh keeps.
class LwoPointMap : public ObjectBase {
public:
    static constexpr uint32_t TypeMorph = 0x4D4F5246; // "MORF"
    static constexpr uint32_t TypeWeight = 0x57474854; // "WGHT"
    virtual uint32_t type() const { return 0; }
    std::string name;
};

class LwoMorphMap : public LwoPointMap {
public:
    uint32_t type() const override { return TypeMorph; }
    std::vector<Vector3> offsets;
    uint8_t hasData = 0;
};

class LwoWeightMap : public LwoPointMap {
public:
    uint32_t type() const override { return TypeWeight; }
    std::vector<float> weights;
};
