#include "game/menu/ShopScreen.h"

#include "game/app/Application.h"
#include "game/app/TextTable.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/ScreenManifest.h"

#include <CEGUI/ImageManager.h>
#include <CEGUI/PropertyHelper.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/ProgressBar.h>
#include <CEGUI/widgets/PushButton.h>

#include <algorithm>
#include <cstdio>

ShopScreen::ShopScreen(Application* application)
    : m_application(application), m_textTable(application->m_textTable), m_profileStore(application->m_profileStore)
{
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    images.loadImageset("Logos.imageset");
    images.loadImageset("Upgrades.imageset");
    LoadedScreen screen = loadScreenLayout(screenManifest("Shop.layout"));
    m_root = screen.root;
    m_windows = std::move(screen.windows);
    application->m_rootWindow->addChild(m_root);
    m_btnBack = m_windows.at("Shop/BtnBack");
    m_confirm = m_windows.at("Shop/Confirm");
    m_denied = m_windows.at("Shop/Denied");
    using Handler = bool (ShopScreen::*)(const CEGUI::EventArgs&);
    const std::pair<const char*, Handler> buttons[] = {
        {"Shop/BtnColor", &ShopScreen::onBuyColor},         {"Shop/BtnColorInc", &ShopScreen::onColorInc},
        {"Shop/BtnColorDec", &ShopScreen::onColorDec},      {"Shop/BtnLogo", &ShopScreen::onBuyLogo},
        {"Shop/BtnLogoInc", &ShopScreen::onLogoInc},        {"Shop/BtnLogoDec", &ShopScreen::onLogoDec},
        {"Shop/BtnEngine", &ShopScreen::onBuyEngine},       {"Shop/BtnSpoiler", &ShopScreen::onBuySpoiler},
        {"Shop/BtnTires", &ShopScreen::onBuyTires},         {"Shop/BtnSideskirts", &ShopScreen::onBuySideskirts},
        {"Shop/Confirm/BtnYes", &ShopScreen::onConfirmYes}, {"Shop/Confirm/BtnNo", &ShopScreen::onConfirmNo},
        {"Shop/Denied/BtnOk", &ShopScreen::onDeniedOk},
    };
    for (const auto& [path, handler] : buttons)
        m_windows.at(path)->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(handler, this));
}

ShopScreen::~ShopScreen()
{
    CEGUI::WindowManager::getSingleton().destroyWindow(m_root);
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    images.destroyImageCollection("Logos");
    images.destroyImageCollection("Upgrades");
}

namespace {

CEGUI::String dollars(int32_t value)
{
    return "$" + CEGUI::PropertyHelper<int32_t>::toString(value);
}

// The four buttons' picture properties from one picture: pressed looks as
// under the mouse, disabled as at rest.
void setIcons(CEGUI::Window* button, const std::string& picture)
{
    const std::string normal = picture + "_Normal", hover = picture + "_Hover";
    button->setProperty("IconNormal", normal);
    button->setProperty("IconHover", hover);
    button->setProperty("IconPushed", hover);
    button->setProperty("IconDisabled", normal);
}

const char* const kPaints[7] = {"Blue", "Yellow", "Green", "Orange", "Pink", "Red", "Black"};
// The logo pictures in the order the shop offers them.
const char* const kLogos[7] = {"Logo01", "Logo04", "Logo06", "Logo02", "Logo05", "Logo07", "Logo03"};

struct UpgradeKind {
    const char* button;
    const char* picture;
    int32_t name;        // text of the category's name
    int32_t description; // text of level 1's description
};
// Engine, spoiler, tyres and side skirts, by category - 2.
const UpgradeKind kUpgrades[4] = {
    {"Shop/BtnEngine", "Engine", 2075, 9000},
    {"Shop/BtnSpoiler", "Spoiler", 2080, 9005},
    {"Shop/BtnTires", "Tires", 2085, 9015},
    {"Shop/BtnSideskirts", "Sideskirts", 2090, 9010},
};

int32_t wrap7(int32_t value)
{
    return (value % 7 + 7) % 7;
}

} // namespace

void ShopScreen::refresh()
{
    const ProfileStore* store = m_profileStore;
    m_class = store ? store->getCcm() : 0;
    m_kudos = store ? store->getKudos(0) : 0;
    const int32_t colour = store ? store->getColor(0, m_class) : 0;
    const int32_t logo = store ? store->getLogo(0, m_class) : 0;
    m_colorSelection = colour + 1 > 6 || colour + 1 < 0 ? 0 : colour + 1;
    m_logoSelection = logo + 1 > 6 || logo + 1 < 0 ? 0 : logo + 1;
    m_engine = store ? store->getEngine(0, m_class) : 0;
    m_spoiler = store ? store->getSpoiler(0, m_class) : 0;
    m_tires = store ? store->getTires(0, m_class) : 0;
    m_sideskirts = store ? store->getSideskirts(0, m_class) : 0;

    m_category = -1;
    m_confirm->hide();
    m_denied->hide();
    m_windows.at("Shop/LblKudos")->setText(dollars(m_kudos));
    showColor();
    showLogo();
    for (const char* button : {"Shop/BtnColor", "Shop/BtnColorInc", "Shop/BtnColorDec"})
        m_windows.at(button)->setEnabled(true);
    for (const char* button : {"Shop/BtnLogo", "Shop/BtnLogoInc", "Shop/BtnLogoDec"})
        m_windows.at(button)->setEnabled(true);
    // Prices stand on the buy buttons as the screen opens; choosing another
    // paint or logo changes the picture only.
    for (int32_t category : {int32_t(CategoryColor), int32_t(CategoryLogo)}) {
        CEGUI::Window* button = m_windows.at(category == CategoryColor ? "Shop/BtnColor" : "Shop/BtnLogo");
        const UpgradeInfo* info = offer(category);
        button->setText(info ? dollars(info->price) : CEGUI::String());
        button->setEnabled(info != nullptr);
    }
    for (int32_t category = CategoryEngine; category <= CategorySideskirts; ++category)
        showUpgrade(category);
    applyLook();
    updateStatBars();

    const std::pair<const char*, int32_t> texts[] = {
        {"Shop/BtnBack", 1085},       {"Shop/LblHeader", 2050},      {"Shop/Confirm/BtnYes", 1010},
        {"Shop/Confirm/BtnNo", 1020}, {"Shop/Denied/BtnOk", 1000},   {"Shop/LblAccel", 30030},
        {"Shop/LblSpeed", 30040},     {"Shop/LblBrakes", 30050},     {"Shop/LblGrip", 30070},
        {"Shop/LblTurboTime", 30080}, {"Shop/LblStrength", 30090},
    };
    for (const auto& [path, id] : texts)
        m_windows.at(path)->setText(m_textTable->getText(id));
}

void ShopScreen::showColor()
{
    setIcons(m_windows.at("Shop/BtnColor"), std::string("Logos/Color") + kPaints[wrap7(m_colorSelection)]);
}

void ShopScreen::showLogo()
{
    setIcons(m_windows.at("Shop/BtnLogo"), std::string("Logos/") + kLogos[wrap7(m_logoSelection)]);
}

// The next level's picture and price; a part at level 5 is sold out.
void ShopScreen::showUpgrade(int32_t category)
{
    const UpgradeKind& kind = kUpgrades[category - CategoryEngine];
    CEGUI::Window* button = m_windows.at(kind.button);
    const int32_t current = *level(category);
    const bool soldOut = current >= 5;
    char picture[32];
    std::snprintf(picture, sizeof picture, "Upgrades/%s%02d", kind.picture, soldOut ? 5 : std::max(current, 0) + 1);
    setIcons(button, picture);
    button->setProperty("TransparencyLayer", soldOut ? "Upgrades/SoldOut" : "Speed/FullTransparentBrush");
    const UpgradeInfo* info = soldOut ? nullptr : offer(category);
    button->setText(info ? dollars(info->price) : CEGUI::String());
    button->setEnabled(info != nullptr);
}

const UpgradeInfo* ShopScreen::offer(int32_t category) const
{
    const UpgradeTable& table = m_application->m_config.upgrades();
    switch (category) {
    case CategoryColor: return UpgradeTable::at(table.color, m_colorSelection);
    case CategoryLogo: return UpgradeTable::at(table.logo, m_logoSelection);
    case CategoryEngine: return UpgradeTable::at(table.engine, m_engine + 1);
    case CategorySpoiler: return UpgradeTable::at(table.spoiler, m_spoiler + 1);
    case CategoryTires: return UpgradeTable::at(table.tires, m_tires + 1);
    case CategorySideskirts: return UpgradeTable::at(table.sideskirts, m_sideskirts + 1);
    default: return nullptr;
    }
}

int32_t* ShopScreen::level(int32_t category)
{
    switch (category) {
    case CategoryEngine: return &m_engine;
    case CategorySpoiler: return &m_spoiler;
    case CategoryTires: return &m_tires;
    default: return &m_sideskirts;
    }
}

void ShopScreen::applyLook()
{
    if (!m_profileStore)
        return;
    const ProfileStore& store = *m_profileStore;
    m_application->applyKartLook(store.getKart(0), store.getSpoiler(0, m_class), store.getTires(0, m_class),
                                 store.getSideskirts(0, m_class), store.getLogo(0, m_class),
                                 store.getColor(0, m_class), store.getEngine(0, m_class), 0);
}

// The kart's six ratios, with the share of every upgrade's effect that the
// parts it carries give it: level L carries entries 1 to L of a list.
void ShopScreen::updateStatBars()
{
    float base[GameConfig::StatCount] = {};
    if (m_profileStore)
        m_application->kartStatRatios(m_profileStore->getKart(0), base);
    const UpgradeTable& table = m_application->m_config.upgrades();
    const std::pair<const std::vector<UpgradeInfo>*, int32_t> lists[4] = {
        {&table.engine, m_engine}, {&table.spoiler, m_spoiler}, {&table.sideskirts, m_sideskirts},
        {&table.tires, m_tires}};
    int32_t all[3] = {}, carried[3] = {}; // speed, drift, acceleration
    for (const auto& [list, carriedLevel] : lists)
        for (size_t i = 0; i < list->size(); ++i) {
            const UpgradeInfo& u = (*list)[i];
            const int32_t changes[3] = {u.speed != 1.0f, u.drift != 1.0f, u.acceleration != 1.0f};
            for (int k = 0; k < 3; ++k) {
                all[k] += changes[k];
                if (i >= 1 && int32_t(i) <= carriedLevel)
                    carried[k] += changes[k];
            }
        }
    // A factor no upgrade changes leaves its bar at the kart's own ratio.
    auto bar = [&](float ratio, int k) {
        return all[k] > 0 ? ratio + (1.0f - ratio) * float(carried[k]) / float(all[k]) : ratio;
    };
    auto percent = [](int32_t value) {
        return value >= 1 ? "+" + CEGUI::PropertyHelper<int32_t>::toString(value) + "%" : CEGUI::String();
    };
    struct Bar {
        const char* window;
        float value;
        CEGUI::String text;
    };
    const Bar bars[6] = {
        {"Shop/PrgAccel", bar(base[GameConfig::StatAcceleration], 2), percent(2 * m_engine)},
        {"Shop/PrgSpeed", bar(base[GameConfig::StatSpeed], 0), percent(m_engine + 2 * m_spoiler + m_sideskirts)},
        {"Shop/PrgGrip", bar(base[GameConfig::StatDrift], 1), percent(m_sideskirts + 2 * m_tires)},
        {"Shop/PrgBrakes", base[GameConfig::StatBrake], {}},
        {"Shop/PrgTurboTime", base[GameConfig::StatTurbo], {}},
        {"Shop/PrgStrength", base[GameConfig::StatMass], {}},
    };
    for (const Bar& b : bars) {
        auto* progress = static_cast<CEGUI::ProgressBar*>(m_windows.at(b.window));
        progress->setProgress(b.value);
        progress->setText(b.text);
    }
}

CEGUI::String ShopScreen::description(int32_t category)
{
    if (category < CategoryEngine || category > CategorySideskirts)
        return CEGUI::String();
    return m_textTable->getText(kUpgrades[category - CategoryEngine].description + *level(category));
}

void ShopScreen::openDialog(CEGUI::Window* dialog, const CEGUI::String& message)
{
    if (dialog == m_confirm)
        m_windows.at("Shop/Confirm/LblMessage")->setText(message);
    else
        m_windows.at("Shop/Denied/LblMessage")->setText(message);
    dialog->show();
    dialog->setModalState(true);
    dialog->activate();
}

void ShopScreen::closeDialog(CEGUI::Window* dialog)
{
    dialog->hide();
    dialog->setModalState(false);
    m_root->activate();
}

// The first step of a purchase: the question, or the refusal when the
// kudos do not reach the price.
void ShopScreen::buy(int32_t category)
{
    m_category = category;
    const UpgradeInfo* info = offer(category);
    if (!info)
        return;
    const CEGUI::String details = category >= CategoryEngine ? "\n\n" + description(category) : CEGUI::String();
    if (m_kudos < info->price) {
        openDialog(m_denied, m_textTable->getText(2060) + details);
        return;
    }
    CEGUI::String message = m_textTable->getText(2055);
    const size_t upgrade = message.find("[UPGRADE]");
    if (upgrade != CEGUI::String::npos) {
        static const int32_t kNames[2] = {2065, 2070};
        const int32_t name = category < CategoryEngine ? kNames[category] : kUpgrades[category - CategoryEngine].name;
        message.replace(upgrade, 9, m_textTable->getText(name));
        const size_t kudos = message.find("[KUDOS]");
        if (kudos != CEGUI::String::npos)
            message.replace(kudos, 7, CEGUI::PropertyHelper<int32_t>::toString(info->price));
        message += details;
        openDialog(m_confirm, message);
    } else {
        // A question without the placeholder keeps what the label says.
        openDialog(m_confirm, m_windows.at("Shop/Confirm/LblMessage")->getText());
    }
}

bool ShopScreen::onBuyColor(const CEGUI::EventArgs&)
{
    buy(CategoryColor);
    return true;
}

bool ShopScreen::onBuyLogo(const CEGUI::EventArgs&)
{
    buy(CategoryLogo);
    return true;
}

bool ShopScreen::onBuyEngine(const CEGUI::EventArgs&)
{
    buy(CategoryEngine);
    return true;
}

bool ShopScreen::onBuySpoiler(const CEGUI::EventArgs&)
{
    buy(CategorySpoiler);
    return true;
}

bool ShopScreen::onBuyTires(const CEGUI::EventArgs&)
{
    buy(CategoryTires);
    return true;
}

bool ShopScreen::onBuySideskirts(const CEGUI::EventArgs&)
{
    buy(CategorySideskirts);
    return true;
}

// The paint the kart wears already is never on offer.
bool ShopScreen::onColorInc(const CEGUI::EventArgs&)
{
    const int32_t owned = m_profileStore ? m_profileStore->getColor(0, m_class) : -1;
    m_colorSelection = wrap7(m_colorSelection + 1);
    if (m_colorSelection == owned)
        m_colorSelection = wrap7(m_colorSelection + 1);
    showColor();
    return true;
}

bool ShopScreen::onColorDec(const CEGUI::EventArgs&)
{
    const int32_t owned = m_profileStore ? m_profileStore->getColor(0, m_class) : -1;
    m_colorSelection = wrap7(m_colorSelection - 1);
    if (m_colorSelection == owned)
        m_colorSelection = wrap7(m_colorSelection - 1);
    showColor();
    return true;
}

bool ShopScreen::onLogoInc(const CEGUI::EventArgs&)
{
    m_logoSelection = wrap7(m_logoSelection + 1);
    showLogo();
    return true;
}

bool ShopScreen::onLogoDec(const CEGUI::EventArgs&)
{
    m_logoSelection = wrap7(m_logoSelection - 1);
    showLogo();
    return true;
}

// The purchase, written into the profile at once (the owner saves it).
bool ShopScreen::onConfirmYes(const CEGUI::EventArgs&)
{
    const UpgradeInfo* info = m_category >= CategoryColor && m_category <= CategorySideskirts ? offer(m_category)
                                                                                            : nullptr;
    if (info && m_profileStore) {
        ProfileStore& store = *m_profileStore;
        m_kudos = std::max(0, m_kudos - info->price);
        store.setKudos(0, m_kudos);
        switch (m_category) {
        case CategoryColor: store.setColor(0, m_class, m_colorSelection); break;
        case CategoryLogo: store.setLogo(0, m_class, m_logoSelection + 1); break;
        case CategoryEngine: store.setEngine(0, m_class, m_engine + 1); break;
        case CategorySpoiler: store.setSpoiler(0, m_class, m_spoiler + 1); break;
        case CategoryTires: store.setTires(0, m_class, m_tires + 1); break;
        case CategorySideskirts: store.setSideskirts(0, m_class, m_sideskirts + 1); break;
        }
        applyLook();
    }
    closeDialog(m_confirm);
    refresh();
    return true;
}

bool ShopScreen::onConfirmNo(const CEGUI::EventArgs&)
{
    closeDialog(m_confirm);
    return true;
}

bool ShopScreen::onDeniedOk(const CEGUI::EventArgs&)
{
    closeDialog(m_denied);
    return true;
}
