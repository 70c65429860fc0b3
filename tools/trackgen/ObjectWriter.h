#pragma once
#include "tools/trackgen/Materials.h"
#include "tools/trackgen/Mesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace track {

// The picture file of a textured material, below the level's folder
// (`folder` ends in a separator); empty for a plain colour.
std::string textureEntry(const Material& material, const std::string& folder);

// An LWO2 object with one layer per mesh (layer numbers from 0): the
// materials the meshes use become its surfaces, each textured one showing
// its picture through the layer's UV map "uv", and its pictures's average
// colour (by material number) as its own.
std::vector<uint8_t> writeObject(const std::vector<const Mesh*>& layers, const MaterialSet& materials,
                                 const std::string& folder);
// A one-layer object that is collided with and never seen: one surface of
// that name, wholly transparent (the debug console makes it half visible).
std::vector<uint8_t> writeHiddenObject(const Mesh& mesh, const std::string& surface);

} // namespace track
