// Every debug key of the real game, pressed as real X key events, read back from its console.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "app/Console.h"
#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"
#include "support/WindowCapture.h"

namespace {

constexpr double kStartTimeout = 90.0;
constexpr double kKeyTimeout = 15.0;

// The game on the shipped level in an 800 x 600 window, started and ready for keys.
struct RunningGame {
    PrivateDisplay display;
    Sandbox sandbox{true};
    GameProcess process{{"-d", "800", "600"}, sandbox.path("work")};
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
        return process.waitFor(expected, kKeyTimeout, true);
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
                             "TAB ... CAMERA SWITCH\nESC ... EXIT";
    EXPECT_TRUE(game.press("F1", help)) << game.process.output;
    // F7 and an unbound key neither print nor change any state the toggles below report.
    pressKey(game.window, "F7");
    pressKey(game.window, "q");
    EXPECT_TRUE(game.press("F4", "TEXTURE NEAREST"));
    EXPECT_TRUE(game.press("F4", "TEXTURE LINEAR"));
    EXPECT_TRUE(game.press("F5", "MIPMAP OFF"));
    EXPECT_TRUE(game.press("F5", "MIPMAP LINEAR"));
    EXPECT_TRUE(game.press("F5", "MIPMAP NEAREST"));
    EXPECT_TRUE(game.press("F6", "CURSOR DISABLED"));
    EXPECT_TRUE(game.press("F6", "CURSOR ENABLED"));
    EXPECT_TRUE(game.press("F9", "TRANSPARENCY DISACTIVATED"));
    EXPECT_TRUE(game.press("Tab", "FREE CAMERA ENABLED"));
    EXPECT_TRUE(game.press("Tab", "FREE CAMERA DISABLED"));
    EXPECT_TRUE(game.press("Return", "ENTER PRESSED"));
    EXPECT_EQ(game.quit(), 0);

    const std::string& output = game.process.output;
    // Nothing slipped in between the confirmations.
    EXPECT_NE(output.find(help + "\nTEXTURE NEAREST\n"), std::string::npos);
    EXPECT_EQ(count(output, "\nMIPMAP "), 3u);
    EXPECT_EQ(count(output, "\nTEXTURE "), 2u);
    const std::string shutdown = "CLEANING UP GAME:\n" + labelText("GAME") + "OK!\n" +
                                 labelText("PHYSX:") + "OK!\nCLEANING UP LIBRARIES:\n" +
                                 labelText("WINDOW") + "OK!\n" + labelText("GLFW") + "OK!\n";
    EXPECT_EQ(output.substr(output.find("ENTER PRESSED\n")), "ENTER PRESSED\n" + shutdown);
}

TEST(Keys, StatusLinesComeOncePerSecondWithFrameTimeAndMeshCount) {
    RunningGame game;
    ASSERT_FALSE(game.window.empty()) << game.process.output;
    ASSERT_TRUE(game.press("F2", "FRAME TIME ACTIVATED"));
    const size_t start = game.process.output.size();
    game.process.readFor(3.5);
    const std::string frameTimes = game.process.output.substr(start);
    const size_t lines = count(frameTimes, "FR: ");
    EXPECT_GE(lines, 2u) << frameTimes;
    EXPECT_LE(lines, 4u) << frameTimes;
    EXPECT_EQ(count(frameTimes, "; NM: "), 0u);

    ASSERT_TRUE(game.press("F8", "NUMBER OF MESHES ACTIVATED"));
    ASSERT_TRUE(game.process.waitFor("; NM: ", 5.0));
    ASSERT_TRUE(game.process.waitFor("\n", 1.0));
    // "FR: 0.016667; NM: 42": six decimals, then the drawn-instance count.
    const std::string& output = game.process.output;
    const size_t line = output.rfind("FR: ");
    const std::string statusLine = output.substr(line, output.find('\n', line) - line);
    const size_t separator = statusLine.find("; NM: ");
    EXPECT_EQ(statusLine.rfind("FR: ", 0), 0u) << statusLine;
    EXPECT_EQ(separator - statusLine.find('.'), 7u) << statusLine; // six decimals
    EXPECT_GT(std::atoi(statusLine.c_str() + separator + 6), 0) << statusLine;

    ASSERT_TRUE(game.press("F2", "FRAME TIME DISACTIVATED"));
    ASSERT_TRUE(game.process.waitFor("\n; NM: ", 5.0)); // the count alone starts with its separator
    EXPECT_EQ(game.quit(), 0);
}

TEST(Keys, WireframeDrawsLinesAndReturnsToFilledPolygons) {
    RunningGame game;
    ASSERT_FALSE(game.window.empty()) << game.process.output;

    // A loaded machine may take a while to map the window and draw the next frame, or the
    // first, so look again until it shows or time runs out. No 800-wide picture is no share.
    auto waitForDarkShare = [&game](auto accept) {
        double share = std::nan("");
        for (int attempt = 0; attempt < 40; ++attempt) {
            const Picture picture = captureWindow(game.window);
            if (picture.width == 800) {
                share = darkShare(picture);
                if (accept(share)) {
                    break;
                }
            }
            game.process.readFor(0.25);
        }
        return share;
    };
    // The night sky is black; filled polygons cover the rest. Lines leave most of the black
    // clear colour showing.
    const double filled = waitForDarkShare([](double share) { return share < 0.35; });
    EXPECT_LT(filled, 0.35);
    ASSERT_TRUE(game.press("F3", "WIREFRAME ACTIVATED"));
    const double lines = waitForDarkShare([&](double share) { return share > 0.5; });
    EXPECT_GT(lines, filled + 0.2);
    ASSERT_TRUE(game.press("F3", "WIREFRAME DISACTIVATED"));
    EXPECT_LT(waitForDarkShare([](double share) { return share < 0.35; }), 0.35);
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
