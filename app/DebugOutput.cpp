#include "app/DebugOutput.h"

#include <iostream>

#include <GL/glew.h>

namespace {

void GLAPIENTRY onDebugMessage(GLenum source, GLenum type, GLuint, GLenum, GLsizei,
                               const GLchar* message, const void*) {
    // A shader that fails to compile is reported, with the driver's log, by its loader.
    if (source == GL_DEBUG_SOURCE_SHADER_COMPILER) {
        return;
    }
    if (type == GL_DEBUG_TYPE_ERROR || type == GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR ||
        type == GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR) {
        std::cerr << "GL DEBUG: " << message << std::endl;
    }
}

} // namespace

void logDriverDebugOutput() {
    if (!GLEW_KHR_debug) {
        return;
    }
    glEnable(GL_DEBUG_OUTPUT);
    // Synchronous, so the message comes while the offending call is still on the stack.
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(onDebugMessage, nullptr);
}
