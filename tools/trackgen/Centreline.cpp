#include "tools/trackgen/Centreline.h"

#include <cstdio>

namespace track {

float jumpProfile(float d)
{
    if (d < -12.0f || d > 22.0f)
        return 0.0f;
    if (d < 0.0f)
        return 1.3f * (d + 12.0f) / 12.0f;
    if (d < 1.0f)
        return lerp(1.3f, -1.6f, d);
    if (d < 3.0f)
        return -1.6f;
    if (d < 9.0f)
        return lerp(-1.6f, 0.5f, smoothstep(3.0f, 9.0f, d));
    return 0.5f * (1.0f - smoothstep(9.0f, 22.0f, d));
}

namespace {

// Centripetal Catmull-Rom between p1 and p2 (alpha 0.5): no cusps or loops
// where control points bunch up.
Vector3 catmullRom(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, float t)
{
    auto knot = [](const Vector3& a, const Vector3& b) {
        return std::max(std::sqrt(float((b - a).length())), 1e-3f);
    };
    const float t0 = 0.0f, t1 = t0 + knot(p0, p1), t2 = t1 + knot(p1, p2), t3 = t2 + knot(p2, p3);
    const float u = lerp(t1, t2, t);
    const Vector3 a1 = p0 * ((t1 - u) / (t1 - t0)) + p1 * ((u - t0) / (t1 - t0));
    const Vector3 a2 = p1 * ((t2 - u) / (t2 - t1)) + p2 * ((u - t1) / (t2 - t1));
    const Vector3 a3 = p2 * ((t3 - u) / (t3 - t2)) + p3 * ((u - t2) / (t3 - t2));
    const Vector3 b1 = a1 * ((t2 - u) / (t2 - t0)) + a2 * ((u - t0) / (t2 - t0));
    const Vector3 b2 = a2 * ((t3 - u) / (t3 - t1)) + a3 * ((u - t1) / (t3 - t1));
    return b1 * ((t2 - u) / (t2 - t1)) + b2 * ((u - t1) / (t2 - t1));
}

float uniformCatmull(float v0, float v1, float v2, float v3, float t)
{
    return 0.5f * (2.0f * v1 + (v2 - v0) * t + (2.0f * v0 - 5.0f * v1 + 4.0f * v2 - v3) * t * t +
                   (3.0f * v1 - v0 - 3.0f * v2 + v3) * t * t * t);
}

bool segmentsCross(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d)
{
    auto side = [](const Vector3& p, const Vector3& q, const Vector3& r) {
        return (q.x - p.x) * (r.z - p.z) - (q.z - p.z) * (r.x - p.x);
    };
    const float d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

} // namespace

bool Centreline::build(const LevelParams& params, std::string& error)
{
    const std::vector<ControlPoint>& cp = params.points;
    const int n = int(cp.size());
    m_points = n;
    auto point = [&](int i) {
        const ControlPoint& c = cp[size_t((i % n + n) % n)];
        return Vector3(c.x, 0.0f, c.z);
    };
    auto value = [&](int i, float ControlPoint::*field) { return cp[size_t((i % n + n) % n)].*field; };

    // Dense samples along the spline with their running length.
    struct Dense {
        Vector3 p;
        float param, width, bank;
        float length;
    };
    std::vector<Dense> dense;
    const int steps = 64;
    float length = 0.0f;
    for (int i = 0; i < n; ++i) {
        if ((point(i + 1) - point(i)).length() < 0.5) {
            error = params.file + ":" + std::to_string(cp[size_t((i + 1) % n)].line) +
                    ": the point repeats the one before it";
            return false;
        }
        for (int k = 0; k < steps; ++k) {
            const float t = float(k) / float(steps);
            Vector3 p = catmullRom(point(i - 1), point(i), point(i + 1), point(i + 2), t);
            p.y = uniformCatmull(value(i - 1, &ControlPoint::height), value(i, &ControlPoint::height),
                                 value(i + 1, &ControlPoint::height), value(i + 2, &ControlPoint::height), t);
            const float w = uniformCatmull(value(i - 1, &ControlPoint::width), value(i, &ControlPoint::width),
                                           value(i + 1, &ControlPoint::width), value(i + 2, &ControlPoint::width), t);
            const float b = lerp(value(i, &ControlPoint::bank), value(i + 1, &ControlPoint::bank), smoothstep(0, 1, t));
            if (!dense.empty())
                length += float((p - dense.back().p).length());
            dense.push_back({p, float(i) + t, std::max(w, 4.0f), b, length});
        }
    }
    length += float((dense.front().p - dense.back().p).length());
    const int count = std::max(8, int(std::lround(length / kSpacing)));
    const float ds = length / float(count);
    m_length = length;

    // Even sections by interpolating the dense samples.
    m_sections.assign(size_t(count), Section());
    size_t j = 0;
    for (int i = 0; i < count; ++i) {
        const float s = float(i) * ds;
        while (j + 1 < dense.size() && dense[j + 1].length < s)
            ++j;
        const Dense& a = dense[j];
        const Dense& b = j + 1 < dense.size() ? dense[j + 1] : Dense{dense[0].p, float(n), dense[0].width, dense[0].bank, length};
        const float t = b.length > a.length ? (s - a.length) / (b.length - a.length) : 0.0f;
        Section& sec = m_sections[size_t(i)];
        sec.centre = lerp(a.p, b.p, t);
        sec.param = lerp(a.param, b.param, t);
        sec.width = lerp(a.width, b.width, t);
        sec.s = s;
        sec.bank = lerp(a.bank, b.bank, t);
    }

    // Jumps lie over the height.
    for (const LevelParams::Jump& jump : params.jumps) {
        float sJump = 0.0f, best = 1e9f;
        for (const Section& sec : m_sections) {
            float d = std::fabs(sec.param - float(jump.at));
            d = std::min(d, float(n) - d);
            if (d < best) {
                best = d;
                sJump = sec.s;
            }
        }
        for (Section& sec : m_sections) {
            float d = sec.s - sJump;
            if (d > length / 2)
                d -= length;
            if (d < -length / 2)
                d += length;
            sec.centre.y += jumpProfile(d);
        }
    }

    frames();
    // The stretches' properties.
    for (int i = 0; i < count; ++i) {
        Section& sec = m_sections[size_t(i)];
        const int point = int(std::floor(sec.param)) % n;
        sec.line = cp[size_t(point)].line;
        sec.verge = params.verge;
        sec.vergeWidth = params.vergeWidth;
        sec.walls = params.walls;
        sec.barrier = params.barrier;
        sec.kerbs = params.kerbs != 0 && params.road != "none";
        for (const Stretch& st : params.stretches) {
            if (!inRange(sec, st.from, st.to))
                continue;
            if (st.bridge)
                sec.bridge = true;
            if (st.tunnel) {
                sec.tunnel = true;
                sec.tunnelMaterial = st.tunnelMaterial.empty() ? "rockwall" : st.tunnelMaterial;
            }
            if (!st.verge.empty()) {
                sec.verge = st.verge;
                sec.vergeWidth = st.vergeWidth;
            }
            if (st.walls >= 0)
                sec.walls = st.walls;
            if (!st.barrier.empty())
                sec.barrier = st.barrier;
            if (st.kerbs >= 0)
                sec.kerbs = st.kerbs != 0 && params.road != "none";
        }
        if (params.road == "none")
            sec.vergeWidth = 0.0f;
        if (sec.bridge || sec.tunnel) {
            sec.vergeWidth = std::min(sec.vergeWidth, 1.0f);
            sec.walls = 3;
        }
    }
    return checkCrossings(params, error);
}

void Centreline::frames()
{
    const size_t count = m_sections.size();
    for (size_t i = 0; i < count; ++i) {
        Section& sec = m_sections[i];
        const Vector3 next = m_sections[(i + 1) % count].centre;
        const Vector3 prev = m_sections[(i + count - 1) % count].centre;
        sec.forward = unit(next - prev);
        sec.flatLeft = leftOf(sec.forward);
        const float bank = radians(sec.bank);
        sec.left = unit(sec.flatLeft * std::cos(bank) + Vector3(0.0f, std::sin(bank), 0.0f));
    }
}

bool Centreline::inRange(const Section& section, int from, int to) const
{
    const float p = section.param;
    if (from < to)
        return p >= float(from) && p < float(to);
    return p >= float(from) || p < float(to);
}

bool Centreline::checkCrossings(const LevelParams& params, std::string& error) const
{
    const size_t n = m_sections.size();
    const size_t skip = size_t(std::ceil(40.0f / kSpacing));
    // Passing over or under is allowed where one of the two is a bridge with
    // room under its deck.
    auto bridged = [](const Section& a, const Section& b) {
        return (a.bridge || b.bridge) && std::fabs(a.centre.y - b.centre.y) >= kClearance;
    };
    auto fail = [&](const Section& a, const Section& b, const char* what, const char* tail) {
        char where[96];
        // Adding 0 turns a rounded -0 into 0.
        std::snprintf(where, sizeof where, " near (%.0f, %.0f)", std::round(a.centre.x) + 0.0, std::round(a.centre.z) + 0.0);
        error = params.file + ":" + std::to_string(b.line) + ": " + what + where + tail;
        return false;
    };
    // Crossings first: near one, the roads also run close together.
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i) {
            const Section& a = m_sections[i];
            const Section& a2 = m_sections[(i + 1) % n];
            for (size_t j = i + skip; j < n && j + skip < n + i; ++j) {
                const Section& b = m_sections[j];
                const Section& b2 = m_sections[(j + 1) % n];
                if (bridged(a, b))
                    continue;
                if (pass == 0 && segmentsCross(a.centre, a2.centre, b.centre, b2.centre))
                    return fail(a, b, "the centre line crosses itself", " without a bridge");
                const float reach = (a.width + b.width) * 0.5f + std::min(a.vergeWidth, b.vergeWidth) + 1.0f;
                if (pass == 1 && distance2d(a.centre, b.centre) < reach)
                    return fail(a, b, "the road runs into itself", "");
            }
        }
    return true;
}

const Section& Centreline::nearest(float s) const
{
    s = std::fmod(s, m_length);
    if (s < 0.0f)
        s += m_length;
    const size_t i = size_t(std::lround(s / (m_length / float(m_sections.size())))) % m_sections.size();
    return m_sections[i];
}

Section Centreline::at(float s) const
{
    s = std::fmod(s, m_length);
    if (s < 0.0f)
        s += m_length;
    const float ds = m_length / float(m_sections.size());
    const size_t i = size_t(std::floor(s / ds)) % m_sections.size();
    const Section& a = m_sections[i];
    const Section& b = m_sections[(i + 1) % m_sections.size()];
    const float t = (s - float(i) * ds) / ds;
    Section out = a;
    out.centre = lerp(a.centre, b.centre, t);
    out.forward = unit(lerp(a.forward, b.forward, t));
    out.left = unit(lerp(a.left, b.left, t));
    out.flatLeft = unit(lerp(a.flatLeft, b.flatLeft, t));
    out.width = lerp(a.width, b.width, t);
    out.s = s;
    return out;
}

} // namespace track
