#pragma once
// The shipped level as the tests question it: model files read through Assimp, their triangles
// in a Bullet world to cast rays and fit shapes into, and a walk over a height grid sampled from
// collision.obj with the player's limits (steps of 0.25, slopes under 45 degrees).
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "physics/PhysX.h"

// A file of the shipped Resources/Meshes/ read with the game's post-processing flags: the
// placements (root x child) and the first child's first mesh as stored, three corners a face.
struct ShippedModel {
    std::vector<glm::mat4> placements;
    std::vector<glm::vec3> corners;
    glm::vec3 lo = glm::vec3(1e30f), hi = glm::vec3(-1e30f);

    std::vector<glm::vec3> placed() const; // the corners at every placement, as drawn
};
ShippedModel readModel(const std::string& name);

struct Hit {
    glm::vec3 point, normal;
    float fraction = 0.0f;
    int object = 0; // in the order the triangles were added
};

struct TriangleWorld {
    PhysX physX;
    std::vector<std::vector<glm::vec3>> parts; // the corners of each object

    void add(const std::vector<glm::vec3>& corners);
    // Every crossing of the segment, nearest to from first.
    std::vector<Hit> cast(const glm::vec3& from, const glm::vec3& to) const;
};

// Where the player can stand and walk. Cells of 0.25 units hold up to four standing heights
// (ground under a roof, the roof itself); neighbours join when both have room for the capsule
// and their heights differ by no more than a step.
struct WalkMap {
    static constexpr float kSpacing = 0.25f;
    static constexpr float kHalfSize = 52.0f;
    static constexpr int kLayers = 4;
    int cells = 0;              // per side
    std::vector<float> heights; // cells^2 x kLayers, NaN where there is none
    std::vector<bool> standable;

    explicit WalkMap(const TriangleWorld& collision);

    // The standing node nearest to (x, z) whose height is closest below (or at) maxHeight, or -1.
    int nodeAt(float x, float z, float maxHeight) const;
    glm::vec3 position(int node) const;
    // The shortest walks from start: for each node the one before it (start for start itself),
    // or -1 where no walk comes.
    std::vector<int> walksFrom(int start) const;
    // The walk to target as standing points from the start on (empty when none comes there).
    std::vector<glm::vec3> route(const std::vector<int>& previous, int target) const;
};

const TriangleWorld& shippedCollision();
const WalkMap& shippedWalkMap();
// The shortest walk on the shipped level from a standing foot to goal; empty when there is none.
std::vector<glm::vec3> shippedRoute(const glm::vec3& foot, const glm::vec3& goal);
// Where a walker at `at` heads on route: towards the first point from next on that lies more
// than half a unit away, or the last; next moves on past the points reached.
glm::vec2 headingAlong(const std::vector<glm::vec3>& route, size_t& next, const glm::vec3& at);
