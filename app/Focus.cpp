#include "app/Focus.h"

#include <GLFW/glfw3.h>

#include "app/GameState.h"

namespace {

void onFocus(GLFWwindow* window, int focused) {
    gameState().away = !focused || glfwGetWindowAttrib(window, GLFW_ICONIFIED);
}

void onIconify(GLFWwindow* window, int iconified) {
    gameState().away = iconified || !glfwGetWindowAttrib(window, GLFW_FOCUSED);
}

} // namespace

void watchFocus(GLFWwindow* window) {
    glfwSetWindowFocusCallback(window, onFocus);
    glfwSetWindowIconifyCallback(window, onIconify);
}
