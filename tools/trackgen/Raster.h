#pragma once
#include "tools/trackgen/Materials.h"
#include "tools/trackgen/Mesh.h"
#include "tools/trackgen/Picture.h"

#include <vector>

namespace track {

// The light of a level as the pictures show it: the sun (from where it
// stands), the ambient light and linear fog into the horizon's colour.
struct Lighting {
    Vector3 towardSun{0.0f, 1.0f, 0.0f};
    Rgb sun{1.0f, 1.0f, 1.0f};
    Rgb ambient{0.3f, 0.3f, 0.3f};
    Rgb fog{0.8f, 0.8f, 0.9f};
    float fogStart = 0.0f, fogEnd = 0.0f;
};

struct ViewPoint {
    Vector3 eye, target;
    float fovY = 0.8f; // radians
};

// Draws the level's meshes in software for its pictures (the loading
// screen, the menu's track picture): perspective-correct textures with
// mipmaps, faces lit flat by the sun, fog, and four depth-tested samples a
// pixel averaged so edges come out smooth.
class Rasteriser {
public:
    Rasteriser(int width, int height, const ViewPoint& view, const Lighting& light);

    // `textures[i]` is material i's picture, or null for a plain colour.
    // `fogged` false draws without fog (the sky).
    void add(const Mesh& mesh, const MaterialSet& materials, const std::vector<const Picture*>& textures, bool fogged);
    Picture render() const;

private:
    struct Item {
        const Mesh* mesh;
        bool fogged;
    };
    struct Mips {
        std::vector<Picture> levels;
    };
    void draw(const Item& item, std::vector<float>& depth, std::vector<uint32_t>& colour) const;

    int m_width, m_height;
    ViewPoint m_view;
    Lighting m_light;
    Vector3 m_right, m_up, m_forward;
    float m_focal;
    const MaterialSet* m_materials = nullptr;
    std::vector<Item> m_items;
    std::vector<Mips> m_mips;
};

} // namespace track
