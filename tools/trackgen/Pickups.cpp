#include "tools/trackgen/Pickups.h"

#include "tools/lib/Lwo2Writer.h"
#include "tools/trackgen/Mesh.h"
#include "tools/trackgen/Output.h"
#include "tools/trackgen/Picture.h"

namespace track {

namespace {

const std::string kFolder = "D:\\Zoprax9/3dobjects_extras/";
// Pictures go beside the objects, '/'-separated as clip names are.
const std::string kPictures = "D:/Zoprax9/3dobjects_extras/";

struct Look {
    Look(const char* n, Rgb c, float lum, float spec, std::string pic = {})
        : name(n), colour(c), luminosity(lum), specular(spec), picture(std::move(pic))
    {
    }
    const char* name;
    Rgb colour;
    float luminosity;
    float specular;
    std::string picture; // clip file name, UV-mapped; empty: none
};

// Turns a mesh built standing up (axis y) to lie along z: a coin's faces
// then look along z and its edge runs round y, the axis it spins about.
Mesh lyingAlongZ(const Mesh& m)
{
    Mesh out;
    for (const Mesh::Polygon& p : m.polygons()) {
        MeshVertex v[4];
        for (uint32_t i = 0; i < p.count; ++i) {
            v[i] = m.vertices()[p.first + i];
            v[i].p = Vector3(v[i].p.x, -v[i].p.z, v[i].p.y);
        }
        if (p.count == 4)
            out.quad(p.material, v[0], v[1], v[2], v[3]);
        else
            out.triangle(p.material, v[0], v[1], v[2]);
    }
    return out;
}

std::vector<uint8_t> object(const Mesh& mesh, const std::vector<Look>& looks)
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (const Look& l : looks)
        names.push_back(l.name);
    w.tags(names);
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    std::vector<std::pair<uint32_t, std::vector<float>>> uvs;
    std::vector<std::vector<uint32_t>> polygons;
    std::vector<uint16_t> tags;
    for (const Mesh::Polygon& p : mesh.polygons()) {
        std::vector<uint32_t> corners;
        for (uint32_t i = 0; i < p.count; ++i) {
            const MeshVertex& v = mesh.vertices()[p.first + i];
            corners.push_back(uint32_t(points.size()));
            uvs.push_back({uint32_t(points.size()), {v.u, v.v}});
            points.push_back({v.p.x, v.p.y, v.p.z});
        }
        polygons.push_back(std::move(corners));
        tags.push_back(p.material);
    }
    w.points(points);
    w.vmap("TXUV", 2, "uv", uvs);
    w.polygons(polygons);
    w.polygonTags(tags);
    uint32_t clip = 0;
    std::vector<Lwo2Surface> surfaces;
    for (const Look& l : looks) {
        Lwo2Surface s;
        s.name = l.name;
        s.color = {l.colour.r, l.colour.g, l.colour.b};
        s.values = {{"DIFF", 1.0f}, {Lwo2Specularity, l.specular}, {"GLOS", 0.5f}, {"LUMI", l.luminosity}};
        s.sides = 1;
        if (!l.picture.empty()) {
            w.clipStill(++clip, kPictures + l.picture);
            Lwo2Block b;
            b.projection = 5;
            b.axis = -1;
            b.image = int(clip);
            b.vmap = "uv";
            b.wrapU = b.wrapV = 3;
            s.blocks.push_back(b);
        }
        surfaces.push_back(s);
    }
    for (const Lwo2Surface& s : surfaces)
        w.surface(s);
    return w.finish();
}

// The item box's face: a white question mark with a dark rim on an orange
// to magenta ground, drawn large and filtered down.
Picture questionFace()
{
    const int big = 512;
    Picture p(big, big);
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            const float u = (float(x) + 0.5f) / float(big), v = (float(y) + 0.5f) / float(big);
            Rgb c = mix(Rgb{1.0f, 0.62f, 0.10f}, Rgb{0.92f, 0.20f, 0.62f}, (u + v) * 0.5f);
            const float frame = std::min({u, v, 1.0f - u, 1.0f - v});
            if (frame < 0.06f)
                c = Rgb{1.0f, 0.95f, 0.6f};
            // The glyph by distance: an arc, a stem, a dot.
            const float ax = u - 0.5f, ay = v - 0.36f;
            const float r = std::hypot(ax, ay);
            const float angle = std::atan2(ay, ax); // screen y runs down
            const bool arcSpan = !(angle > 0.35f && angle < 2.2f);
            float d = arcSpan ? std::fabs(r - 0.15f) : 1.0f;
            d = std::min(d, std::max(std::fabs(u - 0.5f) - 0.0f, std::max(v - 0.64f, 0.50f - v)));
            d = std::min(d, std::hypot(u - 0.5f, v - 0.79f) - 0.015f);
            if (d < 0.085f)
                c = Rgb{0.15f, 0.05f, 0.20f};
            if (d < 0.055f)
                c = Rgb{1.0f, 1.0f, 1.0f};
            p.set(x, y, c);
        }
    return p.shrink(2);
}

Mesh coin()
{
    Mesh upright;
    addPrism(upright, 0, Vector3(0, -0.07f, 0), 0.14f, 0.5f, 0.5f, 20, true, 0.5f);
    addPrism(upright, 1, Vector3(0, -0.09f, 0), 0.18f, 0.3f, 0.3f, 20, true, 0.5f);
    return lyingAlongZ(upright);
}

Mesh itemBox()
{
    Mesh m;
    addBox(m, 0, Vector3(-0.45f, -0.45f, -0.45f), Vector3(0.45f, 0.45f, 0.45f), 1.0f);
    // Every face shows the whole picture, upright on the sides.
    Mesh out;
    for (const Mesh::Polygon& p : m.polygons()) {
        MeshVertex v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = m.vertices()[p.first + uint32_t(i)];
        const Vector3 n = unit(cross(v[1].p - v[0].p, v[2].p - v[0].p));
        for (MeshVertex& mv : v) {
            const Vector3& q = mv.p;
            // Right and up as seen from outside the face.
            Vector3 up = std::fabs(n.y) > 0.5f ? Vector3(0, 0, 1) : Vector3(0, 1, 0);
            const Vector3 right = cross(up, n);
            mv.u = 0.5f + dot(q, right) / 0.9f;
            mv.v = 0.5f - dot(q, up) / 0.9f;
        }
        out.quad(0, v[0], v[1], v[2], v[3]);
    }
    return out;
}

// A five-pointed star, extruded along z.
Mesh star()
{
    Mesh m;
    Vector3 front[10], back[10];
    for (int i = 0; i < 10; ++i) {
        const float a = kPi * float(i) / 5.0f;
        const float r = i % 2 ? 0.24f : 0.58f;
        front[i] = Vector3(std::sin(a) * r, std::cos(a) * r, -0.14f);
        back[i] = Vector3(front[i].x, front[i].y, 0.14f);
    }
    const MeshVertex cf{Vector3(0, 0, -0.22f), 0.5f, 0.5f}, cb{Vector3(0, 0, 0.22f), 0.5f, 0.5f};
    for (int i = 0; i < 10; ++i) {
        const int j = (i + 1) % 10;
        m.triangle(0, cf, {front[i], 0, 0}, {front[j], 0, 0});
        m.triangle(0, cb, {back[j], 0, 0}, {back[i], 0, 0});
        m.quad(1, {front[i], 0, 0}, {back[i], 0, 0}, {back[j], 0, 0}, {front[j], 0, 0});
    }
    return m;
}

Mesh cross3d()
{
    Mesh m;
    addBox(m, 0, Vector3(-0.15f, -0.45f, -0.15f), Vector3(0.15f, 0.45f, 0.15f));
    addBox(m, 0, Vector3(-0.45f, -0.15f, -0.15f), Vector3(-0.15f, 0.15f, 0.15f));
    addBox(m, 0, Vector3(0.15f, -0.15f, -0.15f), Vector3(0.45f, 0.15f, 0.15f));
    addBox(m, 1, Vector3(-0.2f, -0.5f, -0.1f), Vector3(0.2f, 0.5f, 0.1f), 0.5f, 1 | 2 | 4 | 8);
    return m;
}

Mesh hammer()
{
    Mesh m;
    addBox(m, 0, Vector3(-0.07f, -0.5f, -0.07f), Vector3(0.07f, 0.3f, 0.07f));
    addBox(m, 1, Vector3(-0.38f, 0.2f, -0.16f), Vector3(0.38f, 0.5f, 0.16f));
    addBox(m, 2, Vector3(-0.42f, 0.22f, -0.13f), Vector3(-0.38f, 0.48f, 0.13f));
    addBox(m, 2, Vector3(0.38f, 0.22f, -0.13f), Vector3(0.42f, 0.48f, 0.13f));
    return m;
}

// A crystal: a double pyramid of eight sides.
Mesh crystal()
{
    Mesh m;
    const int sides = 8;
    for (int i = 0; i < sides; ++i) {
        const float a0 = 2 * kPi * float(i) / float(sides), a1 = 2 * kPi * float(i + 1) / float(sides);
        const Vector3 p0(std::sin(a0) * 0.32f, 0, std::cos(a0) * 0.32f), p1(std::sin(a1) * 0.32f, 0, std::cos(a1) * 0.32f);
        const uint16_t face = uint16_t(i % 2);
        m.triangle(face, {p0, 0, 0}, {Vector3(0, 0.6f, 0), 0, 0}, {p1, 0, 0});
        m.triangle(face, {p0, 0, 0}, {p1, 0, 0}, {Vector3(0, -0.5f, 0), 0, 0});
    }
    return m;
}

} // namespace

bool writePickups(const std::filesystem::path& outDir, std::string& error)
{
    Output out;
    const Rgb gold{1.0f, 0.78f, 0.12f};
    out.add(kFolder + "coin.lwo", object(coin(), {{"coin", gold, 0.35f, 0.9f}, {"coin face", {0.95f, 0.62f, 0.08f}, 0.3f, 0.9f}}));
    out.add(kPictures + "pickup_item.jpg", questionFace().jpeg(90));
    out.add(kFolder + "extra_addon.lwo", object(itemBox(), {{"item box", {1, 1, 1}, 0.45f, 0.4f, "pickup_item.jpg"}}));
    out.add(kFolder + "spezial_addon.lwo",
            object(star(), {{"star", {1.0f, 0.9f, 0.2f}, 0.6f, 0.8f}, {"star rim", {1.0f, 0.55f, 0.1f}, 0.5f, 0.8f}}));
    out.add(kFolder + "health_addon.lwo",
            object(cross3d(), {{"health", {0.95f, 0.12f, 0.15f}, 0.45f, 0.5f}, {"health back", {1, 1, 1}, 0.5f, 0.3f}}));
    out.add(kFolder + "hammer_addon.lwo",
            object(hammer(), {{"handle", {0.75f, 0.5f, 0.25f}, 0.3f, 0.2f},
                              {"head", {0.7f, 0.72f, 0.8f}, 0.3f, 0.9f},
                              {"head band", {0.95f, 0.2f, 0.15f}, 0.4f, 0.5f}}));
    out.add(kFolder + "quaddamage_addon.lwo",
            object(crystal(), {{"crystal", {0.72f, 0.25f, 1.0f}, 0.55f, 0.9f}, {"crystal light", {0.9f, 0.6f, 1.0f}, 0.6f, 0.9f}}));
    return out.write(outDir, {}, error);
}

} // namespace track
