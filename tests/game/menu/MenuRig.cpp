#include "MenuRig.h"

#include "engine/core/io/DiskFile.h"
#include "game/app/Gui.h"
#include "game/menu/ProfileStore.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/ComboDropList.h>
#include <CEGUI/widgets/Combobox.h>
#include <CEGUI/widgets/ListboxItem.h>
#include <CEGUI/widgets/PushButton.h>
#include <CEGUI/widgets/Slider.h>
#include <CEGUI/widgets/Thumb.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
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
    app = std::make_unique<Application>(renderer, makers);
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

void MenuRig::addSeason()
{
    ProfileStore& store = *app->m_profileStore;
    const std::vector<KartInfo>& karts = app->m_config.karts();
    // Each race's finishing order, player by player.
    const int32_t ranks[3][7] = {{1, 0, 3, 2, 6, 4, 5}, {0, 2, 1, 4, 3, 6, 5}, {2, 1, 0, 3, 5, 4, 6}};
    const int32_t points[7] = {10, 8, 6, 5, 4, 3, 2};
    for (int32_t p = 0; p < 7; ++p) {
        // The computer players drive the karts the player did not take,
        // named after them.
        if (p > 0) {
            std::string kart = karts[size_t(2 + p) % karts.size()].name;
            store.setKart(p, kart);
            kart[0] = char(std::toupper(static_cast<unsigned char>(kart[0])));
            store.setName(p, kart);
        }
        int32_t season = 0;
        for (int32_t race = 0; race < 3; ++race) {
            store.setRank(p, 0, race, ranks[race][p]);
            store.setTime(p, 0, race, 61.5f + 2.25f * float(ranks[race][p]) + float(race) * 7.0f);
            season += points[ranks[race][p]];
        }
        store.setSeasonPoints(p, 0, season);
        store.setKudos(p, 420 - 40 * p);
    }
    store.setLevel(0, 3);
    store.setEngine(0, 0, 2);
    store.setTires(0, 0, 1);
    store.setColor(0, 0, 3);
    store.setLogo(0, 0, 5);
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

Menu* MenuRig::current() const
{
    if (menu)
        return menu.get();
    return app && app->m_state == Application::StateMenu ? dynamic_cast<Menu*>(app->m_menu) : nullptr;
}

std::string MenuRig::shown() const
{
    const CEGUI::Window* screen = current() ? current()->shownScreen() : nullptr;
    return screen ? screen->getName().c_str() : "";
}

CEGUI::Window* MenuRig::window(const std::string& path) const
{
    if (CEGUI::Window* w = current() ? current()->window(path) : nullptr)
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

void MenuRig::choose(const std::string& comboPath, uint32_t id)
{
    auto* combo = dynamic_cast<CEGUI::Combobox*>(window(comboPath));
    ASSERT_NE(combo, nullptr) << comboPath;
    CEGUI::ListboxItem* wanted = nullptr;
    for (size_t i = 0; i < combo->getItemCount(); ++i)
        if (combo->getListboxItemFromIndex(i)->getID() == id)
            wanted = combo->getListboxItemFromIndex(i);
    ASSERT_NE(wanted, nullptr) << comboPath << " has no entry " << id;
    CEGUI::GUIContext& gui = gui::context();
    const CEGUI::Rectf button = combo->getPushButton()->getUnclippedOuterRect().get();
    gui.injectMousePosition(button.left() + 1.0f, button.top() + 1.0f);
    gui.injectMouseButtonDown(CEGUI::LeftButton);
    gui.injectMouseButtonUp(CEGUI::LeftButton);
    CEGUI::ComboDropList* list = combo->getDropList();
    ASSERT_TRUE(list->isVisible()) << comboPath << " did not open";
    // The entry's place: the first point down the list's middle that is it.
    const CEGUI::Rectf area = list->getUnclippedInnerRect().get();
    const float x = (area.left() + area.right()) * 0.5f;
    for (float y = area.top(); y < area.bottom(); y += 1.0f)
        if (list->getItemAtPoint(CEGUI::Vector2f(x, y)) == wanted) {
            gui.injectMousePosition(x, y + 2.0f);
            gui.injectMouseButtonDown(CEGUI::LeftButton);
            gui.injectMouseButtonUp(CEGUI::LeftButton);
            return;
        }
    FAIL() << comboPath << ": entry " << id << " is not in the open list";
}

void MenuRig::slide(const std::string& sliderPath, float value)
{
    auto* slider = dynamic_cast<CEGUI::Slider*>(window(sliderPath));
    ASSERT_NE(slider, nullptr) << sliderPath;
    CEGUI::Thumb* thumb = slider->getThumb();
    CEGUI::GUIContext& gui = gui::context();
    // The track's length in pixels, first guessed from the sizes, then
    // learnt from how far each drag moved the value.
    float pixelsPerUnit = (slider->getPixelSize().d_width - thumb->getPixelSize().d_width) / slider->getMaxValue();
    for (int drag = 0; drag < 4 && std::abs(slider->getCurrentValue() - value) > 0.004f; ++drag) {
        const CEGUI::Rectf r = thumb->getUnclippedOuterRect().get();
        const float x = (r.left() + r.right()) * 0.5f, y = (r.top() + r.bottom()) * 0.5f;
        const float before = slider->getCurrentValue();
        const float dx = (value - before) * pixelsPerUnit;
        gui.injectMousePosition(x + 1.0f, y);
        gui.injectMousePosition(x, y);
        gui.injectMouseButtonDown(CEGUI::LeftButton);
        gui.injectMousePosition(x + dx, y);
        gui.injectMouseButtonUp(CEGUI::LeftButton);
        const float moved = slider->getCurrentValue() - before;
        if (std::abs(moved) > 1e-4f)
            pixelsPerUnit = dx / moved;
    }
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
