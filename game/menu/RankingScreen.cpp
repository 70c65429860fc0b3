#include "game/menu/RankingScreen.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/TextTable.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/ScreenManifest.h"
#include "game/race/RaceScoring.h"

#include <CEGUI/PropertyHelper.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <cstdio>

RankingScreen::RankingScreen(Application* application)
    : m_application(application), m_textTable(application->m_textTable), m_profileStore(application->m_profileStore)
{
    LoadedScreen screen = loadScreenLayout(screenManifest("Ranking.layout"));
    m_root = screen.root;
    m_windows = screen.windows;
    m_lblHeader = m_windows.at("Ranking/LblHeader");
    m_lblBack = m_windows.at("Ranking/LblBack");
    m_btnBack = m_windows.at("Ranking/BtnBack");
    m_lblContinue = m_windows.at("Ranking/LblContinue");
    m_btnContinue = m_windows.at("Ranking/BtnContinue");
    for (int r = 0; r < kRows; ++r) {
        m_imgKart[r] = screen.row("Ranking/ImgKart", r + 1);
        m_lblName[r] = screen.row("Ranking/LblName", r + 1);
        m_lblTime[r] = screen.row("Ranking/LblTime", r + 1);
        m_lblPoints[r] = screen.row("Ranking/LblPoints", r + 1);
        m_lblKudos[r] = screen.row("Ranking/LblKudos", r + 1);
    }
    application->m_rootWindow->addChild(m_root);
}

RankingScreen::~RankingScreen()
{
    CEGUI::WindowManager::getSingleton().destroyWindow(m_root);
}

void RankingScreen::fill(const int32_t* pointsBefore, const int32_t* kudosBefore)
{
    const int32_t ccm = m_profileStore ? m_profileStore->getCcm() : 0;
    m_btnContinue->setEnabled(!m_profileStore || !m_profileStore->isGameOver());
    m_lblBack->setText(m_textTable->getText(1080));
    m_lblContinue->setText(m_textTable->getText(1070));
    m_lblHeader->setText(CareerScreen::header(*m_textTable, ccm));
    if (!m_profileStore)
        return;
    const ProfileStore& store = *m_profileStore;

    struct Record {
        int32_t player, points, pointsBefore, kudos, kudosBefore;
        float time;
    };
    Record records[kRows];
    for (int32_t p = 0; p < kRows; ++p)
        records[p] = {p,
                      store.getSeasonPoints(p, ccm),
                      pointsBefore ? pointsBefore[p] : 0,
                      store.getKudos(p),
                      kudosBefore ? kudosBefore[p] : 0,
                      store.getTotalTime(p, ccm)};
    // Points down, then time up; of two drivers equal in both the one
    // further down the profile's list stands first.
    for (int32_t i = 1; i < kRows; ++i) {
        const Record r = records[i];
        int32_t j = i;
        for (; j > 0; --j) {
            const Record& above = records[j - 1];
            if (r.points > above.points || (r.points == above.points && r.time <= above.time))
                records[j] = above;
            else
                break;
        }
        records[j] = r;
    }

    for (int32_t row = 0; row < kRows; ++row) {
        const Record& r = records[row];
        const KartInfo* kart = m_application->findKart(store.getKart(r.player));
        m_imgKart[row]->setProperty("Image", gui::text(gui::imageOr("PortraitsSmall", kart ? kart->menuimage : std::string(), "Blanko")));
        m_lblName[row]->setText(gui::text(store.getName(r.player)));
        m_lblTime[row]->setText(scoring::formatTime(r.time).c_str());
        CEGUI::String points = CEGUI::PropertyHelper<int32_t>::toString(r.points) + " " + m_textTable->getText(8500);
        if (pointsBefore && r.points > r.pointsBefore)
            points += " (+" + CEGUI::PropertyHelper<int32_t>::toString(r.points - r.pointsBefore) + ")";
        m_lblPoints[row]->setText(points);
        CEGUI::String kudos = "$" + CEGUI::PropertyHelper<int32_t>::toString(r.kudos);
        if (kudosBefore && r.kudos > r.kudosBefore)
            kudos += " (+$" + CEGUI::PropertyHelper<int32_t>::toString(r.kudos - r.kudosBefore) + ")";
        m_lblKudos[row]->setText(kudos);
    }
}
