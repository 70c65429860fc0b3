#include "MenuRig.h"

#include "engine/core/io/DiskFile.h"
#include "game/app/Gui.h"
#include "game/menu/ProfileStore.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <cstdlib>

MenuRig::MenuRig(const std::string& name, Renderer* r) : folder(name), renderer(r)
{
    Menu::s_firstMenu = 1;
}

MenuRig::~MenuRig()
{
    closeMenu();
    app.reset();
}

bool MenuRig::mount()
{
    if (m_mounted)
        return true;
    const std::string path = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
    DiskFile disk("");
    m_mounted = archive.mount(disk, path.c_str());
    return m_mounted;
}

bool MenuRig::start(std::string& why, Stream* files)
{
    if (!mount()) {
        why = "cannot mount the packed data set";
        return false;
    }
    fileSystem = files ? files : &archive;
    app = std::make_unique<Application>(renderer);
    if (!app->init(fileSystem)) {
        why = "the application did not start";
        return false;
    }
    return true;
}

void MenuRig::addProfile()
{
    ProfileStore& store = *app->m_profileStore;
    store.setCurrentSlot(0);
    store.resetSlot(0);
    store.setEmpty(0, 0);
    store.setName(0, "Ada", 0);
    store.setKart(0, "vela", 0);
    store.setKudos(0, 500, 0);
    store.stampCreation(0);
}

void MenuRig::openMenu()
{
    menu = std::make_unique<Menu>(app.get(), renderer, &input);
    menu->load(fileSystem, app->m_raceSetup);
    app->closeLoadingScreen();
}

void MenuRig::closeMenu()
{
    menu.reset();
    if (app)
        app->closeLoadingScreen();
}

int32_t MenuRig::frame(double seconds)
{
    clock.advanceSeconds(seconds);
    return menu->update();
}

int32_t MenuRig::settle(double step)
{
    int32_t answer = frame(step);
    for (int i = 0; i < 40 && menu->fading(); ++i)
        answer = frame(step);
    // The frame after the fade ends reports what a handler asked for.
    return menu->fading() ? answer : frame(step);
}

std::string MenuRig::shown() const
{
    const CEGUI::Window* screen = menu->shownScreen();
    return screen ? screen->getName().c_str() : "";
}

CEGUI::Window* MenuRig::window(const std::string& path) const
{
    if (CEGUI::Window* w = menu->window(path))
        return w;
    // A window the menu does not look up (a layout's decoration).
    CEGUI::Window* root = gui::context().getRootWindow();
    return root && root->isChild(path) ? root->getChild(path) : nullptr;
}

void MenuRig::click(const std::string& path)
{
    CEGUI::Window* w = window(path);
    ASSERT_NE(w, nullptr) << path;
    ASSERT_FALSE(input.m_guiBlocked) << "clicking " << path << " during a fade";
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    CEGUI::GUIContext& gui = gui::context();
    // The mouse comes from beside the window, so the GUI looks again at what
    // lies under it (a dialog may have opened under a resting mouse).
    const float x = (r.left() + r.right()) * 0.5f, y = (r.top() + r.bottom()) * 0.5f;
    gui.injectMousePosition(x + 1.0f, y);
    gui.injectMousePosition(x, y);
    gui.injectMouseButtonDown(CEGUI::LeftButton);
    gui.injectMouseButtonUp(CEGUI::LeftButton);
}

void MenuRig::doubleClick(const std::string& path)
{
    click(path);
    click(path);
}

void MenuRig::key(uint32_t scanCode)
{
    ASSERT_FALSE(input.m_guiBlocked) << "a key during a fade";
    gui::context().injectKeyDown(CEGUI::Key::Scan(scanCode));
    gui::context().injectKeyUp(CEGUI::Key::Scan(scanCode));
}

void MenuRig::escape()
{
    input.m_keys[0x01] = 1;
}
