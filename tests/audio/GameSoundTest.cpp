// The real game without a sound device.
#include <gtest/gtest.h>

#include "app/Console.h"
#include "support/Capture.h"
#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"

TEST(GameSound, WithoutADeviceTheGamePlaysSilentAndEndsCleanly) {
    PrivateDisplay display;
    Sandbox sandbox{true};
    captureSoundTo(sandbox.root, "");
    GameProcess game({"-d", "800", "600"}, sandbox.path("work"));
    ASSERT_TRUE(game.waitFor(labelText("PHYSXFACTORY") + "OK!\n", 90.0));
    pressKey(findWindow("Morbane", 10.0), "Escape");
    ASSERT_TRUE(game.waitForExit(60.0));
    EXPECT_EQ(game.exitStatus, 0) << game.output;
    const std::string line = "AUDIO: NO OUTPUT DEVICE\n";
    const size_t at = game.output.find(labelText("SCENE") + "OK!\n" + line + labelText("PHYSX"));
    EXPECT_NE(at, std::string::npos) << game.output;
    EXPECT_EQ(game.output.rfind(line), game.output.find(line)); // once
    EXPECT_NE(game.output.find("CLEANING UP LIBRARIES:\n"), std::string::npos);
}
