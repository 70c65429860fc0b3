#include "tools/trackgen/ObjectWriter.h"

#include "tools/lib/Lwo2Writer.h"

#include <cstring>
#include <map>
#include <tuple>

namespace track {

namespace {

constexpr char kUvMap[] = "uv";

struct Layer {
    std::vector<std::array<float, 3>> points;
    std::vector<std::pair<uint32_t, std::vector<float>>> uvs;
    std::vector<std::vector<uint32_t>> polygons;
    std::vector<uint16_t> tags;
};

// Points shared by corners with the same place and UV, so the mesh build
// smooths across them.
Layer layerOf(const Mesh& mesh, const std::vector<int>& tagOf, const MaterialSet* materials)
{
    Layer out;
    std::map<std::tuple<float, float, float, float, float>, uint32_t> index;
    for (const Mesh::Polygon& p : mesh.polygons()) {
        std::vector<uint32_t> corners;
        const float tile = materials ? materials->at(p.material).tile : 1.0f;
        for (uint32_t i = 0; i < p.count; ++i) {
            const MeshVertex& v = mesh.vertices()[p.first + i];
            const float u = v.u / tile, w = v.v / tile;
            const auto key = std::make_tuple(v.p.x, v.p.y, v.p.z, u, w);
            auto it = index.find(key);
            if (it == index.end()) {
                it = index.emplace(key, uint32_t(out.points.size())).first;
                out.points.push_back({v.p.x, v.p.y, v.p.z});
                if (materials)
                    out.uvs.push_back({it->second, {u, w}});
            }
            corners.push_back(it->second);
        }
        out.polygons.push_back(std::move(corners));
        out.tags.push_back(uint16_t(tagOf[p.material]));
    }
    return out;
}

} // namespace

std::string textureEntry(const Material& material, const std::string& folder)
{
    if (material.kind.empty() && material.name != "sky")
        return {};
    // Clip names are written with '/' throughout: the object loader puts a
    // '/' behind a drive's colon, so "D:\x" would become "D:/\x".
    std::string entry = folder + (material.name == "sky" ? "sky.jpg" : "tex_" + material.name + ".jpg");
    for (char& c : entry)
        if (c == '\\')
            c = '/';
    return entry;
}

std::vector<uint8_t> writeObject(const std::vector<const Mesh*>& layers, const MaterialSet& materials,
                                 const std::string& folder)
{
    std::vector<int> tagOf(materials.size(), -1);
    std::vector<uint16_t> used;
    for (const Mesh* mesh : layers)
        for (const Mesh::Polygon& p : mesh->polygons())
            if (tagOf[p.material] < 0) {
                tagOf[p.material] = int(used.size());
                used.push_back(p.material);
            }
    Lwo2Writer w;
    std::vector<std::string> names;
    for (uint16_t id : used)
        names.push_back(materials.at(id).name);
    w.tags(names);
    for (size_t i = 0; i < layers.size(); ++i) {
        const Layer l = layerOf(*layers[i], tagOf, &materials);
        w.layer(uint32_t(i));
        w.points(l.points);
        w.vmap("TXUV", 2, kUvMap, l.uvs);
        w.polygons(l.polygons);
        w.polygonTags(l.tags);
    }
    // The clips come first: a surface's block names its image by index.
    std::vector<Lwo2Surface> surfaces;
    uint32_t clip = 0;
    for (uint16_t id : used) {
        const Material& m = materials.at(id);
        Lwo2Surface s;
        s.name = m.name;
        s.color = {m.colour.r, m.colour.g, m.colour.b};
        s.values = {{"DIFF", m.luminosity >= 1.0f ? 0.0f : 1.0f},
                    {Lwo2Specularity, m.specular},
                    {"GLOS", m.glossiness},
                    {"LUMI", m.luminosity}};
        s.smoothing = radians(m.smoothing);
        s.sides = 1;
        const std::string picture = textureEntry(m, folder);
        if (!picture.empty()) {
            w.clipStill(++clip, picture);
            Lwo2Block b;
            b.projection = 5;
            b.axis = -1;
            b.image = int(clip);
            b.vmap = kUvMap;
            b.wrapU = 1;
            b.wrapV = m.edgeClamp ? 3 : 1;
            // Filtered and mipmapped: the engine samples the nearest texel
            // of the full picture otherwise, which shimmers at a distance.
            b.pixelBlending = 1;
            b.aast = 1.0f;
            s.blocks.push_back(b);
            // The picture multiplies the surface's colour.
            s.color = {1.0f, 1.0f, 1.0f};
        }
        surfaces.push_back(std::move(s));
    }
    for (const Lwo2Surface& s : surfaces)
        w.surface(s);
    return w.finish();
}

std::vector<uint8_t> writeHiddenObject(const Mesh& mesh, const std::string& surface)
{
    Lwo2Writer w;
    w.tags({surface});
    std::vector<int> tagOf(65536, 0);
    const Layer l = layerOf(mesh, tagOf, nullptr);
    w.layer(0);
    w.points(l.points);
    w.polygons(l.polygons);
    w.polygonTags(l.tags);
    Lwo2Surface s;
    s.name = surface;
    s.color = {1.0f, 0.2f, 0.8f};
    s.values = {{"DIFF", 1.0f}, {"TRAN", 1.0f}};
    s.sides = 3;
    w.surface(s);
    return w.finish();
}

} // namespace track
