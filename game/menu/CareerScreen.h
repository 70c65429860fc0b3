#pragma once
#include <CEGUI/String.h>

#include <cstdint>
#include <string>
#include <unordered_map>

class Application;
class ProfileStore;
class TextTable;
namespace CEGUI {
class Window;
}

// The career of the current profile's class: its races with their game kind
// and the player's result, the kudos, and the ways to the shop and the next
// race. The menu and the race each build one over "Career.layout" and handle
// its buttons themselves.
class CareerScreen {
public:
    static constexpr int kRows = 16;

    // Loads the layout, hidden, under the application's GUI root.
    explicit CareerScreen(Application* application);
    ~CareerScreen();
    CareerScreen(const CareerScreen&) = delete;
    CareerScreen& operator=(const CareerScreen&) = delete;

    // Brings the screen up to the profile store: the header with the class,
    // the fixed texts, Start only while the game is not over, the shop only
    // with kudos to spend, and a row for each of the class's first sixteen
    // races with its game kind and the player's place (the next race in
    // gold).
    void refresh();

    // The career's title for a class: "Career - 50 ccm" in the current
    // language (the class left out when it is not 0, 1 or 2).
    static CEGUI::String header(const TextTable& texts, int32_t ccm);

    CEGUI::Window* root() const { return m_root; }
    CEGUI::Window* backButton() const { return m_btnBack; }
    CEGUI::Window* shopButton() const { return m_btnShop; }
    CEGUI::Window* startButton() const { return m_btnStart; }
    // Every window the screen looked up, by path.
    const std::unordered_map<std::string, CEGUI::Window*>& windows() const { return m_windows; }

private:
    CEGUI::Window* m_root;
    CEGUI::Window* m_lblBack;
    CEGUI::Window* m_btnBack;
    CEGUI::Window* m_btnShop;
    CEGUI::Window* m_lblStart;
    CEGUI::Window* m_btnStart;
    CEGUI::Window* m_lblHeader;
    CEGUI::Window* m_lblKudos;
    CEGUI::Window* m_lblTrack[kRows];
    CEGUI::Window* m_lblGame[kRows];
    CEGUI::Window* m_lblRank[kRows];
    Application* m_application;
    TextTable* m_textTable;
    ProfileStore* m_profileStore;
    std::unordered_map<std::string, CEGUI::Window*> m_windows;
};
