// The motion mixer block: actors with their items, and motions whose
// recorded envelopes become entries of mixer channels on the items' motion
// channels and morph weights. Its blocks are "{ Name" ... "}"; a key the
// reader does not know is skipped with its block.
#include "engine/lightwave/LwsLoader.h"

#include "engine/lightwave/LwsWords.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/MixerChannel.h"
#include "engine/scene/MixerRecords.h"
#include "engine/scene/Scene.h"

#include <array>

namespace {

constexpr std::array<const char*, MotionChannelCount> ChannelNames = {
    "Position.X", "Position.Y", "Position.Z", "Rotation.H", "Rotation.P",
    "Rotation.B", "Scale.X",    "Scale.Y",    "Scale.Z",
};

// The animated value of the item that a recorded channel drives; null when
// the item has no such channel.
AnimatedValue* targetOf(SceneObject* item, std::string_view channel)
{
    if (!item)
        return nullptr;
    for (size_t i = 0; i < ChannelNames.size(); ++i)
        if (channel == ChannelNames[i])
            return &item->m_motion[i];
    const uint32_t type = item->m_itemType;
    if (type == ItemMesh || type == ItemCollision || type == ItemOdeJoint)
        return static_cast<MeshObject*>(item)->findByName(std::string(channel));
    return nullptr;
}

} // namespace

// The reader keeps its place in the block levels with one rule: the next
// key is the next token, a lone "{" before it skipped; "}" ends the level;
// an unknown key that opened a block ("{ Name") is skipped with the block,
// any other unknown token alone.
namespace {

struct Level {
    LwsTokens& t;

    // The next key, or empty at the level's end.
    std::string_view nextKey()
    {
        if (t.atEnd())
            return {};
        const std::string_view key = t.nextBlockToken();
        return key == LwsWords::Close ? std::string_view() : key;
    }
    void skipUnknown()
    {
        if (t.at(int64_t(t.cursor()) - 2) == LwsWords::Open)
            t.skipBlock();
    }
};

} // namespace

void LwsLoader::readMotionMixer()
{
    LwsTokens& t = m_tokens;
    if (t.peek() == LwsWords::Open && t.peek(1) == LwsWords::MotionMixer)
        t.advance(2);
    Level top{t};
    for (std::string_view key = top.nextKey(); !key.empty(); key = top.nextKey()) {
        if (key == "Prefs")
            t.advance(1);
        else if (key == "Actor")
            readMixerActor();
        else
            top.skipUnknown();
    }
}

void LwsLoader::readMixerActor()
{
    LwsTokens& t = m_tokens;
    MixerActor* actor = nullptr;
    Level level{t};
    for (std::string_view key = level.nextKey(); !key.empty(); key = level.nextKey()) {
        if (key == "AddActor") {
            actor = m_scene.addMixerActor(std::string(t.next()));
        } else if (key == "ActorState" || key == "ActorPoseFrame") {
            t.advance(1);
        } else if (key == "ActorItems") {
            std::string pending;
            Level items{t};
            for (std::string_view k = items.nextKey(); !k.empty(); k = items.nextKey()) {
                if (k == "ItemName") {
                    pending = std::string(t.next());
                } else if (k == "ItemAdd") {
                    const uint32_t id = t.nextItemId();
                    SceneObject* item = id ? resolveItemId(id) : nullptr;
                    if (actor && item) {
                        actor->items.push_back(item);
                        actor->itemNames.push_back(pending);
                    }
                } else if (k == "ItemLock") {
                    t.advance(1);
                } else {
                    items.skipUnknown();
                }
            }
        } else if (key == "ActorMotions") {
            Level motions{t};
            for (std::string_view k = motions.nextKey(); !k.empty(); k = motions.nextKey()) {
                if (k == "AddMotion") {
                    auto motion = std::make_unique<MixerMotion>();
                    MixerMotion* current = motion.get();
                    m_scene.m_mixerRecords.push_back(std::move(motion));
                    if (actor)
                        actor->motions.push_back(current);
                    readMixerMotion(actor, current);
                } else {
                    motions.skipUnknown();
                }
            }
        } else {
            level.skipUnknown();
        }
    }
}

void LwsLoader::readMixerMotion(MixerActor* actor, MixerMotion* motion)
{
    LwsTokens& t = m_tokens;
    Level level{t};
    for (std::string_view key = level.nextKey(); !key.empty(); key = level.nextKey()) {
        if (key == "MotionActor" || key == "NumberOfItems") {
            t.advance(1);
        } else if (key == "MotionName") {
            motion->name = std::string(t.next());
        } else if (key == "MotionRange") {
            t.advance(2);
        } else if (key == "MotionFrames") {
            const double first = t.nextFloat();
            const double last = t.nextFloat();
            if (m_scene.m_framesPerSecond > 0.0)
                for (MixerChannel* channel : motion->channels)
                    channel->loopLength = float((last - first) / m_scene.m_framesPerSecond);
        } else if (key == "Item") {
            SceneObject* item = nullptr;
            Level itemLevel{t};
            for (std::string_view k = itemLevel.nextKey(); !k.empty(); k = itemLevel.nextKey()) {
                if (k == "ItemName") {
                    const std::string name(t.next());
                    item = actor ? actor->findItem(name) : nullptr;
                } else if (k == "ItemState" || k == "ItemChannels") {
                    t.advance(1);
                } else if (k == "Channel") {
                    readMixerChannel(item, motion);
                } else {
                    itemLevel.skipUnknown();
                }
            }
        } else {
            level.skipUnknown();
        }
    }
}

void LwsLoader::readMixerChannel(SceneObject* item, MixerMotion* motion)
{
    LwsTokens& t = m_tokens;
    std::string name;
    Level level{t};
    for (std::string_view key = level.nextKey(); !key.empty(); key = level.nextKey()) {
        if (key == "ChannelName") {
            name = std::string(t.next());
        } else if (key == "ChannelType" || key == "ChannelState") {
            t.advance(1);
        } else if (key == LwsWords::Envelope) {
            // Back onto the "{" that opened the envelope block.
            if (t.at(int64_t(t.cursor()) - 2) == LwsWords::Open)
                t.advance(-2);
            std::unique_ptr<Envelope> envelope = readEnvelopeBlock(false);
            t.advance(1);
            AnimatedValue* target = targetOf(item, name);
            if (!target)
                continue;
            MixerChannel* mixer = createMixerChannel(*target);
            mixer->addEntry(std::move(envelope));
            motion->addChannel(mixer, uint32_t(mixer->entryCount() - 1));
        } else {
            level.skipUnknown();
        }
    }
}
