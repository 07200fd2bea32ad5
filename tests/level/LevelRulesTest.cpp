// The rules the game's code relies on, checked on the shipped files themselves: where the
// player starts, the pond, the drugs, the table, the time a game takes and the special models.
#include <algorithm>
#include <cmath>
#include <limits>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "LevelGeometry.h"
#include "assets/NameList.h"
#include "support/Sandbox.h"

namespace {

const glm::vec3 kSpawnCentre(0.0f, 5.0f, 0.0f);
const float kWaterHeight = 13.808329f;
const float kInfinity = std::numeric_limits<float>::infinity();

// The highest standing surface below a point, from the collision mesh.
float groundBelow(const TriangleField& field, float x, float y, float z) {
    float best = -kInfinity;
    for (const Hit& hit : field.castDown(x, z)) {
        if (hit.upright > 0.0f && hit.height <= y) {
            best = std::max(best, hit.height);
        }
    }
    return best;
}

std::vector<Triangle> drawnLevel() {
    std::vector<Triangle> drawn;
    for (const std::string& name : readNameList(shippedPath("Resources/Meshes/"), "Meshes")) {
        std::vector<Triangle> part = readTriangles(meshPath(name), true);
        drawn.insert(drawn.end(), part.begin(), part.end());
    }
    return drawn;
}

glm::vec3 centreOf(const std::string& name) {
    glm::vec3 lo, hi;
    readBounds(meshPath(name), lo, hi);
    return (lo + hi) * 0.5f;
}

glm::vec3 scaleOf(const glm::mat4& m) {
    return glm::vec3(glm::length(glm::vec3(m[0])), glm::length(glm::vec3(m[1])),
                     glm::length(glm::vec3(m[2])));
}

} // namespace

TEST(LevelRules, SpawnStandsOnLowGroundInFreeSpaceFacingTheLaboratory) {
    const TriangleField& collision = shippedCollision();
    float ground = groundBelow(collision, 0.0f, kSpawnCentre.y, 0.0f);
    EXPECT_LE(ground, 1.9f);
    EXPECT_GT(ground, 0.0f) << "the spawn must stand on the level, not on the ground plane";
    // The drawn ground is where the collision ground is.
    TriangleField drawn(drawnLevel());
    EXPECT_NEAR(groundBelow(drawn, 0.0f, kSpawnCentre.y, 0.0f), ground, 1e-3f);
    // The capsule (radius 0.5, six high) fits inside this cylinder; nothing may enter it.
    EXPECT_FALSE(
        collision.blocksCylinder(0.0f, 0.0f, 0.5f, kSpawnCentre.y - 3.0f, kSpawnCentre.y + 3.0f));
    // Looking along -z from the eye meets the laboratory's buildings.
    glm::vec3 eye(0.0f, ground + 0.05f + 5.0f, 0.0f);
    std::vector<std::string> names = readNameList(shippedPath("Resources/Meshes/"), "Meshes");
    float nearest = kInfinity;
    std::string seen;
    for (const std::string& name : names) {
        TriangleField part(readTriangles(meshPath(name), true));
        float d = part.castRay(eye, glm::vec3(0.0f, 0.0f, -1.0f));
        if (d > 0.0f && d < nearest) {
            nearest = d;
            seen = name;
        }
    }
    EXPECT_EQ(seen, "shelter.dae");
    EXPECT_LT(nearest, 40.0f);
}

TEST(LevelRules, WaterLiesFlatOverABasinThePlayerCanWadeInto) {
    std::vector<Triangle> water = readTriangles(meshPath("waterplane.obj"), true);
    ASSERT_FALSE(water.empty());
    glm::vec2 lo(kInfinity), hi(-kInfinity);
    for (const Triangle& t : water) {
        for (const glm::vec3& p : {t.a, t.b, t.c}) {
            EXPECT_EQ(p.y, kWaterHeight);
            lo = glm::min(lo, glm::vec2(p.x, p.z));
            hi = glm::max(hi, glm::vec2(p.x, p.z));
        }
    }
    const glm::mat4 first = readPlacements(meshPath("waterplane.obj")).at(0);
    EXPECT_EQ(first, glm::mat4(1.0f));

    const TriangleField& collision = shippedCollision();
    TriangleField surface(water);
    glm::vec2 centre = (lo + hi) * 0.5f;
    float radius = (hi.x - lo.x) * 0.5f;
    float deepest = kInfinity;
    // Around the pond: ground below the water is covered by it, and the water's edge is
    // hidden under the banks.
    for (float z = lo.y - 4.0f; z <= hi.y + 4.0f; z += 0.25f) {
        for (float x = lo.x - 4.0f; x <= hi.x + 4.0f; x += 0.25f) {
            float ground = groundBelow(collision, x, 100.0f, z);
            bool covered = !surface.castDown(x, z).empty();
            if (ground < kWaterHeight) {
                EXPECT_TRUE(covered) << "dry hollow beside the pond at " << x << ", " << z;
            }
            if (covered) {
                deepest = std::min(deepest, ground);
            }
            float r = glm::length(glm::vec2(x, z) - centre);
            if (covered && r > radius - 0.5f) {
                EXPECT_GT(ground, kWaterHeight + 0.2f)
                    << "water's edge shows at " << x << ", " << z;
            }
        }
    }
    EXPECT_LT(deepest, kWaterHeight - 1.5f) << "the basin is too shallow to read as a pond";
    // The walk reaches the shore and the middle of the pond.
    const WalkMap& map = shippedWalkMap();
    std::vector<float> fromSpawn = map.distancesFrom(map.nodeAt(0.0f, 0.0f, kSpawnCentre.y));
    int middle = map.nodeAt(centre.x, centre.y, kWaterHeight);
    ASSERT_GE(middle, 0);
    EXPECT_LT(fromSpawn[static_cast<size_t>(middle)], kInfinity);
    EXPECT_LT(map.position(middle).y, kWaterHeight - 1.5f);
}

namespace {

struct Targets {
    std::vector<glm::vec3> drugs;
    std::vector<int> drugNodes;
    int spawnNode = -1;
    int tableNode = -1;
};

const Targets& targets() {
    static const Targets result = [] {
        Targets t;
        const WalkMap& map = shippedWalkMap();
        const TriangleField& collision = shippedCollision();
        t.spawnNode = map.nodeAt(0.0f, 0.0f, kSpawnCentre.y);
        for (const glm::mat4& m : readPlacements(meshPath("drugs3.dae"))) {
            glm::vec3 c(m[3]);
            t.drugs.push_back(c);
            t.drugNodes.push_back(
                map.nodeAt(c.x, c.z, groundBelow(collision, c.x, c.y, c.z) + 0.3f));
        }
        glm::mat4 table = readPlacements(meshPath("Mixtable.dae")).at(0);
        glm::vec3 tc(table[3]);
        t.tableNode = map.nodeAt(tc.x, tc.z + scaleOf(table).z + 0.3f, tc.y);
        return t;
    }();
    return result;
}

} // namespace

TEST(LevelRules, EveryDrugHoversOverReachableGroundWithRoomToWalkIntoIt) {
    const Targets& t = targets();
    ASSERT_GE(t.drugs.size(), 8u);
    glm::vec3 lo, hi;
    readBounds(meshPath("drugs3.dae"), lo, hi);
    EXPECT_LE(std::max(glm::length(lo), glm::length(hi)), 1.0f) << "drug model exceeds its sphere";

    const WalkMap& map = shippedWalkMap();
    const TriangleField& collision = shippedCollision();
    std::vector<float> fromSpawn = map.distancesFrom(t.spawnNode);
    for (size_t i = 0; i < t.drugs.size(); ++i) {
        glm::vec3 c = t.drugs[i];
        float ground = groundBelow(collision, c.x, c.y, c.z);
        EXPECT_GE(c.y - ground, 0.5f) << "drug " << i;
        EXPECT_LE(c.y - ground, 3.0f) << "drug " << i;
        // Standing right under it, the capsule is free and overlaps the trigger sphere.
        ASSERT_GE(t.drugNodes[i], 0) << "drug " << i;
        EXPECT_TRUE(map.standable[static_cast<size_t>(t.drugNodes[i])]) << "drug " << i;
        EXPECT_LT(fromSpawn[static_cast<size_t>(t.drugNodes[i])], kInfinity)
            << "drug " << i << " at " << c.x << ", " << c.z << " cannot be walked to";
        EXPECT_FALSE(collision.blocksCylinder(c.x, c.z, 1.0f, c.y - 0.4f, c.y + 1.0f))
            << "something solid crowds drug " << i;
        // Drugs are spread out: no two share a trigger.
        for (size_t j = i + 1; j < t.drugs.size(); ++j) {
            EXPECT_GT(glm::length(t.drugs[i] - t.drugs[j]), 8.0f) << i << " and " << j;
        }
    }
}

TEST(LevelRules, TableBoxMatchesItsDrawingAndThePlayerCanWalkIntoIt) {
    std::vector<glm::mat4> placements = readPlacements(meshPath("Mixtable.dae"));
    ASSERT_EQ(placements.size(), 1u);
    glm::vec3 lo, hi;
    readBounds(meshPath("Mixtable.dae"), lo, hi);
    EXPECT_TRUE(glm::all(glm::greaterThanEqual(lo, glm::vec3(-1.0001f))));
    EXPECT_TRUE(glm::all(glm::lessThanEqual(hi, glm::vec3(1.0001f))));
    EXPECT_LT(lo.y, -0.99f) << "the table's legs reach the bottom of the box";

    glm::vec3 half = scaleOf(placements[0]);
    glm::vec3 centre(placements[0][3]);
    EXPECT_GT(std::min(half.x, half.z), 0.5f);
    // The box is upright (the trigger takes the placement's rotation) and stands on the floor.
    EXPECT_NEAR(placements[0][1].y, half.y, 1e-4f);
    const TriangleField& collision = shippedCollision();
    float floor = groundBelow(collision, centre.x, centre.y, centre.z);
    EXPECT_NEAR(centre.y - half.y, floor, 0.15f);
    // Nothing solid inside the box above the floor, so the capsule can enter it.
    EXPECT_FALSE(collision.entersBox(centre - half + glm::vec3(0.0f, 0.15f, 0.0f), centre + half));
    // A reachable standing place where the capsule overlaps the box.
    const Targets& t = targets();
    ASSERT_GE(t.tableNode, 0);
    glm::vec3 stand = shippedWalkMap().position(t.tableNode);
    EXPECT_LT(std::fabs(stand.z - centre.z), half.z + 0.5f);
    EXPECT_LT(std::fabs(stand.x - centre.x), half.x + 0.5f);
    std::vector<float> fromSpawn = shippedWalkMap().distancesFrom(t.spawnNode);
    EXPECT_LT(fromSpawn[static_cast<size_t>(t.tableNode)], kInfinity);
}

TEST(LevelRules, AnyThreeDrugsAndTheTableFitWellInsideTheLifeTime) {
    // Chance picks the three medicines; whichever they are, the walk spawn -> three drugs ->
    // table takes well under 100 s at 10 units per second.
    const Targets& t = targets();
    const WalkMap& map = shippedWalkMap();
    size_t n = t.drugNodes.size();
    ASSERT_GE(n, 3u);
    std::vector<std::vector<float>> fromDrug;
    for (int node : t.drugNodes) {
        fromDrug.push_back(map.distancesFrom(node));
    }
    std::vector<float> fromSpawn = map.distancesFrom(t.spawnNode);
    auto dd = [&](size_t a, size_t b) { return fromDrug[a][static_cast<size_t>(t.drugNodes[b])]; };
    float worst = 0.0f;
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = a + 1; b < n; ++b) {
            for (size_t c = b + 1; c < n; ++c) {
                size_t order[3] = {a, b, c};
                float best = kInfinity;
                do {
                    float length = fromSpawn[static_cast<size_t>(t.drugNodes[order[0]])] +
                                   dd(order[0], order[1]) + dd(order[1], order[2]) +
                                   fromDrug[order[2]][static_cast<size_t>(t.tableNode)];
                    best = std::min(best, length);
                } while (std::next_permutation(order, order + 3));
                worst = std::max(worst, best);
            }
        }
    }
    EXPECT_LT(worst / 10.0f, 60.0f) << "worst three-drug route takes " << worst / 10.0f << " s";
    // Even visiting every drug before the table (nearest first) leaves time to spare.
    std::vector<bool> seen(n, false);
    float tour = 0.0f;
    const std::vector<float>* from = &fromSpawn;
    size_t last = n;
    for (size_t k = 0; k < n; ++k) {
        size_t next = n;
        for (size_t i = 0; i < n; ++i) {
            if (!seen[i] && (next == n || (*from)[static_cast<size_t>(t.drugNodes[i])] <
                                              (*from)[static_cast<size_t>(t.drugNodes[next])])) {
                next = i;
            }
        }
        tour += (*from)[static_cast<size_t>(t.drugNodes[next])];
        seen[next] = true;
        from = &fromDrug[next];
        last = next;
    }
    tour += fromDrug[last][static_cast<size_t>(t.tableNode)];
    EXPECT_LT(tour / 10.0f, 90.0f) << "collecting everything takes " << tour / 10.0f << " s";
}

TEST(LevelRules, CliffsCloseThePlayingField) {
    // Nowhere the walk reaches lies near the edge of the terrain, where the player could fall
    // off the level onto the bare ground plane.
    const WalkMap& map = shippedWalkMap();
    std::vector<float> fromSpawn = map.distancesFrom(targets().spawnNode);
    float farthest = 0.0f;
    size_t reached = 0;
    for (size_t node = 0; node < fromSpawn.size(); ++node) {
        if (fromSpawn[node] < kInfinity) {
            glm::vec3 p = map.position(static_cast<int>(node));
            farthest = std::max(farthest, std::max(std::fabs(p.x), std::fabs(p.z)));
            ++reached;
        }
    }
    glm::vec3 lo, hi;
    readBounds(meshPath("terrain.dae"), lo, hi);
    EXPECT_LT(farthest, std::min(hi.x, hi.z) - 4.0f);
    // And most of the valley is open to walk on.
    EXPECT_GT(static_cast<float>(reached) * WalkMap::kSpacing * WalkMap::kSpacing, 3500.0f);
}

TEST(LevelRules, ApparitionCirclesThePlayerAndTheOthersTurnInPlace) {
    // The game's transform of the orbiting model: Rx(quarter turn) x T(player) x Ry(a) x
    // T(radius 4, 1, 0) x Ry(a), drawn after the file's placement.
    std::vector<glm::mat4> orbit = readPlacements(meshPath("test.dae"));
    ASSERT_EQ(orbit.size(), 1u);
    glm::mat4 expected(1.0f);
    expected[1] = glm::vec4(0, 0, -1, 0);
    expected[2] = glm::vec4(0, 1, 0, 0);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(orbit[0][c][r], expected[c][r], 1e-6f);
        }
    }
    glm::vec3 centre = centreOf("test.dae");
    for (glm::vec3 player : {glm::vec3(0, 5, 0), glm::vec3(12, 9, -30), glm::vec3(-25, 18, 20)}) {
        for (float angle : {0.0f, 1.3f, 4.0f}) {
            glm::mat4 ry = glm::rotate(glm::mat4(1.0f), angle, glm::vec3(0, 1, 0));
            glm::mat4 transform = glm::rotate(glm::mat4(1.0f), 1.5707964f, glm::vec3(1, 0, 0)) *
                                  glm::translate(glm::mat4(1.0f), player) * ry *
                                  glm::translate(glm::mat4(1.0f), glm::vec3(4.0f, 1.0f, 0.0f)) * ry;
            glm::vec3 at(orbit[0] * transform * glm::vec4(centre, 1.0f));
            EXPECT_NEAR(glm::length(glm::vec2(at.x - player.x, at.z - player.z)), 4.0f, 0.1f);
            EXPECT_NEAR(at.y, player.y + 1.0f, 1.0f);
        }
    }
    // The head and the faces: turning about local z keeps them where they float, upright.
    const TriangleField& collision = shippedCollision();
    for (const char* name : {"npcHead.dae", "rotfaces.dae"}) {
        std::vector<glm::mat4> placements = readPlacements(meshPath(name));
        ASSERT_EQ(placements.size(), 1u) << name;
        glm::vec3 lo, hi;
        readBounds(meshPath(name), lo, hi);
        glm::vec3 c = (lo + hi) * 0.5f;
        EXPECT_LT(glm::length(glm::vec2(c.x, c.y)), 0.1f * glm::length(hi - lo))
            << name << " is not modelled round its vertical axis";
        glm::vec3 up(placements[0] * glm::vec4(0, 0, 1, 0));
        EXPECT_GT(glm::normalize(up).y, 0.999f) << name;
        glm::vec3 still(placements[0] * glm::vec4(c, 1.0f));
        for (float angle : {-1.0f, 0.4f, 1.0f}) {
            glm::mat4 tilt = glm::rotate(glm::mat4(1.0f), angle, glm::vec3(0, 0, 1));
            glm::vec3 moved(placements[0] * tilt * glm::vec4(c, 1.0f));
            EXPECT_LT(glm::length(glm::vec2(moved.x - still.x, moved.z - still.z)), 0.1f) << name;
        }
        // Afloat in the open, in sight of the spawn (the far plane is 100 units away).
        glm::vec3 worldLo(placements[0] * glm::vec4(lo, 1.0f));
        glm::vec3 worldHi(placements[0] * glm::vec4(hi, 1.0f));
        glm::vec3 boxLo = glm::min(worldLo, worldHi), boxHi = glm::max(worldLo, worldHi);
        EXPECT_FALSE(collision.entersBox(boxLo, boxHi)) << name << " sticks into the level";
        EXPECT_GT(boxLo.y, groundBelow(collision, still.x, still.y, still.z) + 2.0f) << name;
        EXPECT_LT(glm::length(still - glm::vec3(0, 7, 0)), 80.0f) << name;
    }
}
