#include "tools/trackgen/Params.h"

#include "tools/trackgen/Materials.h"
#include "tools/trackgen/Props.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace track {

namespace {

class LineReader {
public:
    LineReader(const std::string& file, int line, std::vector<std::string> words)
        : m_file(file), m_line(line), m_words(std::move(words))
    {
    }

    const std::string& keyword() const { return m_words[0]; }
    size_t remaining() const { return m_words.size() - m_next; }
    bool fail(const std::string& message)
    {
        if (m_error.empty())
            m_error = m_file + ":" + std::to_string(m_line) + ": " + message;
        return false;
    }
    const std::string& error() const { return m_error; }
    bool failed() const { return !m_error.empty(); }

    bool word(std::string& out)
    {
        if (m_next >= m_words.size())
            return fail("\"" + keyword() + "\" needs more values");
        out = m_words[m_next++];
        return true;
    }
    bool peek(const char* text) const { return m_next < m_words.size() && m_words[m_next] == text; }
    bool number(float& out, float lo = -1e6f, float hi = 1e6f)
    {
        std::string w;
        if (!word(w))
            return false;
        char* end = nullptr;
        errno = 0;
        const float v = std::strtof(w.c_str(), &end);
        if (end == w.c_str() || *end || errno)
            return fail("\"" + w + "\" is not a number");
        if (!(v >= lo && v <= hi))
            return fail("\"" + w + "\" lies outside " + trim(lo) + " to " + trim(hi));
        out = v;
        return true;
    }
    bool integer(int& out, int lo, int hi)
    {
        float v = 0.0f;
        if (!number(v, float(lo), float(hi)))
            return false;
        if (v != std::floor(v))
            return fail("\"" + trim(v) + "\" is not a whole number");
        out = int(v);
        return true;
    }
    bool colour(Rgb& out) { return number(out.r, 0, 1) && number(out.g, 0, 1) && number(out.b, 0, 1); }
    bool done()
    {
        if (failed())
            return false;
        if (m_next != m_words.size())
            return fail("\"" + m_words[m_next] + "\" is one value too many for \"" + keyword() + "\"");
        return true;
    }
    int line() const { return m_line; }

private:
    static std::string trim(float v)
    {
        std::ostringstream s;
        s << v;
        return s.str();
    }
    std::string m_file;
    int m_line;
    std::vector<std::string> m_words;
    size_t m_next = 1;
    std::string m_error;
};

bool material(LineReader& r, std::string& out, bool allowNone = false)
{
    static const MaterialSet set;
    if (!r.word(out))
        return false;
    if (allowNone && out == "none")
        return true;
    return set.find(out) >= 0 || r.fail("there is no material \"" + out + "\"");
}

bool sides(LineReader& r, int& out)
{
    std::string w;
    if (!r.word(w))
        return false;
    static const char* const names[] = {"none", "left", "right", "both"};
    for (int i = 0; i < 4; ++i)
        if (w == names[i]) {
            out = i;
            return true;
        }
    return r.fail("\"" + w + "\" is none of none, left, right, both");
}

bool prop(LineReader& r, std::string& out)
{
    return r.word(out) && (isPropKind(out) || r.fail("there is no scenery kind \"" + out + "\""));
}

bool scaleRange(LineReader& r, Placement& p)
{
    if (!r.peek("scale"))
        return true;
    std::string skip;
    r.word(skip);
    if (!r.number(p.scaleMin, 0.05f, 20.0f))
        return false;
    p.scaleMax = p.scaleMin;
    return r.remaining() == 0 || r.number(p.scaleMax, p.scaleMin, 20.0f);
}

bool area(LineReader& r, Area& a)
{
    a.line = r.line();
    return r.number(a.height, -200, 200) && r.number(a.x0) && r.number(a.z0) && r.number(a.x1) && r.number(a.z1) &&
           ((a.x0 < a.x1 && a.z0 < a.z1) || r.fail("the corners must be given lower x and z first"));
}

bool statement(LineReader& r, LevelParams& p)
{
    const std::string& k = r.keyword();
    if (k == "level") {
        if (!r.word(p.name))
            return false;
    } else if (k == "sky") {
        if (!r.colour(p.zenith) || !r.colour(p.horizon))
            return false;
        if (r.remaining() && !r.number(p.clouds, 0, 1))
            return false;
    } else if (k == "sun") {
        if (!r.number(p.sunHeading, -360, 360) || !r.number(p.sunElevation, 1, 90) || !r.colour(p.sunColour) ||
            !r.number(p.sunIntensity, 0, 4))
            return false;
    } else if (k == "ambient") {
        if (!r.colour(p.ambientColour) || !r.number(p.ambientIntensity, 0, 4))
            return false;
    } else if (k == "fog") {
        if (!r.number(p.fogStart, 0, 5000) || !r.number(p.fogEnd, p.fogStart, 5000))
            return false;
    } else if (k == "paint") {
        Paintwork w;
        if (!material(r, w.material) || !r.colour(w.base))
            return false;
        w.accent = w.base;
        if (r.remaining()) {
            if (!r.colour(w.accent))
                return false;
            w.hasAccent = true;
        }
        p.paints.push_back(w);
    } else if (k == "road") {
        if (!material(r, p.road, true))
            return false;
    } else if (k == "verge") {
        if (!material(r, p.verge) || !r.number(p.vergeWidth, 0, 40))
            return false;
    } else if (k == "walls") {
        if (!sides(r, p.walls))
            return false;
    } else if (k == "barrier") {
        if (!material(r, p.barrier))
            return false;
    } else if (k == "kerbs") {
        if (!r.integer(p.kerbs, 0, 1))
            return false;
    } else if (k == "ground") {
        if (!material(r, p.ground))
            return false;
    } else if (k == "terrain") {
        if (!r.word(p.terrain))
            return false;
        if (p.terrain == "hills" || p.terrain == "bowl") {
            if (!r.number(p.terrainA, 0, 500) || !r.number(p.terrainB, 1, 5000))
                return false;
        } else if (p.terrain != "flat") {
            return r.fail("\"" + p.terrain + "\" is none of flat, hills, bowl");
        }
        while (r.remaining() && !r.failed()) {
            std::string w;
            r.word(w);
            if (w == "cell")
                r.number(p.cell, 2, 50);
            else if (w == "level")
                r.number(p.terrainLevel, -500, 500);
            else
                return r.fail("\"" + w + "\" is neither cell nor level");
        }
    } else if (k == "water" || k == "lava") {
        Area a;
        if (!area(r, a))
            return false;
        (k == "water" ? p.waters : p.lavas).push_back(a);
    } else if (k == "platform") {
        Area a;
        if (!area(r, a) || !material(r, a.material) || !material(r, a.facade))
            return false;
        p.platforms.push_back(a);
    } else if (k == "point") {
        ControlPoint c;
        if (!p.points.empty()) {
            c = p.points.back();
            c.bank = 0.0f;
        }
        c.line = r.line();
        if (!r.number(c.x, -5000, 5000) || !r.number(c.z, -5000, 5000))
            return false;
        while (r.remaining() && !r.failed()) {
            std::string w;
            r.word(w);
            if (w == "width")
                r.number(c.width, -100, 100);
            else if (w == "height")
                r.number(c.height, -200, 200);
            else if (w == "bank")
                r.number(c.bank, -30, 30);
            else
                return r.fail("\"" + w + "\" is none of width, height, bank");
        }
        if (!r.failed() && !(c.width > 0.0f))
            return r.fail("the road width must be above 0");
        if (!r.failed() && c.width < 4.0f)
            return r.fail("the road must be at least 4 m wide for a kart and its band");
        p.points.push_back(c);
    } else if (k == "stretch" || k == "bridge" || k == "tunnel") {
        Stretch s;
        s.line = r.line();
        if (!r.integer(s.from, 0, 100000) || !r.integer(s.to, 0, 100000))
            return false;
        s.bridge = k == "bridge";
        s.tunnel = k == "tunnel";
        if (s.tunnel && r.remaining() && !material(r, s.tunnelMaterial))
            return false;
        while (k == "stretch" && r.remaining() && !r.failed()) {
            std::string w;
            r.word(w);
            if (w == "verge")
                material(r, s.verge) && r.number(s.vergeWidth, 0, 40);
            else if (w == "walls")
                sides(r, s.walls);
            else if (w == "barrier")
                material(r, s.barrier);
            else if (w == "kerbs")
                r.integer(s.kerbs, 0, 1);
            else
                return r.fail("\"" + w + "\" is none of verge, walls, barrier, kerbs");
        }
        p.stretches.push_back(s);
    } else if (k == "jump") {
        LevelParams::Jump j;
        j.line = r.line();
        if (!r.integer(j.at, 0, 100000))
            return false;
        p.jumps.push_back(j);
    } else if (k == "lanes") {
        p.lanesLine = r.line();
        p.lanes.clear();
        while (r.remaining() && !r.failed()) {
            Lane lane;
            if (r.peek("racing")) {
                std::string skip;
                r.word(skip);
                lane.racing = true;
            } else {
                if (!r.number(lane.offset, -100, 100))
                    return false;
                if (std::fabs(lane.offset) > 1.0f)
                    return r.fail("lane " + std::to_string(p.lanes.size() + 1) +
                                  " lies outside the road (offsets run from -1 to 1 across the usable width)");
            }
            p.lanes.push_back(lane);
        }
        if (p.lanes.empty() || p.lanes.size() > 9)
            return r.fail("a level has 1 to 9 lanes");
    } else if (k == "pickup") {
        Pickup q;
        q.line = r.line();
        if (!r.word(q.kind) || !r.number(q.fraction, 0, 1) || !r.number(q.offset, -1, 1))
            return false;
        static const char* const kinds[] = {"item", "special", "health", "hammer", "quaddamage"};
        if (std::find(std::begin(kinds), std::end(kinds), q.kind) == std::end(kinds))
            return r.fail("\"" + q.kind + "\" is none of item, special, health, hammer, quaddamage");
        p.pickups.push_back(q);
    } else if (k == "scatter" || k == "backdrop") {
        Placement s;
        s.how = k == "scatter" ? Placement::Scatter : Placement::Backdrop;
        s.line = r.line();
        if (!prop(r, s.prop) || !r.integer(s.count, 1, 5000) || !r.number(s.near, 0, 5000))
            return false;
        if (s.how == Placement::Scatter && !r.number(s.far, s.near, 5000))
            return false;
        if (r.peek("inside") || r.peek("outside")) {
            std::string w;
            r.word(w);
            s.where = w == "inside" ? 1 : -1;
        }
        if (!scaleRange(r, s))
            return false;
        p.placements.push_back(s);
    } else if (k == "row") {
        Placement s;
        s.how = Placement::Row;
        s.line = r.line();
        if (!prop(r, s.prop) || !r.integer(s.from, 0, 100000) || !r.integer(s.to, 0, 100000) || !sides(r, s.sides) ||
            !r.number(s.offset, 0, 1000) || !r.number(s.spacing, 0.5f, 1000) || !scaleRange(r, s))
            return false;
        p.placements.push_back(s);
    } else if (k == "place") {
        Placement s;
        s.line = r.line();
        if (!prop(r, s.prop) || !r.number(s.x) || !r.number(s.z))
            return false;
        while (r.remaining() && !r.failed()) {
            std::string w;
            r.word(w);
            if (w == "heading") {
                r.number(s.heading, -360, 360);
            } else if (w == "scale") {
                r.number(s.scaleMin, 0.05f, 50.0f);
                s.scaleMax = s.scaleMin;
            } else {
                return r.fail("\"" + w + "\" is neither heading nor scale");
            }
        }
        p.placements.push_back(s);
    } else if (k == "boundary") {
        Boundary b;
        b.line = r.line();
        std::string shape;
        if (!r.word(shape))
            return false;
        if (shape == "circle") {
            b.circle = true;
            if (!r.number(b.x) || !r.number(b.z) || !r.number(b.radius, 5, 2000))
                return false;
        } else if (shape == "rect") {
            b.circle = false;
            if (!r.number(b.x0) || !r.number(b.z0) || !r.number(b.x1) || !r.number(b.z1))
                return false;
            if (!(b.x0 < b.x1 && b.z0 < b.z1))
                return r.fail("the corners must be given lower x and z first");
        } else {
            return r.fail("\"" + shape + "\" is neither circle nor rect");
        }
        if (!r.number(b.height, 0.2f, 100) || !material(r, b.material))
            return false;
        p.boundaries.push_back(b);
    } else if (k == "shot" || k == "menushot") {
        Shot& s = k == "shot" ? p.shot : p.menuShot;
        s.set = true;
        if (!r.number(s.eye.x) || !r.number(s.eye.y) || !r.number(s.eye.z) || !r.number(s.target.x) ||
            !r.number(s.target.y) || !r.number(s.target.z))
            return false;
    } else {
        return r.fail("unknown statement \"" + k + "\"");
    }
    return r.done();
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

} // namespace

bool parseParams(const std::string& path, const std::string& text, LevelParams& out, std::string& error)
{
    out = LevelParams();
    out.file = path;
    std::istringstream in(text);
    int number = 0;
    int levelLine = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::vector<std::string> w = words(line);
        if (w.empty())
            continue;
        if (w[0] == "level")
            levelLine = number;
        LineReader r(path, number, std::move(w));
        if (!statement(r, out)) {
            error = r.error();
            return false;
        }
    }
    auto whole = [&](int line, const std::string& message) {
        error = path + ":" + std::to_string(line) + ": " + message;
        return false;
    };
    if (out.name.empty())
        return whole(1, "the file names no level (a \"level NAME\" line)");
    const int pointCount = int(out.points.size());
    if (pointCount < 4)
        return whole(pointCount ? out.points.back().line : levelLine,
                     "the centre line needs at least 4 points, the file gives " + std::to_string(pointCount));
    for (const Stretch& s : out.stretches)
        if (s.from >= pointCount || s.to >= pointCount)
            return whole(s.line, "the centre line has points 0 to " + std::to_string(pointCount - 1));
    for (const Placement& s : out.placements)
        if (s.how == Placement::Row && (s.from >= pointCount || s.to >= pointCount))
            return whole(s.line, "the centre line has points 0 to " + std::to_string(pointCount - 1));
    for (const LevelParams::Jump& j : out.jumps)
        if (j.at >= pointCount)
            return whole(j.line, "the centre line has points 0 to " + std::to_string(pointCount - 1));
    if (out.lanes.empty())
        out.lanes = {{true, 0.0f}, {false, 0.45f}, {false, -0.45f}};
    return true;
}

bool readParams(const std::string& path, LevelParams& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ":0: cannot be read";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseParams(path, text, out, error);
}

} // namespace track
