// The HUD's windows: building them from the layout, and the operations that
// show, hide and fill them. The minimap markers are in HudMarkers.cpp.
#include "game/app/Hud.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/race/RaceScoring.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <algorithm>
#include <cstdio>

namespace {

// Text numbers: the start message and its waiting form, the place texts
// (7000 first, in steps of 10) and the captions of the labels.
constexpr int32_t kTextStart = 10300;
constexpr int32_t kTextWaiting = 10310;
constexpr int32_t kTextFirstPlace = 7000;
constexpr int32_t kTextLap = 10600;
constexpr int32_t kTextTotalTime = 10610;
constexpr int32_t kTextLapTime = 10620;
constexpr int32_t kTextBestLapTime = 10630;

// The imagesets in the order they are made; the last two are single
// pictures.
const char* const kImagesets[] = {"Countdown", "Powerups", "Icons"};
constexpr int32_t kImagesetFiles = 3;
constexpr int32_t kAllImagesets = 5; // and UTurn, Minimap

// A window name of the layout: with two views every name ends in the view
// number (1 or 2).
std::string windowPath(const std::string& name, int32_t view, int32_t views)
{
    return "HUD/" + name + (views == 2 ? std::to_string(view + 1) : std::string());
}

} // namespace

Hud::Hud(Application* application, const RaceSetup* setup, int32_t viewCount)
    : m_app(application), m_viewCount(std::clamp(viewCount, 1, kViews))
{
    for (auto& view : m_energy)
        for (float& value : view)
            value = 1.0f;
    std::fill(std::begin(m_slotFree), std::end(m_slotFree), true);
    if (!m_app || !m_app->m_guiSystem || !m_app->m_rootWindow || !setup)
        return;
    CEGUI_TRY
    {
        build(*setup);
    }
    CEGUI_CATCH(...)
    {
        destroy();
        CEGUI_RETHROW;
    }
}

Hud::~Hud()
{
    destroy();
}

void Hud::build(const RaceSetup& setup)
{
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    for (const char* set : kImagesets) {
        images.loadImageset(std::string(set) + ".imageset");
        ++m_imagesets;
    }
    gui::addImageFromFile("UTurn", "UTurn.png");
    ++m_imagesets;
    const LevelInfo* level = m_app->findLevel(setup.level);
    if (!level)
        CEGUI_THROW(CEGUI::UnknownObjectException("the HUD finds no level named " + gui::text(setup.level)));
    gui::addImageFromFile("Minimap", level->minimap);
    ++m_imagesets;

    m_root = gui::loadLayout(m_viewCount == 2 ? "HUD2.layout" : "HUD.layout");
    m_root->hide();
    if (m_root->getName() != "HUD")
        CEGUI_THROW(CEGUI::UnknownObjectException("the HUD layout's root is not named HUD"));
    const MapRect& rect = level->minimapRect;
    m_xmin = rect.xmin;
    m_xmax = rect.xmax;
    m_zmin = rect.zmin;
    m_zmax = rect.zmax;
    findWindows();
    for (ViewWindows& v : m_views) {
        if (!v.minimap)
            continue;
        v.coinImage->setProperty("Image", gui::image("Icons", "Coin"));
        v.uturn->setProperty("Image", "UTurn");
        v.minimap->setProperty("Image", "Minimap");
        v.lapText->setText(text(kTextLap));
        v.totalTimeText->setText(text(kTextTotalTime));
        v.lapTimeText->setText(text(kTextLapTime));
        v.bestLapTimeText->setText(text(kTextBestLapTime));
    }
    createMarkers();
    initialValues(setup.gameType);
    m_app->m_rootWindow->addChild(m_root);
}

void Hud::findWindows()
{
    for (int32_t view = 0; view < m_viewCount; ++view) {
        ViewWindows& v = m_views[view];
        auto find = [&](const std::string& name) { return gui::find(m_root, windowPath(name, view, m_viewCount)); };
        v.topLeft = find("ImgTopLeft");
        v.topRight = find("ImgTopRight");
        v.start = find("WndStart");
        v.startLabel = v.start->getChild("LblStart");
        for (int32_t bar = 0; bar < kBars; ++bar) {
            char name[32];
            std::snprintf(name, sizeof name, "HUD/ImgEnergy%d%d", view + 1, bar + 1);
            v.energy[bar] = gui::find(m_root, name);
        }
        v.countdown = find("ImgCountdown");
        v.lapText = find("LblLapText");
        v.lapValue = find("LblLapValue");
        v.rankValue = find("LblRankValue");
        v.totalTimeText = find("LblTotalTimeText");
        v.totalTimeValue = find("LblTotalTimeValue");
        v.lapTimeText = find("LblLapTimeText");
        v.lapTimeValue = find("LblLapTimeValue");
        v.bestLapTimeText = find("LblBestLapTimeText");
        v.bestLapTimeValue = find("LblBestLapTimeValue");
        v.powerup = find("ImgPowerup");
        v.coinImage = find("ImgCoins");
        v.coinLabel = find("LblCoins");
        v.minimap = find("ImgMinimap");
        v.uturn = find("ImgUTurn");
    }
}

void Hud::initialValues(int32_t gameType)
{
    for (int32_t view = 0; view < m_viewCount; ++view) {
        for (int32_t bar = 0; bar < kBars; ++bar)
            setEnergy(bar, 0.0f, view);
    }
    // The value setters act only on shown elements: show everything while
    // the first values go in, then hide by race kind.
    for (auto element : {&ViewWindows::lapValue, &ViewWindows::rankValue, &ViewWindows::totalTimeValue,
                         &ViewWindows::lapTimeValue, &ViewWindows::bestLapTimeValue, &ViewWindows::powerup,
                         &ViewWindows::coinLabel})
        showAll(element, true);
    for (int32_t view = 0; view < m_viewCount; ++view) {
        setLapTime(-1.0f, view);
        setBestLapTime(-1.0f, view);
        setPowerup(-1, view);
        setLap(-1, -1, view);
        setRank(-1, view);
        setCoins(0, view);
    }
    setTotalTime(-1.0f, 0);
    if (m_viewCount == 2)
        setTotalTime(-1.0f, 1);

    const bool lastManStanding = gameType == 3;
    setLapVisible(!lastManStanding);
    setRankVisible(!lastManStanding);
    setTotalTimeVisible(!lastManStanding);
    setLapTimeVisible(gameType == 0 || gameType == 1);
    setBestLapTimeVisible(gameType == 0 || gameType == 1);
    setPowerupVisible(true);
    setCoinsVisible(gameType == 1);
    for (int32_t bar = 0; bar < kBars; ++bar)
        setEnergyVisible(bar, false);
    showAll(&ViewWindows::topLeft, !lastManStanding);
    showAll(&ViewWindows::topRight, !lastManStanding);
}

void Hud::destroy()
{
    CEGUI::WindowManager* windows = CEGUI::WindowManager::getSingletonPtr();
    if (m_root && windows)
        windows->destroyWindow(m_root);
    m_root = nullptr;
    for (ViewWindows& v : m_views)
        v = ViewWindows();
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    if (!images)
        return;
    for (int32_t i = std::min(m_imagesets, kImagesetFiles); i-- > 0;)
        images->destroyImageCollection(kImagesets[i]);
    if (m_imagesets > kImagesetFiles)
        gui::destroyImageFromFile("UTurn");
    if (m_imagesets >= kAllImagesets)
        gui::destroyImageFromFile("Minimap");
    m_imagesets = 0;
}

std::string Hud::text(int32_t id) const
{
    if (!m_app || !m_app->m_textTable)
        return std::string();
    return m_app->m_textTable->getText(id).c_str();
}

void Hud::setText(CEGUI::Window* window, const std::string& value)
{
    if (window)
        window->setText(gui::text(value));
}

void Hud::showAll(CEGUI::Window* ViewWindows::*element, bool show)
{
    for (int32_t view = 0; view < m_viewCount; ++view)
        if (CEGUI::Window* w = m_views[view].*element)
            w->setVisible(show);
}

bool Hud::shownInView0(CEGUI::Window* ViewWindows::*element) const
{
    const CEGUI::Window* w = m_views[0].*element;
    return w && w->isVisible();
}

void Hud::setVisible(bool show)
{
    if (!m_root)
        return;
    m_root->setVisible(show);
    if (show)
        m_root->activate();
}

void Hud::setStartVisible(bool show, int32_t view)
{
    if (validView(view) && m_views[view].start)
        m_views[view].start->setVisible(show);
}

bool Hud::isStartVisible() const
{
    return shownInView0(&ViewWindows::start);
}

void Hud::setStartText(bool ready, int32_t view)
{
    if (validView(view))
        setText(m_views[view].startLabel, text(ready ? kTextWaiting : kTextStart));
}

void Hud::setCountdownVisible(bool show)
{
    showAll(&ViewWindows::countdown, show);
}

void Hud::setCountdown(int32_t stage)
{
    static const char* const kImages[] = {"1", "2", "3", "GO"};
    if (stage < 0 || stage > 3)
        return;
    for (int32_t view = 0; view < m_viewCount; ++view)
        if (CEGUI::Window* w = m_views[view].countdown)
            w->setProperty("Image", gui::image("Countdown", kImages[stage]));
}

void Hud::setUTurnVisible(bool show, int32_t view)
{
    if (validView(view) && m_views[view].uturn)
        m_views[view].uturn->setVisible(show);
}

void Hud::setEnergyVisible(int32_t bar, bool show)
{
    if (bar < 0 || bar >= kBars)
        return;
    for (int32_t view = 0; view < m_viewCount; ++view)
        if (CEGUI::Window* w = m_views[view].energy[bar])
            w->setVisible(show);
}

bool Hud::isEnergyVisible(int32_t bar) const
{
    return bar >= 0 && bar < kBars && m_views[0].energy[bar] && m_views[0].energy[bar]->isVisible();
}

void Hud::setEnergyText(int32_t bar, const std::string& value, int32_t view)
{
    if (bar >= 0 && bar < kBars && validView(view))
        setText(m_views[view].energy[bar], value);
}

void Hud::setEnergy(int32_t bar, float value, int32_t view)
{
    if (bar < 0 || bar >= kBars || !validView(view) || value == m_energy[view][bar])
        return;
    // No number reads as empty.
    const float clamped = value >= 0.0f ? std::min(value, 1.0f) : 0.0f;
    if (CEGUI::Window* w = m_views[view].energy[bar]) {
        char number[32];
        std::snprintf(number, sizeof number, "%.4f", double(clamped));
        w->setProperty("Energy", number);
    }
    m_energy[view][bar] = clamped;
}

void Hud::setLapVisible(bool show)
{
    showAll(&ViewWindows::lapText, show);
    showAll(&ViewWindows::lapValue, show);
}

bool Hud::isLapVisible() const
{
    return shownInView0(&ViewWindows::lapValue);
}

void Hud::setRankVisible(bool show)
{
    showAll(&ViewWindows::rankValue, show);
}

bool Hud::isRankVisible() const
{
    return shownInView0(&ViewWindows::rankValue);
}

void Hud::setTotalTimeVisible(bool show)
{
    showAll(&ViewWindows::totalTimeText, show);
    showAll(&ViewWindows::totalTimeValue, show);
}

bool Hud::isTotalTimeVisible() const
{
    return shownInView0(&ViewWindows::totalTimeValue);
}

void Hud::setLapTimeVisible(bool show)
{
    showAll(&ViewWindows::lapTimeText, show);
    showAll(&ViewWindows::lapTimeValue, show);
}

bool Hud::isLapTimeVisible() const
{
    return shownInView0(&ViewWindows::lapTimeValue);
}

void Hud::setBestLapTimeVisible(bool show)
{
    showAll(&ViewWindows::bestLapTimeText, show);
    showAll(&ViewWindows::bestLapTimeValue, show);
}

bool Hud::isBestLapTimeVisible() const
{
    return shownInView0(&ViewWindows::bestLapTimeValue);
}

void Hud::setPowerupVisible(bool show)
{
    showAll(&ViewWindows::powerup, show);
}

bool Hud::isPowerupVisible() const
{
    return shownInView0(&ViewWindows::powerup);
}

void Hud::setCoinsVisible(bool show)
{
    showAll(&ViewWindows::coinImage, show);
    showAll(&ViewWindows::coinLabel, show);
}

void Hud::setMinimapVisible(bool show)
{
    showAll(&ViewWindows::minimap, show);
}

bool Hud::isMinimapVisible() const
{
    return shownInView0(&ViewWindows::minimap);
}

void Hud::setTotalTime(float seconds, int32_t view)
{
    if (validView(view) && shownInView0(&ViewWindows::totalTimeValue))
        setText(m_views[view].totalTimeValue, formatTime(seconds));
}

void Hud::setLapTime(float seconds, int32_t view)
{
    if (validView(view) && shownInView0(&ViewWindows::lapTimeValue))
        setText(m_views[view].lapTimeValue, formatTime(seconds));
}

void Hud::setBestLapTime(float seconds, int32_t view)
{
    if (validView(view) && shownInView0(&ViewWindows::bestLapTimeValue))
        setText(m_views[view].bestLapTimeValue, formatTime(seconds));
}

void Hud::setLap(int32_t lap, int32_t laps, int32_t view)
{
    if (!validView(view) || !shownInView0(&ViewWindows::lapValue))
        return;
    char value[32];
    std::snprintf(value, sizeof value, "%d/%d", std::max(std::min(lap, laps), 0), laps);
    setText(m_views[view].lapValue, value);
}

void Hud::setRank(int32_t rank, int32_t view)
{
    if (!validView(view) || !shownInView0(&ViewWindows::rankValue))
        return;
    setText(m_views[view].rankValue, rank >= 0 && rank <= 6 ? text(kTextFirstPlace + 10 * rank) : std::string());
}

void Hud::setCoins(int32_t count, int32_t view)
{
    if (!validView(view) || !shownInView0(&ViewWindows::coinLabel))
        return;
    char value[32];
    std::snprintf(value, sizeof value, "%d/12", count);
    setText(m_views[view].coinLabel, value);
}

void Hud::setPowerup(int32_t kind, int32_t view)
{
    if (validView(view) && shownInView0(&ViewWindows::powerup) && m_views[view].powerup)
        m_views[view].powerup->setProperty("Image", powerupImage(kind));
}

std::string Hud::formatTime(float seconds)
{
    return scoring::formatTime(seconds);
}

std::string Hud::powerupImage(int32_t kind)
{
    static const char* const kNames[] = {"Boost", "Oil",  "Shield", "Rocket", "Decoy", "Snowball",
                                         nullptr, nullptr, nullptr, "Plimbert", "Ape",  "Frog",
                                         "Frog",  "Frog", "Tolvo", "Pumpkin", "Alien", "Brum"};
    constexpr int32_t count = int32_t(sizeof kNames / sizeof kNames[0]);
    if (kind < 0 || kind >= count || !kNames[kind])
        return gui::image("Icons", "Powerup");
    return gui::image("Powerups", std::string("Powerup_") + kNames[kind]);
}
