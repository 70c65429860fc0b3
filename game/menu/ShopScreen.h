#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

class Application;
class ProfileStore;
class TextTable;
struct UpgradeInfo;
namespace CEGUI {
class EventArgs;
class String;
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

    // Brings the screen up to the profile store, with both dialogs closed:
    // the kudos, what is on offer with its price, the kart's stat bars and
    // the preview kart's look.
    void refresh();

    CEGUI::Window* root() const { return m_root; }
    CEGUI::Window* backButton() const { return m_btnBack; }
    const std::unordered_map<std::string, CEGUI::Window*>& windows() const { return m_windows; }

    // What the buttons offer, for the owner and its tests.
    int32_t colorSelection() const { return m_colorSelection; }
    int32_t logoSelection() const { return m_logoSelection; }

    enum Category { CategoryColor, CategoryLogo, CategoryEngine, CategorySpoiler, CategoryTires, CategorySideskirts };

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
    void openDialog(CEGUI::Window* dialog, const CEGUI::String& message);

    // The category's price list and the entry on offer; null when the list
    // holds no such entry (nothing to sell).
    const UpgradeInfo* offer(int32_t category) const;
    int32_t* level(int32_t category);
    void buy(int32_t category);
    // The level description of an upgrade on offer, "" for paint and logo.
    CEGUI::String description(int32_t category);
    void showColor();
    void showLogo();
    void showUpgrade(int32_t category);
    void updateStatBars();
    void applyLook();

    CEGUI::Window* m_root;
    CEGUI::Window* m_btnBack;
    CEGUI::Window* m_confirm;
    CEGUI::Window* m_denied;
    Application* m_application;
    TextTable* m_textTable;
    ProfileStore* m_profileStore;
    // The category last chosen for buying; -1 after a refresh.
    int32_t m_category = -1;
    int32_t m_class = 0;
    int32_t m_kudos = 0;
    // The paint and logo on offer, 0-6.
    int32_t m_colorSelection = 0;
    int32_t m_logoSelection = 0;
    // The human's levels 0-5.
    int32_t m_engine = 0;
    int32_t m_spoiler = 0;
    int32_t m_tires = 0;
    int32_t m_sideskirts = 0;
    std::unordered_map<std::string, CEGUI::Window*> m_windows;
};
