#include "app/Startup.h"

#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "app/Console.h"
#include "app/DebugOutput.h"
#include "app/DriverPin.h"
#include "app/Focus.h"
#include "app/Game.h"
#include "app/GameState.h"
#include "app/KeyInput.h"
#include "app/Window.h"

namespace {

// The two process-wide objects of the shell.
Window* theWindow = nullptr;
Game* theGame = nullptr;

// An X server without -noreset resets when its last client leaves and refuses connections until
// it is done; any other client coming and going (a window search, a screenshot) can set that
// off just as the game connects. glfwInit then fails to open the display, so only that failure
// is tried again, for as long as a reset may take (two seconds at most). On failure,
// description holds GLFW's own words for it.
bool initialiseGlfw(std::string& description) {
    constexpr int kTries = 100;
    constexpr auto kPause = std::chrono::milliseconds(20);
    for (int attempt = 1;; ++attempt) {
        if (glfwInit()) {
            return true;
        }
        const char* text = nullptr;
        const int code = glfwGetError(&text);
        description = text != nullptr ? text : "";
        if (code != GLFW_PLATFORM_ERROR || attempt == kTries) {
            return false;
        }
        std::this_thread::sleep_for(kPause);
    }
}

} // namespace

void initialise(int argc, const char* const argv[]) {
    // Progress lines must appear as they happen, also when the console is a pipe.
    std::cout.setf(std::ios::unitbuf);

    std::cout << "INITIALIZING LIBRARIES:" << std::endl;
    logLabel("GLFW");
    std::string failure;
    if (!initialiseGlfw(failure)) {
        // GLFW's own words are the only clue to why; a normal run prints nothing of them.
        fatalError(failure.empty() ? "ERROR" : "ERROR\n" + failure);
    }
    logOk();

    theWindow = new Window(argc, argv);
    glfwMakeContextCurrent(theWindow->handle);
    pinGraphicsDriver();

    glewExperimental = GL_TRUE;
    logLabel("GLEW");
    if (glewInit() != GLEW_OK) {
        fatalError("ERROR");
    }
    // GLEW's probing may leave an error flag behind; it belongs to nobody.
    while (glGetError() != GL_NO_ERROR) {
    }
#ifndef NDEBUG
    logDriverDebugOutput();
#endif
    logOk();

    std::cout << "INITIALIZING GAME:" << std::endl;
    theGame = new Game(*theWindow);
}

void run() {
    GLFWwindow* window = theGame->window;
    glfwSetKeyCallback(window, keyCallback);
    watchFocus(window);
    // Timer readings stay in double precision so long sessions keep fine frame times;
    // consumers get the difference as a float.
    double lastTime = 0.0;
    if (glfwWindowShouldClose(window)) {
        return;
    }
    while (loopPass(*theGame, lastTime)) {
    }
}

bool loopPass(Game& game, double& lastTime) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    const double now = glfwGetTime();
    float frameTime = static_cast<float>(now - lastTime);
    lastTime = now;
    glfwPollEvents();
    game.frame(frameTime);
    glfwSwapBuffers(game.window);
    if (glfwWindowShouldClose(game.window)) {
        return false;
    }
    if (game.paused) {
        // Whatever wakes the game (the focus back, the close button, a redraw) sees a frame
        // drawn; the time it slept is nobody's.
        glfwWaitEvents();
        lastTime = glfwGetTime();
    }
    return true;
}

void shutdown() {
    std::cout << "CLEANING UP GAME:" << std::endl;
    delete theGame;
    theGame = nullptr;

    std::cout << "CLEANING UP LIBRARIES:" << std::endl;
    delete theWindow;
    theWindow = nullptr;
    logLabel("GLFW");
    glfwTerminate();
    logOk();
    pauseConsole();
}
