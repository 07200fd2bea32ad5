// Triggers against the player's capsule: entry and exit, overlapping drugs, removal while
// inside.
#include <gtest/gtest.h>

#include <btBulletCollisionCommon.h>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"

namespace {

const glm::quat kNoTurn(1, 0, 0, 0);

Drug* addDrug(PhysX& physX, const std::string& name, const glm::vec3& position) {
    auto* drug = new Drug();
    physX.drugs.push_back(drug); // the world frees it
    drug->name = name;
    drug->actor = addTrigger(physX, new btSphereShape(1.0f), position, kNoTurn, drug->name);
    physX.triggers[drug->name] = drug;
    return drug;
}

void resetState() {
    gameState().message.clear();
    gameState().pendingActorRemoval = nullptr;
}

} // namespace

TEST(Triggers, WalkingThroughASphereReactsOnceOnEntryAndOnceOnExit) {
    resetState();
    TestWorld world;
    CountingTrigger sphere("sphere");
    addTrigger(world.physX, new btSphereShape(1.0f), glm::vec3(5, 1, 0), kNoTurn, sphere.name);
    world.physX.triggers[sphere.name] = &sphere;

    float enteredAt = -1.0f;
    float leftAt = -1.0f;
    for (int step = 0; step < 60; ++step) {
        const int before = sphere.reactions;
        world.walk(glm::vec3(10, 0, 0), 1);
        if (sphere.reactions != before && sphere.inside) {
            enteredAt = world.foot().x;
        } else if (sphere.reactions != before) {
            leftAt = world.foot().x;
        }
    }
    EXPECT_EQ(sphere.reactions, 2);
    EXPECT_FALSE(sphere.inside);
    // Triggers do not block: the walk went on at full speed.
    EXPECT_NEAR(world.foot().x, 10.0f, 1e-3f);
    // Reached by the probe capsule of radius 0.4 (0.8 of the capsule), found one step after the
    // position that touched it.
    const float reach = 1.0f + 0.4f;
    EXPECT_GT(enteredAt, 5.0f - reach);
    EXPECT_LT(enteredAt, 5.0f - reach + 2 * 10.0f / 60.0f);
    EXPECT_GT(leftAt, 5.0f + reach);
    EXPECT_LT(leftAt, 5.0f + reach + 2 * 10.0f / 60.0f);
}

TEST(Triggers, OverlappingDrugsEnteredInOneStepBothReact) {
    resetState();
    TestWorld world(glm::vec3(20, 0, 0));
    Drug* first = addDrug(world.physX, "Medicine0", glm::vec3(0, 1, 0));
    Drug* second = addDrug(world.physX, "Sedative3", glm::vec3(0.5f, 1, 0));
    world.walk(glm::vec3(0), 1);
    world.player->controller->setFootPosition(glm::dvec3(0.25, 0, 0));
    world.walk(glm::vec3(0), 1);
    EXPECT_TRUE(first->inside);
    EXPECT_TRUE(second->inside);

    world.player->controller->setFootPosition(glm::dvec3(20, 0, 0));
    world.walk(glm::vec3(0), 1);
    EXPECT_FALSE(first->inside);
    EXPECT_FALSE(second->inside);
    EXPECT_EQ(gameState().message, "");

    // Leaving one drug and entering another in the same step leaves the new name on screen.
    world.player->controller->setFootPosition(glm::dvec3(-10, 0, 0));
    Drug* third = addDrug(world.physX, "Sedative7", glm::vec3(-10, 1, 0));
    world.walk(glm::vec3(0), 1);
    world.player->controller->setFootPosition(glm::dvec3(0.25, 0, 0));
    world.walk(glm::vec3(0), 1);
    EXPECT_FALSE(third->inside);
    EXPECT_TRUE(first->inside && second->inside);
    EXPECT_TRUE(gameState().message == "Medicine0" || gameState().message == "Sedative3");
}

TEST(Triggers, RemovingADrugThePlayerStandsInReportsTheLoss) {
    resetState();
    TestWorld world;
    Drug* drug = addDrug(world.physX, "Medicine1", glm::vec3(0, 1, 0));
    world.walk(glm::vec3(0), 2);
    ASSERT_TRUE(drug->inside);
    ASSERT_EQ(gameState().message, "Medicine1");

    gameState().pendingActorRemoval = drug->actor;
    float shortFrame = 0.001f;
    world.physX.step(shortFrame);
    EXPECT_FALSE(drug->inside);
    EXPECT_EQ(gameState().message, "");
    // Standing on where it was never finds it again.
    world.walk(glm::vec3(0), 10);
    EXPECT_FALSE(drug->inside);
    EXPECT_EQ(gameState().message, "");
}
