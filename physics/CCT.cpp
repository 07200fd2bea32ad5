#include "physics/CCT.h"

#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "gameplay/Camera.h"
#include "physics/CharacterController.h"

namespace {

constexpr float kWalkSpeed = 10.0f;
constexpr float kEyeHeight = 5.0f; // above the controller's foot

} // namespace

void CCT::update(GLFWwindow* window, float&) {
    steer(followCursor(look, window), pollMoveKey(window));
}

void CCT::steer(const LookAngles& angles, MoveKey key) {
    LookAngles used = angles;
    GameState& state = gameState();
    // The cursor's first reading is not a look up or down.
    if (state.skipFirstPitch) {
        state.skipFirstPitch = false;
        used.pitch = 0.0f;
    }
    rotation = lookRotation(used);
    const glm::mat4 toWorld = glm::inverse(rotation);
    const glm::vec4 front = toWorld * (kWalkSpeed * camera->front);
    const glm::vec4 right = toWorld * (kWalkSpeed * camera->right);

    velocity = glm::vec4(0.0f);
    switch (key) {
    case MoveKey::Forward:
        velocity.x += front.x;
        velocity.z += front.z;
        break;
    case MoveKey::Back:
        velocity.x -= front.x;
        velocity.z -= front.z;
        break;
    case MoveKey::Left:
        velocity.x -= right.x;
        velocity.z -= right.z;
        break;
    case MoveKey::Right:
        velocity.x += right.x;
        velocity.z += right.z;
        break;
    case MoveKey::None:
        break;
    }
}

void CCT::followCamera() {
    const glm::vec3 foot(controller->getFootPosition());
    previousEye = eye;
    eye = glm::vec3(foot.x, foot.y + kEyeHeight, foot.z);
    placeCamera(1.0f);
}

void CCT::placeCamera(float fraction) {
    const glm::vec3 between = glm::mix(previousEye, eye, fraction);
    camera->position = glm::vec4(between, 1.0f);
    camera->view = rotation * glm::translate(glm::mat4(1.0f), -between);
}
