#pragma once
// The view and projection that the renderer draws through.
#include <string>

#include <glm/glm.hpp>

struct Camera {
    float aspect = 0.0f;
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float fieldOfView = 0.0f; // handed to the perspective as radians
    glm::vec4 front = glm::vec4(0);
    glm::vec4 position = glm::vec4(0); // eye in world space
    glm::vec4 up = glm::vec4(0);
    glm::vec4 right = glm::vec4(0);
    glm::mat4 view = glm::mat4(1);
    glm::mat4 projection = glm::mat4(1);
    std::string name;

    void setProjection(const float& aspect, const float& nearPlane, const float& farPlane,
                       const float& fieldOfView);
    void setView(const glm::vec3& position, const glm::vec3& front, const glm::vec3& up);
};
