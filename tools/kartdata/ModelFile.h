#pragma once
// One LWO2 object under construction: its surfaces, its still images and
// its layers, each layer a Mesh with the number the scenes load it by and
// the pivot it turns about.
#include "tools/kartdata/Shapes.h"
#include "tools/lib/Lwo2Writer.h"

#include <map>
#include <string>
#include <vector>

class ModelFile {
public:
    // Adds a surface; the index tags polygons with it.
    uint16_t surface(const Lwo2Surface& s);
    // Clip index of a still image, added on first use.
    int image(const std::string& name);
    // The layer of that number, made on first use with its name and pivot.
    Mesh& layer(uint32_t number, const std::string& name = "", Vec pivot = {});
    // A layer modelled round the origin with no pivot, whose place is
    // `home`: what a rigid body carries, whose position is its centre.
    Mesh& bodyLayer(uint32_t number, const std::string& name, Vec home);
    // Where a scene puts the layer's object to show it where it was
    // modelled: its pivot, or a body layer's home.
    Vec home(uint32_t number) const;

    std::vector<uint8_t> bytes() const;
    size_t triangleCount() const;
    // The layers whose solids came out inside out, by number; empty when
    // every solid is wound right.
    std::vector<uint32_t> insideOutLayers() const;

private:
    struct Layer {
        std::string name;
        Vec pivot;
        Vec home;
        Mesh mesh;
    };
    std::vector<Lwo2Surface> m_surfaces;
    std::vector<std::string> m_images;
    std::map<uint32_t, Layer> m_layers;
};

// A plain surface: colour, diffuse, specular and glossiness, smoothed up to
// `smoothing` radians between faces (0: flat).
Lwo2Surface material(const std::string& name, uint32_t colour, float specular = 0.2f, float glossiness = 0.3f,
                     float smoothing = 1.0f);
