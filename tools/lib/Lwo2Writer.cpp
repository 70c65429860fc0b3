#include "tools/lib/Lwo2Writer.h"

#include <cstring>

Lwo2Bytes& Lwo2Bytes::u1(uint32_t v)
{
    data.push_back(uint8_t(v));
    return *this;
}

Lwo2Bytes& Lwo2Bytes::u2(uint32_t v)
{
    data.push_back(uint8_t(v >> 8));
    data.push_back(uint8_t(v));
    return *this;
}

Lwo2Bytes& Lwo2Bytes::u4(uint32_t v)
{
    u2(v >> 16);
    return u2(v & 0xFFFF);
}

Lwo2Bytes& Lwo2Bytes::f4(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u4(bits);
}

Lwo2Bytes& Lwo2Bytes::id4(const char* id)
{
    const size_t n = std::strlen(id);
    for (size_t i = 0; i < 4; ++i)
        data.push_back(i < n ? uint8_t(id[i]) : uint8_t(' '));
    return *this;
}

Lwo2Bytes& Lwo2Bytes::vx(uint32_t v)
{
    if (v < 0xFF00)
        return u2(v);
    return u4(v | 0xFF000000u);
}

Lwo2Bytes& Lwo2Bytes::s0(const std::string& text)
{
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
    if ((text.size() + 1) % 2)
        data.push_back(0);
    return *this;
}

Lwo2Bytes& Lwo2Bytes::bytes(const std::vector<uint8_t>& more)
{
    data.insert(data.end(), more.begin(), more.end());
    return *this;
}

Lwo2Bytes& Lwo2Bytes::sub(const char* id, const Lwo2Bytes& body)
{
    id4(id);
    u2(uint32_t(body.data.size()));
    bytes(body.data);
    if (body.data.size() % 2)
        data.push_back(0);
    return *this;
}

Lwo2Bytes& Lwo2Bytes::subRaw(const char* id, uint32_t declaredSize, const std::vector<uint8_t>& body)
{
    id4(id);
    u2(declaredSize);
    return bytes(body);
}

void Lwo2Writer::chunk(const char* id, const Lwo2Bytes& body)
{
    Lwo2Bytes head;
    head.id4(id).u4(uint32_t(body.data.size()));
    m_body.insert(m_body.end(), head.data.begin(), head.data.end());
    m_body.insert(m_body.end(), body.data.begin(), body.data.end());
    if (body.data.size() % 2)
        m_body.push_back(0);
}

void Lwo2Writer::raw(const char* id, const std::vector<uint8_t>& body, int64_t declaredSize)
{
    Lwo2Bytes head;
    head.id4(id).u4(uint32_t(declaredSize < 0 ? int64_t(body.size()) : declaredSize));
    m_body.insert(m_body.end(), head.data.begin(), head.data.end());
    m_body.insert(m_body.end(), body.begin(), body.end());
}

void Lwo2Writer::tags(const std::vector<std::string>& names)
{
    Lwo2Bytes b;
    for (const std::string& name : names)
        b.s0(name);
    chunk("TAGS", b);
}

void Lwo2Writer::layer(uint32_t number, const std::string& name, std::array<float, 3> pivot, int parent)
{
    Lwo2Bytes b;
    b.u2(number).u2(0).f4(pivot[0]).f4(pivot[1]).f4(pivot[2]).s0(name);
    if (parent >= 0)
        b.u2(uint32_t(parent));
    chunk("LAYR", b);
}

void Lwo2Writer::points(const std::vector<std::array<float, 3>>& positions)
{
    Lwo2Bytes b;
    for (const auto& p : positions)
        b.f4(p[0]).f4(p[1]).f4(p[2]);
    chunk("PNTS", b);
}

void Lwo2Writer::polygons(const std::vector<std::vector<uint32_t>>& polygons, const char* type)
{
    Lwo2Bytes b;
    b.id4(type);
    for (const auto& polygon : polygons) {
        b.u2(uint32_t(polygon.size()) & 0x3FF);
        for (uint32_t index : polygon)
            b.vx(index);
    }
    chunk("POLS", b);
}

void Lwo2Writer::polygonTags(const std::vector<uint16_t>& tags, const char* type)
{
    Lwo2Bytes b;
    b.id4(type);
    for (size_t i = 0; i < tags.size(); ++i)
        b.vx(uint32_t(i)).u2(tags[i]);
    chunk("PTAG", b);
}

void Lwo2Writer::vmap(const char* type, uint32_t dimension, const std::string& name,
                      const std::vector<std::pair<uint32_t, std::vector<float>>>& entries)
{
    Lwo2Bytes b;
    b.id4(type).u2(dimension).s0(name);
    for (const auto& [point, values] : entries) {
        b.vx(point);
        for (float v : values)
            b.f4(v);
    }
    chunk("VMAP", b);
}

void Lwo2Writer::vmad(const char* type, uint32_t dimension, const std::string& name,
                      const std::vector<VmadEntry>& entries)
{
    Lwo2Bytes b;
    b.id4(type).u2(dimension).s0(name);
    for (const VmadEntry& e : entries) {
        b.vx(e.point).vx(e.polygon);
        for (float v : e.values)
            b.f4(v);
    }
    chunk("VMAD", b);
}

void Lwo2Writer::envelope(const Lwo2Envelope& e)
{
    Lwo2Bytes b;
    b.u2(e.index);
    if (e.type >= 0)
        b.sub("TYPE", Lwo2Bytes().u2(uint32_t(e.type)));
    if (e.pre >= 0)
        b.sub("PRE ", Lwo2Bytes().u2(uint32_t(e.pre)));
    if (e.post >= 0)
        b.sub("POST", Lwo2Bytes().u2(uint32_t(e.post)));
    if (!e.name.empty())
        b.sub("NAME", Lwo2Bytes().s0(e.name));
    for (const Lwo2Key& key : e.keys) {
        b.sub("KEY ", Lwo2Bytes().f4(key.time).f4(key.value));
        Lwo2Bytes span;
        span.id4(key.span.c_str());
        for (float p : key.params)
            span.f4(p);
        b.sub("SPAN", span);
    }
    chunk("ENVL", b);
}

void Lwo2Writer::clipStill(uint32_t index, const std::string& name, const Lwo2Bytes& modifiers)
{
    Lwo2Bytes b;
    b.u4(index).sub("STIL", Lwo2Bytes().s0(name)).bytes(modifiers.data);
    chunk("CLIP", b);
}

void Lwo2Writer::clipSequence(uint32_t index, uint32_t digits, uint32_t first, uint32_t last,
                              const std::string& prefix, const std::string& suffix, uint32_t offset,
                              const Lwo2Bytes& modifiers)
{
    Lwo2Bytes seq;
    seq.u1(digits).u1(0).u2(offset).u2(0).u2(first).u2(last).s0(prefix).s0(suffix);
    Lwo2Bytes b;
    b.u4(index).sub("ISEQ", seq).bytes(modifiers.data);
    chunk("CLIP", b);
}

void Lwo2Writer::clipReference(uint32_t index, uint32_t source, const std::string& name)
{
    Lwo2Bytes b;
    b.u4(index).sub("XREF", Lwo2Bytes().u4(source).s0(name));
    chunk("CLIP", b);
}

std::vector<uint8_t> Lwo2Writer::blockBytes(const Lwo2Block& k)
{
    Lwo2Bytes header;
    header.s0(k.ordinal);
    header.sub("CHAN", Lwo2Bytes().id4(k.channel.c_str()));
    if (k.enabled >= 0)
        header.sub("ENAB", Lwo2Bytes().u2(uint32_t(k.enabled)));
    header.sub("OPAC", Lwo2Bytes().u2(uint32_t(k.opacityType)).f4(k.opacity).u2(0));
    if (k.negative >= 0)
        header.sub("NEGA", Lwo2Bytes().u2(uint32_t(k.negative)));
    if (k.rgbScale >= 0.0f)
        header.sub("rgbl", Lwo2Bytes().f4(k.rgbScale));
    Lwo2Bytes b;
    b.sub(k.type.c_str(), header);
    if (k.writeTmap) {
        Lwo2Bytes t;
        t.sub("CNTR", Lwo2Bytes().f4(k.center[0]).f4(k.center[1]).f4(k.center[2]).u2(0));
        t.sub("SIZE", Lwo2Bytes().f4(k.size[0]).f4(k.size[1]).f4(k.size[2]).u2(0));
        t.sub("ROTA", Lwo2Bytes().f4(k.rotation[0]).f4(k.rotation[1]).f4(k.rotation[2]).u2(0));
        b.sub("TMAP", t);
    }
    if (k.projection >= 0)
        b.sub("PROJ", Lwo2Bytes().u2(uint32_t(k.projection)));
    if (k.axis >= 0)
        b.sub("AXIS", Lwo2Bytes().u2(uint32_t(k.axis)));
    if (k.image >= 0)
        b.sub("IMAG", Lwo2Bytes().u2(uint32_t(k.image)));
    if (k.wrapU >= 0)
        b.sub("WRAP", Lwo2Bytes().u2(uint32_t(k.wrapU)).u2(uint32_t(k.wrapV)));
    if (!k.vmap.empty())
        b.sub("VMAP", Lwo2Bytes().s0(k.vmap));
    if (k.aast >= 0.0f)
        b.sub("AAST", Lwo2Bytes().u2(1).f4(k.aast));
    if (k.pixelBlending >= 0)
        b.sub("PIXB", Lwo2Bytes().u2(uint32_t(k.pixelBlending)));
    if (k.amplitude >= 0.0f)
        b.sub("TAMP", Lwo2Bytes().f4(k.amplitude).u2(0));
    if (k.writeGradientRange) {
        b.sub("GRST", Lwo2Bytes().f4(k.gradientStart));
        b.sub("GREN", Lwo2Bytes().f4(k.gradientEnd));
    }
    if (!k.gradientInput.empty())
        b.sub("PNAM", Lwo2Bytes().s0(k.gradientInput));
    if (!k.gradientKeys.empty()) {
        Lwo2Bytes keys;
        for (const auto& key : k.gradientKeys)
            for (float v : key)
                keys.f4(v);
        b.sub("FKEY", keys);
    }
    if (!k.gradientInterpolation.empty()) {
        Lwo2Bytes ik;
        for (uint16_t v : k.gradientInterpolation)
            ik.u2(v);
        b.sub("IKEY", ik);
    }
    b.bytes(k.extra.data);
    return b.data;
}

void Lwo2Writer::surface(const Lwo2Surface& s)
{
    Lwo2Bytes b;
    b.s0(s.name).s0(s.source);
    if (s.writeColor)
        b.sub("COLR", Lwo2Bytes().f4(s.color[0]).f4(s.color[1]).f4(s.color[2]).u2(0));
    for (const auto& [id, value] : s.values)
        b.sub(id.c_str(), Lwo2Bytes().f4(value).u2(0));
    if (s.sides >= 0)
        b.sub("SIDE", Lwo2Bytes().u2(uint32_t(s.sides)));
    if (s.smoothing >= 0.0f)
        b.sub("SMAN", Lwo2Bytes().f4(s.smoothing));
    if (s.reflectionMode >= 0)
        b.sub("RFOP", Lwo2Bytes().u2(uint32_t(s.reflectionMode)));
    if (s.reflectionImage >= 0)
        b.sub("RIMG", Lwo2Bytes().u2(uint32_t(s.reflectionImage)));
    if (!s.backSurface.empty())
        b.sub("back", Lwo2Bytes().s0(s.backSurface));
    if (!s.vertexColorType.empty())
        b.sub("VCOL", Lwo2Bytes().f4(s.vertexColorIntensity).u2(0).id4(s.vertexColorType.c_str()).s0(s.vertexColorMap));
    for (const Lwo2Block& block : s.blocks) {
        Lwo2Bytes k;
        k.bytes(blockBytes(block));
        b.sub("BLOK", k);
    }
    b.bytes(s.extra.data);
    chunk("SURF", b);
}

std::vector<uint8_t> Lwo2Writer::finish() const
{
    Lwo2Bytes out;
    out.id4("FORM").u4(uint32_t(m_body.size() + 4)).id4("LWO2");
    out.bytes(m_body);
    return out.data;
}

std::vector<uint8_t> lwo2Cube(const std::string& surface)
{
    Lwo2Writer w;
    w.tags({surface});
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({i & 4 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 1 ? 0.5f : -0.5f});
    w.points(points);
    // Each face seen from outside runs clockwise: (p1 - p0) x (p2 - p0) points out.
    w.polygons({{4, 6, 7, 5}, {0, 1, 3, 2}, {2, 3, 7, 6}, {0, 4, 5, 1}, {1, 5, 7, 3}, {0, 2, 6, 4}});
    w.polygonTags({0, 0, 0, 0, 0, 0});
    Lwo2Surface s;
    s.name = surface;
    s.values = {{"DIFF", 1.0f}};
    w.surface(s);
    return w.finish();
}
