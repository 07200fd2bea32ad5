#pragma once
// Mouse look and movement keys, shared by the free camera and the player's controller.
#include <glm/glm.hpp>

struct GLFWwindow;

constexpr float kLookSensitivity = 0.2f;  // degrees per unit of cursor travel
constexpr float kDegToRad = 0.017453292f; // single-precision degrees to radians
constexpr float kMaxPitch = 84.99f;       // pitch stays inside the open range -85..85 degrees

struct LookAngles {
    float yaw = 0.0f;   // degrees
    float pitch = 0.0f; // degrees, positive looks down
};

// Angles come from the cursor's travel since its reference: the window centre until the game
// starts, then the cursor as it stood at the start. The vertical travel is clamped as it
// accumulates, so turning the mouse back responds at once at the limit.
struct MouseLook {
    double centreX = 0.0;
    double centreY = 0.0;
    double lastY = 0.0;
    double pitchTravel = 0.0;
    bool started = false; // the reference is the cursor at the start
};

MouseLook makeMouseLook(int windowWidth, int windowHeight);
// Takes the cursor where it stands as the reference: straight ahead and level.
void startMouseLook(MouseLook& look, double cursorX, double cursorY);
LookAngles followCursor(MouseLook& look, double cursorX, double cursorY);
LookAngles followCursor(MouseLook& look, GLFWwindow* window);

// Rx(pitch) x Ry(yaw), the view rotation of both controllables.
glm::mat4 lookRotation(const LookAngles& angles);

// Only one movement key acts per frame, tested in the order W, S, A, D.
enum class MoveKey { None, Forward, Back, Left, Right };
MoveKey firstMoveKey(bool w, bool s, bool a, bool d);
MoveKey pollMoveKey(GLFWwindow* window);
