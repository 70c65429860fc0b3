#pragma once
#include <cstdint>
#include <string>
#include <vector>

class AnimatedValue;
class MixerChannel;
class SceneObject;

// One motion of the motion mixer: per recorded item channel, the mixer
// channel it plays on and the index of its entry there.
struct MixerMotion {
    void addChannel(MixerChannel* channel, uint32_t entryIndex)
    {
        channels.push_back(channel);
        entryIndices.push_back(entryIndex);
    }

    // The channels belong to the items' animated values.
    std::vector<MixerChannel*> channels;
    std::vector<uint32_t> entryIndices;
    std::string name;
};

// An actor of the motion mixer: a named group of items and the motions
// recorded for it. `items` and `itemNames` always have the same length.
struct MixerActor {
    // The item added under exactly that name, or null.
    SceneObject* findItem(const std::string& itemName) const
    {
        for (size_t i = 0; i < items.size(); ++i)
            if (itemNames[i] == itemName)
                return items[i];
        return nullptr;
    }

    // Owned by the scene's record list.
    std::vector<MixerMotion*> motions;
    std::string name;
    std::vector<SceneObject*> items;
    std::vector<std::string> itemNames;
};

// The value's channel as a mixer; null when it has none or another kind.
MixerChannel* mixerChannelOf(AnimatedValue& value);
