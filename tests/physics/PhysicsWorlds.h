#pragma once
// Small worlds for the physics tests, built through the same cooking as the level: triangle
// lists made here, a ground plane and the player from the factory.
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "physics/CollisionMesh.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "physics/PhysXTrigger.h"

struct CCT;

// Triangles added by shape; both sides of a triangle collide, so winding does not matter.
struct MeshBuilder {
    CollisionMesh* mesh = new CollisionMesh(); // handed to the world by TestWorld::add

    MeshBuilder() = default;
    ~MeshBuilder() { releaseCollisionMesh(mesh); }
    MeshBuilder(const MeshBuilder&) = delete;
    MeshBuilder& operator=(const MeshBuilder&) = delete;

    void triangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c);
    void quad(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c, const glm::vec3& d);
    void box(const glm::vec3& lo, const glm::vec3& hi);
    // A slope of the given angle rising along +x from x = start, across z = -10 .. 10, up to a
    // plateau at height.
    void ramp(float degrees, float start, float height);
};

struct TestWorld {
    PhysX physX;
    PhysXFactory factory{physX, 800, 600};
    CCT* player = nullptr;

    // Ground plane and player; the player's foot starts at foot.
    explicit TestWorld(const glm::vec3& foot = glm::vec3(0.0f));
    void add(MeshBuilder& builder);
    // Fixed steps of 1/60 s with a constant walking velocity.
    void walk(const glm::vec3& velocity, int steps);
    glm::vec3 foot() const;
    glm::vec3 centre() const;
};

// A trigger reaction that counts its calls.
struct CountingTrigger final : PhysXTrigger {
    std::string name;
    int reactions = 0;

    explicit CountingTrigger(const std::string& theName) : name(theName) {}
    void react() override {
        inside = !inside;
        ++reactions;
    }
};

// A COLLADA document with one horizontal triangle around the origin at the given height,
// placed once per matrix, as the drug and table files are laid out. Without firstHasMesh the
// first node holds no mesh.
std::string placementsDae(const std::vector<glm::mat4>& placements, float size = 0.2f,
                          float height = 0.0f, bool firstHasMesh = true);
