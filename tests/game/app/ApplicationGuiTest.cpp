// Start-up and shut-down of the application over our packed data set, with
// CEGUI's null renderer: every step in order, the loading screen, and GUI
// files that are missing or damaged.
#include "game/app/Application.h"
#include "game/app/FatalError.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/base/EngineLog.h"
#include "game/app/Gui.h"
#include "game/app/TextTable.h"
#include "support/AlteredArchive.h"
#include "support/PlayerFolderRig.h"
#include "support/ScopedWorkingDirectory.h"

#include <CEGUI/System.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/ProgressBar.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ApplicationStartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        DiskFile disk("");
        ASSERT_TRUE(m_archive.mount(disk, archive.c_str())) << archive;
        setEngineLogSink(&m_log);
        clearFatalError();
    }
    void TearDown() override { setEngineLogSink(nullptr); }

    // The progress values the loading screen was given, in order.
    std::vector<std::string> progressLog() const
    {
        std::vector<std::string> lines;
        std::istringstream in(m_log.str());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("progress", 0) == 0)
                lines.push_back(line);
        return lines;
    }

    ScopedWorkingDirectory m_folder{"app-startup"};
    PlayerFolderRig m_playerFolder;
    ArchiveFile m_archive;
    std::ostringstream m_log;
};

TEST_F(ApplicationStartUp, InitRunsEveryStepInOrderAndTheDestructorTakesItAllDown)
{
    {
        Application app(nullptr);
        app.m_settings.language = -1;
        ASSERT_TRUE(app.init(&m_archive));
        EXPECT_EQ(progressLog(),
                  (std::vector<std::string>{"progressOpen", "progress: 0", "progress: 0.05", "progress: 0.1",
                                            "progress: 0.15", "progress: 0.2", "progress: 0.3", "progress: 0.4",
                                            "progress: 0.5", "progress: 0.6", "progress: 0.7", "progress: 0.8",
                                            "progress: 0.85", "progress: 0.9", "progress: 0.95", "progress: 1"}));
        // Every step left what it makes.
        ASSERT_NE(app.m_guiSystem, nullptr);
        ASSERT_NE(app.m_textTable, nullptr);
        EXPECT_EQ(app.m_textTable->language, 1u); // no language chosen yet: English
        EXPECT_GT(app.m_textTable->size(1), 0u);
        EXPECT_NE(app.m_highscores, nullptr);
        EXPECT_NE(app.m_profileStore, nullptr);
        EXPECT_EQ(app.m_config.upgrades().color.size(), 7u);
        EXPECT_TRUE(std::filesystem::exists(m_playerFolder.file("profiles.dat")));
        EXPECT_TRUE(std::filesystem::exists(m_playerFolder.file("highscores.dat")));
        // Start-up fills the first half of the bar.
        EXPECT_EQ(gui::find("LoadingScreen/ProgressBar"), app.m_progressBar);
        EXPECT_FLOAT_EQ(app.m_progressBar->getProgress(), 0.5f);
        EXPECT_TRUE(app.m_loadingWindow->isVisible());
        EXPECT_TRUE(app.m_loadingWindow->getModalState());
        EXPECT_TRUE(gui::isImageDefined("LoadingBg"));
        EXPECT_TRUE(gui::isImageDefined("PortraitsSmall/Blanko"));
        EXPECT_TRUE(gui::isImageDefined("Speed/MouseArrow"));
        // A picture the set lacks, or none named, falls back.
        EXPECT_EQ(gui::imageOr("PortraitsSmall", "Blanko", "x"), "PortraitsSmall/Blanko");
        EXPECT_EQ(gui::imageOr("PortraitsSmall", "", "Blanko"), "PortraitsSmall/Blanko");
        EXPECT_EQ(gui::imageOr("PortraitsSmall", "NoSuchKart", "Blanko"), "PortraitsSmall/Blanko");

        app.openLoadingScreen("", 0.3f, 0.9f, 0.2f);
        EXPECT_FLOAT_EQ(app.m_progressBar->getProgress(), 0.41f);
        app.closeLoadingScreen();
        EXPECT_FALSE(app.m_loadingWindow->isVisible());
        EXPECT_FALSE(gui::isImageDefined("LoadingBg"));
        // Opened again, for a level whose picture the archive lacks: the
        // game's own picture stands in.
        app.openLoadingScreen("no such level", 0.0f, 0.5f, 1.0f);
        EXPECT_TRUE(gui::isImageDefined("LoadingBg"));
        EXPECT_FLOAT_EQ(app.m_progressBar->getProgress(), 0.5f);
    }
    EXPECT_EQ(CEGUI::System::getSingletonPtr(), nullptr);
}

TEST_F(ApplicationStartUp, AMissingOrDamagedGuiFileEndsStartUpNamingTheFile)
{
    struct Case {
        const char* file;        // as the archive holds it
        const char* replacement; // null: missing
        const char* named;       // what the message names
    };
    // The file named is the one that is wrong, not the file that led to it:
    // a scheme's looks or imageset, a font's face file.
    const Case cases[] = {
        {"SteamLook.scheme", nullptr, "SteamLook.scheme\" is missing"},
        {"Speed.scheme", "<GUIScheme version=\"5\" name=\"Speed\"><Imageset", "Speed.scheme\" is damaged"},
        {"Speed.looknfeel", nullptr, "Speed.looknfeel\" is missing"},
        {"Speed.imageset", "not xml at all", "Speed.imageset\" is damaged"},
        {"Speed.png", AlteredArchive::kUnpackable, "Speed.png\" is damaged in the game's data"},
        {"Comic-26.font", nullptr, "Comic-26.font\" is missing"},
        {"DejaVuSans.ttf", "not a font", "DejaVuSans.ttf\" is damaged"},
        {"PortraitsSmall.imageset", nullptr, "PortraitsSmall.imageset\" is missing"},
        {"LoadingScreen.layout", "<GUILayout version=\"4\"><Window type=\"NoSuchType\" name=\"X\"/></GUILayout>",
         "LoadingScreen.layout\" is damaged"},
        {"LoadingScreen.layout",
         "<GUILayout version=\"4\"><Window type=\"Speed/StaticImage\" name=\"LoadingScreen\"/></GUILayout>",
         "LoadingScreen.layout\" is damaged"},
        {"LoadingScreen_00.png", nullptr, "LoadingScreen_00.png\" is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.replacement ? " damaged" : " missing"));
        AlteredArchive archive(m_archive, std::string("menu\\") + c.file, c.replacement);
        clearFatalError();
        testing::internal::CaptureStderr();
        {
            Application app(nullptr);
            EXPECT_FALSE(app.init(&archive));
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(std::string("The game cannot start: the GUI file \"") + c.named), std::string::npos)
            << said;
        EXPECT_TRUE(fatalErrorReported());
        EXPECT_EQ(CEGUI::System::getSingletonPtr(), nullptr);
    }
}

TEST_F(ApplicationStartUp, ADamagedSoundFileEndsStartUpNamingTheFile)
{
    for (const char* file : {"Zoprax9.xgs", "WaveBank.xwb", "SoundBank.xsb"}) {
        SCOPED_TRACE(file);
        AlteredArchive archive(m_archive, std::string("soundfx\\Win\\") + file, AlteredArchive::kUnpackable);
        clearFatalError();
        testing::internal::CaptureStderr();
        {
            Application app(nullptr);
            EXPECT_FALSE(app.init(&archive));
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(std::string("the sound file \"D:\\Zoprax9\\soundfx\\Win\\") + file
                            + "\" is damaged in the game's data"),
                  std::string::npos)
            << said;
        EXPECT_TRUE(fatalErrorReported());
    }
}

// The GUI's log goes into the player folder, never the working directory;
// where the player folder cannot be written it goes nowhere, and the GUI
// still starts.
TEST_F(ApplicationStartUp, TheGuiLogLivesInThePlayerFolderOrNowhere)
{
    {
        Application app(nullptr);
        ASSERT_TRUE(app.init(&m_archive));
    }
    EXPECT_GT(std::filesystem::file_size(m_playerFolder.file("CEGUI.log")), 0u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(m_folder.path()) / "CEGUI.log"));

    m_playerFolder.write("blocker", "x");
    setenv("VORLUND_HOME", m_playerFolder.file("blocker").c_str(), 1);
    {
        Application app(nullptr);
        ASSERT_TRUE(app.init(&m_archive));
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(m_folder.path()) / "CEGUI.log"));
}

} // namespace
