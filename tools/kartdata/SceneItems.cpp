#include "tools/kartdata/SceneItems.h"

SceneItems::SceneItems(int lastFrame)
{
    m_writer.key("FirstFrame", {0}).key("LastFrame", {double(lastFrame)}).key("FramesPerSecond", {30});
}

uint32_t SceneItems::addNull(const std::string& name)
{
    const uint32_t id = next();
    m_writer.addNullObject(name);
    ++m_objects;
    return id;
}

uint32_t SceneItems::loadLayer(const std::string& file, uint32_t layer)
{
    const uint32_t id = next();
    // The file counts layers from 1.
    m_writer.loadObjectLayer(int32_t(layer) + 1, file);
    ++m_objects;
    return id;
}

SceneItems& SceneItems::parent(uint32_t id)
{
    m_writer.key("ParentItem", {LwsWriter::itemId(id)});
    return *this;
}

SceneItems& SceneItems::place(Vec position, Vec angles, Vec scale)
{
    const float values[9] = {position.x, position.y, position.z, angles.x, angles.y, angles.z,
                             scale.x,    scale.y,    scale.z};
    std::vector<LwsChannel> channels;
    for (int32_t c = 0; c < 9; ++c)
        channels.push_back({c, constant(values[c])});
    return motion(channels);
}

SceneItems& SceneItems::motion(const std::vector<LwsChannel>& channels)
{
    m_writer.motion("ObjectMotion", channels);
    return *this;
}

LwsEnvelope SceneItems::constant(float value)
{
    LwsEnvelope e;
    e.keys.push_back({value, 0.0f, 0, {}});
    return e;
}
