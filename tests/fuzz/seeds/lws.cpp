// Seeds for the scene loader: writer-made scenes with every key group and
// every engine plug-in block.
#include "SeedRegistry.h"

#include "tools/lib/LwsWriter.h"

namespace {

std::vector<unsigned char> bytes(const LwsWriter& w)
{
    return std::vector<unsigned char>(w.text().begin(), w.text().end());
}

LwsEnvelope ramp()
{
    LwsEnvelope e;
    e.keys = {{0, 0, 0, {}}, {1, 1, 3, {}}, {2, 2, 5, {0.1f, 0.2f, 0.3f, 0.4f, 0, 0}}};
    return e;
}

} // namespace

VORLUND_SEEDS(fuzz_lws)
{
    LwsWriter minimal;
    minimal.key("FirstFrame", {1}).key("LastFrame", {60});
    minimal.loadObjectLayer(1, "cube.lwo").motion("ObjectMotion", {{1, ramp()}});
    minimal.key("ShadowOptions", {7});
    minimal.addLight("Sun").envelopeKey("LightColor", ramp()).key("LightType", {2});
    minimal.addCamera("Camera", {{2, ramp()}});
    seeds::writeFile(dir / "minimal", bytes(minimal));

    LwsWriter physics;
    physics.odeMaster({{"(default)", 1, -1}, {"Karts", 0, 0}});
    physics.loadObjectLayer(1, "cube.lwo").odeBody(1, 2, {1, 2, 3});
    physics.loadObjectLayer(1, "cube.lwo").odeGeom(1, 2, 1, {1, 1, 1}, 0x10000000);
    physics.addNullObject("Hinge").odeJoint(2, 0x10000000, 0x10000001, 1, 2);
    physics.key("ParentItem", std::vector<std::string>{"10000000"});
    physics.key("AddBone").key("BoneName", std::vector<std::string>{"Arm"});
    physics.key("ParentItem", std::vector<std::string>{"40000000"});
    physics.addLight("Sun");
    physics.addCamera("Camera");
    seeds::writeFile(dir / "physics", bytes(physics));

    LwsWriter effects;
    effects.loadObjectLayer(1, "cube.lwo");
    LwsEmitter emitter;
    emitter.birthRateEnvelope = ramp();
    effects.emitter(emitter).gravity({}).wind({}).particleCollision({});
    effects.levelsOfDetail({{10, "cube.lwo"}, {5, "AntiPortal.lwo"}});
    effects.morphMixer({{"Smile", ramp()}});
    effects.loadObjectLayer(1, "AntiPortal.lwo");
    effects.addLight("Sun");
    effects.addCamera("Camera");
    LwsMixerActor actor;
    actor.name = "Kart";
    actor.items = {{"Body", 0x10000000}};
    actor.motions = {{"Drive", 0, 60, {{"Body", {{"Position.X", ramp()}, {"Smile", ramp()}}}}}};
    effects.motionMixer({actor});
    seeds::writeFile(dir / "effects", bytes(effects));

    LwsWriter voxels;
    voxels.loadObjectLayer(1, "cube.lwo").emitter({});
    voxels.addNullObject("Sparks").emitter({});
    voxels.addNullObject("Smoke");
    LwsAnimated fading{1.0f, ramp()};
    LwsHyperVoxelLayer image;
    image.lines = {{"Enable", "1"}, {"Channel", "0"}, {"Opacity", "3 " + LwsWriter::animated(fading)}};
    image.textureLines = {{"Center", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{{fading, {}, {}}})},
                          {"Size", "1 1 1 0"},
                          {"Projection", "1"},
                          {"Axis", "2"},
                          {"WrapOptions", "0 2"},
                          {"AntiAliasing", "1 2"},
                          {"PixelBlending", "1"}};
    image.image = "spark_nodxt.png";
    LwsHyperVoxelLayer procedural;
    procedural.kind = "Procedural";
    procedural.lines = {{"Enable", "0"}, {"Negative", "1"}};
    voxels.hyperVoxels({{"Sparks", 2,
                         {{"Dissolve", LwsWriter::animated(fading)},
                          {"VColor", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{{fading, {0.5f}, {}}})},
                          {"Color", "1 1 1 0"},
                          {"UseAllLights", "1"},
                          {"Slices", "16"}},
                         {image, procedural}},
                        {"Smoke", 1, {{"VOpacity", "0.5 0"}}},
                        {"Missing", 2, {{"VDensity", "0.5 0"}}, {image}}},
                       {"HVBlendingGroups 0 0", "HVClip 0 0 0 0 1 x { Clip { Still clip.png } }"});
    voxels.addLight("Sun");
    voxels.addCamera("Camera");
    seeds::writeFile(dir / "hypervoxels", bytes(voxels));
}
