#include "gameplay/FreeCamera.h"

#include <glm/gtc/matrix_transform.hpp>

#include "gameplay/Camera.h"

void FreeCamera::update(GLFWwindow* window, float& frameTime) {
    const LookAngles angles = followCursor(look, window);
    steer(angles, pollMoveKey(window), frameTime);
}

void FreeCamera::steer(const LookAngles& angles, MoveKey key, float frameTime) {
    const glm::mat4 rotation = lookRotation(angles);
    // The camera's own front and right, turned into world space.
    const glm::mat4 toWorld = kFreeCameraSpeed * glm::inverse(rotation);
    switch (key) {
    case MoveKey::Forward:
        camera->position += frameTime * (toWorld * camera->front);
        break;
    case MoveKey::Back:
        camera->position -= frameTime * (toWorld * camera->front);
        break;
    case MoveKey::Left:
        camera->position -= frameTime * (toWorld * camera->right);
        break;
    case MoveKey::Right:
        camera->position += frameTime * (toWorld * camera->right);
        break;
    case MoveKey::None:
        break;
    }
    camera->view = rotation * glm::translate(glm::mat4(1.0f), -glm::vec3(camera->position));
}

FreeCamera* createFreeCamera(int32_t width, int32_t height) {
    FreeCamera* freeCamera = new FreeCamera;
    freeCamera->look = makeMouseLook(width, height);
    freeCamera->camera = new Camera;
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const float nearPlane = 0.1f;
    const float farPlane = 100.0f;
    const float fieldOfView = 45.0f;
    freeCamera->camera->setProjection(aspect, nearPlane, farPlane, fieldOfView);
    freeCamera->camera->setView(glm::vec3(4, 4, 4), glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
    return freeCamera;
}

void releaseFreeCamera(FreeCamera* freeCamera) {
    if (freeCamera == nullptr) {
        return;
    }
    delete freeCamera->camera;
    delete freeCamera;
}
