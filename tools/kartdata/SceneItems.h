#pragma once
// A scene file being written item by item: each object line gets the next
// LightWave item id of its file, which the parent, body and mixer lines of
// later items name.
#include "tools/kartdata/Shapes.h"
#include "tools/lib/LwsWriter.h"

#include <cstdint>
#include <string>
#include <vector>

class SceneItems {
public:
    // The scene's frame range at 30 frames a second.
    explicit SceneItems(int lastFrame = 60);

    // The id the next object line will have.
    uint32_t next() const { return 0x10000000u + m_objects; }
    uint32_t addNull(const std::string& name);
    uint32_t loadLayer(const std::string& file, uint32_t layer);

    // Keys of the current item.
    SceneItems& parent(uint32_t id);
    // Position and heading, pitch, bank (radians), constant.
    SceneItems& place(Vec position, Vec angles = {}, Vec scale = {1, 1, 1});
    // Its own channels (0-2 position, 3-5 rotation, 6-8 scale), each a
    // constant or an envelope.
    SceneItems& motion(const std::vector<LwsChannel>& channels);

    LwsWriter& writer() { return m_writer; }
    const std::string& text() const { return m_writer.text(); }

    // An envelope of one constant key.
    static LwsEnvelope constant(float value);

private:
    LwsWriter m_writer;
    uint32_t m_objects = 0;
};
