#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

class Application;
class ProfileStore;
class TextTable;
namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

// The shop, where the current profile's human player spends kudos on the
// kart: a paint, a logo, and the engine, spoiler, tyres and side skirts in
// levels 1 to 5, each bought after a question (or refused when the kudos do
// not reach). The menu and the race each build one over "Shop.layout"; the
// owner handles its Back button and draws the kart preview over ImgKart.
class ShopScreen {
public:
    // Loads the imagesets Logos and Upgrades and the layout, hidden, under
    // the application's GUI root, and subscribes every button but Back.
    explicit ShopScreen(Application* application);
    ~ShopScreen();
    ShopScreen(const ShopScreen&) = delete;
    ShopScreen& operator=(const ShopScreen&) = delete;

    // Brings the screen up to the profile store, with both dialogs closed.
    void refresh();

    CEGUI::Window* root() const { return m_root; }
    CEGUI::Window* backButton() const { return m_btnBack; }
    const std::unordered_map<std::string, CEGUI::Window*>& windows() const { return m_windows; }

private:
    bool onBuyColor(const CEGUI::EventArgs& e);
    bool onColorInc(const CEGUI::EventArgs& e);
    bool onColorDec(const CEGUI::EventArgs& e);
    bool onBuyLogo(const CEGUI::EventArgs& e);
    bool onLogoInc(const CEGUI::EventArgs& e);
    bool onLogoDec(const CEGUI::EventArgs& e);
    bool onBuyEngine(const CEGUI::EventArgs& e);
    bool onBuySpoiler(const CEGUI::EventArgs& e);
    bool onBuyTires(const CEGUI::EventArgs& e);
    bool onBuySideskirts(const CEGUI::EventArgs& e);
    bool onConfirmYes(const CEGUI::EventArgs& e);
    bool onConfirmNo(const CEGUI::EventArgs& e);
    bool onDeniedOk(const CEGUI::EventArgs& e);
    // A dialog of the shop closed again: no longer modal, the shop active.
    void closeDialog(CEGUI::Window* dialog);

    CEGUI::Window* m_root;
    CEGUI::Window* m_btnBack;
    CEGUI::Window* m_confirm;
    CEGUI::Window* m_denied;
    TextTable* m_textTable;
    ProfileStore* m_profileStore;
    // The category last chosen for buying, 0 paint to 5 side skirts; -1
    // after a refresh.
    int32_t m_category = -1;
    std::unordered_map<std::string, CEGUI::Window*> m_windows;
};
