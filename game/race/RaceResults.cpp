// The end of a race: the karts still under way get estimated times, every
// kart is ranked, a career race books its ranks, times, kudos and season
// points into the profile, a single player's time goes into the highscores,
// and the results dialog shows the order.
#include "game/race/Race.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/RaceSetup.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"
#include "game/race/Kart.h"
#include "game/race/RaceScoring.h"

#include "engine/core/math/Random.h"

#include <CEGUI/Window.h>

namespace {

// A race over without a results dialog (no GUI) leaves for the menu this
// long after it was over.
constexpr double kLeaveAfterSeconds = 3.0;

// The audio variable that chooses the music: the results' tune.
constexpr uint32_t kMusicVariable = 7;
constexpr float kResultsMusic = -2.0f;

// A coin race pays the computer drivers for coins they are not counted for.
constexpr int kComputerCoinsModulo = 13;


} // namespace

float Race::careerTargetTime() const
{
    if (!m_app || !m_setup)
        return 0.0f;
    const std::vector<float>& times = m_app->m_config.careerTimes(m_setup->ccm);
    const int32_t r = m_setup->careerRace;
    return r >= 0 && size_t(r) < times.size() ? times[size_t(r)] : 0.0f;
}

void Race::showResults()
{
    if (m_countdownPhase == 6) {
        if (!m_resultsWindow && raceClock() - m_overTime >= kLeaveAfterSeconds)
            m_result = 1;
        return;
    }
    if (m_countdownPhase != 0)
        return;
    m_countdownPhase = 6;
    m_overTime = raceClock();
    if (!m_abandoned && m_setup->gameType != LastManStanding)
        finishRemainingKarts();
    storeResults();

    const bool timedRun = m_setup->gameType == TimedRun;
    const float target = careerTargetTime();
    for (int32_t i = 0; i < m_kartCount; ++i) {
        const Kart& kart = *m_karts[i];
        if (kart.m_rank < 0 || kart.m_rank >= kMaxKarts || !m_resultsTime[kart.m_rank])
            continue;
        m_resultsTime[kart.m_rank]->setText(
            scoring::resultTime(kart.m_finishTime, m_abandoned != 0, timedRun, target));
        m_resultsName[kart.m_rank]->setText(gui::text(m_setup->playerName[i]));
    }
    if (m_resultsWindow) {
        m_resultsWindow->show();
        m_resultsWindow->setModalState(true);
        m_resultsWindow->activate();
    }
    if (m_app) {
        m_app->m_soundOff = 1;
        m_app->stopCategory(1);
    }
}

void Race::finishRemainingKarts()
{
    if (m_kartCount < 1)
        return;
    float latest = m_karts[0]->m_finishTime;
    for (int32_t i = 1; i < m_kartCount; ++i)
        if (m_karts[i]->m_finished && m_karts[i]->m_finishTime > latest)
            latest = m_karts[i]->m_finishTime;

    scoring::Unfinished unfinished[kMaxKarts];
    int32_t indices[kMaxKarts];
    int32_t count = 0;
    for (int32_t i = 0; i < m_kartCount; ++i) {
        const Kart& kart = *m_karts[i];
        if (kart.m_finished)
            continue;
        unfinished[count] = {kart.m_lap, positionValue(kart.m_position)};
        indices[count++] = i;
    }
    float times[kMaxKarts];
    scoring::estimateFinishTimes(latest, m_setup->laps, unfinished, count, times, engineRand);
    for (int32_t n = 0; n < count; ++n) {
        Kart& kart = *m_karts[indices[n]];
        kart.m_finishTime = times[n];
        // Marked finished as the other machines mark it on the announcement,
        // so that crossing the line later cannot change the time booked.
        kart.m_finished = 1;
        kart.sendFinish();
    }
}

void Race::storeResults()
{
    float times[kMaxKarts];
    int32_t order[kMaxKarts];
    int32_t rank[kMaxKarts];
    for (int32_t i = 0; i < m_kartCount; ++i)
        times[i] = m_karts[i]->m_finishTime;
    scoring::rankByTime(times, m_kartCount, m_setup->gameType == LastManStanding, order, rank);
    // A race given up keeps the order the give-up left: the player last.
    if (!m_abandoned)
        for (int32_t i = 0; i < m_kartCount; ++i)
            m_karts[i]->m_rank = rank[i];

    ProfileStore* store = m_app ? m_app->m_profileStore : nullptr;
    const int32_t ccm = m_setup->ccm;
    const int32_t race = m_setup->careerRace;
    if (m_setup->mode == 3 && store && ccm >= 0 && ccm < ProfileStore::kClasses && race >= 0 &&
        race < ProfileStore::kRaces) {
        const float target = careerTargetTime();
        for (int32_t p = 0; p < m_kartCount; ++p) {
            const Kart& kart = *m_karts[p];
            store->setRank(p, ccm, race, kart.m_rank);
            store->setTime(p, ccm, race, kart.m_finishTime);
            int32_t kudos = store->getKudos(p);
            int32_t points = store->getSeasonPoints(p, ccm);
            if (!m_abandoned) {
                int32_t coins = 0;
                if (m_setup->gameType == CoinRace)
                    coins = p == 0 ? m_karts[0]->m_coins : engineRand() % kComputerCoinsModulo;
                const scoring::Award award =
                    scoring::careerAward(m_setup->gameType, kart.m_rank, coins, target - kart.m_finishTime);
                kudos += award.kudos;
                points += award.seasonPoints;
            }
            store->setKudos(p, kudos);
            store->setSeasonPoints(p, ccm, points);
        }
    }

    Highscores* highscores = m_app ? m_app->m_highscores : nullptr;
    if (m_setup->mode == 0 && highscores && m_kartCount > 0) {
        m_setup->highscoreSlot = -1;
        HighscoreTable* table = nullptr;
        if (m_setup->gameType == SingleRace) {
            table = highscores->table(ccm, m_app->m_config.singleRaceTrackIndex(m_setup->level), m_setup->laps);
        } else if (m_setup->gameType == LastManStanding) {
            // Each arena of the track list has its table; a track beyond the
            // three goes to the first.
            const int32_t arena = m_app->m_config.lastManStandingTrackIndex(m_setup->level);
            table = highscores->extraTable(ccm, arena >= 0 && arena < Highscores::kArenas ? arena : 0);
        }
        if (table) {
            const int32_t player = m_viewKart[0];
            const HighscoreEntry entry(m_setup->kartName[player], m_setup->playerName[player], 0,
                                       m_karts[player]->m_finishTime, 0);
            m_setup->highscoreSlot = table->insert(entry);
            if (m_setup->highscoreSlot != -1)
                highscores->save();
        }
    }
    if (m_app)
        m_app->setGlobalVariable(kMusicVariable, kResultsMusic);
}
