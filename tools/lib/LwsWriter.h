#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Writes LightWave scene files (text, "LWSC" version 3): the scenes of our
// data set and the fixtures of the loader's tests. Keys are written one a
// line; the engine's own plug-in blocks use the words the loader reads
// (engine/lightwave/LwsWords.h). line() writes anything else, broken text
// included.

// One envelope key: value, time, span shape (0 TCB, 1 Hermite, 2 Bezier,
// 3 linear, 4 stepped, 5 2D Bezier) and its six parameters.
struct LwsKey {
    float value = 0.0f;
    float time = 0.0f;
    int32_t span = 0;
    std::array<float, 6> params{0, 0, 0, 0, 0, 0};
};

struct LwsEnvelope {
    std::vector<LwsKey> keys;
    int32_t pre = 1;
    int32_t post = 1;
};

// A motion channel: 0-2 position, 3-5 heading, pitch, bank (radians),
// 6-8 scale.
struct LwsChannel {
    int32_t number = 0;
    LwsEnvelope envelope;
};

struct LwsSpace {
    std::string name;
    int32_t type = 0; // 0 simple, 1 hash
    int32_t parent = -1;
};

// The values of a particle emitter block, by the emitter's field names.
struct LwsEmitter {
    std::array<float, 3> nozzleSize{1, 1, 1};
    int32_t limit = 100;
    std::array<float, 3> velocity{0, 0, 0};
    float inherit = 0.0f;
    std::array<float, 3> drift{0, 0, 0};
    float birthRate = 100.0f;
    int32_t nozzle = 1;
    int32_t generateBy = 1;
    float lifeFrames = 30.0f;
    float lifeVariationFrames = 0.0f;
    float explosion = 0.0f;
    int32_t trigger = 0;
    float speedScale = 1.0f;
    float drag = 4.0f;
    float speedScaleVariation = 0.0f;
    float dragVariation = 0.0f;
    float sizeStart = 50.0f;
    float sizeVariation = 0.0f;
    float maxStep = 0.0f;
    // When it has keys: a variant parameter that animates the birth rate.
    LwsEnvelope birthRateEnvelope;
};

struct LwsGravity {
    int32_t mode = 0;
    int32_t falloff = 0;
    float radius = 1.0f;
    float strength = 1.0f;
    std::array<float, 3> direction{0, -1, 0};
};

struct LwsWind {
    int32_t mode = 0;
    std::array<int32_t, 2> sceneInts{0, 0};
    int32_t falloff = 0;
    float radius = 1.0f;
    float power = 1.0f;
    std::array<float, 2> sceneFloats{0, 0.5f};
    std::array<float, 3> wind{0, 0.1f, 0};
    std::array<float, 3> vectorA{1, 1, 1};
    std::array<float, 3> vectorB{1, 0, 0};
};

struct LwsParticleCollision {
    int32_t shape = 0;
    int32_t mode = 0;
    float size = 1.0f;
    float bounce = 1.0f;
    bool flag = false;
    float scatter = 0.0f;
    std::array<float, 3> sceneFloats{0, 0, 0};
};

// The motion mixer: actors with their items, and motions that record
// envelopes per item and channel.
struct LwsMixerChannel {
    std::string name; // "Position.X" ... "Scale.Z", or a morph name
    LwsEnvelope envelope;
};
struct LwsMixerItem {
    std::string name;
    std::vector<LwsMixerChannel> channels;
};
struct LwsMixerMotion {
    std::string name;
    float firstFrame = 0.0f;
    float lastFrame = 60.0f;
    std::vector<LwsMixerItem> items;
};
struct LwsMixerActor {
    std::string name;
    std::vector<std::pair<std::string, uint32_t>> items; // name, item id
    std::vector<LwsMixerMotion> motions;
};

// An animated value of the HyperVoxel block: a constant, and an envelope
// when it has keys.
struct LwsAnimated {
    LwsAnimated(float v = 0.0f, LwsEnvelope e = {}) : value(v), envelope(std::move(e)) {}
    float value;
    LwsEnvelope envelope;
};

// One texture layer of a HyperVoxel: "{ TextureBlock <name>" with its
// lines, a "{ Texture <kind>" block with its lines and, when `image` is not
// empty, its image; each line is a key and its values as written (see
// LwsWriter::animated for the animated ones).
struct LwsHyperVoxelLayer {
    std::string name = "Layer";
    std::vector<std::pair<std::string, std::string>> lines;
    std::string kind = "ImageMap";
    std::vector<std::pair<std::string, std::string>> textureLines;
    std::string image;
};

// One HyperVoxel: the object entry (left out when `object` is empty, so the
// lines below go to whichever voxel is current), its parameter lines and
// its texture layers.
struct LwsHyperVoxel {
    LwsHyperVoxel(std::string o = {}, int32_t t = 2, std::vector<std::pair<std::string, std::string>> p = {},
                  std::vector<LwsHyperVoxelLayer> l = {})
        : object(std::move(o)), type(t), parameters(std::move(p)), layers(std::move(l))
    {
    }
    std::string object;
    int32_t type; // 1 sprites, 2 particle quads
    std::vector<std::pair<std::string, std::string>> parameters;
    std::vector<LwsHyperVoxelLayer> layers;
};

// An envelope that holds one value.
LwsEnvelope constantEnvelope(float value);
// The nine channels of an item that stands still at `position`, turned by
// heading and pitch (radians), unscaled.
std::vector<LwsChannel> standingAt(const std::array<float, 3>& position, float heading = 0.0f, float pitch = 0.0f);

class LwsWriter {
public:
    // The header: "LWSC" and version 3.
    LwsWriter();

    // Any text as one line.
    LwsWriter& line(const std::string& text);
    // A key and its values, space-separated.
    LwsWriter& key(const std::string& name, const std::vector<std::string>& values = {});
    LwsWriter& key(const std::string& name, std::initializer_list<double> values);

    LwsWriter& loadObjectLayer(int32_t layer, const std::string& fileName);
    LwsWriter& addNullObject(const std::string& name);
    // "ObjectMotion", "LightMotion", "CameraMotion" or "BoneMotion" with
    // its channel blocks.
    LwsWriter& motion(const std::string& key, const std::vector<LwsChannel>& channels);
    // A key whose value is an inline envelope.
    LwsWriter& envelopeKey(const std::string& name, const LwsEnvelope& envelope);
    LwsWriter& addLight(const std::string& name);
    // "AddCamera", its name and its "CameraMotion".
    LwsWriter& addCamera(const std::string& name, const std::vector<LwsChannel>& channels = {});

    // The engine's plug-in blocks.
    LwsWriter& odeMaster(const std::vector<LwsSpace>& spaces);
    LwsWriter& odeBody(int32_t massType, float mass, std::array<float, 3> scale, int32_t autoDisable = 0);
    LwsWriter& odeGeom(int32_t type, int32_t surface, int32_t space, std::array<float, 3> scale,
                       uint32_t transform = 0);
    LwsWriter& odeJoint(int32_t type, uint32_t body1, uint32_t body2, float spring = 0.0f, float damper = 0.0f);
    LwsWriter& levelsOfDetail(const std::vector<std::pair<float, std::string>>& levels);
    LwsWriter& morphMixer(const std::vector<std::pair<std::string, LwsEnvelope>>& morphs);
    // `enabledLine` false writes the "PluginEnabled 0" line that switches
    // the plug-in off.
    LwsWriter& emitter(const LwsEmitter& e, bool enabled = true);
    LwsWriter& gravity(const LwsGravity& g, bool enabled = true);
    LwsWriter& wind(const LwsWind& w, bool enabled = true);
    LwsWriter& particleCollision(const LwsParticleCollision& c);
    LwsWriter& motionMixer(const std::vector<LwsMixerActor>& actors);
    // The HyperVoxel block; `extraLines` are written inside it behind the
    // voxels, as they stand.
    LwsWriter& hyperVoxels(const std::vector<LwsHyperVoxel>& voxels, const std::vector<std::string>& extraLines = {});

    const std::string& text() const { return m_text; }

    static std::string number(double value);
    static std::string itemId(uint32_t id);
    static std::string envelopeBlock(const LwsEnvelope& envelope, const std::string& indent = "");
    // The values of an animated line of the HyperVoxel block: the constant
    // and the envelope flag, then the envelope when it has keys; a colour
    // or vector gives three constants, one flag and three envelopes.
    static std::string animated(const LwsAnimated& value);
    static std::string animatedTriple(const std::array<LwsAnimated, 3>& values);

private:
    std::string m_text;
};
