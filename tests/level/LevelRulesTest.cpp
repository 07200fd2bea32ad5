// The rules the game's code relies on, checked on the shipped files themselves: the collision
// mesh is what is drawn, where the player starts, the pond, the drugs, the table, the edge of
// the playing field and the special models. The playthrough walks the routes with the real game.
#include <algorithm>
#include <cmath>

#include <btBulletCollisionCommon.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "support/LevelGeometry.h"
#include "assets/NameList.h"
#include "assets/Scene.h"
#include "gameplay/Updater.h"
#include "support/Sandbox.h"

namespace {

const float kWaterHeight = 13.808329f;

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

TEST(LevelRules, SpawnStandsOnLowGroundInFreeSpaceFacingTheLaboratory) {
    const TriangleWorld& collision = shippedCollision();
    float ground = collision.groundBelow(glm::vec3(0.0f, 5.0f, 0.0f));
    EXPECT_LE(ground, 1.9f);
    EXPECT_GT(ground, 0.0f) << "the spawn must stand on the level, not on the ground plane";
    btCapsuleShape capsule(0.5f, 5.0f);
    EXPECT_FALSE(collision.touches(&capsule, glm::vec3(0.0f, 5.0f, 0.0f)));
    // Looking along -z from the eye meets the laboratory's buildings first.
    glm::vec3 eye(0.0f, ground + 5.05f, 0.0f);
    std::vector<Hit> seen = drawnLevel().cast(eye, eye - glm::vec3(0.0f, 0.0f, 40.0f));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(levelModels()[static_cast<size_t>(seen[0].object)], "shelter.dae");
}

TEST(LevelRules, WaterLiesFlatOverABasinWhoseBanksHideItsEdge) {
    ShippedModel water = readModel("waterplane.obj");
    EXPECT_EQ(water.placements, std::vector<glm::mat4>{glm::mat4(1.0f)});
    EXPECT_EQ(water.lo.y, kWaterHeight);
    EXPECT_EQ(water.hi.y, kWaterHeight);
    TriangleWorld surface;
    surface.add(water.corners);
    glm::vec2 centre =
        (glm::vec2(water.lo.x, water.lo.z) + glm::vec2(water.hi.x, water.hi.z)) / 2.0f;
    float radius = (water.hi.x - water.lo.x) * 0.5f;
    for (float z = water.lo.z - 4.0f; z <= water.hi.z + 4.0f; z += 0.25f) {
        for (float x = water.lo.x - 4.0f; x <= water.hi.x + 4.0f; x += 0.25f) {
            float ground = shippedCollision().groundBelow(glm::vec3(x, 100.0f, z));
            bool covered = !surface.cast(glm::vec3(x, 20.0f, z), glm::vec3(x, 0.0f, z)).empty();
            if (ground < kWaterHeight) {
                EXPECT_TRUE(covered) << "dry hollow beside the pond at " << x << ", " << z;
            }
            if (covered && glm::length(glm::vec2(x, z) - centre) > radius - 0.5f) {
                EXPECT_GT(ground, kWaterHeight + 0.2f)
                    << "water's edge shows at " << x << ", " << z;
            }
        }
    }
}

TEST(LevelRules, EveryDrugHoversOverTheGroundInAPlaceOfItsOwn) {
    ShippedModel drug = readModel("drugs3.dae");
    float reach = 0.0f;
    for (const glm::vec3& p : drug.corners) {
        reach = std::max(reach, glm::length(p));
    }
    EXPECT_LE(reach, 1.0f) << "drug model exceeds its sphere";
    ASSERT_GE(drug.placements.size(), 8u);
    for (size_t i = 0; i < drug.placements.size(); ++i) {
        glm::vec3 c(drug.placements[i][3]);
        float above = c.y - shippedCollision().groundBelow(c);
        EXPECT_TRUE(above >= 0.5f && above <= 3.0f) << "drug " << i << " is " << above << " up";
        for (size_t j = i + 1; j < drug.placements.size(); ++j) {
            EXPECT_GT(glm::length(c - glm::vec3(drug.placements[j][3])), 8.0f) << i << ", " << j;
        }
    }
}

TEST(LevelRules, TableFillsItsUprightBoxStandingOnTheFloor) {
    ShippedModel table = readModel("Mixtable.dae");
    ASSERT_EQ(table.placements.size(), 1u);
    EXPECT_TRUE(glm::all(glm::greaterThanEqual(table.lo, glm::vec3(-1.0001f))));
    EXPECT_TRUE(glm::all(glm::lessThanEqual(table.hi, glm::vec3(1.0001f))));
    EXPECT_LT(table.lo.y, -0.99f) << "the table's legs reach the bottom of the box";
    const glm::mat4& m = table.placements[0];
    glm::vec3 half(glm::length(glm::vec3(m[0])), glm::length(glm::vec3(m[1])),
                   glm::length(glm::vec3(m[2])));
    glm::vec3 centre(m[3]);
    EXPECT_GT(std::min(half.x, half.z), 0.5f);
    // The trigger takes the placement's rotation.
    EXPECT_NEAR(m[1].y, half.y, 1e-4f);
    EXPECT_NEAR(centre.y - half.y, shippedCollision().groundBelow(centre), 0.15f);
}

TEST(LevelRules, CliffsCloseThePlayingField) {
    // Nowhere the walk reaches lies near the edge of the terrain, where the player could fall
    // off the level onto the bare ground plane.
    const WalkMap& map = shippedWalkMap();
    std::vector<float> fromSpawn = map.distancesFrom(map.nodeAt(0.0f, 0.0f, 5.0f));
    float farthest = 0.0f;
    size_t reached = 0;
    for (size_t node = 0; node < fromSpawn.size(); ++node) {
        if (std::isfinite(fromSpawn[node])) {
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

TEST(LevelRules, ApparitionCirclesThePlayerAndTheOthersTurnInPlaceAfloat) {
    // The orbiting model as the game moves it, drawn after the file's placement.
    ShippedModel orbit = readModel("test.dae");
    ASSERT_EQ(orbit.placements.size(), 1u);
    Model apparition;
    AnimatedModel orbiting{&apparition, 0.0f, 20.0f, 4.0f, true};
    for (glm::vec3 player : {glm::vec3(0, 5, 0), glm::vec3(12, 9, -30), glm::vec3(-25, 18, 20)}) {
        for (int turn = 0; turn < 3; ++turn) {
            animateModel(orbiting, player, 3.7f, 0.4f);
            glm::vec3 at(orbit.placements[0] * apparition.transform *
                         glm::vec4((orbit.lo + orbit.hi) * 0.5f, 1.0f));
            EXPECT_NEAR(glm::length(glm::vec2(at.x - player.x, at.z - player.z)), 4.0f, 0.1f);
            EXPECT_NEAR(at.y, player.y + 1.0f, 1.0f);
        }
    }
    // The head and the faces turn about their local z: model them round it, pointing up.
    for (const char* name : {"npcHead.dae", "rotfaces.dae"}) {
        ShippedModel model = readModel(name);
        ASSERT_EQ(model.placements.size(), 1u) << name;
        const glm::mat4& placement = model.placements[0];
        glm::vec3 c = (model.lo + model.hi) * 0.5f;
        EXPECT_LT(glm::length(glm::vec2(c)), 0.1f * glm::length(model.hi - model.lo)) << name;
        EXPECT_GT(glm::normalize(glm::vec3(placement[2])).y, 0.999f) << name;
        // Afloat in the open, in sight of the spawn (the far plane is 100 units away).
        glm::vec3 lo(placement * glm::vec4(model.lo, 1.0f)),
            hi(placement * glm::vec4(model.hi, 1.0f));
        glm::vec3 size = glm::abs(hi - lo) * 0.5f;
        btBoxShape box(btVector3(size.x, size.y, size.z));
        glm::vec3 middle = (lo + hi) * 0.5f;
        EXPECT_FALSE(shippedCollision().touches(&box, middle)) << name << " sticks into the level";
        EXPECT_GT(std::min(lo.y, hi.y), shippedCollision().groundBelow(middle) + 2.0f) << name;
        EXPECT_LT(glm::length(middle - glm::vec3(0, 7, 0)), 80.0f) << name;
    }
}
