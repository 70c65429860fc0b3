#include "tools/kartdata/Driver.h"

#include "tools/kartdata/Params.h"

#include <algorithm>
#include <cmath>
#include <numbers>

const char* const kDriverPartNames[DriverPartCount] = {"torso",     "head",      "upperArmL", "lowerArmL",
                                                       "upperArmR", "lowerArmR", "legs"};
const DriverPart kDriverPartParents[DriverPartCount] = {Legs, Torso, Torso, UpperArmL, Torso, UpperArmR, Legs};

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

bool oneOf(const std::string& word, std::initializer_list<const char*> words)
{
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return word == w; });
}

// The driver's surfaces.
struct DriverSurfaces {
    uint16_t skin, suit, trim, legs, shoes, hair, hat, hatTrim, feature, eyeWhite, eyeDark, glass;
};

float torsoHeight(const DriverLook& l)
{
    return 0.4f * l.build.y;
}

// Hair on a head of radius r centred at c (the face looks along +Z).
void hair(Mesh& m, const DriverLook& l, const DriverSurfaces& s, Vec c, float r)
{
    const std::string& style = l.hairstyle;
    if (style == "none")
        return;
    m.use(s.hair);
    if (style == "bald") {
        for (float side : {-1.0f, 1.0f})
            m.ellipsoid({0.28f * r, 0.32f * r, 0.5f * r}, 10, 6, Place::at(c + Vec{side * 0.86f * r, 0.05f * r, -0.25f * r}));
        return;
    }
    // A cap of hair over the back and top, clear of the face.
    m.ellipsoid({1.06f * r, 0.98f * r, 1.0f * r}, 16, 10, Place::at(c + Vec{0.0f, 0.14f * r, -0.14f * r}));
    if (style == "spiky") {
        for (int i = 0; i < 7; ++i) {
            const float a = -1.1f + 2.2f * float(i) / 6.0f;
            const Vec base = c + Vec{0.55f * r * std::sin(a), 0.8f * r, -0.1f * r - 0.25f * r * std::cos(a)};
            m.lathe({{0, 0}, {0.22f * r, 0}, {0, 0.75f * r}}, 6,
                    Place::turn(0, -0.5f) * Place::turn(2, -0.6f * a) * Place::at(base));
        }
    } else if (style == "ponytail") {
        const Vec root = c + Vec{0.0f, 0.35f * r, -0.95f * r};
        m.use(s.trim).ring({{0.15f * r, -0.06f * r}, {0.26f * r, -0.06f * r}, {0.26f * r, 0.06f * r}, {0.15f * r, 0.06f * r}},
                           10, Place::turn(0, kPi / 2 - 0.6f) * Place::at(root));
        m.use(s.hair).capsule(root, root + Vec{0.0f, -0.45f * r, -0.55f * r}, 0.22f * r, 10);
        m.capsule(root + Vec{0.0f, -0.45f * r, -0.55f * r}, root + Vec{0.0f, -1.6f * r, -0.7f * r}, 0.17f * r, 10);
    } else if (style == "pigtails") {
        for (float side : {-1.0f, 1.0f}) {
            const Vec root = c + Vec{side * 0.95f * r, 0.05f * r, -0.3f * r};
            m.use(s.hair).ellipsoid({0.3f * r, 0.55f * r, 0.3f * r}, 10, 7,
                                    Place::turn(2, side * 0.5f) * Place::at(root + Vec{side * 0.3f * r, -0.45f * r, 0}));
            m.use(s.trim).ellipsoid({0.16f * r, 0.12f * r, 0.16f * r}, 8, 5, Place::at(root));
        }
    }
}

void headwear(Mesh& m, const DriverLook& l, const DriverSurfaces& s, Vec c, float r)
{
    const std::string& kind = l.headwear;
    if (kind == "helmet") {
        m.use(s.hat).ellipsoid({1.2f * r, 1.18f * r, 1.22f * r}, 18, 12, Place::at(c + Vec{0, 0.06f * r, -0.05f * r}));
        m.use(s.hatTrim).ellipsoid({0.26f * r, 1.23f * r, 1.27f * r}, 12, 10, Place::at(c + Vec{0, 0.06f * r, -0.05f * r}));
        // The chin guard under the visor.
        m.use(s.hat).ellipsoid({0.8f * r, 0.35f * r, 0.45f * r}, 12, 6, Place::at(c + Vec{0, -0.7f * r, 0.75f * r}));
    } else if (kind == "cap") {
        m.use(s.hat).ellipsoid({1.12f * r, 0.5f * r, 1.18f * r}, 16, 8, Place::at(c + Vec{0, 0.62f * r, 0.02f * r}));
        m.use(s.hatTrim).ellipsoid({0.8f * r, 0.09f * r, 0.55f * r}, 14, 5, Place::at(c + Vec{0, 0.6f * r, 1.05f * r}));
    } else if (kind == "tophat") {
        const Vec base = c + Vec{0, 0.78f * r, -0.05f * r};
        m.use(s.hat).cylinder(1.45f * r, 0.06f * r, 18, Place::at(base));
        m.lathe({{0, 0}, {0.82f * r, 0}, {0.9f * r, 1.45f * r}, {0, 1.45f * r}}, 18, Place::at(base));
        m.use(s.hatTrim).ring({{0.83f * r, 0.05f * r}, {0.87f * r, 0.05f * r}, {0.88f * r, 0.3f * r}, {0.84f * r, 0.3f * r}},
                              18, Place::at(base));
    } else if (kind == "beanie") {
        m.use(s.hat).lathe({{0, 0}, {1.08f * r, 0}, {1.02f * r, 0.45f * r}, {0.6f * r, 0.95f * r}, {0, 1.05f * r}}, 16,
                           Place::at(c + Vec{0, 0.12f * r, -0.05f * r}));
        m.use(s.hatTrim).ring({{1.0f * r, -0.12f * r}, {1.14f * r, -0.12f * r}, {1.14f * r, 0.14f * r}, {1.0f * r, 0.14f * r}},
                              16, Place::at(c + Vec{0, 0.14f * r, -0.05f * r}));
        m.ellipsoid({0.3f * r, 0.3f * r, 0.3f * r}, 10, 6, Place::at(c + Vec{0, 1.25f * r, -0.1f * r}));
    }
}

// The face: eyes, nose, and the driver's own mark.
void face(Mesh& m, const DriverLook& l, const DriverSurfaces& s, Vec c, float r)
{
    const bool visor = l.feature == "visor";
    if (!visor) {
        for (float side : {-1.0f, 1.0f}) {
            const Vec eye = c + Vec{side * 0.36f * r, 0.15f * r, 0.8f * r};
            m.use(s.eyeWhite).ellipsoid({0.24f * r, 0.3f * r, 0.16f * r}, 10, 6, Place::at(eye));
            m.use(s.eyeDark).ellipsoid({0.11f * r, 0.15f * r, 0.08f * r}, 8, 5, Place::at(eye + Vec{0, -0.02f * r, 0.11f * r}));
        }
        m.use(s.skin).ellipsoid({0.16f * r, 0.16f * r, 0.2f * r}, 8, 5, Place::at(c + Vec{0, -0.08f * r, 1.0f * r}));
        m.use(s.eyeDark).ellipsoid({0.3f * r, 0.06f * r, 0.08f * r}, 8, 4, Place::at(c + Vec{0, -0.45f * r, 0.85f * r}));
    }
    // Ears, which some drivers wear large.
    const bool bigEars = l.feature == "ears";
    for (float side : {-1.0f, 1.0f}) {
        if (bigEars) {
            m.use(s.feature).prism({{0, -0.25f * r}, {0.9f * r, 0.45f * r}, {0, 0.3f * r}}, -0.05f * r, 0.05f * r,
                                   Place::turn(1, side > 0 ? 0.3f : kPi - 0.3f) * Place::at(c + Vec{side * 0.9f * r, 0.05f * r, 0}));
        } else if (l.headwear != "helmet") {
            m.use(s.skin).ellipsoid({0.12f * r, 0.22f * r, 0.16f * r}, 8, 5, Place::at(c + Vec{side * 0.98f * r, 0, 0}));
        }
    }
    m.use(s.feature);
    if (visor) {
        m.ellipsoid({0.85f * r, 0.42f * r, 0.45f * r}, 16, 8, Place::at(c + Vec{0, 0.08f * r, 0.8f * r}));
    } else if (l.feature == "glasses") {
        for (float side : {-1.0f, 1.0f})
            m.ring({{0.24f * r, -0.03f * r}, {0.3f * r, -0.03f * r}, {0.3f * r, 0.03f * r}, {0.24f * r, 0.03f * r}}, 12,
                   Place::turn(0, kPi / 2) * Place::at(c + Vec{side * 0.36f * r, 0.15f * r, 0.98f * r}));
        m.box({-0.1f * r, 0.13f * r, 0.97f * r}, {0.1f * r, 0.19f * r, 1.01f * r}, Place::at(c));
    } else if (l.feature == "beard") {
        m.ellipsoid({0.9f * r, 0.75f * r, 0.62f * r}, 14, 8, Place::at(c + Vec{0, -0.55f * r, 0.5f * r}));
        m.ellipsoid({0.5f * r, 0.16f * r, 0.2f * r}, 10, 5, Place::at(c + Vec{0, -0.25f * r, 0.95f * r}));
    } else if (l.feature == "moustache") {
        for (float side : {-1.0f, 1.0f})
            m.ellipsoid({0.42f * r, 0.14f * r, 0.16f * r}, 10, 5,
                        Place::turn(2, side * 0.25f) * Place::at(c + Vec{side * 0.3f * r, -0.24f * r, 0.93f * r}));
    } else if (l.feature == "goggles") {
        const Vec band = c + Vec{0, 0.45f * r, -0.02f * r};
        m.ring({{1.0f * r, -0.09f * r}, {1.08f * r, -0.09f * r}, {1.08f * r, 0.09f * r}, {1.0f * r, 0.09f * r}}, 16,
               Place::turn(0, -0.25f) * Place::at(band));
        for (float side : {-1.0f, 1.0f}) {
            const Place lens = Place::turn(0, kPi / 2 - 0.5f) * Place::at(c + Vec{side * 0.38f * r, 0.62f * r, 0.82f * r});
            m.use(s.feature).ring({{0.18f * r, -0.08f * r}, {0.27f * r, -0.08f * r}, {0.27f * r, 0.08f * r}, {0.18f * r, 0.08f * r}},
                                  12, lens);
            m.use(s.glass).cylinder(0.19f * r, 0.06f * r, 12, lens);
        }
    }
}

} // namespace

Vec DriverRig::pivot(DriverPart part) const
{
    switch (part) {
    case Torso:
    case Legs: return hips;
    case Head: return neck;
    case UpperArmL: return shoulder[0];
    case LowerArmL: return elbow[0];
    case UpperArmR: return shoulder[1];
    case LowerArmR: return elbow[1];
    default: return {};
    }
}

DriverRig driverRig(const KartFrame& f, const DriverLook& l)
{
    DriverRig rig;
    rig.hips = f.hips;
    const float top = f.hips.y + torsoHeight(l);
    rig.neck = {0.0f, top + 0.01f, f.hips.z + 0.02f};
    rig.headRadius = l.head;
    rig.headCentre = rig.neck + Vec{0.0f, l.head + 0.05f, 0.03f};
    for (int side = 0; side < 2; ++side) {
        const float x = side ? 1.0f : -1.0f;
        rig.shoulder[side] = {x * (0.17f * l.build.x + 0.035f), top - 0.06f, f.hips.z + 0.02f};
        rig.hand[side] = {x * f.steeringRadius, f.steeringWheel.y, f.steeringWheel.z};
        const Vec mid = (rig.shoulder[side] + rig.hand[side]) * 0.5f;
        rig.elbow[side] = mid + Vec{x * 0.09f, -0.1f, -0.03f};
    }
    return rig;
}

ModelFile driverObject(const DriverRig& rig, const DriverLook& l)
{
    ModelFile file;
    DriverSurfaces s{};
    s.skin = file.surface(material("skin", l.skin, 0.15f, 0.3f));
    s.suit = file.surface(material("suit", l.suit, 0.25f, 0.35f));
    s.trim = file.surface(material("trim", l.trim, 0.25f, 0.35f));
    s.legs = file.surface(material("legs", l.legs, 0.15f, 0.3f));
    s.shoes = file.surface(material("shoes", l.shoes, 0.3f, 0.4f));
    s.hair = file.surface(material("hair", l.hair, 0.2f, 0.3f));
    s.hat = file.surface(material("hat", l.hat, 0.45f, 0.5f));
    s.hatTrim = file.surface(material("hat trim", l.hatTrim, 0.4f, 0.45f));
    s.feature = file.surface(material("feature", l.featureColour, 0.5f, 0.6f));
    Lwo2Surface white = material("eye white", 0xF8F8F4, 0.3f, 0.5f);
    white.values.push_back({"LUMI", 0.25f});
    s.eyeWhite = file.surface(white);
    s.eyeDark = file.surface(material("eye dark", 0x141418, 0.6f, 0.7f));
    s.glass = file.surface(material("glass", 0x9fd6ea, 0.9f, 0.8f));

    const Vec hips = rig.hips;
    const float height = torsoHeight(l), halfWidth = 0.17f * l.build.x, halfDepth = 0.12f * l.build.z;
    const float limb = 0.042f * std::sqrt(l.build.z);

    // Torso: a rounded body with a belt and a collar in the trim colour.
    Mesh& torso = file.layer(Torso, "torso", hips);
    const Place body = Place::scale({halfWidth, 1.0f, halfDepth}) * Place::at(hips);
    torso.use(s.suit).lathe({{0, -0.02f},
                             {0.85f, -0.02f},
                             {1.0f, 0.1f * height},
                             {0.95f, 0.45f * height},
                             {1.05f, 0.78f * height},
                             {0.82f, 0.95f * height},
                             {0.35f, height + 0.01f},
                             {0, height + 0.01f}},
                            14, body);
    torso.use(s.trim).ring({{0.97f, 0.12f * height}, {1.05f, 0.12f * height}, {1.05f, 0.2f * height}, {0.97f, 0.2f * height}},
                           14, body);
    torso.ring({{0.25f, height - 0.01f}, {0.45f, height - 0.01f}, {0.45f, height + 0.03f}, {0.25f, height + 0.03f}}, 12,
               body);
    // Shoulder pads round the arm joints.
    for (int side = 0; side < 2; ++side)
        torso.use(s.suit).ellipsoid({0.065f, 0.06f, 0.07f}, 10, 6, Place::at(rig.shoulder[side]));

    // Head with its neck, hair, headwear and face.
    Mesh& head = file.layer(Head, "head", rig.neck);
    const Vec c = rig.headCentre;
    const float r = rig.headRadius;
    head.use(s.skin).cylinder(0.045f, 0.08f, 10, Place::at(rig.neck + Vec{0, 0.03f, 0}));
    head.ellipsoid({r, 1.05f * r, r}, 16, 12, Place::at(c));
    hair(head, l, s, c, r);
    headwear(head, l, s, c, r);
    face(head, l, s, c, r);

    // Arms: sleeves in the suit colour, gloves in the trim colour.
    for (int side = 0; side < 2; ++side) {
        Mesh& upper = file.layer(side ? UpperArmR : UpperArmL, "upper arm", rig.shoulder[side]);
        upper.use(s.suit).capsule(rig.shoulder[side], rig.elbow[side], limb, 10);
        Mesh& lower = file.layer(side ? LowerArmR : LowerArmL, "lower arm", rig.elbow[side]);
        const Vec wrist = rig.elbow[side] + (rig.hand[side] - rig.elbow[side]) * 0.8f;
        lower.use(s.suit).capsule(rig.elbow[side], wrist, limb * 0.9f, 10);
        lower.use(s.trim).ellipsoid({0.05f, 0.045f, 0.06f}, 10, 6, Place::at(rig.hand[side]));
    }

    // Legs, reaching forward into the nose to the pedals.
    Mesh& legs = file.layer(Legs, "legs", hips);
    legs.use(s.legs).ellipsoid({halfWidth * 0.9f, 0.07f, halfDepth * 1.1f}, 12, 6, Place::at(hips + Vec{0, 0.02f, 0}));
    for (float side : {-1.0f, 1.0f}) {
        const Vec hip = hips + Vec{side * 0.08f * l.build.x, 0.0f, 0.04f};
        const Vec knee{side * 0.11f, hips.y + 0.1f, hips.z + 0.42f};
        const Vec foot{side * 0.1f, 0.17f, 0.74f};
        legs.use(s.legs).capsule(hip, knee, limb * 1.25f, 10);
        legs.capsule(knee, foot, limb * 1.1f, 10);
        legs.use(s.shoes).ellipsoid({0.06f, 0.06f, 0.1f}, 10, 6, Place::at(foot + Vec{0, 0.02f, 0.05f}));
    }
    return file;
}

bool readDrivers(const std::string& path, std::vector<DriverLook>& drivers, std::string& error)
{
    Params file;
    if (!file.load(path, {"driver"})) {
        error = file.error();
        return false;
    }
    for (const ParamBlock& block : file.blocks()) {
        if (block.kind.empty())
            continue;
        ParamReader r(file, block);
        DriverLook l;
        l.name = block.name;
        const std::vector<float> build = r.numbers("build", 3);
        l.build = {build[0], build[1], build[2]};
        l.head = r.number("head");
        l.skin = r.colour("skin");
        l.suit = r.colour("suit");
        l.trim = r.colour("trim");
        l.legs = r.colour("legs");
        l.shoes = r.colour("shoes");
        l.hair = r.colour("hair");
        l.hat = r.colour("hat");
        l.hatTrim = r.colour("hatTrim");
        l.featureColour = r.colour("featureColour");
        l.headwear = r.word("headwear");
        l.hairstyle = r.word("hairstyle");
        l.feature = r.word("feature");
        if (!r.ok()) {
            error = r.error();
            return false;
        }
        if (!oneOf(l.headwear, {"helmet", "cap", "tophat", "beanie", "none"}) ||
            !oneOf(l.hairstyle, {"short", "spiky", "ponytail", "pigtails", "bald", "none"}) ||
            !oneOf(l.feature, {"visor", "glasses", "beard", "moustache", "goggles", "ears", "none"}) ||
            l.head <= 0.05f || l.head > 0.3f || std::min({l.build.x, l.build.y, l.build.z}) <= 0.3f) {
            error = path + " (driver " + l.name + "): a headwear, hairstyle, feature or measure out of range";
            return false;
        }
        drivers.push_back(l);
    }
    if (drivers.empty()) {
        error = path + " names no driver";
        return false;
    }
    return true;
}
