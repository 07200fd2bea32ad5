// Every debug key of the real game, pressed as real X key events, read back from its console.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"
#include "support/WindowCapture.h"

namespace {

size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

} // namespace

TEST(Keys, EveryToggleConfirmsItselfOnceEvenWhenHeldAndWireframeAndStatusLinesShow) {
    PrivateDisplay display;
    Sandbox sandbox(true);
    GameProcess game({"-d", "800", "600"}, sandbox.path("work"));
    ASSERT_TRUE(game.started()) << game.output;
    game.readFor(1.0); // let it draw a few frames
    // Presses a key and waits for the console line it must print.
    const auto press = [&game](const std::string& key, const std::string& expected) {
        pressKey(game.window, key);
        return game.waitFor(expected, 15.0, true);
    };

    const std::string help = "F1 ... HELP\nF2 ... FRAME TIME\nF3 ...  WIREFRAME\n"
                             "F4 ... TEXTURE QUALITY\nF5 ... MIPMAP QUALITY\nF6 ... CURSOR\n"
                             "F8 ... FRUSTRUM CULLING\nF9 ... TRANSPARENCY\n"
                             "TAB ... CAMERA SWITCH\nESC ... EXIT";
    EXPECT_TRUE(press("F1", help)) << game.output;
    // F7 and an unbound key neither print nor change any state the toggles below report.
    pressKey(game.window, "F7");
    pressKey(game.window, "q");
    const std::pair<const char*, const char*> toggles[] = {
        {"F4", "TEXTURE NEAREST"}, {"F4", "TEXTURE LINEAR"},       {"F5", "MIPMAP OFF"},
        {"F5", "MIPMAP LINEAR"},   {"F5", "MIPMAP NEAREST"},       {"F6", "CURSOR DISABLED"},
        {"F6", "CURSOR ENABLED"},  {"Tab", "FREE CAMERA ENABLED"}, {"Tab", "FREE CAMERA DISABLED"}};
    for (const auto& [key, line] : toggles) {
        EXPECT_TRUE(press(key, line)) << line;
    }
    pressKey(game.window, "F9", 1.2); // the key repeats, the toggle does not
    EXPECT_TRUE(game.waitFor("TRANSPARENCY DISACTIVATED", 15.0, true));
    const std::string& output = game.output;
    // Nothing slipped in between the confirmations.
    EXPECT_NE(output.find(help + "\nTEXTURE NEAREST\n"), std::string::npos);
    EXPECT_EQ(count(output, "\nMIPMAP "), 3u);
    EXPECT_EQ(count(output, "\nTEXTURE "), 2u);
    EXPECT_EQ(count(output, "\nTRANSPARENCY "), 1u);

    // A loaded machine may take a while to map the window and draw the next frame, or the
    // first, so look again until it shows or time runs out. No 800-wide picture is no share.
    auto waitForDarkShare = [&game](auto accept) {
        double share = std::nan("");
        for (int attempt = 0; attempt < 40; ++attempt) {
            const Picture picture = captureWindow(game.window);
            if (picture.width == 800 && accept(share = darkShare(picture))) {
                break;
            }
            game.readFor(0.25);
        }
        return share;
    };
    // The night sky is black; filled polygons cover the rest. Lines leave most of the black
    // clear colour showing.
    const double filled = waitForDarkShare([](double share) { return share < 0.35; });
    EXPECT_LT(filled, 0.35);
    ASSERT_TRUE(press("F3", "WIREFRAME ACTIVATED"));
    EXPECT_GT(waitForDarkShare([&](double share) { return share > 0.5; }), filled + 0.2);
    ASSERT_TRUE(press("F3", "WIREFRAME DISACTIVATED"));
    EXPECT_LT(waitForDarkShare([](double share) { return share < 0.35; }), 0.35);

    ASSERT_TRUE(press("F2", "FRAME TIME ACTIVATED"));
    const size_t start = game.output.size();
    game.readFor(3.5);
    const std::string frameTimes = game.output.substr(start);
    EXPECT_GE(count(frameTimes, "FR: "), 2u) << frameTimes;
    EXPECT_LE(count(frameTimes, "FR: "), 4u) << frameTimes;
    EXPECT_EQ(count(frameTimes, "; NM: "), 0u);

    ASSERT_TRUE(press("F8", "NUMBER OF MESHES ACTIVATED"));
    ASSERT_TRUE(game.waitFor("; NM: ", 5.0));
    ASSERT_TRUE(press("F2", "FRAME TIME DISACTIVATED"));
    ASSERT_TRUE(game.waitFor("\n; NM: ", 5.0)); // the count alone starts with its separator
    // Both off, no status line can come between ENTER and the end, however slow the keys.
    ASSERT_TRUE(press("F8", "NUMBER OF MESHES DISACTIVATED"));
    EXPECT_TRUE(press("Return", "ENTER PRESSED"));
    EXPECT_EQ(game.quit(), 0);
    EXPECT_EQ(output.substr(output.find("ENTER PRESSED\n")),
              "ENTER PRESSED\n" + shutdownTranscript());
}
