#include "tools/lib/LwsWriter.h"

#include "engine/lightwave/LwsWords.h"

#include <cstdio>

namespace W = LwsWords;

namespace {

std::string quotedName(const std::string& name)
{
    if (name.empty() || name.find_first_of(" \t") != std::string::npos)
        return "\"" + name + "\"";
    return name;
}

std::string join(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& p : parts) {
        if (!text.empty())
            text += ' ';
        text += p;
    }
    return text;
}

std::string numbers(std::initializer_list<double> values)
{
    std::string text;
    for (double v : values) {
        if (!text.empty())
            text += ' ';
        text += LwsWriter::number(v);
    }
    return text;
}

template <size_t N>
std::string numbers(const std::array<float, N>& values)
{
    std::string text;
    for (float v : values) {
        if (!text.empty())
            text += ' ';
        text += LwsWriter::number(v);
    }
    return text;
}

} // namespace

LwsEnvelope constantEnvelope(float value)
{
    LwsEnvelope e;
    e.keys.push_back({value, 0.0f, 0, {}});
    return e;
}

std::vector<LwsChannel> standingAt(const std::array<float, 3>& position, float heading, float pitch)
{
    std::vector<LwsChannel> channels;
    for (int c = 0; c < 3; ++c)
        channels.push_back({c, constantEnvelope(position[size_t(c)])});
    channels.push_back({3, constantEnvelope(heading)});
    channels.push_back({4, constantEnvelope(pitch)});
    channels.push_back({5, constantEnvelope(0.0f)});
    for (int c = 6; c < 9; ++c)
        channels.push_back({c, constantEnvelope(1.0f)});
    return channels;
}

LwsWriter::LwsWriter() : m_text("LWSC\n3\n\n") {}

std::string LwsWriter::number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string LwsWriter::itemId(uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

std::string LwsWriter::envelopeBlock(const LwsEnvelope& envelope, const std::string& indent)
{
    std::string text = indent + W::Open + " " + W::Envelope + "\n";
    text += indent + "  " + std::to_string(envelope.keys.size()) + "\n";
    for (const LwsKey& k : envelope.keys) {
        text += indent + "  " + W::Key + " " + number(k.value) + " " + number(k.time) + " " +
                std::to_string(k.span) + " " + numbers(k.params) + "\n";
    }
    text += indent + "  " + W::Behaviors + " " + std::to_string(envelope.pre) + " " +
            std::to_string(envelope.post) + "\n";
    text += indent + W::Close + "\n";
    return text;
}

LwsWriter& LwsWriter::line(const std::string& text)
{
    m_text += text;
    m_text += '\n';
    return *this;
}

LwsWriter& LwsWriter::key(const std::string& name, const std::vector<std::string>& values)
{
    return line(values.empty() ? name : name + " " + join(values));
}

LwsWriter& LwsWriter::key(const std::string& name, std::initializer_list<double> values)
{
    return line(name + " " + numbers(values));
}

LwsWriter& LwsWriter::loadObjectLayer(int32_t layer, const std::string& fileName)
{
    line("");
    return line("LoadObjectLayer " + std::to_string(layer) + " " + quotedName(fileName));
}

LwsWriter& LwsWriter::addNullObject(const std::string& name)
{
    line("");
    return line("AddNullObject " + quotedName(name));
}

LwsWriter& LwsWriter::motion(const std::string& key, const std::vector<LwsChannel>& channels)
{
    line(key);
    line("NumChannels " + std::to_string(channels.size()));
    for (const LwsChannel& c : channels) {
        line("Channel " + std::to_string(c.number));
        m_text += envelopeBlock(c.envelope);
    }
    return *this;
}

LwsWriter& LwsWriter::envelopeKey(const std::string& name, const LwsEnvelope& envelope)
{
    line(name + " " + W::EnvelopeValue);
    m_text += envelopeBlock(envelope);
    return *this;
}

LwsWriter& LwsWriter::addLight(const std::string& name)
{
    line("");
    line("AddLight");
    return line("LightName " + quotedName(name));
}

LwsWriter& LwsWriter::addCamera(const std::string& name, const std::vector<LwsChannel>& channels)
{
    line("");
    line("AddCamera");
    line("CameraName " + quotedName(name));
    return motion("CameraMotion", channels);
}

LwsWriter& LwsWriter::odeMaster(const std::vector<LwsSpace>& spaces)
{
    line(std::string(W::Plugin) + " " + W::MasterHandler + " 1 " + W::OdeMaster);
    line(std::string(W::Open) + " " + W::OdeMaster);
    line("  Gravity 0 -9.81 0");
    line("  Solver 0");
    for (const LwsSpace& s : spaces) {
        line(std::string("  ") + W::Open + " " + W::SpaceBlock);
        line("    Name " + quotedName(s.name));
        line("    Type " + std::to_string(s.type));
        line("    Parent " + std::to_string(s.parent));
        line(std::string("  ") + W::Close);
    }
    line(W::Close);
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::odeBody(int32_t massType, float mass, std::array<float, 3> scale, int32_t autoDisable)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::OdeBody);
    line(std::string(W::Open) + " " + W::BodyBlock);
    line("  MassType " + std::to_string(massType));
    line("  Mass " + number(mass));
    line("  Scale " + numbers(scale));
    line("  AutoDisable " + std::to_string(autoDisable));
    line(W::Close);
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::odeGeom(int32_t type, int32_t surface, int32_t space, std::array<float, 3> scale,
                              uint32_t transform)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::OdeGeom);
    line(std::string(W::Open) + " " + W::GeomBlock);
    line("  Type " + std::to_string(type));
    line("  Surface " + std::to_string(surface));
    line("  Space " + std::to_string(space));
    line("  Scale " + numbers(scale));
    line("  Transform " + itemId(transform));
    line(W::Close);
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::odeJoint(int32_t type, uint32_t body1, uint32_t body2, float spring, float damper)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::OdeJoint);
    line(std::string(W::Open) + " " + W::JointBlock);
    line("  Type " + std::to_string(type));
    line("  Body1 " + itemId(body1));
    line("  Body2 " + itemId(body2));
    line("  SpringForce " + number(spring));
    line("  DamperForce " + number(damper));
    line(W::Close);
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::levelsOfDetail(const std::vector<std::pair<float, std::string>>& levels)
{
    line(std::string(W::Plugin) + " " + W::ObjReplacementHandler + " 1 " + W::LevelOfDetail);
    line(W::LevelOfDetailVersion);
    line(std::to_string(levels.size()));
    for (const auto& [distance, name] : levels)
        line(number(distance) + " " + quotedName(name));
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::morphMixer(const std::vector<std::pair<std::string, LwsEnvelope>>& morphs)
{
    line(std::string(W::Plugin) + " " + W::DisplacementHandler + " 1 " + W::MorphMixer);
    line(std::string(W::Open) + " " + W::MorphMixerBlock + " " + W::MorphMixerVersion + " " +
         W::MorphMixerVersionNumber);
    line("  0");
    line("  0");
    line("  " + std::to_string(morphs.size()));
    for (size_t i = 0; i < morphs.size(); ++i) {
        line(std::string("  ") + W::MorphEntry + " " + std::to_string(i) + " " + quotedName(morphs[i].first));
        m_text += envelopeBlock(morphs[i].second, "  ");
        line(std::string("  ") + W::MorphEntryEnd);
    }
    line(W::Close);
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::emitter(const LwsEmitter& e, bool enabled)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::Emitter);
    line("Emitter 1 Settings");
    line(numbers(e.nozzleSize));
    line(W::EmitterMarker);
    line("0 0 0 " + std::to_string(e.limit) + " 0 Rate");
    line(numbers(e.velocity) + " " + number(e.inherit));
    line("0 0 Drift");
    line(numbers(e.drift));
    line("0 Birth 0");
    line(number(e.birthRate));
    line(std::to_string(e.nozzle) + " 0 " + std::to_string(e.generateBy));
    line(number(e.lifeFrames) + " " + number(e.lifeVariationFrames));
    line(number(e.explosion) + " 0 " + std::to_string(e.trigger));
    line("0 0 0 0 0 0 0 0 0 Speed");
    line(numbers({e.speedScale, e.drag, e.speedScaleVariation, e.dragVariation}));
    line("0 0 0 " + number(e.sizeStart) + " " + number(e.sizeVariation) + " 0 0");
    line(number(e.maxStep) + " 0 0 0");
    if (!e.birthRateEnvelope.keys.empty()) {
        line(std::string(W::VariantParameter) + " 0 0 BirthRate " + number(e.birthRate) + " 1");
        m_text += envelopeBlock(e.birthRateEnvelope);
    }
    line(W::EndPlugin);
    if (!enabled)
        line(std::string(W::PluginEnabled) + " 0");
    return *this;
}

LwsWriter& LwsWriter::gravity(const LwsGravity& g, bool enabled)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::Gravity);
    line("Gravity 1 Settings");
    line(std::to_string(g.falloff) + " " + numbers({g.radius, g.strength}) + " 0 " + std::to_string(g.mode));
    line(W::GravityMarker);
    line(numbers(g.direction));
    line("Done");
    line(W::EndPlugin);
    if (!enabled)
        line(std::string(W::PluginEnabled) + " 0");
    return *this;
}

LwsWriter& LwsWriter::wind(const LwsWind& w, bool enabled)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::Wind);
    line("Wind 1 Settings");
    line(std::to_string(w.mode) + " " + numbers({w.radius, w.power}) + " " + std::to_string(w.falloff) + " " +
         std::to_string(w.sceneInts[0]) + " " + std::to_string(w.sceneInts[1]));
    line("Vector " + numbers(w.wind));
    line("Shape Axes " + numbers(w.vectorA) + " " + number(w.sceneFloats[0]) + " " + number(w.sceneFloats[1]));
    line("Turn " + numbers(w.vectorB));
    line("Done");
    line(W::EndPlugin);
    if (!enabled)
        line(std::string(W::PluginEnabled) + " 0");
    return *this;
}

LwsWriter& LwsWriter::particleCollision(const LwsParticleCollision& c)
{
    line(std::string(W::Plugin) + " " + W::CustomObjHandler + " 1 " + W::Collision);
    line("Collision 1 Settings");
    line(std::to_string(c.shape) + " " + numbers({c.size, c.bounce}) + " " + std::to_string(c.mode) + " " +
         (c.flag ? "1" : "0") + " " + numbers({c.scatter, c.sceneFloats[0]}));
    line(W::CollisionMarker);
    line(numbers({c.sceneFloats[1], c.sceneFloats[2]}) + " 0 0 0 0 0 0");
    return line(W::EndPlugin);
}

LwsWriter& LwsWriter::motionMixer(const std::vector<LwsMixerActor>& actors)
{
    const std::string open(W::Open);
    line(std::string(W::Plugin) + " " + W::MasterHandler + " 1 " + W::MotionMixer);
    line(open + " " + W::MotionMixer);
    line("  Prefs 0");
    for (const LwsMixerActor& actor : actors) {
        line("  " + open + " Actor");
        line("    AddActor " + quotedName(actor.name));
        line("    ActorState 1");
        line("    " + open + " ActorItems");
        for (const auto& [name, id] : actor.items) {
            line("      ItemName " + quotedName(name));
            line("      ItemAdd " + itemId(id));
            line("      ItemLock 0");
        }
        line(std::string("    ") + W::Close);
        line("    " + open + " ActorMotions");
        for (const LwsMixerMotion& motion : actor.motions) {
            line("      " + open + " AddMotion");
            line("        MotionActor " + quotedName(actor.name));
            line("        MotionName " + quotedName(motion.name));
            line("        MotionRange " + numbers({motion.firstFrame, motion.lastFrame}));
            line("        NumberOfItems " + std::to_string(motion.items.size()));
            for (const LwsMixerItem& item : motion.items) {
                line("        " + open + " Item");
                line("          ItemName " + quotedName(item.name));
                line("          ItemState 1");
                line("          ItemChannels " + std::to_string(item.channels.size()));
                for (const LwsMixerChannel& channel : item.channels) {
                    line("          " + open + " Channel");
                    line("            ChannelName " + quotedName(channel.name));
                    line("            ChannelType 0");
                    line("            ChannelState 1");
                    m_text += envelopeBlock(channel.envelope, "            ");
                    line(std::string("          ") + W::Close);
                }
                line(std::string("        ") + W::Close);
            }
            // Behind the items: it sets the loop length of the channels the
            // motion holds by then.
            line("        MotionFrames " + numbers({motion.firstFrame, motion.lastFrame}));
            line(std::string("      ") + W::Close);
        }
        line(std::string("    ") + W::Close);
        line(std::string("  ") + W::Close);
    }
    line(W::Close);
    return line(W::EndPlugin);
}

std::string LwsWriter::animated(const LwsAnimated& value)
{
    if (value.envelope.keys.empty())
        return number(value.value) + " 0";
    return number(value.value) + " 1\n" + envelopeBlock(value.envelope, "    ");
}

std::string LwsWriter::animatedTriple(const std::array<LwsAnimated, 3>& values)
{
    std::string text;
    bool enveloped = false;
    for (const LwsAnimated& v : values) {
        text += number(v.value) + " ";
        enveloped = enveloped || !v.envelope.keys.empty();
    }
    if (!enveloped)
        return text + "0";
    text += "1\n";
    for (const LwsAnimated& v : values) {
        LwsEnvelope e = v.envelope;
        if (e.keys.empty())
            e.keys.push_back({v.value, 0.0f, 0, {}});
        text += envelopeBlock(e, "    ");
    }
    return text;
}

LwsWriter& LwsWriter::hyperVoxels(const std::vector<LwsHyperVoxel>& voxels, const std::vector<std::string>& extraLines)
{
    const std::string open(W::Open);
    const std::string close(W::Close);
    auto entry = [this](const std::string& indent, const std::pair<std::string, std::string>& l) {
        line(indent + l.first + (l.second.empty() ? "" : " " + l.second));
    };
    line(std::string(W::Plugin) + " " + W::VolumetricHandler + " 1 " + W::HyperVoxelServer);
    line(open + " " + W::HyperVoxelData);
    line(std::string("  ") + W::HVFlags + " 0 0 0 0");
    for (const LwsHyperVoxel& v : voxels) {
        if (!v.object.empty()) {
            line("  " + open + " " + W::HVObject);
            line(std::string("    ") + W::HVFlags + " " + quotedName(v.object) + " 0 0 0 " + std::to_string(v.type) +
                 " 0 0 0");
            line("  " + close);
        }
        line("  " + open + " " + W::HVChannels);
        for (const auto& p : v.parameters)
            entry("    ", p);
        line("  " + close);
        line("  " + open + " " + W::HVTextures);
        for (const LwsHyperVoxelLayer& layer : v.layers) {
            line("    " + open + " " + W::TextureBlock + " " + quotedName(layer.name));
            for (const auto& l : layer.lines)
                entry("      ", l);
            line("      " + open + " " + W::TextureSettings + " " + layer.kind);
            for (const auto& l : layer.textureLines)
                entry("        ", l);
            if (!layer.image.empty()) {
                line("        " + open + " " + W::ImageBlock);
                line("          " + open + " " + W::ClipBlock);
                line("            " + open + " " + W::Still + " " + quotedName(layer.image) + " " + close);
                line("          " + close);
                line("        " + close);
            }
            line("      " + close);
            line("    " + close);
        }
        line("  " + close);
    }
    for (const std::string& l : extraLines)
        line("  " + l);
    line(close);
    return line(W::EndPlugin);
}
