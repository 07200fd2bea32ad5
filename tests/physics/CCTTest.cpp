// Steering the player: look rotation, the movement keys and the camera that follows.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "gameplay/Camera.h"
#include "physics/CCT.h"

namespace {

// Where one steer and a second of steps take the player.
glm::vec3 walkOneSecond(TestWorld& world, float yaw, float pitch, MoveKey key) {
    const glm::vec3 before = world.foot();
    world.player->steer(LookAngles{yaw, pitch}, key);
    world.walk(glm::vec3(world.player->velocity), 60);
    return world.foot() - before;
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_NEAR(glm::length(actual - expected), 0.0f, 1e-2f) << actual.x << ' ' << actual.z;
}

} // namespace

TEST(Steering, OneKeyActsAndWalkingFollowsTheLook) {
    gameState().skipFirstPitch = false;
    TestWorld world;
    expectNear(walkOneSecond(world, 0, 0, firstMoveKey(true, true, false, false)), {0, 0, -10});
    expectNear(walkOneSecond(world, 0, 0, firstMoveKey(false, false, true, true)), {-10, 0, 0});
    expectNear(walkOneSecond(world, 0, 0, firstMoveKey(true, false, false, true)), {0, 0, -10});
    // Turned right by a quarter, forward is +x and right is +z.
    expectNear(walkOneSecond(world, 90, 0, MoveKey::Forward), {10, 0, 0});
    expectNear(walkOneSecond(world, 90, 0, MoveKey::Right), {0, 0, 10});
    expectNear(walkOneSecond(world, 90, 0, MoveKey::None), {0, 0, 0});
    // Looking up or down slows W and S by |cos(pitch)|, never A and D.
    for (const float pitch : {-70.0f, 30.0f, 84.0f}) {
        const float slowed = 10.0f * std::fabs(std::cos(glm::radians(pitch)));
        EXPECT_NEAR(glm::length(walkOneSecond(world, 25, pitch, MoveKey::Back)), slowed, 1e-2f);
        EXPECT_NEAR(glm::length(walkOneSecond(world, 25, pitch, MoveKey::Left)), 10.0f, 1e-2f);
    }
    EXPECT_EQ(world.player->velocity.y, 0.0f);
}

TEST(Steering, TheFirstUpdateIgnoresThePitch) {
    gameState().skipFirstPitch = true;
    TestWorld world;
    EXPECT_NEAR(glm::length(walkOneSecond(world, 0, 60, MoveKey::Forward)), 10.0f, 1e-2f);
    EXPECT_FALSE(gameState().skipFirstPitch);
    EXPECT_NEAR(glm::length(walkOneSecond(world, 0, 60, MoveKey::Forward)), 5.0f, 1e-2f);
}

TEST(Steering, TheViewFollowsOnlyWhenAStepRuns) {
    gameState().skipFirstPitch = false;
    TestWorld world(glm::vec3(2, 0, -3));
    world.walk(glm::vec3(0), 1);
    const glm::mat4 before = world.player->camera->view;
    world.player->steer(LookAngles{40, 20}, MoveKey::None);
    float shortFrame = 0.005f;
    world.physX.step(shortFrame);
    EXPECT_EQ(world.player->camera->view, before);

    world.walk(glm::vec3(0), 1);
    const glm::vec3 eye = world.foot() + glm::vec3(0, 5, 0); // the foot is on the ground
    EXPECT_NEAR(eye.y, 5.0f, 1e-3f);
    EXPECT_EQ(glm::vec3(world.player->camera->position), eye);
    const glm::mat4 expected =
        lookRotation(LookAngles{40, 20}) * glm::translate(glm::mat4(1.0f), -eye);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(world.player->camera->view[c][r], expected[c][r], 1e-5f);
        }
    }
}
