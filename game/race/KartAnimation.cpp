// The driver's animations blended over the race clock, the kart's finish and
// its reset before a race.
#include "game/race/Kart.h"

#include "engine/scene/MixerChannel.h"
#include "engine/scene/MixerRecords.h"
#include "engine/scene/SceneObject.h"
#include "game/app/RaceSetup.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"

namespace {

double raceClock()
{
    const Race* race = Race::current();
    return race ? race->raceClock() : 0.0;
}

bool raceStarted()
{
    const Race* race = Race::current();
    return race && race->m_started;
}

bool validAnimation(int32_t id)
{
    return id >= 0 && id < Kart::kAnimations;
}

} // namespace

void Kart::writeAnimation(int32_t id)
{
    MixerMotion* motion = m_animation[id];
    if (!motion)
        return;
    const float weight = m_animationWeight[id] * m_animationLevel[id];
    for (size_t k = 0; k < motion->channels.size() && k < motion->entryIndices.size(); ++k) {
        MixerChannel* channel = motion->channels[k];
        const uint32_t entry = motion->entryIndices[k];
        if (channel && entry < channel->entries.size())
            channel->entries[entry].weight = weight;
    }
}

void Kart::playAnimation(int32_t id, float weight, float fadeIn, float fadeOut, float hold, bool takeStart,
                         bool send, bool exclusive)
{
    if (!validAnimation(id))
        return;
    if (exclusive)
        m_exclusiveAnimation = id;
    if (id == AnimFall)
        setLayersVisible(false);
    AnimationEnvelope& e = m_envelope[id];
    const float now = float(raceClock());
    bool restart = !e.active;
    if (e.active) {
        const float t = now - e.start;
        if (t >= e.fadeIn + e.hold + e.fadeOut) {
            e.start = now;
            restart = true;
        } else if (e.fadeIn + e.hold <= t) {
            // Falling: the new rise starts from the level reached, so the
            // blend never jumps.
            const float level = 1.0f - (t - e.fadeIn - e.hold) / e.fadeOut;
            e.start = now - fadeIn * level;
            restart = true;
        }
    } else {
        e.start = now;
    }
    if (restart) {
        e.fadeIn = fadeIn;
        e.fadeOut = fadeOut;
        e.hold = hold;
        e.active = 1;
    }
    m_animationWeight[id] = weight;
    if (MixerMotion* motion = m_animation[id]; motion && takeStart)
        for (size_t k = 0; k < motion->channels.size() && k < motion->entryIndices.size(); ++k) {
            MixerChannel* channel = motion->channels[k];
            const uint32_t entry = motion->entryIndices[k];
            if (channel && entry < channel->entries.size())
                channel->entries[entry].startTime = e.start;
        }
    writeAnimation(id);
    if (send && raceStarted())
        sendAnimationStart(id, takeStart, weight, fadeIn, fadeOut, hold);
}

void Kart::endAnimation(int32_t id, float fadeOut, bool send)
{
    if (!validAnimation(id) || !m_envelope[id].active)
        return;
    AnimationEnvelope& e = m_envelope[id];
    const float now = float(raceClock());
    const float t = now - e.start;
    if (t < e.fadeIn) {
        if (fadeOut != -1.0f)
            e.fadeOut = fadeOut;
        // Rising: the fall starts from the level reached.
        e.start = now - e.fadeIn - e.hold - e.fadeOut * (1.0f - t / e.fadeIn);
    } else if (t < e.fadeIn + e.hold) {
        if (fadeOut != -1.0f)
            e.fadeOut = fadeOut;
        e.start = now - e.fadeIn - e.hold;
    }
    if (send && raceStarted())
        sendAnimationEnd(id, fadeOut);
}

void Kart::updateAnimations(float time, float frameTime)
{
    KartController* c = m_controller;
    if (m_gear == 1 && c) {
        if (c->m_steerLeft != 0.0f)
            playAnimation(AnimSteerLeft, 5.0f, 0.1f, 0.1f, 10000.0f, false, true, false);
        else
            endAnimation(AnimSteerLeft, -1.0f, true);
        if (c->m_steerRight != 0.0f)
            playAnimation(AnimSteerRight, 5.0f, 0.1f, 0.1f, 10000.0f, false, true, false);
        else
            endAnimation(AnimSteerRight, -1.0f, true);
    }
    if (m_finished) {
        if (m_rank == 0 && !m_envelope[AnimWinner].active) {
            playAnimation(AnimWinner, 1.0f, 0.1f, 0.1f, 10000.0f, false, true, true);
            if (c && c->getType() == KartController::Human)
                playCue(20);
        } else if (m_rank > 0 && !m_envelope[AnimLoser].active) {
            playAnimation(AnimLoser, 1.0f, 0.1f, 0.1f, 10000.0f, false, true, true);
        }
    }
    for (int32_t i = 0; i < kAnimations; ++i) {
        AnimationEnvelope& e = m_envelope[i];
        if (!e.active)
            continue;
        float level;
        if (m_exclusiveAnimation != -1 && m_exclusiveAnimation != i) {
            level = 0.0f;
        } else {
            const float t = time - e.start;
            if (t < e.fadeIn) {
                level = t / e.fadeIn;
            } else if (t < e.fadeIn + e.hold) {
                level = 1.0f;
            } else if (t < e.fadeIn + e.hold + e.fadeOut) {
                level = 1.0f - (t - e.fadeIn - e.hold) / e.fadeOut;
            } else {
                e.active = 0;
                level = 0.0f;
                if (m_exclusiveAnimation == i)
                    m_exclusiveAnimation = -1;
                if (i == AnimFall)
                    setLayersVisible(true);
            }
        }
        if (level != m_animationLevel[i]) {
            m_animationLevel[i] = level;
            writeAnimation(i);
        }
    }
}

void Kart::onOvertake(bool overtaking, bool rightSide)
{
    m_previousRank = m_rank;
    const int32_t id = overtaking ? (rightSide ? AnimOvertakeRight : AnimOvertakeLeft)
                                  : (rightSide ? AnimOvertakenRight : AnimOvertakenLeft);
    playAnimation(id, 1.0f, 0.1f, 0.1f, 3.0f, true, true, false);
}

bool Kart::updateFinished(float raceTime, int32_t laps)
{
    if (m_finished)
        return true;
    // A kart another machine drives is timed there: it finishes here when
    // its machine says so (race message 36), with that machine's time.
    if (m_drivenElsewhere)
        return false;
    const Race* race = Race::current();
    const bool lastManStanding = race && race->m_setup && race->m_setup->gameType == Race::LastManStanding;
    if (!lastManStanding) {
        if (m_lap == laps + 1) {
            m_finished = 1;
            m_finishTime = raceTime;
            resetEffects(true);
            switchToFinishController();
        }
    } else if (energy() < 1) {
        m_finished = 1;
        m_finishTime = raceTime;
        m_gear = 0;
        resetEffects(true);
        playAnimation(AnimLoser, 1.0f, 0.1f, 0.1f, 10000.0f, false, true, false);
    }
    if (m_finished && raceStarted())
        sendFinish();
    return m_finished != 0;
}

void Kart::leaveTrack()
{
    setLayersVisible(false);
    const float away[3] = {0.0f, -500.0f, 0.0f};
    if (m_character)
        m_character->setPosition(away);
    // A remote kart's root follows its last pose.
    m_position = {away[0], away[1], away[2]};
    setPhysicsEnabled(false);
}

void Kart::switchToFinishController()
{
    KartController* next = m_finishController;
    if (!next)
        return;
    // Taken before the old one is let go: the two may be one controller.
    next->addRef();
    if (m_controller)
        m_controller->release();
    m_controller = next;
    next->m_kart = this;
    next->reset();
    if (next->getType() == KartController::Computer)
        useComputerHandling(0.0f, 0.0f);
}

void Kart::resetForRace(int32_t startRank)
{
    m_rank = m_previousRank = startRank;
    m_lap = 0;
    m_maxLap = 1;
    setEnergy(100);
    m_direction = 2;
    m_lineEntry = 0;
    m_coins = 0;
    m_powerup = -1;
    m_finished = 0;
    m_finishTime = 0.0f;
    m_lapTime = m_bestLapTime = -1.0f;
    m_lapStartTime = 0.0f;
    m_respawnRequest = 0;
    m_onRoughGround = 0;
    for (int32_t i = 0; i < kAnimations; ++i)
        endAnimation(i, 0.0f, false);
    m_gear = 0;
    m_steer = 0.0f;
    playAnimation(AnimDrive, 1.0f, 0.1f, 0.1f, 10000.0f, false, true, false);
    endAnimation(AnimReverse, -1.0f, true);
    resetEffects(true);
    if (m_controller)
        m_controller->reset();
}
