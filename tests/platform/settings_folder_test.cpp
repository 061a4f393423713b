#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempDir.h"
#include "platform/platform.h"

namespace {

struct FolderCase {
    const char* name;
    platform::SettingsPlaces places;
    const char* expected;
};

TEST(SettingsFolder, ChoosesExecutableFolderOrConfigFolder) {
    const FolderCase cases[] = {
        {"writable program folder wins", {"/opt/vamo", true, "/x/cfg", "/home/eva"}, "/opt/vamo"},
        {"installed: XDG_CONFIG_HOME",
         {"/usr/bin", false, "/x/cfg", "/home/eva"},
         "/x/cfg/vamo2001"},
        {"installed: HOME/.config",
         {"/usr/bin", false, "", "/home/eva"},
         "/home/eva/.config/vamo2001"},
        {"relative XDG_CONFIG_HOME ignored",
         {"/usr/bin", false, "cfg", "/home/eva"},
         "/home/eva/.config/vamo2001"},
        {"trailing slashes", {"/usr/bin", false, "/x/cfg//", ""}, "/x/cfg/vamo2001"},
        {"home with slash", {"/usr/bin", false, "", "/home/eva/"}, "/home/eva/.config/vamo2001"},
        {"root as XDG_CONFIG_HOME", {"/usr/bin", false, "/", ""}, "/vamo2001"},
        {"nowhere better", {"/usr/bin", false, "", ""}, "/usr/bin"},
        {"unknown program folder", {"", true, "", "/home/eva"}, "/home/eva/.config/vamo2001"},
    };
    for (const FolderCase& c : cases) {
        EXPECT_EQ(platform::SettingsFolder(c.places), c.expected) << c.name;
    }
}

TEST(MakeFolders, CreatesMissingLevelsAndAcceptsExisting) {
    testsupport::TempDir dir;
    const std::string target = dir.File("a/b/vamo2001");
    ASSERT_TRUE(platform::MakeFolders(target));
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_TRUE(platform::MakeFolders(target));

    // A file where the folder should be is not a folder.
    testsupport::WriteFileBytes(dir.File("file"), "x");
    EXPECT_FALSE(platform::MakeFolders(dir.File("file")));
    EXPECT_FALSE(platform::MakeFolders(dir.File("file/sub")));
}

}  // namespace
