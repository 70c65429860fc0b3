#include "game/menu/CareerScreen.h"

#include "game/app/Application.h"
#include "game/app/TextTable.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/ScreenManifest.h"

#include <CEGUI/PropertyHelper.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

CareerScreen::CareerScreen(Application* application)
    : m_application(application), m_textTable(application->m_textTable), m_profileStore(application->m_profileStore)
{
    LoadedScreen screen = loadScreenLayout(screenManifest("Career.layout"));
    m_root = screen.root;
    m_windows = screen.windows;
    m_lblBack = m_windows.at("Career/LblBack");
    m_btnBack = m_windows.at("Career/BtnBack");
    m_lblStart = m_windows.at("Career/LblStart");
    m_btnStart = m_windows.at("Career/BtnStart");
    m_btnShop = m_windows.at("Career/BtnShop");
    m_lblHeader = m_windows.at("Career/LblHeader");
    m_lblKudos = m_windows.at("Career/LblKudos");
    for (int i = 0; i < kRows; ++i) {
        m_lblTrack[i] = screen.row("Career/LblTrack", i + 1);
        m_lblGame[i] = screen.row("Career/LblGame", i + 1);
        m_lblRank[i] = screen.row("Career/LblRank", i + 1);
    }
    application->m_rootWindow->addChild(m_root);
}

CareerScreen::~CareerScreen()
{
    CEGUI::WindowManager::getSingleton().destroyWindow(m_root);
}

CEGUI::String CareerScreen::header(const TextTable& texts, int32_t ccm)
{
    CEGUI::String header = texts.getText(5000);
    if (ccm >= 0 && ccm <= 2)
        header += " - " + texts.getText(2000 + 10 * ccm);
    return header;
}

void CareerScreen::refresh()
{
    const int32_t ccm = m_profileStore ? m_profileStore->getCcm() : 0;
    m_btnStart->setEnabled(!m_profileStore || !m_profileStore->isGameOver());
    m_btnShop->setEnabled(m_profileStore && m_profileStore->getKudos(0) > 0);
    m_btnShop->setText(m_textTable->getText(2050));
    m_lblBack->setText(m_textTable->getText(1080));
    m_lblStart->setText(m_textTable->getText(1070));
    m_lblHeader->setText(header(*m_textTable, ccm));
    const int32_t kudos = m_profileStore ? m_profileStore->getKudos(0) : 0;
    m_lblKudos->setText(CEGUI::PropertyHelper<int32_t>::toString(kudos) + " " + m_textTable->getText(2040));

    const std::vector<std::string>& tracks = m_application->m_config.careerTracks(ccm);
    const std::vector<int32_t>& games = m_application->m_config.careerGames(ccm);
    const int32_t current = m_profileStore ? m_profileStore->getLevel(ccm) : 0;
    for (int i = 0; i < kRows; ++i) {
        CEGUI::Window* row[3] = {m_lblTrack[i], m_lblGame[i], m_lblRank[i]};
        const bool shown = size_t(i) < tracks.size();
        for (CEGUI::Window* w : row)
            w->setVisible(shown);
        if (!shown)
            continue;
        const LevelInfo* level = m_application->findLevel(tracks[size_t(i)]);
        m_lblTrack[i]->setText(level ? m_textTable->getText(level->menutext) : CEGUI::String());
        // A kind the game does not know keeps the text it had.
        static const int32_t kGameTexts[4] = {5015, 5040, 5030, 5020};
        const int32_t game = size_t(i) < games.size() ? games[size_t(i)] : -1;
        if (game >= 0 && game <= 3)
            m_lblGame[i]->setText(m_textTable->getText(kGameTexts[game]));
        const int32_t rank = m_profileStore ? m_profileStore->getRank(0, ccm, i) : -1;
        m_lblRank[i]->setText(m_textTable->getText(rank == -1 ? 7070 : 7000 + 10 * rank));
        const char* colours = i == current ? "tl:FFFFEC18 tr:FFFFEC18 bl:FFFFEC18 br:FFFFEC18"
                                           : "tl:FFFFFFFF tr:FFFFFFFF bl:FFFFFFFF br:FFFFFFFF";
        for (CEGUI::Window* w : row)
            w->setProperty("TextColours", colours);
    }
}
