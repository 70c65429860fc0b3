#pragma once
#include "engine/scene/AnimatedValue.h"

#include <memory>

class Channel;

// A deep copy of a channel (envelope keys, or a mixer with copies of every
// entry's channel), so that a copied item never shares a channel that both
// copies would delete. Null for null.
std::unique_ptr<Channel> copyChannel(Channel* channel);

// Copies the value, its name and a deep copy of its channel.
void copyAnimatedValue(AnimatedValue& to, const AnimatedValue& from);
