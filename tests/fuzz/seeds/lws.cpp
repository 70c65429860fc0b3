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
}
