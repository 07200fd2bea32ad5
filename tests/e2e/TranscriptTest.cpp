// The real binary under X: its console transcript, its window, and ESC as a real key event.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Console.h"
#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"
#include "support/WindowCapture.h"

namespace {

constexpr double kStartTimeout = 90.0; // llvmpipe under the sanitizers is slow to start

// The game started with these arguments, its start-up lines and its window checked: as large as
// asked and centred, or the whole screen. Returns what it shows once the player has landed.
Picture firstView(const std::vector<std::string>& arguments, const std::string& windowLine,
                  int width, int height) {
    Sandbox sandbox(true);
    GameProcess game(arguments, sandbox.path("work"));
    // The lines appear as their steps finish, not at the end.
    if (!game.started()) {
        ADD_FAILURE() << game.output;
        return {};
    }
    EXPECT_EQ(game.output, startTranscript(windowLine));
    const WindowGeometry screen = windowGeometry("-root");
    const WindowGeometry window = windowGeometry(game.window);
    EXPECT_EQ(window.width, width);
    EXPECT_EQ(window.height, height);
    EXPECT_EQ(window.x, screen.width / 2 - width / 2);
    EXPECT_EQ(window.y, screen.height / 2 - height / 2);
    // Once frames show, a second more lets the player land on the ground.
    for (int attempt = 0; attempt < 60 && darkShare(captureWindow(game.window)) > 0.35; ++attempt) {
        game.readFor(0.25);
    }
    game.readFor(1.0);
    const Picture picture = captureWindow(game.window);
    EXPECT_EQ(game.quit(), 0);
    EXPECT_EQ(game.output, startTranscript(windowLine) + shutdownTranscript());
    return picture;
}

} // namespace

// An unknown option and a bad value both fall back to full screen; the windowed game is centred.
TEST(Transcript, TheFirstViewIsTheSameFullScreenAsInACentredWindowAndEscCloses) {
    // One render scale for both, whichever each start's frame times would choose.
    setenv("MORBANE_RENDER_SCALE", "1", 1);
    const std::vector<std::string> fallbacks[] = {{"-x"}, {"-d", "-640", "480"}};
    for (const bool corner : {false, true}) {
        const int width = corner ? 1280 : 1024;
        const int height = corner ? 720 : 768;
        SCOPED_TRACE(width);
        Picture full;
        {
            PrivateDisplay display(width, height);
            full = firstView(fallbacks[corner],
                             corner ? okLine("WINDOW")
                                    : labelText("WINDOW") +
                                          "Unknown option. Resetting to default values.\nOK!\n",
                             width, height);
        }
        PrivateDisplay display;
        if (corner) {
            runCommand("xdotool mousemove 0 0");
        }
        const Picture windowed = firstView({"-d", std::to_string(width), std::to_string(height)},
                                           okLine("WINDOW"), width, height);
        ASSERT_EQ(full.width, width);
        EXPECT_LT(darkShare(full), 0.35); // the scene, not the night sky
        // Only the water's drift differs; a view turned aside differs everywhere.
        EXPECT_LT(meanDifference(full, windowed), 2.0);
    }
    unsetenv("MORBANE_RENDER_SCALE");
}

TEST(Transcript, AFailedStartShowsGlfwsOwnReasonUnderError) {
    // No server answers on :65000.
    GameProcess game({"DISPLAY=:65000", MORBANE_BINARY, "-d", "320", "240"}, ".", "/usr/bin/env");
    ASSERT_TRUE(game.waitForExit(30.0));
    EXPECT_EQ(game.exitStatus, 1);
    EXPECT_EQ(game.output, "INITIALIZING LIBRARIES:\n" + labelText("GLFW") +
                               "ERROR\nX11: Failed to open display :65000\n");

    // A driver below OpenGL 4.0 has no context to give.
    GameProcess old({"MESA_GL_VERSION_OVERRIDE=3.3", MORBANE_BINARY, "-d", "320", "240"}, ".",
                    "/usr/bin/env");
    ASSERT_TRUE(old.waitForExit(30.0));
    EXPECT_EQ(old.exitStatus, 1);
    EXPECT_EQ(old.output, "INITIALIZING LIBRARIES:\n" + labelText("GLFW") + "OK!\n" +
                              labelText("WINDOW") +
                              "ERROR\nGLX: Failed to create context: GLXBadFBConfig\n");
}

// An X server resets whenever its last client leaves, and a client that polls it (as a window
// search does) sets that off many times a second while no game holds a connection.
TEST(Transcript, EveryStartSucceedsBesideAClientPollingAResettingServer) {
    PrivateDisplay display(640, 480, true);
    Sandbox sandbox(true);
    const pid_t pollerPid = fork();
    if (pollerPid == 0) {
        execlp("sh", "sh", "-c",
               "while :; do xdotool search --name '^Morbane$' >/dev/null 2>&1; sleep 0.02; done",
               static_cast<char*>(nullptr));
        _exit(127);
    }
#ifdef MORBANE_SANITIZE
    // A sanitized start takes seconds; the plain build's launches cover the connection.
    constexpr int kLaunches = 10;
#else
    constexpr int kLaunches = 20;
#endif
    for (int launch = 0; launch < kLaunches; ++launch) {
        GameProcess game({"-d", "320", "240"}, sandbox.path("work"));
        if (!game.waitFor(okLine("PHYSXFACTORY"), kStartTimeout)) {
            // The poller must go too, or it holds the test's output open.
            ADD_FAILURE() << "launch " << launch << ":\n" << game.output;
            break;
        }
    }
    kill(pollerPid, SIGTERM);
    waitpid(pollerPid, nullptr, 0);
}

// Run from an interactive shell, the game is a job on that shell's terminal. Only a foreground
// job may read it; a background job that tried would be stopped for good.
TEST(Transcript, ABackgroundJobEndsWithoutPausingOnEscapeAndOnMissingResources) {
    PrivateDisplay display;
    Sandbox shipped(true);
    GameProcess game({"-d", "320", "240"}, shipped.path("work"), MORBANE_BINARY,
                     Stdin::backgroundJob);
    ASSERT_TRUE(game.started()) << game.output;
    EXPECT_EQ(game.quit(), 0); // not stopped

    Sandbox empty; // an empty Resources folder
    GameProcess failing({"-d", "320", "240"}, empty.path("work"), MORBANE_BINARY,
                        Stdin::backgroundJob);
    ASSERT_TRUE(failing.waitForExit(kStartTimeout));
    EXPECT_EQ(failing.exitStatus, 1);
    EXPECT_EQ(failing.output, "INITIALIZING LIBRARIES:\n" + okLine("GLFW") + okLine("WINDOW") +
                                  okLine("GLEW") + "INITIALIZING GAME:\n" + okLine("UPDATER") +
                                  labelText("FACTORY") +
                                  "\nERROR READING FILE: ../Resources/Textures/Textures\n");
}

TEST(Transcript, AForegroundJobShowsABrokenShadersLogAndPausesUntilAKey) {
    PrivateDisplay display;
    Sandbox sandbox;
    for (const char* folder : {"Resources/Meshes", "Resources/Textures", "Resources/Fonts"}) {
        sandbox.linkShipped(folder);
    }
    sandbox.copyShipped("Resources/Shaders");
    sandbox.write("Resources/Shaders/Gauss.frag", "#version 330 core\nvoid main() { nonsense }\n");
    GameProcess game({"-d", "320", "240"}, sandbox.path("work"), MORBANE_BINARY,
                     Stdin::foregroundJob);
    ASSERT_TRUE(game.waitFor("Press any key to continue . . . ", kStartTimeout)) << game.output;
    EXPECT_NE(game.output.find(labelText("RENDERER") +
                               "ERROR COMPILING SHADER:../Resources/Shaders/Gauss.frag"),
              std::string::npos)
        << game.output;
    game.readFor(0.5);
    EXPECT_FALSE(game.waitForExit(0.0)); // waits for the key
    ASSERT_EQ(write(game.terminalFd, "x", 1), 1);
    ASSERT_TRUE(game.waitForExit(10.0));
    EXPECT_EQ(game.exitStatus, 1);
}
