// The options screen: video mode, picture (brightness, contrast, gamma),
// volumes, detail and language. Sounds, picture and language change as the
// player moves the controls; the video mode and detail wait for OK, which
// writes settings.xml; Cancel puts back what was there when the screen
// opened.
#include "game/menu/Menu.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/render/Renderer.h"
#include "game/app/Application.h"
#include "game/app/TextTable.h"
#include "game/app/WinInput.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Combobox.h>
#include <CEGUI/widgets/ListboxItem.h>
#include <CEGUI/widgets/RadioButton.h>
#include <CEGUI/widgets/Slider.h>

namespace {

CEGUI::RadioButton* radio(CEGUI::Window* window)
{
    return static_cast<CEGUI::RadioButton*>(window);
}

CEGUI::Slider* slider(CEGUI::Window* window)
{
    return static_cast<CEGUI::Slider*>(window);
}

float sliderValue(const CEGUI::EventArgs& e)
{
    return static_cast<CEGUI::Slider*>(static_cast<const CEGUI::WindowEventArgs&>(e).window)->getCurrentValue();
}

// The accepted entry of a combo box's list; null when none is selected.
const CEGUI::ListboxItem* acceptedItem(const CEGUI::EventArgs& e)
{
    return static_cast<CEGUI::Combobox*>(static_cast<const CEGUI::WindowEventArgs&>(e).window)->getSelectedItem();
}

} // namespace

void Menu::showOptions()
{
    m_optionsBackup = m_application->m_settings;
    fillOptions();
    fadeIn(m_screens["Options"]);
}

void Menu::fillOptions()
{
    const Settings& settings = m_application->m_settings;
    if (!m_videoModes.empty())
        m_windows["Options/CboVideoMode"]->setText(
            m_videoModes[size_t(findVideoMode(settings.width, settings.height, settings.windowed))].label);
    if (settings.language >= 0 && settings.language < TextTable::kLanguageCount)
        m_windows["Options/CboLanguage"]->setText(m_textTable->getText(3000 + 10 * settings.language));
    const char* texture = settings.textureDetail == 0    ? "Options/OptTextureDetailHigh"
                          : settings.textureDetail == -1 ? "Options/OptTextureDetailMedium"
                                                         : "Options/OptTextureDetailLow";
    radio(m_windows[texture])->setSelected(true);
    radio(m_windows[settings.objectDetail == 1 ? "Options/OptObjectDetailHigh" : "Options/OptObjectDetailLow"])
        ->setSelected(true);
    // Each slider tells its handler, which writes the same value back.
    slider(m_windows["Options/SldBrightness"])->setCurrentValue(settings.brightness);
    slider(m_windows["Options/SldContrast"])->setCurrentValue(settings.contrast);
    slider(m_windows["Options/SldGamma"])->setCurrentValue(settings.gamma);
    slider(m_windows["Options/SldMusicVolume"])->setCurrentValue(settings.musicVolume);
    slider(m_windows["Options/SldSfxVolume"])->setCurrentValue(settings.sfxVolume);
}

int32_t Menu::findVideoMode(int32_t width, int32_t height, uint8_t windowed) const
{
    if (m_videoModes.empty())
        return 0;
    if (windowed)
        return int32_t(m_videoModes.size() - 1);
    for (size_t i = 0; i < m_videoModes.size(); ++i)
        if (m_videoModes[i].width == width && m_videoModes[i].height == height)
            return int32_t(i);
    return 0;
}

// The picture's ramp from the settings; a window shares the desktop's ramp,
// so the sliders leave it alone there, but Reset, Cancel and OK set it.
void Menu::applyGamma(const Settings& settings)
{
    if (m_renderer && m_renderer->m_device)
        m_renderer->setGamma(settings.gamma * 1.5f + 0.5f, settings.brightness, settings.contrast);
}

void Menu::applyVolumes(const Settings& settings)
{
    m_application->setCategoryVolume(uint16_t(m_application->getCategory("Music")), settings.musicVolume);
    m_application->setCategoryVolume(uint16_t(m_application->getCategory("Default")), settings.sfxVolume);
}

void Menu::setLanguage(int32_t language)
{
    m_application->m_settings.language = language;
    m_textTable->language = uint32_t(language);
    applyLanguageTexts();
}

void Menu::applyOptions()
{
    Settings& settings = m_application->m_settings;
    const Settings& before = m_optionsBackup;
    if (m_renderer) {
        // The main loop resets the device for a new mode.
        if (settings.width != before.width || settings.height != before.height || settings.windowed != before.windowed)
            m_renderer->setResolution(settings.width, settings.height, settings.windowed);
        if (settings.objectDetail != before.objectDetail)
            m_renderer->m_objectDetail = settings.objectDetail;
        if (settings.textureDetail != before.textureDetail)
            m_renderer->m_textureDetail = settings.textureDetail;
        if (settings.shadowDetail != before.shadowDetail)
            m_renderer->m_shadowDetail = settings.shadowDetail;
    }
    if (settings.language != before.language)
        setLanguage(settings.language);
    applyVolumes(settings);
    applyGamma(settings);
    if (m_input && m_renderer)
        m_input->setWindowSize(m_renderer->m_width, m_renderer->m_height);
    if (!settings.save())
        engineLog() << "Options: cannot write " << settings.path() << std::endl;
}

bool Menu::onOptionsOk(const CEGUI::EventArgs&)
{
    applyOptions();
    fadeOut(m_screens["Options"]);
    showMainMenu();
    return true;
}

bool Menu::onOptionsCancel(const CEGUI::EventArgs&)
{
    applyGamma(m_optionsBackup);
    applyVolumes(m_optionsBackup);
    setLanguage(m_optionsBackup.language);
    m_application->m_settings = m_optionsBackup;
    fadeOut(m_screens["Options"]);
    showMainMenu();
    return true;
}

bool Menu::onOptionsReset(const CEGUI::EventArgs&)
{
    // The language stays, and so does the edition, which is not an option.
    Settings& settings = m_application->m_settings;
    const Settings kept = settings;
    settings.setDefaults();
    settings.language = kept.language;
    settings.multilanguage = kept.multilanguage;
    settings.gameversion = kept.gameversion;
    fillOptions();
    applyGamma(settings);
    applyVolumes(settings);
    return true;
}

bool Menu::onOptionsVideoModeAccepted(const CEGUI::EventArgs& e)
{
    const CEGUI::ListboxItem* item = acceptedItem(e);
    if (!item || item->getID() >= m_videoModes.size())
        return true;
    const VideoMode& mode = m_videoModes[item->getID()];
    Settings& settings = m_application->m_settings;
    settings.width = mode.width;
    settings.height = mode.height;
    settings.windowed = mode.windowed;
    return true;
}

bool Menu::onOptionsLanguageAccepted(const CEGUI::EventArgs& e)
{
    const CEGUI::ListboxItem* item = acceptedItem(e);
    if (item && item->getID() < uint32_t(TextTable::kLanguageCount))
        setLanguage(int32_t(item->getID()));
    return true;
}

bool Menu::onOptionsTextureDetailSelected(const CEGUI::EventArgs&)
{
    const struct {
        const char* button;
        int32_t detail;
    } levels[] = {{"Options/OptTextureDetailLow", -2},
                  {"Options/OptTextureDetailMedium", -1},
                  {"Options/OptTextureDetailHigh", 0}};
    for (const auto& level : levels)
        if (radio(m_windows[level.button])->isSelected()) {
            m_application->m_settings.textureDetail = level.detail;
            break;
        }
    return true;
}

bool Menu::onOptionsObjectDetailSelected(const CEGUI::EventArgs&)
{
    if (radio(m_windows["Options/OptObjectDetailLow"])->isSelected())
        m_application->m_settings.objectDetail = 0;
    else if (radio(m_windows["Options/OptObjectDetailHigh"])->isSelected())
        m_application->m_settings.objectDetail = 1;
    return true;
}

void Menu::pictureChanged()
{
    if (m_renderer && !m_renderer->m_windowed)
        applyGamma(m_application->m_settings);
}

bool Menu::onOptionsBrightnessChanged(const CEGUI::EventArgs& e)
{
    m_application->m_settings.brightness = sliderValue(e);
    pictureChanged();
    return true;
}

bool Menu::onOptionsContrastChanged(const CEGUI::EventArgs& e)
{
    m_application->m_settings.contrast = sliderValue(e);
    pictureChanged();
    return true;
}

bool Menu::onOptionsGammaChanged(const CEGUI::EventArgs& e)
{
    m_application->m_settings.gamma = sliderValue(e);
    pictureChanged();
    return true;
}

bool Menu::onOptionsMusicVolumeChanged(const CEGUI::EventArgs& e)
{
    m_application->m_settings.musicVolume = sliderValue(e);
    m_application->setCategoryVolume(uint16_t(m_application->getCategory("Music")), m_application->m_settings.musicVolume);
    return true;
}

bool Menu::onOptionsSfxVolumeChanged(const CEGUI::EventArgs& e)
{
    m_application->m_settings.sfxVolume = sliderValue(e);
    m_application->setCategoryVolume(uint16_t(m_application->getCategory("Default")), m_application->m_settings.sfxVolume);
    return true;
}
