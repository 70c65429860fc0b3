#include "engine/core/texture/AnimatedTexture.h"

#include <algorithm>
#include <cmath>

AnimatedTexture::AnimatedTexture(Renderer* owner) : Texture(owner) {}

std::unique_ptr<Texture> AnimatedTexture::clone() const
{
    auto copy = std::make_unique<AnimatedTexture>(m_owner);
    copyConfigurationTo(*copy);
    copy->m_firstFrame = m_firstFrame;
    copy->m_lastFrame = m_lastFrame;
    copy->m_frameOffset = m_frameOffset;
    copy->m_behaviour = m_behaviour;
    return copy;
}

void AnimatedTexture::create()
{
    if (m_created)
        return;
    m_created = 1;
    for (const std::unique_ptr<Texture>& frame : m_frames)
        if (frame)
            frame->create();
}

void AnimatedTexture::setFlags(uint32_t flags)
{
    Texture::setFlags(flags);
    for (const std::unique_ptr<Texture>& frame : m_frames)
        if (frame)
            frame->setFlags(flags);
}

void AnimatedTexture::onResetDevice()
{
    for (const std::unique_ptr<Texture>& frame : m_frames)
        if (frame)
            frame->onResetDevice();
}

void AnimatedTexture::onLostDevice()
{
    for (const std::unique_ptr<Texture>& frame : m_frames)
        if (frame)
            frame->onLostDevice();
}

int32_t AnimatedTexture::frameIndex(double time) const
{
    const int64_t count64 = int64_t(m_lastFrame) - m_firstFrame + 1;
    const int64_t tableSize = std::min<int64_t>(count64, int64_t(m_frames.size()));
    if (count64 <= 0 || tableSize <= 0)
        return -1;
    const uint32_t count = uint32_t(count64);
    const uint32_t last = count - 1;
    // The frame number is taken modulo 2^32, as the unsigned subtraction of
    // the offset does; times far outside any scene saturate instead of
    // overflowing the conversion.
    const double frames = std::trunc(double(m_rate) * time);
    const int64_t whole = std::isfinite(frames) ? int64_t(std::clamp(frames, -2147483648.0, 2147483647.0)) : 0;
    uint32_t f = uint32_t(int32_t(whole)) - uint32_t(m_frameOffset);
    switch (m_behaviour) {
    case BehaviourStop:
        // Back to the start of the sequence: the first entry of the table,
        // whatever number the sequence's first file has.
        if (f > last)
            f = 0;
        break;
    case BehaviourHold:
        if (f > last)
            f = last;
        break;
    case BehaviourRepeat:
        f %= count;
        break;
    case BehaviourPingPong: {
        const uint32_t q = f / count;
        const uint32_t r = f % count;
        f = (q & 1) ? r : last - r;
        break;
    }
    default:
        break;
    }
    // Any behaviour, known or not, ends inside the table.
    int64_t index = std::min<int64_t>(f, tableSize - 1);
    while (index >= 0 && !m_frames[size_t(index)])
        --index;
    return int32_t(index);
}

IDirect3DTexture9* AnimatedTexture::getD3DTexture(double time)
{
    const int32_t index = frameIndex(time);
    return index < 0 ? nullptr : m_frames[size_t(index)]->getD3DTexture(0.0);
}
