// Every debug key of the real game, pressed as real X key events, read back from its console.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "app/Console.h"
#include "support/GameProcess.h"
#include "support/Sandbox.h"
#include "support/WindowCapture.h"

namespace {

constexpr double kStartTimeout = 90.0;
constexpr double kKeyTimeout = 15.0;

// The game on the shipped level in an 800 x 600 window, started and ready for keys.
struct RunningGame {
    Sandbox sandbox{true};
    GameProcess process{gameBinaryPath(), {"-d", "800", "600"}, sandbox.path("work")};
    std::string window;

    RunningGame() {
        if (process.waitFor(labelText("PHYSXFACTORY") + "OK!\n", kStartTimeout)) {
            window = findWindow("Morbane", 10.0);
        }
        process.readFor(1.0); // let it draw a few frames
    }

    // Presses a key and waits for the console line it must print.
    bool press(const std::string& key, const std::string& expected) {
        pressKey(window, key);
        return process.waitFor(expected, kKeyTimeout);
    }

    int quit() {
        pressKey(window, "Escape");
        return process.waitForExit(60.0) ? process.exitStatus : -1;
    }
};

size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

} // namespace

TEST(Keys, EveryToggleConfirmsItselfOnTheConsole) {
    RunningGame game;
    ASSERT_FALSE(game.window.empty()) << game.process.output;

    const std::string help = "F1 ... HELP\nF2 ... FRAME TIME\nF3 ...  WIREFRAME\n"
                             "F4 ... TEXTURE QUALITY\nF5 ... MIPMAP QUALITY\nF6 ... CURSOR\n"
                             "F8 ... FRUSTRUM CULLING\nF9 ... TRANSPARENCY\n"
                             "TAB ... CAMERA SWITCH\nESC ... EXIT\n";
    EXPECT_TRUE(game.press("F1", "OK!\n" + help)) << game.process.output;
    EXPECT_TRUE(game.press("F4", "\nTEXTURE NEAREST\n"));
    EXPECT_TRUE(game.press("F4", "\nTEXTURE LINEAR\n"));
    EXPECT_TRUE(game.press("F5", "\nMIPMAP OFF\n"));
    EXPECT_TRUE(game.press("F5", "\nMIPMAP LINEAR\n"));
    EXPECT_TRUE(game.press("F5", "\nMIPMAP NEAREST\n"));
    EXPECT_TRUE(game.press("F6", "\nCURSOR DISABLED\n"));
    EXPECT_TRUE(game.press("F6", "\nCURSOR ENABLED\n"));
    EXPECT_TRUE(game.press("F9", "\nTRANSPARENCY DISACTIVATED\n"));
    EXPECT_TRUE(game.press("Tab", "\nFREE CAMERA ENABLED\n"));
    EXPECT_TRUE(game.press("Tab", "\nFREE CAMERA DISABLED\n"));
    EXPECT_TRUE(game.press("Return", "\nENTER PRESSED\n"));
    EXPECT_EQ(game.quit(), 0);

    const std::string& output = game.process.output;
    // F7 is no key of the game, and nothing else slipped in between the confirmations.
    EXPECT_EQ(count(output, "MIPMAP "), 3u);
    EXPECT_EQ(count(output, "\nTEXTURE "), 2u);
    const std::string shutdown = "CLEANING UP GAME:\n" + labelText("GAME") + "OK!\n" +
                                 labelText("PHYSX:") + "OK!\nCLEANING UP LIBRARIES:\n" +
                                 labelText("WINDOW") + "OK!\n" + labelText("GLFW") + "OK!\n";
    EXPECT_EQ(output.substr(output.find("ENTER PRESSED\n")), "ENTER PRESSED\n" + shutdown);
}

TEST(Keys, StatusLinesComeOncePerSecondWithFrameTimeAndMeshCount) {
    RunningGame game;
    ASSERT_FALSE(game.window.empty()) << game.process.output;
    ASSERT_TRUE(game.press("F2", "\nFRAME TIME ACTIVATED\n"));
    const size_t start = game.process.output.size();
    game.process.readFor(3.5);
    const std::string frameTimes = game.process.output.substr(start);
    const size_t lines = count(frameTimes, "FR: ");
    EXPECT_GE(lines, 2u) << frameTimes;
    EXPECT_LE(lines, 4u) << frameTimes;
    EXPECT_EQ(count(frameTimes, "; NM: "), 0u);

    ASSERT_TRUE(game.press("F8", "\nNUMBER OF MESHES ACTIVATED\n"));
    ASSERT_TRUE(game.process.waitFor("; NM: ", 5.0));
    ASSERT_TRUE(game.process.waitFor("\n", 1.0));
    // "FR: 0.016667; NM: 42": six decimals, then the drawn-instance count.
    const std::string& output = game.process.output;
    const size_t line = output.rfind("FR: ");
    const std::string statusLine = output.substr(line, output.find('\n', line) - line);
    EXPECT_TRUE(std::regex_match(statusLine, std::regex("FR: [0-9]+\\.[0-9]{6}; NM: [1-9][0-9]*")))
        << statusLine;

    ASSERT_TRUE(game.press("F2", "\nFRAME TIME DISACTIVATED\n"));
    ASSERT_TRUE(game.process.waitFor("\n; NM: ", 5.0)); // the count alone starts with its separator
    EXPECT_EQ(game.quit(), 0);
}

TEST(Keys, WireframeDrawsLinesAndReturnsToFilledPolygons) {
    RunningGame game;
    ASSERT_FALSE(game.window.empty()) << game.process.output;
    const Picture filled = captureWindow(game.window);
    ASSERT_EQ(filled.width, 800);

    ASSERT_TRUE(game.press("F3", "\nWIREFRAME ACTIVATED\n"));
    game.process.readFor(1.0);
    const Picture lines = captureWindow(game.window);
    ASSERT_TRUE(game.press("F3", "\nWIREFRAME DISACTIVATED\n"));
    game.process.readFor(1.0);
    const Picture filledAgain = captureWindow(game.window);

    // Lines leave most of the black clear colour showing; filled polygons cover it.
    EXPECT_LT(darkShare(filled), 0.2);
    EXPECT_GT(darkShare(lines), darkShare(filled) + 0.3);
    EXPECT_LT(darkShare(filledAgain), 0.2);
    EXPECT_EQ(game.quit(), 0);
}

TEST(Keys, AHeldKeyTogglesOnce) {
    RunningGame game;
    ASSERT_FALSE(game.window.empty()) << game.process.output;
    holdKey(game.window, "F9", 1.2);
    game.process.readFor(1.0);
    const std::string& output = game.process.output;
    EXPECT_EQ(count(output, "TRANSPARENCY DISACTIVATED"), 1u);
    EXPECT_EQ(count(output, "TRANSPARENCY ACTIVATED"), 0u);
    EXPECT_EQ(game.quit(), 0);
}
