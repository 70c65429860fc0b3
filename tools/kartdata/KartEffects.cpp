#include "tools/kartdata/KartEffects.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// A surface that glows in its own colour, `transparency` see-through.
Lwo2Surface glow(const std::string& name, uint32_t colour, float luminosity, float transparency = 0.0f)
{
    Lwo2Surface s = material(name, colour, 0.6f, 0.6f);
    s.values.push_back({"LUMI", luminosity});
    if (transparency > 0.0f)
        s.values.push_back({"TRAN", transparency});
    return s;
}

} // namespace

ModelFile kartEffectsObject()
{
    ModelFile file;
    const uint16_t wood = file.surface(material("hammer wood", 0xB07A3C, 0.2f, 0.3f));
    const uint16_t head = file.surface(material("hammer head", 0xC8222A, 0.7f, 0.6f));
    const uint16_t steel = file.surface(material("hammer steel", 0xD8DDE4, 0.9f, 0.7f));
    const uint16_t green = file.surface(glow("health", 0x2FD24A, 0.6f));
    const uint16_t white = file.surface(glow("health rim", 0xFFFFFF, 0.6f));
    const uint16_t purple = file.surface(glow("quad damage", 0xA63CFF, 0.8f, 0.15f));
    const uint16_t bubble = file.surface(glow("shield", 0x6FC8FF, 0.5f, 0.65f));
    const uint16_t bolt = file.surface(glow("shock", 0xFFF04A, 1.0f));
    const uint16_t smoke = file.surface(glow("smoke", 0x3A3A3E, 0.1f, 0.3f));

    // The mallet, its handle across the kart and its head upright on the right.
    Mesh& hammer = file.layer(0, "hammer");
    hammer.use(wood).capsule({-0.35f, 0, 0}, {0.15f, 0, 0}, 0.035f, 10);
    hammer.use(head).cylinder(0.13f, 0.32f, 16, Place::at(0.25f, 0.0f, 0.0f));
    for (float y : {-0.17f, 0.17f})
        hammer.use(steel).cylinder(0.14f, 0.04f, 16, Place::at(0.25f, y, 0.0f));

    // The health cross, standing up and facing forward.
    Mesh& cross = file.layer(1, "health");
    cross.use(white).box({-0.2f, -0.08f, -0.04f}, {0.2f, 0.08f, 0.04f});
    cross.box({-0.08f, -0.2f, -0.04f}, {0.08f, 0.2f, 0.04f});
    cross.use(green).box({-0.17f, -0.055f, -0.05f}, {0.17f, 0.055f, 0.05f});
    cross.box({-0.055f, -0.17f, -0.05f}, {0.055f, 0.17f, 0.05f});

    // The quad-damage ring round the kart, with four orbs on it.
    Mesh& ring = file.layer(2, "quaddamage");
    ring.use(purple).ring({{0.92f, -0.025f}, {1.0f, -0.025f}, {1.0f, 0.025f}, {0.92f, 0.025f}}, 28,
                          Place::scale({1.0f, 1.0f, 1.25f}));
    for (int k = 0; k < 4; ++k) {
        const float a = 0.5f * kPi * float(k) + 0.25f * kPi;
        ring.ellipsoid({0.08f, 0.08f, 0.08f}, 10, 6, Place::at(0.96f * std::cos(a), 0.0f, 1.2f * std::sin(a)));
    }

    // The shield: a see-through bubble over kart and driver.
    file.layer(3, "shield").use(bubble).ellipsoid({0.85f, 0.75f, 1.2f}, 20, 12);

    // Four lightning bolts round the kart.
    Mesh& shock = file.layer(4, "shock");
    const std::vector<Flat> zigzag = {{0.0f, 0.0f},  {0.09f, 0.18f}, {0.03f, 0.2f}, {0.12f, 0.42f},
                                      {-0.02f, 0.2f}, {0.04f, 0.18f}, {-0.05f, 0.0f}};
    for (int k = 0; k < 4; ++k) {
        const float a = 0.5f * kPi * float(k);
        shock.use(bolt).prism(zigzag, -0.02f, 0.02f,
                              Place::turn(2, 0.3f) * Place::turn(1, a) *
                                  Place::at(0.75f * std::sin(a), -0.15f, 0.95f * std::cos(a)));
    }

    // A dark, lumpy smoke cloud.
    Mesh& cloud = file.layer(5, "smoke");
    const Vec lumps[5] = {{0, 0, 0}, {0.22f, -0.05f, 0.05f}, {-0.2f, 0.02f, -0.05f}, {0.05f, 0.15f, -0.1f}, {-0.05f, -0.08f, 0.18f}};
    for (int k = 0; k < 5; ++k) {
        const float r = k == 0 ? 0.24f : 0.16f;
        cloud.use(smoke).ellipsoid({r, 0.85f * r, r}, 12, 7, Place::at(lumps[k]));
    }
    return file;
}
