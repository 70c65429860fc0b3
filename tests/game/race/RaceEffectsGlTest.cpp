// A kart driving over grass and over sand, drawn on GL from the chase
// camera: the dust its wheels throw shows as textured quads behind it. Each
// picture is drawn twice at the same moment, with the ground's particles and
// without them, so what the particles add is told apart from the ground
// under them. The pictures are written to the build folder
// (race-dust-grass.png, race-dust-sand.png) to be looked at.
#include "RaceRig.h"

#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/Scene.h"
#include "game/race/EffectManager.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "tools/lib/PngWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480;

float alongRing(const Vector3& p)
{
    float s = std::atan2(p.z, p.x) * RaceFixture::kRingRadius;
    return s < -RaceFixture::lapLength() / 4.0f ? s + RaceFixture::lapLength() : s;
}

// Full throttle round the ring on its centre line.
void ringDriver(ScriptedController& c)
{
    const Kart& kart = *c.m_kart;
    const float s = alongRing(kart.m_position);
    const Vector3 target = RaceFixture::ringPoint(s + 6.0f);
    const float left = vec::dot(vec::unit(target - kart.m_position), kart.m_side);
    c.m_throttle = 1.0f;
    c.m_steerLeft = left > 0.0f ? std::min(1.0f, 3.0f * left) : 0.0f;
    c.m_steerRight = left < 0.0f ? std::min(1.0f, -3.0f * left) : 0.0f;
}

void writePicture(const std::vector<D3DCOLOR>& pixels, const std::string& name)
{
    std::vector<uint8_t> rgba;
    rgba.reserve(pixels.size() * 4);
    for (D3DCOLOR p : pixels)
        rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
    const std::vector<uint8_t> png = writePng(kWidth, kHeight, rgba);
    std::ofstream(std::string(std::getenv("VORLUND_BINARY_DIR")) + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

float luminance(D3DCOLOR p)
{
    return 0.3f * float((p >> 16) & 0xFF) + 0.59f * float((p >> 8) & 0xFF) + 0.11f * float(p & 0xFF);
}

struct Ground {
    const char* name;
    float at;
    int32_t types[2];
};

class RaceEffectsGl : public testing::TestWithParam<Ground> {};

TEST_P(RaceEffectsGl, DustShowsAsTexturedQuadsBehindTheKart)
{
    const Ground& ground = GetParam();
    RaceRig rig(true, kWidth, kHeight);
    REQUIRE_GL(rig.started(), "the race rig's GL device did not start");
    rig.setUp(1, 1, "mixedring");
    TestRace& race = rig.make();
    race.m_controllerMaker = [](int32_t) { return new ScriptedController(ringDriver); };
    ASSERT_TRUE(rig.load().loaded());
    rig.startRace();

    // Drive onto the ground until its dust is in the air.
    const Kart& kart = *race.m_karts[0];
    EffectManager& effects = *race.m_effects;
    auto liveDust = [&] {
        int32_t live = 0;
        for (int32_t type : ground.types) {
            const auto [first, last] = effects.instances.equal_range(type);
            for (auto it = first; it != last; ++it)
                live += it->second->emitter->liveCount();
        }
        return live;
    };
    rig.run(20.0, 1.0 / 60.0, [&] { return alongRing(kart.m_position) > ground.at + 2.0f && liveDust() > 20; });
    ASSERT_GT(liveDust(), 20) << "no dust in the air at " << alongRing(kart.m_position);

    // The same moment with the dust and without it.
    rig.frame(0.0);
    const std::vector<D3DCOLOR> with = readBackBuffer(rig.renderer.device(), RECT{0, 0, kWidth, kHeight});
    // Particles are drawn as their emitters step: without emitters, none.
    std::vector<std::unique_ptr<ParticleEmitter>> emitters;
    emitters.swap(race.m_scene->m_emitters);
    rig.frame(0.0);
    const std::vector<D3DCOLOR> without = readBackBuffer(rig.renderer.device(), RECT{0, 0, kWidth, kHeight});
    emitters.swap(race.m_scene->m_emitters);
    ASSERT_EQ(with.size(), size_t(kWidth * kHeight));
    ASSERT_EQ(without.size(), with.size());
    writePicture(with, std::string("race-dust-") + ground.name + ".png");

    // Where the dust changed the picture, and how its own pixels vary there:
    // a flat quad would change it by one colour.
    int changed = 0, belowMiddle = 0;
    double sum = 0.0, sumSquares = 0.0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const size_t i = size_t(y) * kWidth + size_t(x);
            if (std::abs(luminance(with[i]) - luminance(without[i])) < 6.0f)
                continue;
            ++changed;
            belowMiddle += y > kHeight / 3 ? 1 : 0;
            const double l = luminance(with[i]);
            sum += l;
            sumSquares += l * l;
        }
    ASSERT_GT(changed, kWidth * kHeight / 400) << "the dust hardly shows";
    EXPECT_GT(belowMiddle, changed * 3 / 4) << "the dust is not down by the wheels";
    const double mean = sum / changed;
    const double spread = std::sqrt(std::max(0.0, sumSquares / changed - mean * mean));
    EXPECT_GT(spread, 4.0) << "the dust shows as flat quads";
}

INSTANTIATE_TEST_SUITE_P(Grounds, RaceEffectsGl,
                         testing::Values(Ground{"grass", RaceFixture::kGrassAt, {6, 7}},
                                         Ground{"sand", RaceFixture::kSandAt, {2, 3}}),
                         [](const testing::TestParamInfo<Ground>& info) { return std::string(info.param.name); });

} // namespace
