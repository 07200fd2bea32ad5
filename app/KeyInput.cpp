#include "app/KeyInput.h"

#include <iostream>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "app/GameState.h"

const char* const kHelpText = "F1 ... HELP\n"
                              "F2 ... FRAME TIME\n"
                              "F3 ...  WIREFRAME\n"
                              "F4 ... TEXTURE QUALITY\n"
                              "F5 ... MIPMAP QUALITY\n"
                              "F6 ... CURSOR\n"
                              "F8 ... FRUSTRUM CULLING\n"
                              "F9 ... TRANSPARENCY\n"
                              "TAB ... CAMERA SWITCH\n"
                              "ESC ... EXIT";

namespace {

// Starts false although the window captures the cursor, so the first F6 reports "DISABLED".
bool cursorCaptured = false;

void report(const char* label, bool on, const char* onWord, const char* offWord) {
    std::cout << label << ' ' << (on ? onWord : offWord) << std::endl;
}

void toggle(bool& flag, const char* label) {
    flag = !flag;
    report(label, flag, "ACTIVATED", "DISACTIVATED");
}

} // namespace

void keyCallback(GLFWwindow* window, int key, int, int action, int) {
    if (action != GLFW_PRESS) {
        return;
    }
    GameState& state = gameState();
    switch (key) {
    case GLFW_KEY_ESCAPE:
        glfwSetWindowShouldClose(window, GLFW_TRUE);
        break;
    case GLFW_KEY_ENTER:
        state.enterPressed = true;
        std::cout << "ENTER PRESSED" << std::endl;
        break;
    case GLFW_KEY_TAB:
        state.freeCamera = !state.freeCamera;
        report("FREE CAMERA", state.freeCamera, "ENABLED", "DISABLED");
        break;
    case GLFW_KEY_F1:
        std::cout << kHelpText << std::endl;
        break;
    case GLFW_KEY_F2:
        toggle(state.showFrameTime, "FRAME TIME");
        break;
    case GLFW_KEY_F3:
        toggle(state.wireframe, "WIREFRAME");
        glPolygonMode(GL_FRONT_AND_BACK, state.wireframe ? GL_LINE : GL_FILL);
        break;
    case GLFW_KEY_F4:
        state.linearFiltering = !state.linearFiltering;
        report("TEXTURE", state.linearFiltering, "LINEAR", "NEAREST");
        break;
    case GLFW_KEY_F5: {
        state.mipmapMode = (state.mipmapMode + 1) % 3;
        static const char* const words[] = {"OFF", "LINEAR", "NEAREST"};
        std::cout << "MIPMAP " << words[state.mipmapMode] << std::endl;
        break;
    }
    case GLFW_KEY_F6:
        cursorCaptured = !cursorCaptured;
        glfwSetInputMode(window, GLFW_CURSOR,
                         cursorCaptured ? GLFW_CURSOR_DISABLED : GLFW_CURSOR_NORMAL);
        report("CURSOR", cursorCaptured, "DISABLED", "ENABLED");
        break;
    case GLFW_KEY_F8:
        toggle(state.showMeshCount, "NUMBER OF MESHES");
        break;
    case GLFW_KEY_F9:
        toggle(state.transparency, "TRANSPARENCY");
        break;
    default:
        break;
    }
}
