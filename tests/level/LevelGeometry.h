#pragma once
// The shipped level as geometry the tests can question: triangles read from the model files
// through Assimp, vertical ray casts, capsule clearance, and a walk over a height grid sampled
// from collision.obj with the player's limits (steps of 0.25, slopes under 45 degrees).
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct Triangle {
    glm::vec3 a, b, c;
    glm::vec3 normal() const { return glm::cross(b - a, c - a); }
};

// Reads folder + name with the game's post-processing flags (0x00102000). With placed, the
// first child's first mesh is put at every placement (root x child), as the game draws it;
// without, its raw vertex coordinates are used, as the physics cooks collision.obj.
std::vector<Triangle> readTriangles(const std::string& path, bool placed);

// The placement matrices (root x child) of a model file.
std::vector<glm::mat4> readPlacements(const std::string& path);

// Smallest and largest vertex coordinate of the first child's first mesh, unplaced.
void readBounds(const std::string& path, glm::vec3& lo, glm::vec3& hi);

struct Hit {
    float height = 0.0f;
    float upright = 0.0f; // y of the unit normal, negative for faces turned down
};

// Triangles bucketed by their extent in x and z.
struct TriangleField {
    std::vector<Triangle> triangles;
    glm::vec2 origin = glm::vec2(-64.0f);
    int size = 128; // buckets of one unit per side
    std::vector<std::vector<uint32_t>> buckets;

    explicit TriangleField(std::vector<Triangle> all);

    // Every crossing of the vertical line through (x, z), lowest first.
    std::vector<Hit> castDown(float x, float z) const;
    // Whether any triangle enters the upright cylinder round (x, z) between heights y0 and y1.
    // Triangles with upright at least minUpright only count from y0 + walkableAllowance up, so the
    // ground a capsule stands on does not block it.
    bool blocksCylinder(float x, float z, float radius, float y0, float y1,
                        float walkableAllowance = 0.0f) const;
    // Whether any triangle enters the axis-aligned box.
    bool entersBox(const glm::vec3& lo, const glm::vec3& hi) const;
    // The first triangle a ray meets, as a distance along the unit direction (negative: none).
    float castRay(const glm::vec3& from, const glm::vec3& direction, size_t* which = nullptr) const;
};

// Where the player can stand and walk. Cells of 0.25 units hold up to four standing heights
// (ground under a roof, the roof itself); neighbours join when both have room for the capsule
// and their heights differ by no more than a step.
struct WalkMap {
    static constexpr float kSpacing = 0.25f;
    static constexpr float kHalfSize = 52.0f;
    static constexpr int kLayers = 4;
    static constexpr float kClearance = 0.6f;
    int cells = 0;              // per side
    std::vector<float> heights; // cells^2 x kLayers, NaN where there is none
    std::vector<bool> standable;

    explicit WalkMap(const TriangleField& collision);

    // The standing node nearest to (x, z) whose height is closest below (or at) maxHeight, or -1.
    int nodeAt(float x, float z, float maxHeight) const;
    glm::vec3 position(int node) const;
    // Walking distances from a node to every node (infinity where it cannot be reached).
    std::vector<float> distancesFrom(int node) const;
    // The shortest walk from the start of distances to target, as standing points from the
    // start on (empty when target cannot be reached).
    std::vector<glm::vec3> route(const std::vector<float>& distances, int target) const;

    // The nodes one step from node that the player can walk to, with the step's length.
    template <typename Visit> void forNeighbours(int node, Visit visit) const;
};

const TriangleField& shippedCollision();
const WalkMap& shippedWalkMap();
std::string meshPath(const std::string& name); // in the shipped Resources/Meshes/
