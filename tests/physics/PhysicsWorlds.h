#pragma once
// Small worlds for the physics tests, cooked as the level is: triangles made here, the ground
// plane and the factory's player.

#include <glm/glm.hpp>

#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/CollisionMesh.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"

// Triangles for cookCollisionMesh, which takes the mesh; both sides of a triangle collide.
inline CollisionMesh* addQuad(CollisionMesh* mesh, const glm::vec3& a, const glm::vec3& b,
                              const glm::vec3& c, const glm::vec3& d) {
    mesh->vertices.insert(mesh->vertices.end(), {a, b, c, d});
    for (const uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) {
        mesh->indices.push_back(mesh->vertexCount + corner);
    }
    mesh->vertexCount += 4;
    mesh->triangleCount += 2;
    return mesh;
}

inline CollisionMesh* box(const glm::vec3& lo, const glm::vec3& hi) {
    // Corner i lies at hi on the axes of its set bits; each face goes round four corners.
    const auto corner = [&](int i) {
        return glm::vec3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
    };
    const int faces[] = {0, 1, 3, 2, 4, 5, 7, 6, 0, 1, 5, 4, 2, 3, 7, 6, 0, 2, 6, 4, 1, 3, 7, 5};
    auto* mesh = new CollisionMesh();
    for (int f = 0; f < 24; f += 4) {
        addQuad(mesh, corner(faces[f]), corner(faces[f + 1]), corner(faces[f + 2]),
                corner(faces[f + 3]));
    }
    return mesh;
}

struct TestWorld {
    PhysX physX;
    PhysXFactory factory{physX, 800, 600};
    CCT* player = nullptr;

    // The ground plane, the level if one is given, and the player with its foot at foot.
    explicit TestWorld(const glm::vec3& foot = glm::vec3(0.0f), CollisionMesh* level = nullptr) {
        addGroundPlane(physX);
        if (level != nullptr) {
            cookCollisionMesh(physX, level);
        }
        player = factory.createPlayer(physX);
        placeFoot(foot);
    }
    void frame(float seconds) { physX.step(seconds); }
    // Fixed steps with a constant walking velocity.
    void walk(const glm::vec3& velocity, int steps) {
        player->velocity = glm::vec4(velocity, 0.0f);
        for (int i = 0; i < steps; ++i) {
            frame(kStepTime);
        }
    }
    void placeFoot(const glm::vec3& foot) { player->controller->setFootPosition(foot); }
    glm::vec3 foot() const { return glm::vec3(player->controller->getFootPosition()); }
};
