#include "gameplay/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

void Camera::setProjection(const float& newAspect, const float& newNear, const float& newFar,
                           const float& newFieldOfView) {
    aspect = newAspect;
    nearPlane = newNear;
    farPlane = newFar;
    fieldOfView = newFieldOfView;
    projection = glm::perspective(fieldOfView, aspect, nearPlane, farPlane);
}

void Camera::setView(const glm::vec3& newPosition, const glm::vec3& newFront,
                     const glm::vec3& newUp) {
    position = glm::vec4(newPosition, 1.0f);
    front = glm::vec4(newFront, 1.0f);
    up = glm::vec4(newUp, 1.0f);
    right = glm::vec4(glm::cross(newFront, newUp), 1.0f);
    // The look-at centre is front minus position, as the game has always framed its views.
    view = glm::lookAt(newPosition, newFront - newPosition, newUp);
}
