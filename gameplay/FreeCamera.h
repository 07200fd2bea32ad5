#pragma once
// The free-flying debug camera that TAB selects: mouse look and W, A, S, D, no collision.
#include <cstdint>

#include "gameplay/Controllable.h"
#include "gameplay/Steering.h"

struct Camera;

constexpr float kFreeCameraSpeed = 10.0f; // world units per second

// Final, so the owner may delete it through its own type.
struct FreeCamera final : Controllable {
    Camera* camera = nullptr; // owned
    MouseLook look;

    void update(GLFWwindow* window, float& frameTime) override;
    // The update without a window: look angles and the movement key already read.
    void steer(const LookAngles& angles, MoveKey key, float frameTime);
};

// Perspective for the window's aspect (near 0.1, far 100, field of view 45 taken as radians),
// eye at (4, 4, 4).
FreeCamera* createFreeCamera(int32_t width, int32_t height);
void releaseFreeCamera(FreeCamera* freeCamera);
