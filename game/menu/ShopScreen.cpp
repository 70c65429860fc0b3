#include "game/menu/ShopScreen.h"

#include "game/app/Application.h"
#include "game/app/TextTable.h"
#include "game/menu/ScreenManifest.h"

#include <CEGUI/ImageManager.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/PushButton.h>

ShopScreen::ShopScreen(Application* application)
    : m_textTable(application->m_textTable), m_profileStore(application->m_profileStore)
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

void ShopScreen::refresh()
{
    m_category = -1;
    m_confirm->hide();
    m_denied->hide();
    const std::pair<const char*, int32_t> texts[] = {
        {"Shop/BtnBack", 1085},       {"Shop/LblHeader", 2050},      {"Shop/Confirm/BtnYes", 1010},
        {"Shop/Confirm/BtnNo", 1020}, {"Shop/Denied/BtnOk", 1000},   {"Shop/LblAccel", 30030},
        {"Shop/LblSpeed", 30040},     {"Shop/LblBrakes", 30050},     {"Shop/LblGrip", 30070},
        {"Shop/LblTurboTime", 30080}, {"Shop/LblStrength", 30090},
    };
    for (const auto& [path, id] : texts)
        m_windows.at(path)->setText(m_textTable->getText(id));
}

void ShopScreen::closeDialog(CEGUI::Window* dialog)
{
    dialog->hide();
    dialog->setModalState(false);
    m_root->activate();
}

// What is on offer and what a purchase does come with the shop's own work;
// until then the buttons are wired and do nothing.
bool ShopScreen::onBuyColor(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onColorInc(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onColorDec(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onBuyLogo(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onLogoInc(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onLogoDec(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onBuyEngine(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onBuySpoiler(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onBuyTires(const CEGUI::EventArgs&) { return true; }
bool ShopScreen::onBuySideskirts(const CEGUI::EventArgs&) { return true; }

bool ShopScreen::onConfirmYes(const CEGUI::EventArgs&)
{
    closeDialog(m_confirm);
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
