#include "app/Window.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "app/Console.h"
#include "app/Options.h"

namespace {

// Vsync unless MORBANE_VSYNC=0: a driver left to itself may draw thousands of frames a second.
void applySwapInterval() {
    int32_t interval = swapIntervalFrom(std::getenv("MORBANE_VSYNC"));
    if (interval < 0) {
        std::cout << "Unknown MORBANE_VSYNC value. Vsync stays on." << std::endl;
        interval = 1;
    }
    glfwSwapInterval(interval);
}

// Looking reads the mouse's own motion, without the desktop's pointer acceleration, where the
// platform offers it. GLFW applies it whenever the cursor is captured, F6 or not.
void useRawMouseMotion(GLFWwindow* handle) {
    if (glfwRawMouseMotionSupported()) {
        glfwSetInputMode(handle, GLFW_RAW_MOUSE_MOTION, GLFW_TRUE);
    }
}

// GLFW's own words are the only clue to why a window or its context could not be had, such as
// a driver below OpenGL 4.0.
std::string withGlfwReason(const std::string& message) {
    const char* reason = nullptr;
    glfwGetError(&reason);
    return reason != nullptr && *reason != '\0' ? message + "\n" + reason : message;
}

} // namespace

Window::Window(int argc, const char* const argv[]) {
    logLabel("WINDOW");
    const WindowOptions options = scanOptions(argc, argv);
    if (options.unknownOption) {
        std::cout << "Unknown option. Resetting to default values." << std::endl;
    }
    fullScreen = options.fullScreen;
    refreshRate = options.refreshRate;
    width = options.width;
    height = options.height;

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode == nullptr) {
        fatalError(withGlfwReason("ERROR"));
    }
    if (fullScreen) {
        width = mode->width;
        height = mode->height;
    } else {
        positionX = centredPosition(mode->width, width);
        positionY = centredPosition(mode->height, height);
    }

    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_REFRESH_RATE, refreshRate);
    // Single-sample: the scene is drawn off screen and reaches the window through one
    // full-screen pass, so samples there would smooth nothing, and a software rasteriser
    // spends more on them than on the whole scene.
    glfwWindowHint(GLFW_SAMPLES, 0);
#ifndef NDEBUG
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
#endif

    handle = glfwCreateWindow(width, height, "Morbane", fullScreen ? monitor : nullptr, nullptr);
    if (handle == nullptr) {
        fatalError(withGlfwReason("ERROR"));
    }
    // GLFW ignores the position of a full-screen window.
    glfwSetWindowPos(handle, positionX, positionY);
    glfwMakeContextCurrent(handle);
    applySwapInterval();

    // The context is current but GLEW is not up yet, so these come straight from the library.
    glEnable(GL_DEPTH_TEST);
    glfwSetInputMode(handle, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    useRawMouseMotion(handle);
    glfwSetCursorPos(handle, width * 0.5, height * 0.5);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, width, height);
    logOk();
}

Window::~Window() {
    logLabel("WINDOW");
    glfwDestroyWindow(handle);
    handle = nullptr;
    logOk();
}
