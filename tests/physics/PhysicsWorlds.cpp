#include "PhysicsWorlds.h"

#include <cmath>

#include "physics/CCT.h"
#include "physics/CharacterController.h"

void MeshBuilder::triangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    for (const glm::vec3& corner : {a, b, c}) {
        mesh->indices.push_back(mesh->vertexCount++);
        mesh->vertices.push_back(corner);
    }
    ++mesh->triangleCount;
}

void MeshBuilder::quad(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                       const glm::vec3& d) {
    triangle(a, b, c);
    triangle(a, c, d);
}

void MeshBuilder::box(const glm::vec3& lo, const glm::vec3& hi) {
    const glm::vec3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                            {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                            {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    quad(p[0], p[1], p[2], p[3]);
    quad(p[4], p[5], p[6], p[7]);
    quad(p[0], p[4], p[7], p[3]);
    quad(p[1], p[5], p[6], p[2]);
    quad(p[0], p[1], p[5], p[4]);
    quad(p[3], p[2], p[6], p[7]);
}

void MeshBuilder::ramp(float degrees, float start, float height) {
    const float top = start + height / std::tan(glm::radians(degrees));
    quad({start, 0, -10}, {top, height, -10}, {top, height, 10}, {start, 0, 10});
    quad({top, height, -10}, {top + 20, height, -10}, {top + 20, height, 10}, {top, height, 10});
}

TestWorld::TestWorld(const glm::vec3& startFoot) {
    addGroundPlane(physX);
    player = factory.createPlayer(physX);
    player->controller->setFootPosition(startFoot);
}

void TestWorld::add(MeshBuilder& builder) {
    cookCollisionMesh(physX, builder.mesh);
    builder.mesh = nullptr;
}

void TestWorld::walk(const glm::vec3& velocity, int steps) {
    player->velocity = glm::vec4(velocity, 0.0f);
    for (int i = 0; i < steps; ++i) {
        float frameTime = kStepTime;
        physX.step(frameTime);
    }
}

glm::vec3 TestWorld::foot() const {
    return glm::vec3(player->controller->getFootPosition());
}

glm::vec3 TestWorld::centre() const {
    return glm::vec3(player->controller->getPosition());
}
