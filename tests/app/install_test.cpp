// `cmake --install` into a scratch prefix: the program, the theme, the menu entry (checked by
// desktop-file-validate), the icon and the manual page; and the installed program makes a new
// home that links the installed theme.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/test_support.h"

namespace {
namespace fs = std::filesystem;

TEST(Install, PutsEveryFileWhereTheDesktopLooksAndTheProgramFindsItsTheme) {
    TestSupport::Scratch_dir scratch;
    const std::string prefix = scratch.Path() + "/prefix";
    const std::string install = std::string("'") + TAVRIX_CMAKE + "' --install '" + TAVRIX_BINARY_DIR + "' --prefix '" +
                                prefix + "' >install.txt 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << TestSupport::Read_file("install.txt");

    EXPECT_TRUE(fs::is_regular_file(prefix + "/bin/tavrix"));
    EXPECT_TRUE(fs::is_regular_file(prefix + "/share/tavrix/pics/IMAGE_background.jpg"));
    EXPECT_TRUE(fs::is_regular_file(prefix + "/share/tavrix/pics/IMAGE_no_cover.bmp"));
    EXPECT_FALSE(fs::exists(prefix + "/share/tavrix/pics/.painted"));
    EXPECT_FALSE(fs::exists(prefix + "/pics"));  // the theme is shared data, no home of its own
    for (const char* size : {"32x32", "48x48", "64x64", "128x128", "256x256"}) {
        const std::string icon = prefix + "/share/icons/hicolor/" + size + "/apps/tavrix.png";
        ASSERT_TRUE(fs::is_regular_file(icon)) << icon;
        EXPECT_EQ(TestSupport::Read_file(icon).substr(1, 3), "PNG");
    }

    const std::string desktop = prefix + "/share/applications/tavrix.desktop";
    ASSERT_TRUE(fs::is_regular_file(desktop));
    const std::string entry = TestSupport::Read_file(desktop);
    EXPECT_NE(entry.find("\nExec=tavrix\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=tavrix\n"), std::string::npos);
    EXPECT_NE(entry.find("\nCategories=AudioVideo;Audio;Player;\n"), std::string::npos);
    if (std::system("command -v desktop-file-validate >/dev/null") != 0)
        ADD_FAILURE() << "desktop-file-validate missing (scripts/install-deps.sh installs desktop-file-utils)";
    else
        EXPECT_EQ(std::system(("desktop-file-validate '" + desktop + "' >validate.txt 2>&1").c_str()), 0)
            << TestSupport::Read_file("validate.txt");

    const std::string manual = TestSupport::Read_file(prefix + "/share/man/man1/tavrix.1");
    for (const char* part : {".SH OPTIONS", ".SH KEYS", ".SH FILES", ".SH ENVIRONMENT", "\\-\\-home", "\\-\\-headless",
                             "\\-\\-script", "\\-\\-rebuild\\-library", "\\-\\-list", "\\-\\-version", "XDG_DATA_HOME",
                             "TAVRIX_DIST_SERVER", "settings_v3.ini", "Game controllers"})
        EXPECT_NE(manual.find(part), std::string::npos) << part;

    // The installed program, started from an ordinary folder, makes its home with the installed theme.
    TestSupport::Make_dirs(scratch.Path() + "/user");
    const std::string program = prefix + "/bin/tavrix";
    const std::string start = "cd '" + scratch.Path() + "/user' && env -i HOME='" + scratch.Path() +
                              "/user' PATH=/usr/bin:/bin '" + program +
                              "' --headless --rebuild-library >start.txt 2>&1";
    ASSERT_EQ(std::system(start.c_str()), 0) << TestSupport::Read_file(scratch.Path() + "/user/start.txt");
    const std::string home = scratch.Path() + "/user/.local/share/tavrix";
    ASSERT_TRUE(fs::is_symlink(home + "/pics"));
    EXPECT_EQ(fs::read_symlink(home + "/pics"), fs::canonical(prefix + "/share/tavrix/pics"));
}

}  // namespace
