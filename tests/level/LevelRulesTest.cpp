// The rules the game's code relies on, checked on the shipped files themselves: the collision
// mesh is what is drawn, where the player starts and the edge of the playing field. The
// playthrough walks into every drug, the table and the pond with the real game.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "support/LevelGeometry.h"
#include "assets/NameList.h"
#include "support/Sandbox.h"

namespace {

std::vector<std::string> levelModels() {
    return readNameList(shippedPath("Resources/Meshes/"), "Meshes");
}

// Each listed model as one object, in list order.
const TriangleWorld& drawnLevel() {
    static TriangleWorld world;
    if (world.physX.objects.empty()) {
        for (const std::string& name : levelModels()) {
            world.add(readModel(name).placed());
        }
    }
    return world;
}

// Faces of corners on which other has no face: a short ray through the middle of each.
size_t unmatched(const std::vector<glm::vec3>& corners, const TriangleWorld& other) {
    size_t count = 0;
    for (size_t i = 0; i < corners.size(); i += 3) {
        glm::vec3 n = glm::cross(corners[i + 1] - corners[i], corners[i + 2] - corners[i]);
        if (glm::length(n) < 1e-5f) {
            continue; // no area: nothing to stand on or bump into
        }
        n = glm::normalize(n) * 0.01f;
        glm::vec3 middle = (corners[i] + corners[i + 1] + corners[i + 2]) / 3.0f;
        std::vector<Hit> hits = other.cast(middle + n, middle - n);
        count += std::none_of(hits.begin(), hits.end(), [&](const Hit& hit) {
            return std::fabs(hit.fraction - 0.5f) < 0.05f && glm::dot(hit.normal, n) > 0.0099f;
        });
    }
    return count;
}

} // namespace

TEST(LevelRules, CollisionMeshIsExactlyTheDrawnLevel) {
    std::vector<glm::vec3> drawn;
    for (const std::vector<glm::vec3>& part : drawnLevel().parts) {
        drawn.insert(drawn.end(), part.begin(), part.end());
    }
    ASSERT_GT(shippedCollision().parts[0].size(), 3000u);
    EXPECT_EQ(unmatched(drawn, shippedCollision()), 0u) << "drawn faces the player passes through";
    EXPECT_EQ(unmatched(shippedCollision().parts[0], drawnLevel()), 0u)
        << "collision faces nobody can see";
}

TEST(LevelRules, TheSpawnStandsOnLowGroundFacingTheLaboratoryAndCliffsCloseTheField) {
    const WalkMap& map = shippedWalkMap();
    const int spawn = map.nodeAt(0.0f, 0.0f, 5.0f);
    ASSERT_GE(spawn, 0) << "the spawn must stand on the level, not on the ground plane";
    const float ground = map.position(spawn).y;
    EXPECT_GT(ground, 0.0f);
    EXPECT_LE(ground, 1.9f);
    // Looking along -z from the eye meets the laboratory's buildings first.
    glm::vec3 eye(0.0f, ground + 5.05f, 0.0f);
    std::vector<Hit> seen = drawnLevel().cast(eye, eye - glm::vec3(0.0f, 0.0f, 40.0f));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(levelModels()[static_cast<size_t>(seen[0].object)], "shelter.dae");

    // Nowhere the walk reaches lies near the edge of the terrain, where the player could fall
    // off the level onto the bare ground plane.
    std::vector<int> fromSpawn = map.walksFrom(spawn);
    float farthest = 0.0f;
    size_t reached = 0;
    for (size_t node = 0; node < fromSpawn.size(); ++node) {
        if (fromSpawn[node] >= 0) {
            glm::vec3 p = map.position(static_cast<int>(node));
            farthest = std::max(farthest, std::max(std::fabs(p.x), std::fabs(p.z)));
            ++reached;
        }
    }
    ShippedModel terrain = readModel("terrain.dae");
    EXPECT_LT(farthest, std::min(terrain.hi.x, terrain.hi.z) - 4.0f);
    // And most of the valley is open to walk on.
    EXPECT_GT(static_cast<float>(reached) * WalkMap::kSpacing * WalkMap::kSpacing, 3500.0f);
}
