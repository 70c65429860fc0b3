#pragma once
// Generated fixed-function programs, compiled and linked once per key and
// kept for the life of the GL context, with their uniform locations looked
// up once. A key whose program failed to build is remembered as failed and
// never compiled again. Uniforms are uploaded per group only when the state
// block's serial for that group moved since this program last saw it.
//
// Needs a current GL context with GLEW initialised.
#include "platform/d3d9/FixedFunctionKey.h"
#include "platform/d3d9/FixedFunctionState.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

struct GlProgram {
    struct LightLocations {
        int diffuse = -1;
        int specular = -1;
        int ambient = -1;
        int position = -1;
        int direction = -1;
        int attenuation = -1;
        int spot = -1;
    };

    uint32_t id = 0;
    FixedFunctionKey::Fields fields;

    int world = -1;
    int worldView = -1;
    int projection = -1;
    int normalMatrix = -1;
    int posFixup = -1;
    int screen = -1;
    std::array<int, 8> textureMatrix {};
    int clipPlanes = -1;
    int globalAmbient = -1;
    int materialDiffuse = -1;
    int materialAmbient = -1;
    int materialSpecular = -1;
    int materialEmissive = -1;
    int materialPower = -1;
    std::array<LightLocations, 8> lights {};
    int textureFactor = -1;
    int fogColor = -1;
    int fogRange = -1;
    int alphaRef = -1;

    // Serials of the state groups last uploaded into this program.
    std::array<uint64_t, FixedFunctionState::GroupCount> uploaded {};
    std::array<float, 3> uploadedFixup {};
    std::array<float, 4> uploadedScreen {};
};

class GlProgramCache {
public:
    GlProgramCache() = default;
    ~GlProgramCache();
    GlProgramCache(const GlProgramCache&) = delete;
    GlProgramCache& operator=(const GlProgramCache&) = delete;

    // The program for a key, built on first use; null when it failed to build.
    GlProgram* program(const FixedFunctionKey& key);

    // Binds the program and uploads what changed since it last ran. The
    // viewport size gives the half-pixel shift; flipY renders rows top first.
    void applyUniforms(GlProgram& program, const FixedFunctionState& state, int viewportWidth, int viewportHeight,
                       bool flipY = true, int viewportX = 0, int viewportY = 0);

    // Programs built since creation (failures included), and cache entries.
    size_t programsGenerated() const { return m_generated; }
    size_t size() const { return m_programs.size(); }
    const std::string& lastError() const { return m_lastError; }

    // Deletes every program; the context must still be current.
    void clear();

private:
    std::unique_ptr<GlProgram> build(const FixedFunctionKey& key);

    std::unordered_map<FixedFunctionKey, std::unique_ptr<GlProgram>, FixedFunctionKeyHash> m_programs;
    size_t m_generated = 0;
    std::string m_lastError;
};
