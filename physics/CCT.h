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
    // The eye at the last two physics steps; what is drawn lies between them.
    glm::vec3 previousEye = glm::vec3(0);
    glm::vec3 eye = glm::vec3(0);

    void update(GLFWwindow* window, float& frameTime) override;
    // The update without a window: look angles and the movement key already read.
    void steer(const LookAngles& angles, MoveKey key);
    // Takes the controller's eye as this step's and moves the camera there; after every
    // physics step.
    void followCamera();
    // Puts the camera fraction of the way from the previous step's eye to the last one's and
    // looks through this frame's rotation; before every frame is drawn.
    void placeCamera(float fraction);
};
