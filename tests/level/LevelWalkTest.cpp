// The real game objects on the shipped level: the physics factory builds the collision mesh,
// the drug and table triggers and the player, and the player walks the level's routes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/LevelGeometry.h"
#include "app/GameState.h"
#include "assets/Scene.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

using testing::IsEmpty;

namespace {

struct ShippedWorld {
    GlContext gl;
    Sandbox sandbox{true};
    PhysX physX;
    Scene scene;
    CCT* player = nullptr;

    ShippedWorld() {
        gameState() = GameState{};
        PhysXFactory factory(physX, 800, 600);
        factory.build(physX, scene);
        player = physX.player;
    }
    ~ShippedWorld() {
        releaseScene(scene);
        gameState() = GameState{};
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    glm::vec3 foot() const { return glm::vec3(player->controller->getFootPosition()); }

    void step(const glm::vec3& velocity) {
        player->velocity = glm::vec4(velocity.x, 0.0f, velocity.z, 0.0f);
        float frameTime = kStepTime;
        physX.step(frameTime);
    }

    // Follows the route at walking speed, aiming at the next point half a unit on; returns the
    // seconds taken, or a negative number when the player got stuck. watch runs after every step.
    template <typename Watch> float follow(const std::vector<glm::vec3>& route, Watch watch) {
        size_t next = 0;
        for (int steps = 0; steps < 60 * 120; ++steps) {
            glm::vec3 at = foot();
            while (next + 1 < route.size() &&
                   glm::length(glm::vec2(route[next].x - at.x, route[next].z - at.z)) < 0.5f) {
                ++next;
            }
            glm::vec2 toward(route[next].x - at.x, route[next].z - at.z);
            if (next + 1 == route.size() && glm::length(toward) < 0.3f) {
                return static_cast<float>(steps) / 60.0f;
            }
            glm::vec2 v = glm::normalize(toward) * 10.0f;
            step(glm::vec3(v.x, 0.0f, v.y));
            watch();
        }
        return -1.0f;
    }
};

} // namespace

TEST(LevelWalk, FromTheSpawnThePlayerWalksIntoEveryDrugTheTableAndThePond) {
    ShippedWorld world;
    ASSERT_NE(world.player, nullptr);
    ASSERT_NE(world.scene.drugs, nullptr);
    // Standing still for a second: down onto the ground under the spawn, not pushed aside.
    for (int i = 0; i < 60; ++i) {
        world.step(glm::vec3(0.0f));
    }
    EXPECT_NEAR(world.foot().x, 0.0f, 1e-3f);
    EXPECT_NEAR(world.foot().z, 0.0f, 1e-3f);
    const WalkMap& map = shippedWalkMap();

    std::vector<Drug*> drugs = world.scene.drugs->drugs;
    ASSERT_GE(drugs.size(), 8u);
    std::vector<bool> touched(drugs.size(), false);
    bool atTable = false;
    auto watch = [&] {
        for (size_t i = 0; i < drugs.size(); ++i) {
            touched[i] = touched[i] || drugs[i]->inside;
        }
        atTable = atTable || world.physX.laboratory->inside;
    };
    // Every drug in placement order, then the table, each from where the last walk ended; last,
    // down into the middle of the pond.
    std::vector<glm::vec3> goals;
    for (const Drug* drug : drugs) {
        goals.push_back(glm::vec3(drug->transform[3]));
    }
    goals.push_back(glm::vec3(world.physX.laboratory->model->instances[0][3]));
    ShippedModel water = readModel("waterplane.obj");
    goals.push_back(
        glm::vec3((water.lo.x + water.hi.x) * 0.5f, water.lo.y, (water.lo.z + water.hi.z) * 0.5f));
    float seconds = 0.0f;
    for (size_t i = 0; i < goals.size(); ++i) {
        glm::vec3 from = world.foot(), goal = goals[i];
        std::vector<float> distances = map.distancesFrom(map.nodeAt(from.x, from.z, from.y + 0.3f));
        std::vector<glm::vec3> route = map.route(distances, map.nodeAt(goal.x, goal.z, goal.y));
        ASSERT_FALSE(route.empty()) << "no walk to target " << i;
        float taken = world.follow(route, watch);
        ASSERT_GE(taken, 0.0f) << "the player got stuck on the way to target " << i << " near "
                               << world.foot().x << ", " << world.foot().z;
        if (i < drugs.size()) {
            EXPECT_TRUE(touched[i]) << "walked under drug " << i << " without touching it";
        }
        seconds += i <= drugs.size() ? taken : 0.0f;
    }
    EXPECT_TRUE(atTable) << "walked to the table without entering its box";
    // The game's life lasts 100 s; whichever three drugs chance makes the medicines lie on this
    // tour in its order, so collecting them takes no longer.
    EXPECT_LT(seconds, 60.0f);
    EXPECT_LT(world.foot().y, water.lo.y - 1.5f) << "the basin is too shallow to read as a pond";
}
