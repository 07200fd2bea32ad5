#pragma once
// A real OpenGL 4.0 core context in a window on the test display (Xvfb in CI).
// Debug output of type error, undefined or deprecated behaviour is collected; a test may take
// what it provoked on purpose, and whatever is left fails the test when the context goes.
#include <string>
#include <vector>

struct GLFWwindow;

struct GlContext {
    GLFWwindow* window = nullptr;
    int width = 0, height = 0;

    explicit GlContext(int width = 64, int height = 64, bool visible = false);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Debug-output errors since the last call, plus anything glGetError still holds.
    std::vector<std::string> takeErrors();
};

// Reads the default framebuffer's colour (RGBA8, bottom row first).
std::vector<unsigned char> readPixels(int width, int height);
