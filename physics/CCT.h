#pragma once
// The player: a capsule controller steered by mouse and W, A, S, D, carrying the eye camera.
#include <glm/glm.hpp>

#include "gameplay/Controllable.h"
#include "gameplay/Steering.h"

struct Camera;
class CharacterController;

struct CCT final : Controllable {
    CharacterController* controller = nullptr; // owned by the physics world
    Camera* camera = nullptr;                  // owned
    glm::mat4 rotation = glm::mat4(1);         // look rotation, rebuilt by every update
    glm::vec4 velocity = glm::vec4(0);         // walking velocity; only x and z are set
    MouseLook look;

    void update(GLFWwindow* window, float& frameTime) override;
    // The update without a window: look angles and the movement key already read.
    void steer(const LookAngles& angles, MoveKey key);
    // Moves the camera to the controller's eye and rebuilds its view; after every physics step.
    void followCamera();
};
