#include "tools/kartdata/ModelFile.h"

uint16_t ModelFile::surface(const Lwo2Surface& s)
{
    m_surfaces.push_back(s);
    return uint16_t(m_surfaces.size() - 1);
}

int ModelFile::image(const std::string& name)
{
    for (size_t i = 0; i < m_images.size(); ++i)
        if (m_images[i] == name)
            return int(i + 1);
    m_images.push_back(name);
    return int(m_images.size());
}

Mesh& ModelFile::layer(uint32_t number, const std::string& name, Vec pivot)
{
    auto [at, made] = m_layers.try_emplace(number);
    if (made) {
        at->second.name = name;
        at->second.pivot = at->second.home = pivot;
    }
    return at->second.mesh;
}

Mesh& ModelFile::bodyLayer(uint32_t number, const std::string& name, Vec home)
{
    Mesh& mesh = layer(number, name);
    m_layers[number].home = home;
    return mesh;
}

Vec ModelFile::home(uint32_t number) const
{
    const auto at = m_layers.find(number);
    return at == m_layers.end() ? Vec{} : at->second.home;
}

std::vector<uint8_t> ModelFile::bytes() const
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (const Lwo2Surface& s : m_surfaces)
        names.push_back(s.name);
    w.tags(names);
    for (const auto& [number, layer] : m_layers) {
        w.layer(number, layer.name, {layer.pivot.x, layer.pivot.y, layer.pivot.z});
        std::vector<std::array<float, 3>> points;
        for (const Vec& p : layer.mesh.points)
            points.push_back({p.x, p.y, p.z});
        std::vector<std::vector<uint32_t>> polygons;
        std::vector<uint16_t> tags;
        for (const Mesh::Polygon& p : layer.mesh.polygons) {
            polygons.push_back(p.corners);
            tags.push_back(p.surface);
        }
        w.points(points);
        w.polygons(polygons);
        w.polygonTags(tags);
    }
    // The images first: a surface's block names its image by clip index.
    for (size_t i = 0; i < m_images.size(); ++i)
        w.clipStill(uint32_t(i + 1), m_images[i]);
    for (const Lwo2Surface& s : m_surfaces)
        w.surface(s);
    return w.finish();
}

size_t ModelFile::triangleCount() const
{
    size_t n = 0;
    for (const auto& [number, layer] : m_layers)
        n += layer.mesh.triangleCount();
    return n;
}

std::vector<uint32_t> ModelFile::insideOutLayers() const
{
    std::vector<uint32_t> bad;
    for (const auto& [number, layer] : m_layers)
        if (layer.mesh.insideOut() > 0)
            bad.push_back(number);
    return bad;
}

Lwo2Surface material(const std::string& name, uint32_t colour, float specular, float glossiness, float smoothing)
{
    Lwo2Surface s;
    s.name = name;
    s.color = rgb(colour);
    s.values = {{"DIFF", 1.0f}, {Lwo2Specularity, specular}, {"GLOS", glossiness}};
    if (smoothing > 0.0f)
        s.smoothing = smoothing;
    return s;
}
