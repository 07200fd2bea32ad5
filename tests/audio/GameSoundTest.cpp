// The real game's sound, captured from OpenAL Soft's wave backend while real keys steer it.
#include <gtest/gtest.h>

#include "app/Console.h"
#include "support/Capture.h"
#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"

namespace {

constexpr double kStartTimeout = 90.0;

struct SoundingGame {
    PrivateDisplay display;
    Sandbox sandbox{true};
    std::string window;

    // Runs the game until ESC; what happens in between is the caller's.
    template <typename Play> GameProcess& run(GameProcess& game, Play play) {
        EXPECT_TRUE(game.waitFor(labelText("PHYSXFACTORY") + "OK!\n", kStartTimeout));
        window = findWindow("Morbane", 10.0);
        EXPECT_FALSE(window.empty());
        play();
        pressKey(window, "Escape");
        EXPECT_TRUE(game.waitForExit(60.0));
        EXPECT_EQ(game.exitStatus, 0) << game.output;
        return game;
    }
};

} // namespace

TEST(GameSound, TheNightIsHeardAndStepsOnlyWhileWIsHeld) {
    SoundingGame setup;
    const std::string wav = setup.sandbox.path("mix.wav");
    captureSoundTo(setup.sandbox.root, wav);
    GameProcess game({"-d", "800", "600"}, setup.sandbox.path("work"));
    setup.run(game, [&] {
        game.readFor(2.5);
        holdKey(setup.window, "w", 3.0);
        game.readFor(3.0);
    });
    EXPECT_EQ(game.output.find("AUDIO"), std::string::npos) << game.output;

    const Capture mix = readCapture(wav);
    ASSERT_GT(mix.seconds(), 8.0);
    const double night = rms(mix.left, mix.rate, 0.0, 2.0);
    EXPECT_GT(night, 0.01);
    EXPECT_LT(night, 0.3);

    // A step stands well out of the wind; all of them fall within the three seconds of W, the
    // last three seconds before ESC are quiet.
    const double window = 0.02;
    const std::vector<float> bright = loudness(mix, window, true);
    const double wind = median(std::vector<double>(bright.begin(), bright.end()));
    const std::vector<double> steps = onsets(bright, window, float(4.0 * wind), 0.3);
    ASSERT_GE(steps.size(), 4u) << "steps heard: " << steps.size();
    EXPECT_LE(steps.size(), 9u);
    EXPECT_GT(steps.front(), 1.5);
    EXPECT_LT(steps.back() - steps.front(), 3.5);
    EXPECT_LT(steps.back(), mix.seconds() - 2.5);
}

TEST(GameSound, WithoutADeviceTheGamePlaysSilentAndEndsCleanly) {
    SoundingGame setup;
    captureSoundTo(setup.sandbox.root, "");
    GameProcess game({"-d", "800", "600"}, setup.sandbox.path("work"));
    setup.run(game, [&] { game.readFor(1.0); });
    const std::string line = "AUDIO: NO OUTPUT DEVICE\n";
    const size_t at = game.output.find(labelText("SCENE") + "OK!\n" + line + labelText("PHYSX"));
    EXPECT_NE(at, std::string::npos) << game.output;
    EXPECT_EQ(game.output.rfind(line), game.output.find(line)); // once
    EXPECT_NE(game.output.find("CLEANING UP LIBRARIES:\n"), std::string::npos);
}
