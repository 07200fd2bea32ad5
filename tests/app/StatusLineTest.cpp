#include <gtest/gtest.h>

#include "app/GameState.h"
#include "app/StatusLine.h"

namespace {

// Prints through frames of the given length and returns what came out.
std::string run(float& timer, float frameTime, int frames) {
    testing::internal::CaptureStdout();
    for (int i = 0; i < frames; ++i) {
        printStatus(timer, frameTime);
    }
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(StatusLine, KeepsAOneSecondRhythmAndPausesWhileOff) {
    gameState() = GameState{};
    float timer = 0.0f;
    EXPECT_EQ(run(timer, 0.6f, 5), "");
    EXPECT_EQ(timer, 0.0f); // nothing to show: the timer stands still

    gameState().showFrameTime = true;
    // Ten frames of 0.6 s are six seconds: six lines, since the timer is reduced, not reset.
    EXPECT_EQ(run(timer, 0.6f, 10), "FR: 0.600000\nFR: 0.600000\nFR: 0.600000\n"
                                    "FR: 0.600000\nFR: 0.600000\nFR: 0.600000\n");
    gameState() = GameState{};
}
