// Entry names and the files that hold them on disk: a drive is a top-level
// folder of its one capital letter, and the two mappings undo each other.
#include "tools/lib/EntryPath.h"

#include <gtest/gtest.h>

TEST(EntryPath, DriveIsAOneLetterFolder)
{
    struct Case {
        const char* entry;
        const char* host;
    };
    const Case cases[] = {
        {"D:\\Zoprax9\\menu\\Texts.xml", "D/Zoprax9/menu/Texts.xml"},
        {"config.xml", "config.xml"},
        {"Levels\\Track1\\noise.bin", "Levels/Track1/noise.bin"},
        {"Dx\\file", "Dx/file"}, // a longer folder name is no drive
        {"C:\\a", "C/a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hostPathOfEntry(c.entry), c.host) << c.entry;
        EXPECT_EQ(entryOfHostPath(c.host), c.entry) << c.host;
    }
    // Mixed separators, as the configuration writes some names.
    EXPECT_EQ(hostPathOfEntry("D:\\Zoprax9/3dobjects_cars/kart_01.lwo"), "D/Zoprax9/3dobjects_cars/kart_01.lwo");
}

TEST(EntryPath, LeavesWhatIsNoDriveAlone)
{
    // A lower-case letter, a drive-relative name and a lone file named by a
    // capital letter keep their colon or their name: the extractor refuses a
    // colon, and a file "D" at the top is a file, not a drive.
    EXPECT_EQ(hostPathOfEntry("d:\\x"), "d:/x");
    EXPECT_EQ(hostPathOfEntry("D:x"), "D:x");
    EXPECT_EQ(hostPathOfEntry("D:\\"), "D:/");
    EXPECT_EQ(entryOfHostPath("D"), "D");
    // A drive letter's folder without the colon cannot be told from a drive.
    EXPECT_EQ(hostPathOfEntry("D\\file"), "D/file");
    EXPECT_EQ(entryOfHostPath("D/file"), "D:\\file");
    EXPECT_EQ(entryOfHostPath("d/x"), "d\\x");
    EXPECT_EQ(entryOfHostPath("D/"), "D\\");
}
