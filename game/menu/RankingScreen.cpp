#include "game/menu/RankingScreen.h"

#include "game/app/Application.h"
#include "game/app/TextTable.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/ScreenManifest.h"

#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

RankingScreen::RankingScreen(Application* application)
    : m_textTable(application->m_textTable), m_profileStore(application->m_profileStore)
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

void RankingScreen::fill(const int32_t*, const int32_t*)
{
    m_btnContinue->setEnabled(!m_profileStore || !m_profileStore->isGameOver());
    m_lblBack->setText(m_textTable->getText(1080));
    m_lblContinue->setText(m_textTable->getText(1070));
    m_lblHeader->setText(CareerScreen::header(*m_textTable, m_profileStore ? m_profileStore->getCcm() : 0));
}
