// The fixed step and its accumulator, the pending removal and the teardown line.
#include <gtest/gtest.h>

#include <btBulletCollisionCommon.h>

#include "PhysicsWorlds.h"
#include "app/Console.h"
#include "app/GameState.h"
#include "gameplay/Camera.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"

namespace {

void frame(PhysX& physX, float seconds) {
    physX.step(seconds);
}

} // namespace

TEST(World, StepsAtMostOncePerCallAndKeepsTheRest) {
    TestWorld world;
    world.player->velocity = glm::vec4(10, 0, 0, 0);
    const glm::mat4 view = world.player->camera->view;
    const glm::vec3 start = world.foot();
    const float stride = 10.0f / 60.0f;

    // Below one step: time is owed, nothing moves, the view stays.
    frame(world.physX, 0.01f);
    EXPECT_EQ(world.physX.accumulator, 0.01f);
    EXPECT_EQ(world.foot(), start);
    EXPECT_EQ(world.player->camera->view, view);

    // 0.05 more pays for one step and keeps the rest; then 0.01 completes another.
    frame(world.physX, 0.05f);
    EXPECT_EQ(world.physX.accumulator, (0.01f + 0.05f) - kStepTime);
    EXPECT_NEAR(world.foot().x, stride, 1e-5f);
    frame(world.physX, 0.01f);
    EXPECT_NEAR(world.foot().x, 2 * stride, 1e-5f);

    // A long frame still runs a single step.
    frame(world.physX, 1.0f);
    EXPECT_NEAR(world.foot().x, 3 * stride, 1e-5f);
    EXPECT_NEAR(world.physX.accumulator, 1.07f - 3 * kStepTime, 1e-6f);
}

TEST(World, PendingRemovalHappensAtTheNextCallEvenWithoutAStep) {
    TestWorld world;
    CountingTrigger far("far");
    btCollisionObject* actor = addTrigger(world.physX, new btSphereShape(1.0f), glm::vec3(50, 1, 0),
                                          glm::quat(1, 0, 0, 0), far.name);
    world.physX.triggers[far.name] = &far;

    gameState().pendingActorRemoval = actor;
    frame(world.physX, 0.001f);
    EXPECT_EQ(gameState().pendingActorRemoval, nullptr);
    EXPECT_EQ(actor->getBroadphaseHandle(), nullptr);
    EXPECT_EQ(world.physX.accumulator, 0.001f);

    // Gone from the world: standing where it was reports nothing.
    world.player->controller->setFootPosition(glm::dvec3(50, 0, 0));
    world.walk(glm::vec3(0), 5);
    EXPECT_EQ(far.reactions, 0);
}

TEST(World, TeardownReportsOnTheConsole) {
    testing::internal::CaptureStdout();
    {
        TestWorld world;
        MeshBuilder box;
        box.box({-1, 0, -1}, {1, 1, 1});
        world.add(box);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), labelText("PHYSX:") + "OK!\n");
}
