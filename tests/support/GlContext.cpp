#include "support/GlContext.h"

#include "app/DriverPin.h"

#include <cstdio>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <utility>

namespace {

std::vector<std::string> pendingErrors;

// What a conformant driver may still accept today but another one need not.
void GLAPIENTRY onDebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei,
                               const GLchar* message, const void*) {
    if (type == GL_DEBUG_TYPE_ERROR || type == GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR ||
        type == GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR || severity == GL_DEBUG_SEVERITY_HIGH) {
        pendingErrors.emplace_back(message);
    }
}

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

} // namespace

GlContext::GlContext(int w, int h, bool visible) : width(w), height(h) {
    require(glfwInit(), "glfwInit failed: is DISPLAY set?");
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    window = glfwCreateWindow(width, height, "Morbane test", nullptr, nullptr);
    require(window != nullptr, "no OpenGL 4.0 core context");
    glfwMakeContextCurrent(window);
    pinGraphicsDriver();
    glewExperimental = GL_TRUE;
    require(glewInit() == GLEW_OK, "glewInit failed");
    takeErrors(); // GLEW's probing may leave one behind
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(onDebugMessage, nullptr);
    glEnable(GL_DEPTH_TEST);
}

GlContext::~GlContext() {
    // Whatever no test took is a fault of the code under test.
    for (const std::string& error : takeErrors()) {
        ADD_FAILURE() << "GL: " << error;
    }
    glfwDestroyWindow(window);
    glfwTerminate();
}

std::vector<std::string> GlContext::takeErrors() {
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        char text[64];
        std::snprintf(text, sizeof text, "glGetError 0x%04x", error);
        pendingErrors.emplace_back(text);
    }
    return std::exchange(pendingErrors, {});
}

std::vector<unsigned char> readPixels(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
