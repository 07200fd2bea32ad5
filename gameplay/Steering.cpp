#include "gameplay/Steering.h"

#include <algorithm>

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

MouseLook makeMouseLook(int windowWidth, int windowHeight) {
    MouseLook look;
    look.centreX = windowWidth * 0.5;
    look.centreY = windowHeight * 0.5;
    look.lastY = look.centreY;
    return look;
}

void startMouseLook(MouseLook& look, double cursorX, double cursorY) {
    look.centreX = cursorX;
    look.centreY = cursorY;
    look.lastY = cursorY;
    look.pitchTravel = 0.0;
    look.started = true;
}

LookAngles followCursor(MouseLook& look, double cursorX, double cursorY) {
    const double maxTravel = kMaxPitch / kLookSensitivity;
    look.pitchTravel = std::clamp(look.pitchTravel + (cursorY - look.lastY), -maxTravel, maxTravel);
    look.lastY = cursorY;

    LookAngles angles;
    angles.yaw = static_cast<float>(cursorX - look.centreX) * kLookSensitivity;
    angles.pitch = static_cast<float>(look.pitchTravel) * kLookSensitivity;
    return angles;
}

LookAngles followCursor(MouseLook& look, GLFWwindow* window) {
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    return followCursor(look, x, y);
}

glm::mat4 lookRotation(const LookAngles& angles) {
    glm::mat4 rotation =
        glm::rotate(glm::mat4(1.0f), angles.pitch * kDegToRad, glm::vec3(1.0f, 0.0f, 0.0f));
    return glm::rotate(rotation, angles.yaw * kDegToRad, glm::vec3(0.0f, 1.0f, 0.0f));
}

MoveKey firstMoveKey(bool w, bool s, bool a, bool d) {
    if (w) {
        return MoveKey::Forward;
    }
    if (s) {
        return MoveKey::Back;
    }
    if (a) {
        return MoveKey::Left;
    }
    if (d) {
        return MoveKey::Right;
    }
    return MoveKey::None;
}

MoveKey pollMoveKey(GLFWwindow* window) {
    auto down = [window](int key) { return glfwGetKey(window, key) == GLFW_PRESS; };
    return firstMoveKey(down(GLFW_KEY_W), down(GLFW_KEY_S), down(GLFW_KEY_A), down(GLFW_KEY_D));
}
