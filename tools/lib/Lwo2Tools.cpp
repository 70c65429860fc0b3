#include "tools/lib/Lwo2Tools.h"

#include "tools/lib/Lwo2Writer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace {

// A bounded big-endian cursor for the dump.
struct Cursor {
    const uint8_t* data;
    size_t end;
    size_t pos;

    size_t left() const { return pos < end ? end - pos : 0; }
    uint32_t u(int bytes)
    {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | (pos < end ? data[pos++] : 0);
        return v;
    }
    std::string id()
    {
        std::string text;
        for (int i = 0; i < 4; ++i) {
            const char c = pos < end ? char(data[pos++]) : '?';
            text += (c >= 32 && c < 127) ? c : '?';
        }
        return text;
    }
    float f()
    {
        const uint32_t bits = u(4);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    std::string s0()
    {
        std::string text;
        while (pos < end && data[pos] != 0)
            text += char(data[pos++]);
        pos += 1 + ((text.size() + 1) & 1);
        if (pos > end)
            pos = end;
        return text;
    }
    uint32_t vx()
    {
        const uint32_t w = u(2);
        return (w >> 8) == 0xFF ? ((w & 0xFF) << 16 | u(2)) : w;
    }
};

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (uint8_t(c) < 32 || uint8_t(c) >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(uint8_t(c)));
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void line(std::string& out, int depth, const std::string& text)
{
    out.append(size_t(depth) * 2, ' ');
    out += text;
    out += '\n';
}

void dumpSubChunks(std::string& out, Cursor c, int depth);

// What a sub-chunk's data says, and its own sub-chunks.
void dumpSubChunk(std::string& out, const std::string& id, Cursor c, int depth, uint32_t size)
{
    std::string head = id + " " + std::to_string(size);
    if (id == "BLOK" || id == "TMAP") {
        line(out, depth, head);
        dumpSubChunks(out, c, depth + 1);
        return;
    }
    if (id == "IMAP" || id == "PROC" || id == "GRAD" || id == "vcol") {
        line(out, depth, head + ": ordinal " + quoted(c.s0()));
        dumpSubChunks(out, c, depth + 1);
        return;
    }
    if (id == "CHAN") {
        head += ": " + c.id();
    } else if (id == "STIL" || id == "VMAP" || id == "NAME" || id == "back" || id == "PNAM" || id == "INAM") {
        head += ": " + quoted(c.s0());
    } else if (id == "ISEQ") {
        const uint32_t digits = c.u(1);
        c.u(1);
        c.u(2);
        c.u(2);
        const uint32_t first = c.u(2), last = c.u(2);
        const std::string prefix = c.s0();
        head += ": " + quoted(prefix) + " frames " + std::to_string(first) + ".." + std::to_string(last) + ", " +
                std::to_string(digits) + " digits, suffix " + quoted(c.s0());
    } else if (id == "XREF") {
        const uint32_t index = c.u(4);
        head += ": clip " + std::to_string(index) + " as " + quoted(c.s0());
    } else if (id == "SPAN") {
        head += ": " + c.id();
    } else if (id == "KEY ") {
        char text[64];
        const float t = c.f();
        std::snprintf(text, sizeof text, ": time %g value %g", t, c.f());
        head += text;
    } else if (id == "FKEY") {
        head += ": " + std::to_string(size / 20) + " keys";
    } else if (id == "COLR" || id == "DIFF" || id == "LUMI" || id == "SPEC" || id == "GLOS" || id == "REFL" ||
               id == "TRAN" || id == "SMAN") {
        char text[64];
        const float v = c.f();
        std::snprintf(text, sizeof text, ": %g", v);
        head += text;
    } else if (id == "SIDE" || id == "PROJ" || id == "AXIS" || id == "IMAG" || id == "ENAB") {
        head += ": " + std::to_string(c.u(2));
    }
    line(out, depth, head);
}

void dumpSubChunks(std::string& out, Cursor c, int depth)
{
    while (c.left() > 0) {
        if (c.left() < 6) {
            line(out, depth, "(" + std::to_string(c.left()) + " stray bytes)");
            return;
        }
        const std::string id = c.id();
        const uint32_t size = c.u(2);
        if (size > c.left()) {
            line(out, depth, id + " " + std::to_string(size) + ": runs past its parent by " +
                                 std::to_string(size - c.left()) + " bytes");
            return;
        }
        Cursor inner{c.data, c.pos + size, c.pos};
        dumpSubChunk(out, id, inner, depth, size);
        c.pos += size + (size & 1);
    }
}

uint32_t valuesPerEntry(const std::string& type, uint32_t dimension)
{
    if (type == "TXUV")
        return 2;
    if (type == "RGB " || type == "MORF" || type == "max ")
        return 3;
    if (type == "RGBA")
        return 4;
    if (type == "WGHT")
        return 1;
    return dimension;
}

void dumpChunk(std::string& out, const std::string& id, Cursor c, uint32_t size)
{
    std::string head = id + " " + std::to_string(size);
    if (id == "TAGS") {
        std::vector<std::string> tags;
        while (c.left() > 0)
            tags.push_back(c.s0());
        head += ": " + std::to_string(tags.size()) + " tags";
        for (const std::string& tag : tags)
            head += " " + quoted(tag);
        line(out, 1, head);
    } else if (id == "LAYR") {
        const uint32_t number = c.u(2);
        c.u(2);
        char pivot[96];
        const float x = c.f(), y = c.f(), z = c.f();
        std::snprintf(pivot, sizeof pivot, " pivot (%g, %g, %g)", x, y, z);
        const std::string name = c.s0();
        head += ": layer " + std::to_string(number) + " " + quoted(name) + pivot;
        if (c.left() >= 2)
            head += " parent " + std::to_string(c.u(2));
        line(out, 1, head);
    } else if (id == "PNTS") {
        line(out, 1, head + ": " + std::to_string(size / 12) + " points");
    } else if (id == "POLS") {
        const std::string type = c.id();
        uint32_t count = 0, corners = 0;
        while (c.left() > 0) {
            const uint32_t n = c.u(2) & 0x3FF;
            for (uint32_t i = 0; i < n; ++i)
                c.vx();
            ++count;
            corners += n;
        }
        line(out, 1, head + ": " + type + ", " + std::to_string(count) + " polygons, " + std::to_string(corners) +
                         " corners");
    } else if (id == "PTAG") {
        const std::string type = c.id();
        uint32_t count = 0;
        while (c.left() >= 4) {
            c.vx();
            c.u(2);
            ++count;
        }
        line(out, 1, head + ": " + type + ", " + std::to_string(count) + " entries");
    } else if (id == "VMAP" || id == "VMAD") {
        const std::string type = c.id();
        const uint32_t dimension = c.u(2);
        const std::string name = c.s0();
        const uint32_t values = valuesPerEntry(type, dimension);
        uint32_t count = 0;
        while (c.left() > 0) {
            c.vx();
            if (id == "VMAD")
                c.vx();
            c.pos = std::min(c.end, c.pos + 4 * size_t(values));
            ++count;
        }
        line(out, 1, head + ": " + type + " " + quoted(name) + ", dimension " + std::to_string(dimension) + ", " +
                         std::to_string(count) + " entries");
    } else if (id == "ENVL") {
        line(out, 1, head + ": envelope " + std::to_string(c.u(2)));
        dumpSubChunks(out, c, 2);
    } else if (id == "CLIP") {
        line(out, 1, head + ": clip " + std::to_string(c.u(4)));
        dumpSubChunks(out, c, 2);
    } else if (id == "SURF") {
        const std::string name = c.s0();
        line(out, 1, head + ": surface " + quoted(name) + " source " + quoted(c.s0()));
        dumpSubChunks(out, c, 2);
    } else {
        line(out, 1, head);
    }
}

} // namespace

bool lwo2LooksLikeObject(const std::vector<uint8_t>& bytes, std::string& why)
{
    if (bytes.size() < 12) {
        why = "not an LWO2 object: only " + std::to_string(bytes.size()) + " bytes";
        return false;
    }
    Cursor c{bytes.data(), bytes.size(), 0};
    const std::string form = c.id();
    c.u(4);
    const std::string type = c.id();
    if (form != "FORM") {
        why = "not an LWO2 object: it starts with " + quoted(std::string(bytes.begin(), bytes.begin() + 4));
        return false;
    }
    if (type != "LWO2") {
        why = "not an LWO2 object: an IFF file of type " + quoted(std::string(bytes.begin() + 8, bytes.begin() + 12));
        return false;
    }
    return true;
}

std::string lwo2Dump(const std::vector<uint8_t>& bytes)
{
    std::string out;
    if (bytes.size() < 12) {
        line(out, 0, "not an IFF file: " + std::to_string(bytes.size()) + " bytes");
        return out;
    }
    Cursor c{bytes.data(), bytes.size(), 0};
    const std::string form = c.id();
    const uint32_t length = c.u(4);
    const std::string type = c.id();
    line(out, 0, form + " " + std::to_string(length) + " " + type + " (" + std::to_string(bytes.size()) + " bytes)");
    while (c.left() > 0) {
        if (c.left() < 8) {
            line(out, 1, "(" + std::to_string(c.left()) + " bytes of a cut-off chunk header)");
            break;
        }
        const size_t at = c.pos;
        const std::string id = c.id();
        const uint32_t size = c.u(4);
        if (size > c.left()) {
            line(out, 1, id + " " + std::to_string(size) + " at " + std::to_string(at) + ": truncated, " +
                             std::to_string(c.left()) + " bytes left");
            break;
        }
        dumpChunk(out, id, Cursor{c.data, c.pos + size, c.pos}, size);
        c.pos += size + (size & 1);
    }
    return out;
}

namespace {

struct DescLayer {
    uint32_t number = 0;
    std::string name;
    std::vector<std::array<float, 3>> points;
    std::vector<std::vector<uint32_t>> faces;
    std::vector<std::string> faceSurfaces;
    std::map<std::string, std::vector<std::pair<uint32_t, std::vector<float>>>> uv, weight, morph;
};

int axisCode(const std::string& text)
{
    return text == "x" ? 0 : text == "y" ? 1 : text == "z" ? 2 : -1;
}

} // namespace

bool lwo2Build(const std::string& description, std::vector<uint8_t>& bytes, std::string& error)
{
    std::vector<DescLayer> layers;
    std::vector<Lwo2Surface> surfaces;
    std::vector<std::pair<uint32_t, std::string>> clips;
    std::vector<std::string> tags;
    auto tagOf = [&](const std::string& name) {
        for (size_t i = 0; i < tags.size(); ++i)
            if (tags[i] == name)
                return i;
        tags.push_back(name);
        return tags.size() - 1;
    };
    std::istringstream in(description);
    std::string text;
    int number = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, text)) {
        ++number;
        const size_t hash = text.find('#');
        if (hash != std::string::npos)
            text.resize(hash);
        std::istringstream words(text);
        std::string word;
        if (!(words >> word))
            continue;
        auto floats = [&](size_t count, std::vector<float>& out) {
            out.resize(count);
            for (float& v : out)
                if (!(words >> v))
                    return false;
            return true;
        };
        std::vector<float> values;
        if (word == "layer") {
            DescLayer layer;
            if (!(words >> layer.number) || layer.number > 0xFFFF)
                return fail("layer needs a number from 0 to 65535");
            std::getline(words >> std::ws, layer.name);
            layers.push_back(layer);
            continue;
        }
        if (word == "clip") {
            uint32_t index;
            std::string file;
            if (!(words >> index >> file) || index == 0 || index >= 32768)
                return fail("clip needs an index from 1 to 32767 and a file");
            clips.push_back({index, file});
            continue;
        }
        if (word == "surface") {
            Lwo2Surface s;
            if (!(words >> s.name))
                return fail("surface needs a name");
            tagOf(s.name);
            surfaces.push_back(s);
            continue;
        }
        const bool layerStatement =
            word == "point" || word == "face" || word == "uv" || word == "weight" || word == "morph";
        if (layerStatement && layers.empty())
            return fail(word + " before any layer");
        if (word == "point") {
            if (!floats(3, values))
                return fail("point needs x y z");
            layers.back().points.push_back({values[0], values[1], values[2]});
        } else if (word == "face") {
            std::string surface;
            if (!(words >> surface))
                return fail("face needs a surface");
            std::vector<uint32_t> corners;
            uint32_t index;
            while (words >> index) {
                if (index >= layers.back().points.size())
                    return fail("face names point " + std::to_string(index) + " of " +
                                std::to_string(layers.back().points.size()));
                corners.push_back(index);
            }
            if (corners.empty() || corners.size() > 1023)
                return fail("a face has 1 to 1023 points");
            tagOf(surface);
            layers.back().faces.push_back(corners);
            layers.back().faceSurfaces.push_back(surface);
        } else if (word == "uv" || word == "weight" || word == "morph") {
            std::string map;
            uint32_t point;
            const size_t count = word == "uv" ? 2 : word == "weight" ? 1 : 3;
            if (!(words >> map >> point) || !floats(count, values))
                return fail(word + " needs a map, a point and " + std::to_string(count) + " values");
            if (point >= layers.back().points.size())
                return fail(word + " names a point the layer does not have");
            auto& maps = word == "uv" ? layers.back().uv : word == "weight" ? layers.back().weight : layers.back().morph;
            maps[map].push_back({point, values});
        } else {
            if (surfaces.empty())
                return fail("unknown statement " + word);
            Lwo2Surface& s = surfaces.back();
            if (word == "color") {
                if (!floats(3, values))
                    return fail("color needs r g b");
                s.color = {values[0], values[1], values[2]};
            } else if (word == "diffuse" || word == "luminosity" || word == "specular" || word == "glossiness" ||
                       word == "reflection" || word == "transparency") {
                static const std::map<std::string, std::string> ids{
                    {"diffuse", "DIFF"},    {"luminosity", "LUMI"}, {"specular", "SPEC"},
                    {"glossiness", "GLOS"}, {"reflection", "REFL"}, {"transparency", "TRAN"}};
                if (!floats(1, values))
                    return fail(word + " needs a value");
                s.values.push_back({ids.at(word), values[0]});
            } else if (word == "smoothing") {
                if (!floats(1, values))
                    return fail("smoothing needs degrees");
                s.smoothing = float(values[0] * 3.14159265358979323846 / 180.0);
            } else if (word == "sides") {
                int sides = 0;
                if (!(words >> sides) || sides < 1 || sides > 3)
                    return fail("sides is 1, 2 or 3");
                s.sides = sides;
            } else if (word == "image") {
                Lwo2Block block;
                std::string kind, what;
                if (!(words >> block.image >> kind >> what))
                    return fail("image needs a clip, a projection and a map or axis");
                static const std::map<std::string, int> projections{
                    {"planar", 0}, {"cylindrical", 1}, {"spherical", 2}, {"cubic", 3}, {"uv", 5}};
                auto p = projections.find(kind);
                if (p == projections.end())
                    return fail("unknown projection " + kind);
                block.projection = p->second;
                if (kind == "uv") {
                    block.vmap = what;
                } else if ((block.axis = axisCode(what)) < 0) {
                    return fail("axis is x, y or z");
                }
                std::string channel;
                if (words >> channel) {
                    if (channel != "channel" || !(words >> block.channel) || block.channel.size() != 4)
                        return fail("channel needs a four-letter channel");
                }
                block.ordinal = std::string(1, char(0x80 + s.blocks.size()));
                s.blocks.push_back(block);
            } else {
                return fail("unknown statement " + word);
            }
        }
        std::string rest;
        if (words >> rest)
            return fail("unexpected " + rest);
    }
    Lwo2Writer w;
    if (!tags.empty())
        w.tags(tags);
    for (const DescLayer& layer : layers) {
        w.layer(layer.number, layer.name);
        w.points(layer.points);
        for (const auto& [name, entries] : layer.uv)
            w.vmap("TXUV", 2, name, entries);
        for (const auto& [name, entries] : layer.weight)
            w.vmap("WGHT", 1, name, entries);
        for (const auto& [name, entries] : layer.morph)
            w.vmap("MORF", 3, name, entries);
        if (!layer.faces.empty()) {
            w.polygons(layer.faces);
            std::vector<uint16_t> faceTags;
            for (const std::string& s : layer.faceSurfaces)
                faceTags.push_back(uint16_t(tagOf(s)));
            w.polygonTags(faceTags);
        }
    }
    for (const auto& [index, file] : clips)
        w.clipStill(index, file);
    // Every tag gets a surface chunk, described or not.
    for (const std::string& tag : tags) {
        Lwo2Surface plain;
        plain.name = tag;
        const Lwo2Surface* described = &plain;
        for (const Lwo2Surface& s : surfaces)
            if (s.name == tag)
                described = &s;
        w.surface(*described);
    }
    bytes = w.finish();
    return true;
}
