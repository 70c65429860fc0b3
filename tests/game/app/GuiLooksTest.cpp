// The GUI data set read through the archive as the game reads it: every
// window type of both schemes is made and drawn with its look, and every
// layout written from data/gui loads.
#include "game/app/Application.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "game/app/Gui.h"
#include "support/PlayerFolderRig.h"
#include "support/ScopedWorkingDirectory.h"

#include <CEGUI/ImageManager.h>
#include <CEGUI/System.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowFactoryManager.h>
#include <CEGUI/WindowManager.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

class GuiLooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        DiskFile disk("");
        ASSERT_TRUE(m_archive.mount(disk, archive.c_str())) << archive;
        m_app = std::make_unique<Application>(nullptr);
        ASSERT_TRUE(m_app->init(&m_archive));
    }
    ScopedWorkingDirectory m_folder{"gui-looks"};
    PlayerFolderRig m_playerFolder;
    ArchiveFile m_archive;
    std::unique_ptr<Application> m_app;
};

TEST_F(GuiLooks, EveryWindowTypeOfBothSchemesIsMadeAndDrawn)
{
    // Every type the layouts, the menu and the race use, under both names.
    const char* const types[] = {
        "StaticImage", "CaptionedImage", "StaticText", "Title", "Panel", "Dim", "Button", "BackButton",
        "NextButton", "ArrowLeft", "ArrowRight", "ChoiceButton", "IconButton", "RadioButton", "PortraitRadio",
        "Checkbox", "Editbox", "MultiLineEditbox", "Listbox", "Combobox", "HorizontalSlider", "VerticalScrollbar",
        "HorizontalScrollbar", "ProgressBar", "StatBar", "FrameWindow", "MultiColumnList", "Tooltip", "HudText", "EnergyBar",
    };
    CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
    for (const char* scheme : {"Speed/", "SteamLook/"})
        for (const char* type : types) {
            const std::string name = std::string(scheme) + type;
            SCOPED_TRACE(name);
            CEGUI::Window* w = nullptr;
            ASSERT_NO_THROW(w = windows.createWindow(name, ""));
            w->setText("Text");
            w->setSize(CEGUI::USize(CEGUI::UDim(0.3f, 0.0f), CEGUI::UDim(0.2f, 0.0f)));
            m_app->m_rootWindow->addChild(w);
            EXPECT_NO_THROW(CEGUI::System::getSingleton().renderAllGUIContexts());
            windows.destroyWindow(w);
        }
}

TEST_F(GuiLooks, EveryLayoutOfTheDataSetLoads)
{
    // The pictures the menu's and the shop's screens show.
    for (const char* set : {"Vorlund", "Flags", "Portraits", "Tracks", "Logos", "Upgrades", "Countdown", "Powerups", "Icons"})
        ASSERT_NO_THROW(CEGUI::ImageManager::getSingleton().loadImageset(std::string(set) + ".imageset")) << set;
    const std::filesystem::path tables = std::filesystem::path(std::getenv("VORLUND_SOURCE_DIR")) / "data/gui";
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tables)) {
        if (entry.path().extension() != ".widgets")
            continue;
        const std::string layout = entry.path().stem().string() + ".layout";
        SCOPED_TRACE(layout);
        CEGUI::Window* root = nullptr;
        ASSERT_NO_THROW(root = gui::loadLayout(layout));
        // Beside the application's own screens of the same names.
        root->setName("Loaded" + root->getName());
        m_app->m_rootWindow->addChild(root);
        EXPECT_NO_THROW(CEGUI::System::getSingleton().renderAllGUIContexts());
        CEGUI::WindowManager::getSingleton().destroyWindow(root);
        ++count;
    }
    EXPECT_GE(count, 24u);
}

} // namespace
