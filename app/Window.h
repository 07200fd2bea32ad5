#pragma once
// The one OpenGL window: full screen by default, or centred from "-d <width> <height>".
#include <cstdint>

struct GLFWwindow;

struct Window {
    bool fullScreen = true;
    int32_t refreshRate = 60;
    int32_t positionX = 0;
    int32_t positionY = 0;
    int32_t width = 0; // framebuffer size in pixels, final once built
    int32_t height = 0;
    GLFWwindow* handle = nullptr;

    // Scans the options, opens the window with its context current and captures the cursor.
    Window(int argc, const char* const argv[]);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
};
