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

TEST(SettingsFolder, PortableCopyOrConfigFolder) {
    // {exe folder, vamo2001.ini beside it, build folder, XDG_CONFIG_HOME, HOME}
    const FolderCase cases[] = {
        {"portable: settings there",
         {"/media/usb/vamo", true, false, "/x/cfg", "/home/eva"},
         "/media/usb/vamo"},
        {"portable: build folder",
         {"/src/vamo/build/src/app", false, true, "", "/home/eva"},
         "/src/vamo/build/src/app"},
        {"unpacked without settings",
         {"/home/eva/vamo", false, false, "", "/home/eva"},
         "/home/eva/.config/vamo2001"},
        {"installed: XDG_CONFIG_HOME",
         {"/usr/bin", false, false, "/x/cfg", "/home/eva"},
         "/x/cfg/vamo2001"},
        {"installed, settings there (root)",
         {"/usr/bin", true, false, "", "/root"},
         "/root/.config/vamo2001"},
        {"/usr/local", {"/usr/local/bin", true, false, "", "/root"}, "/root/.config/vamo2001"},
        {"/opt", {"/opt/vamo", true, true, "", "/home/eva"}, "/home/eva/.config/vamo2001"},
        {"not a system folder", {"/usrdata/vamo", true, false, "", "/home/eva"}, "/usrdata/vamo"},
        {"relative XDG_CONFIG_HOME ignored",
         {"/usr/bin", false, false, "cfg", "/home/eva"},
         "/home/eva/.config/vamo2001"},
        {"trailing slashes", {"/usr/bin", false, false, "/x/cfg//", ""}, "/x/cfg/vamo2001"},
        {"home with slash",
         {"/usr/bin", false, false, "", "/home/eva/"},
         "/home/eva/.config/vamo2001"},
        {"root as XDG_CONFIG_HOME", {"/usr/bin", false, false, "/", ""}, "/vamo2001"},
        {"nowhere: portable folder", {"/home/eva/vamo", false, false, "", ""}, "/home/eva/vamo"},
        {"nowhere: system folder", {"/usr/bin", true, false, "", ""}, ""},
        {"unknown program folder", {"", true, true, "", "/home/eva"}, "/home/eva/.config/vamo2001"},
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
