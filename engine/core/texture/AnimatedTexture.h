#pragma once
#include "engine/core/texture/Texture.h"

// A numbered image sequence played by time: each frame is a texture of its
// own (null where the sequence has a gap), chosen by the time, the rate and
// the playing behaviour.
class AnimatedTexture : public Texture {
public:
    enum Behaviour : int32_t {
        BehaviourStop = 1,      // past the end: back to the first frame
        BehaviourHold = 2,      // past the end: hold the last frame
        BehaviourRepeat = 4,    // loop
        BehaviourPingPong = 256 // forwards and backwards
    };

    explicit AnimatedTexture(Renderer* owner);

    std::unique_ptr<Texture> clone() const override;
    void create() override;
    IDirect3DTexture9* getD3DTexture(double time) override;
    int32_t kind() const override { return TextureKindAnimated; }
    void setFlags(uint32_t flags) override;
    void onResetDevice() override;
    void onLostDevice() override;

    // The frame table's index shown at `time`, after stepping back over
    // missing frames; -1 when no frame at or before it exists.
    int32_t frameIndex(double time) const;

    std::vector<std::unique_ptr<Texture>> m_frames;
    int32_t m_firstFrame = 0;
    int32_t m_lastFrame = 0;
    int32_t m_frameOffset = 0;
    int32_t m_behaviour = BehaviourRepeat;
};
