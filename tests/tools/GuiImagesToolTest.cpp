// The guiimages program end to end: it makes its output folder, however deep,
// and writes every picture with its imageset there.
#include "support/PlayerFolderRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

TEST(GuiImagesTool, MakesItsOutputFolder)
{
    PlayerFolderRig rig;
    const std::filesystem::path out = rig.folder() / "new" / "menu";
    const char* dir = std::getenv("VORLUND_BINARY_DIR");
    const std::string command = std::string(dir ? dir : ".") + "/bin/guiimages '" + out.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const char* file :
         {"Speed.png", "Speed.imageset", "PortraitsSmall.png", "PortraitsSmall.imageset", "LoadingScreen_00.png"})
        EXPECT_TRUE(std::filesystem::is_regular_file(out / file)) << file;

    // A file where the folder should be cannot be made into one.
    rig.write("blocker", "x");
    const std::string blocked = std::string(dir ? dir : ".") + "/bin/guiimages '" + (rig.folder() / "blocker" / "menu").string() + "' 2>/dev/null";
    const int refused = std::system(blocked.c_str());
    EXPECT_TRUE(WIFEXITED(refused) && WEXITSTATUS(refused) == 1);
}
