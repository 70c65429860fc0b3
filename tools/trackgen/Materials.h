#pragma once
#include "tools/trackgen/Textures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace track {

// One surface of the level's objects: a texture drawn by trackgen (or a
// plain colour) and how it is lit. Mesh UVs are in metres; `tile` metres
// make one repeat of the texture.
struct Material {
    std::string name;
    std::string kind;    // texture kind; empty: plain colour
    Paint paint;
    Rgb colour{0.8f, 0.8f, 0.8f};
    float tile = 4.0f;
    float specular = 0.05f;
    float glossiness = 0.2f;
    float luminosity = 0.0f;
    float smoothing = 0.0f; // degrees: 0 keeps every face flat
    bool edgeClamp = false; // the picture does not repeat across its edges
    bool roadLines = false; // white edge lines drawn into the texture
    // The start grid's slot marks: along v, a line across the left slot at
    // 0 and across the right slot at 0.5, each with short ticks behind it.
    bool gridMarks = false;
};

// The materials a level may use, by name, with their default looks; a
// level's `paint` lines change their colours. Index = the mesh material
// number.
class MaterialSet {
public:
    MaterialSet();
    // -1 when there is no material of that name.
    int find(const std::string& name) const;
    // The material number, aborting the generator's run on an unknown name
    // (every name passed is a constant of trackgen's own).
    uint16_t id(const std::string& name) const;
    Material& at(uint16_t id) { return m_materials[id]; }
    const Material& at(uint16_t id) const { return m_materials[id]; }
    size_t size() const { return m_materials.size(); }

private:
    std::vector<Material> m_materials;
};

// The picture of a material's texture: its kind in its paint, with the
// road's edge lines where it asks for them.
Picture materialTexture(const Material& m, uint32_t seed);

} // namespace track
