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

std::string line(const std::string& label) {
    return labelText(label) + "OK!\n";
}

std::string startTranscript(const std::string& windowLine) {
    return "INITIALIZING LIBRARIES:\n" + line("GLFW") + windowLine + line("GLEW") +
           "INITIALIZING GAME:\n" + line("UPDATER") + line("FACTORY") + line("RENDERER") +
           line("SCENE") + line("PHYSX") + line("PHYSXFACTORY");
}

const std::string kShutdownTranscript = "CLEANING UP GAME:\n" + line("GAME") + line("PHYSX:") +
                                        "CLEANING UP LIBRARIES:\n" + line("WINDOW") + line("GLFW");

WindowGeometry screenGeometry() {
    return windowGeometry("-root");
}

} // namespace

TEST(Transcript, CentredWindowRunsAndClosesOnEscape) {
    PrivateDisplay display;
    Sandbox sandbox(true);
    GameProcess game({"-d", "800", "600"}, sandbox.path("work"));

    // Each line appears as its step finishes, not all at the end.
    for (const char* label : {"GLFW", "WINDOW", "GLEW"}) {
        ASSERT_TRUE(game.waitFor(line(label), kStartTimeout)) << game.output;
    }
    ASSERT_TRUE(game.waitFor(line("PHYSXFACTORY"), kStartTimeout)) << game.output;
    EXPECT_EQ(game.output, startTranscript(line("WINDOW")));

    const std::string id = findWindow("Morbane", 10.0);
    ASSERT_FALSE(id.empty());
    const WindowGeometry screen = screenGeometry();
    const WindowGeometry window = windowGeometry(id);
    EXPECT_EQ(window.width, 800);
    EXPECT_EQ(window.height, 600);
    EXPECT_EQ(window.x, screen.width / 2 - 400);
    EXPECT_EQ(window.y, screen.height / 2 - 300);

    game.readFor(1.0); // a few frames
    pressKey(id, "Escape");
    ASSERT_TRUE(game.waitForExit(60.0));
    EXPECT_EQ(game.exitStatus, 0);
    EXPECT_EQ(game.output, startTranscript(line("WINDOW")) + kShutdownTranscript);
}

namespace {

// The game started with these arguments runs full screen and closes on ESC.
void expectFullScreenRun(const std::vector<std::string>& arguments, const std::string& windowLine) {
    PrivateDisplay display;
    Sandbox sandbox(true);
    GameProcess game(arguments, sandbox.path("work"));
    ASSERT_TRUE(game.waitFor(line("PHYSXFACTORY"), kStartTimeout)) << game.output;
    EXPECT_EQ(game.output, startTranscript(windowLine));

    const std::string id = findWindow("Morbane", 10.0);
    ASSERT_FALSE(id.empty());
    const WindowGeometry screen = screenGeometry();
    const WindowGeometry window = windowGeometry(id);
    EXPECT_EQ(window.width, screen.width);
    EXPECT_EQ(window.height, screen.height);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);

    pressKey(id, "Escape");
    ASSERT_TRUE(game.waitForExit(60.0));
    EXPECT_EQ(game.exitStatus, 0);
}

} // namespace

TEST(Transcript, UnknownOptionIsReportedAndTheGameGoesFullScreen) {
    expectFullScreenRun({"-x"}, labelText("WINDOW") +
                                    "Unknown option. Resetting to default values.\nOK!\n");
}

TEST(Transcript, ANegativeWidthIsABadValueAndTheGameGoesFullScreen) {
    expectFullScreenRun({"-d", "-640", "480"}, line("WINDOW"));
}

namespace {

// What the game shows a moment after its start; arguments empty for full screen.
Picture firstView(const std::vector<std::string>& arguments, bool pointerInCorner) {
    Sandbox sandbox(true);
    if (pointerInCorner) {
        runCommand("xdotool mousemove 0 0");
    }
    GameProcess game(arguments, sandbox.path("work"));
    Picture picture;
    if (game.waitFor(line("PHYSXFACTORY"), kStartTimeout)) {
        const std::string id = findWindow("Morbane", 10.0);
        // Once frames show, a second more lets the player land on the ground.
        for (int attempt = 0; attempt < 60 && darkShare(captureWindow(id)) > 0.35; ++attempt) {
            game.readFor(0.25);
        }
        game.readFor(1.0);
        picture = captureWindow(id);
        pressKey(id, "Escape");
    }
    EXPECT_TRUE(game.waitForExit(60.0));
    return picture;
}

} // namespace

TEST(Transcript, TheFirstViewIsTheSameInACentredWindowAsFullScreen) {
    for (const bool corner : {false, true}) {
        const int width = corner ? 1280 : 1024;
        const int height = corner ? 720 : 768;
        SCOPED_TRACE(width);
        Picture full;
        {
            PrivateDisplay display(width, height);
            full = firstView({}, false);
        }
        PrivateDisplay display;
        const Picture windowed =
            firstView({"-d", std::to_string(width), std::to_string(height)}, corner);
        ASSERT_EQ(full.width, width);
        EXPECT_LT(darkShare(full), 0.35); // the scene, not the night sky
        // Only the water's drift differs; a view turned aside differs everywhere.
        EXPECT_LT(meanDifference(full, windowed), 2.0);
    }
}

TEST(Transcript, MissingResourcesStopTheStartWithStatusOne) {
    PrivateDisplay display;
    Sandbox sandbox; // an empty Resources folder
    GameProcess game({"-d", "320", "240"}, sandbox.path("work"));
    ASSERT_TRUE(game.waitForExit(kStartTimeout));
    EXPECT_EQ(game.exitStatus, 1);
    const std::string expected = "INITIALIZING LIBRARIES:\n" + line("GLFW") + line("WINDOW") +
                                 line("GLEW") + "INITIALIZING GAME:\n" + line("UPDATER") +
                                 labelText("FACTORY") +
                                 "\nERROR READING FILE: ../Resources/Textures/Textures\n";
    EXPECT_EQ(game.output, expected);
}

TEST(Transcript, ABrokenShaderStopsTheStartWithItsLog) {
    PrivateDisplay display;
    Sandbox sandbox;
    for (const char* folder : {"Resources/Meshes", "Resources/Textures", "Resources/Fonts"}) {
        sandbox.linkShipped(folder);
    }
    sandbox.copyShipped("Resources/Shaders");
    sandbox.write("Resources/Shaders/Gauss.frag", "#version 330 core\nvoid main() { nonsense }\n");
    GameProcess game({"-d", "320", "240"}, sandbox.path("work"));
    ASSERT_TRUE(game.waitForExit(kStartTimeout));
    EXPECT_EQ(game.exitStatus, 1);
    EXPECT_NE(game.output.find(labelText("RENDERER") +
                               "ERROR COMPILING SHADER:../Resources/Shaders/Gauss.frag"),
              std::string::npos)
        << game.output;
}

TEST(Transcript, AFailedStartShowsGlfwsOwnReasonUnderError) {
    const char* previous = std::getenv("DISPLAY");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("DISPLAY", ":65000", 1); // no such server
    GameProcess game({"-d", "320", "240"}, ".");
    ASSERT_TRUE(game.waitForExit(30.0));
    previous != nullptr ? setenv("DISPLAY", saved.c_str(), 1) : unsetenv("DISPLAY");
    EXPECT_EQ(game.exitStatus, 1);
    EXPECT_EQ(game.output, "INITIALIZING LIBRARIES:\n" + labelText("GLFW") +
                               "ERROR\nX11: Failed to open display :65000\n");
}

// An X server resets whenever its last client leaves, and a client that polls it (as a window
// search does) sets that off ten times a second while no game holds a connection.
TEST(Transcript, EveryStartSucceedsBesideAClientPollingAResettingServer) {
    PrivateDisplay display(640, 480, true);
    Sandbox sandbox(true);
    const pid_t pollerPid = fork();
    if (pollerPid == 0) {
        execlp("sh", "sh", "-c",
               "while :; do xdotool search --name '^Morbane$' >/dev/null 2>&1; sleep 0.1; done",
               static_cast<char*>(nullptr));
        _exit(127);
    }
#ifdef MORBANE_SANITIZE
    // A sanitized start takes seconds; the plain build's fifty cover the connection.
    constexpr int kLaunches = 10;
#else
    constexpr int kLaunches = 50;
#endif
    for (int launch = 0; launch < kLaunches; ++launch) {
        GameProcess game({"-d", "320", "240"}, sandbox.path("work"));
        ASSERT_TRUE(game.waitFor(line("PHYSXFACTORY"), kStartTimeout))
            << "launch " << launch << ":\n"
            << game.output;
    }
    kill(pollerPid, SIGTERM);
    waitpid(pollerPid, nullptr, 0);
}

// Run from an interactive shell, the game is a job on that shell's terminal. Only a foreground
// job may read it; a background job that tried would be stopped for good.
TEST(Transcript, ABackgroundJobEndsWithoutPausingOnEscapeAndOnAFatalError) {
    PrivateDisplay display;
    Sandbox shipped(true);
    GameProcess game({"-d", "320", "240"}, shipped.path("work"), MORBANE_BINARY,
                     Stdin::backgroundJob);
    ASSERT_TRUE(game.waitFor(line("PHYSXFACTORY"), kStartTimeout)) << game.output;
    pressKey(findWindow("Morbane", 10.0), "Escape");
    ASSERT_TRUE(game.waitForExit(60.0));
    EXPECT_EQ(game.exitStatus, 0);
    EXPECT_EQ(game.output, startTranscript(line("WINDOW")) + kShutdownTranscript);

    Sandbox empty;
    GameProcess failing({"-d", "320", "240"}, empty.path("work"), MORBANE_BINARY,
                        Stdin::backgroundJob);
    ASSERT_TRUE(failing.waitForExit(kStartTimeout));
    EXPECT_EQ(failing.exitStatus, 1);
    EXPECT_EQ(failing.output.find("Press any key"), std::string::npos) << failing.output;
}

TEST(Transcript, AForegroundJobPausesOnAFatalErrorUntilAKey) {
    PrivateDisplay display;
    Sandbox empty;
    GameProcess game({"-d", "320", "240"}, empty.path("work"), MORBANE_BINARY,
                     Stdin::foregroundJob);
    ASSERT_TRUE(game.waitFor("Press any key to continue . . . ", kStartTimeout)) << game.output;
    game.readFor(0.5);
    EXPECT_FALSE(game.waitForExit(0.0)); // waits for the key
    ASSERT_EQ(write(game.terminalFd, "x", 1), 1);
    ASSERT_TRUE(game.waitForExit(10.0));
    EXPECT_EQ(game.exitStatus, 1);
}
