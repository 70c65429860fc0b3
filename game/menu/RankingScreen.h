#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

class Application;
class ProfileStore;
class TextTable;
namespace CEGUI {
class Window;
}

// The season's table of the seven drivers of the current profile's class.
// The menu and the race each build one over "Ranking.layout" and handle its
// buttons themselves.
class RankingScreen {
public:
    static constexpr int kRows = 7;

    explicit RankingScreen(Application* application);
    ~RankingScreen();
    RankingScreen(const RankingScreen&) = delete;
    RankingScreen& operator=(const RankingScreen&) = delete;

    // Brings the screen up to the profile store: the header with the class,
    // the fixed texts, Continue only while the game is not over. The arrays
    // are the seven drivers' season points and kudos before the race just
    // run, or null when no race came before; a driver who gained shows the
    // gain beside the total.
    void fill(const int32_t* pointsBefore = nullptr, const int32_t* kudosBefore = nullptr);

    CEGUI::Window* root() const { return m_root; }
    CEGUI::Window* backButton() const { return m_btnBack; }
    CEGUI::Window* continueButton() const { return m_btnContinue; }
    const std::unordered_map<std::string, CEGUI::Window*>& windows() const { return m_windows; }

private:
    CEGUI::Window* m_root;
    CEGUI::Window* m_lblBack;
    CEGUI::Window* m_btnBack;
    CEGUI::Window* m_lblContinue;
    CEGUI::Window* m_btnContinue;
    CEGUI::Window* m_lblHeader;
    CEGUI::Window* m_imgKart[kRows];
    CEGUI::Window* m_lblName[kRows];
    CEGUI::Window* m_lblTime[kRows];
    CEGUI::Window* m_lblPoints[kRows];
    CEGUI::Window* m_lblKudos[kRows];
    Application* m_application;
    TextTable* m_textTable;
    ProfileStore* m_profileStore;
    std::unordered_map<std::string, CEGUI::Window*> m_windows;
};
