// The application's GUI: CEGUI over the device with the game's resource
// provider, the schemes, fonts and root window, and the loading screen.
#include "game/app/Application.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/io/Stream.h"
#include "game/app/FatalError.h"
#include "game/app/Gui.h"
#include "game/app/GuiLog.h"
#include "game/app/GuiResourceProvider.h"
#include "game/app/GuiXmlParser.h"
#include "platform/gui/GuiRenderer.h"
#include "platform/files/PlayerFiles.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/FontManager.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/SchemeManager.h>
#include <CEGUI/System.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/ProgressBar.h>

#include <string>

namespace {
// The back-buffer size the GUI starts with when there is no device.
constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 768;

// What to tell the player when the GUI cannot start: the file CEGUI last
// asked for, when that could not be had, or when it was being used by a
// step that reads files (a font's face file, not the font that named it).
std::string guiFailure(const GuiResourceProvider* provider, const char* stepFile)
{
    if (provider && !provider->lastFile().empty()) {
        const std::string quoted = "the GUI file \"" + provider->lastFile() + "\" ";
        switch (provider->lastOutcome()) {
        case GuiResourceProvider::Outcome::Missing:
            return quoted + "is missing from the game's data.";
        case GuiResourceProvider::Outcome::Damaged:
            return quoted + "is damaged in the game's data.";
        case GuiResourceProvider::Outcome::Read:
            if (*stepFile)
                return quoted + "is damaged.";
            break;
        }
    }
    return "the GUI could not be set up.";
}

} // namespace

bool Application::startGui()
{
    // The file each step reads, for the message when it fails.
    const char* file = "";
    try {
        // The log goes into the player folder, or nowhere when that cannot
        // be written.
        if (!CEGUI::Logger::getSingletonPtr()) {
            std::string why;
            m_guiLog = new GuiLog(playerFolderWritable(why) ? playerFilePath("CEGUI.log") : std::string());
        }
        m_resourceProvider = new GuiResourceProvider(m_archive);
        const bool device = m_renderer && m_renderer->m_device;
        const int width = device && m_renderer->m_width > 0 ? m_renderer->m_width : kDefaultWidth;
        const int height = device && m_renderer->m_height > 0 ? m_renderer->m_height : kDefaultHeight;
        m_guiRenderer = device ? GuiRenderer::create(m_renderer->m_device, width, height)
                               : GuiRenderer::createNull(width, height);
        m_xmlParser = new GuiXmlParser();
        m_guiSystem = &CEGUI::System::create(m_guiRenderer->renderer(), m_resourceProvider, m_xmlParser, nullptr,
                                             nullptr, "", "");
        CEGUI::GUIContext& context = m_guiSystem->getDefaultGUIContext();

        CEGUI::SchemeManager& schemes = CEGUI::SchemeManager::getSingleton();
        for (const char* scheme : {"SteamLook.scheme", "Speed.scheme"}) {
            file = scheme;
            schemes.createFromFile(scheme);
        }
        context.getMouseCursor().setDefaultImage(gui::image("Speed", "MouseArrow"));
        for (const char* font : {"Arial-10.font", "Comic-18.font", "Comic-26.font", "Comic-34.font"}) {
            file = font;
            CEGUI::FontManager::getSingleton().createFromFile(font);
        }
        file = "PortraitsSmall.imageset";
        CEGUI::ImageManager::getSingleton().loadImageset(file);
        context.setDefaultFont("Arial-10");

        file = "";
        m_rootWindow = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "Root");
        m_rootWindow->setPosition(CEGUI::UVector2(CEGUI::UDim(0.0f, 0.0f), CEGUI::UDim(0.0f, 0.0f)));
        m_rootWindow->setSize(CEGUI::USize(CEGUI::UDim(1.0f, 0.0f), CEGUI::UDim(1.0f, 0.0f)));
        m_rootWindow->setVisible(true);
        context.setRootWindow(m_rootWindow);
        context.setDefaultTooltipType("Speed/Tooltip");

        file = "LoadingScreen.layout";
        m_loadingWindow = gui::loadLayout(file);
        m_loadingWindow->hide();
        m_loadingWindow->setAlwaysOnTop(true);
        CEGUI::Window* bar = gui::find(m_loadingWindow, "LoadingScreen/ProgressBar");
        m_progressBar = dynamic_cast<CEGUI::ProgressBar*>(bar);
        if (!m_progressBar)
            CEGUI_THROW(CEGUI::InvalidRequestException("LoadingScreen/ProgressBar is not a progress bar"));
        m_progressBar->setAlwaysOnTop(true);
        m_rootWindow->addChild(m_loadingWindow);

        file = "LoadingScreen_00.png";
        // During start-up the bar runs over its first half.
        openLoadingScreen("", 0.0f, 0.0f, 0.5f);
        context.getMouseCursor().hide();
        return true;
    } catch (const CEGUI::Exception& e) {
        reportFatalError("The game cannot start: " + guiFailure(m_resourceProvider, file) + "\n"
                         + e.getMessage().c_str());
        return false;
    }
}

void Application::stopGui()
{
    if (m_guiSystem) {
        CEGUI::WindowManager::getSingleton().destroyAllWindows();
        CEGUI::ImageManager::getSingleton().destroyAll();
        CEGUI::FontManager::getSingleton().destroyAll();
        CEGUI::System::destroy();
    }
    delete m_guiLog;
    m_guiLog = nullptr;
    m_guiSystem = nullptr;
    m_rootWindow = nullptr;
    m_loadingWindow = nullptr;
    m_progressBar = nullptr;
    delete m_xmlParser;
    m_xmlParser = nullptr;
    delete m_guiRenderer;
    m_guiRenderer = nullptr;
    delete m_resourceProvider;
    m_resourceProvider = nullptr;
}

std::string Application::loadingPicture(const std::string& levelName) const
{
    const char* const ownPicture = "LoadingScreen_00.png";
    if (levelName.empty())
        return ownPicture;
    const LevelInfo* level = findLevel(levelName);
    if (!level || level->loadingscreen.empty() || !m_archive)
        return ownPicture;
    const std::string path = std::string(GuiResourceProvider::kFolder) + level->loadingscreen;
    return m_archive->exists(path.c_str()) ? level->loadingscreen : ownPicture;
}
