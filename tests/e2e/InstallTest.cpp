// The game as a user installs it: cmake --install into a throw-away root, the launcher started
// from a folder that has nothing to do with the game, and the .deb that CPack builds.
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"

using testing::HasSubstr;

TEST(Install, TheLauncherStartsTheInstalledGameFromAnyFolder) {
    PrivateDisplay display;
    // Its working folder has an empty ../Resources: the game must not read that one.
    Sandbox sandbox;
    const std::string root = sandbox.path("root");
    ASSERT_EQ(runCommand("DESTDIR=" + root +
                         " " MORBANE_CMAKE " --install " MORBANE_BUILD_DIR
                         " --prefix /usr/local >/dev/null"),
              0);
    GameProcess game({"-d", "800", "600"}, sandbox.path("work"), root + "/usr/local/bin/morbane");
    ASSERT_TRUE(game.started()) << game.output;
    EXPECT_EQ(windowGeometry(game.window).width, 800);
    EXPECT_EQ(game.quit(), 0);
    EXPECT_EQ(game.output, startTranscript() + shutdownTranscript());
}

TEST(Install, ThePackageHoldsTheLauncherTheGameItsResourcesTheMenuEntryAndTheIcon) {
#ifdef MORBANE_SANITIZE
    GTEST_SKIP() << "packaging runs no code of ours; the plain build checks the package";
#endif
    Sandbox sandbox;
    const std::string folder = sandbox.path("package");
    ASSERT_EQ(runCommand(MORBANE_CPACK " --config " MORBANE_BUILD_DIR "/CPackConfig.cmake -B " +
                         folder + " >/dev/null"),
              0);
    const std::string deb = folder + "/morbane_1.0.0_amd64.deb";
    std::string files;
    ASSERT_EQ(runCommand("dpkg-deb -c " + deb, &files), 0);
    std::vector<std::string> expected = {"/usr/bin/morbane", "/usr/share/morbane/bin/morbane",
                                         "/usr/share/applications/morbane.desktop",
                                         "/usr/share/icons/hicolor/256x256/apps/morbane.png"};
    const std::filesystem::path resources = shippedPath("Resources");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(resources)) {
        if (entry.is_regular_file()) {
            expected.push_back("/usr/share/morbane/Resources/" +
                               entry.path().lexically_relative(resources).string());
        }
    }
    for (const std::string& file : expected) {
        EXPECT_THAT(files, HasSubstr(" ." + file + "\n"));
    }
    // The menu entry starts the launcher on PATH and names the icon by its theme name.
    const std::string desktop = readFile(shippedPath("tools/launcher/morbane.desktop"));
    EXPECT_THAT(desktop, HasSubstr("\nExec=morbane\n"));
    EXPECT_THAT(desktop, HasSubstr("\nIcon=morbane\n"));
    std::string depends;
    ASSERT_EQ(runCommand("dpkg-deb -f " + deb + " Depends", &depends), 0);
    for (const char* library :
         {"libglfw3", "libglew", "libassimp", "libfreeimage3", "libfreetype6", "libbullet"}) {
        EXPECT_THAT(depends, HasSubstr(library));
    }
}
