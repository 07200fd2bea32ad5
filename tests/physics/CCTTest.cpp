// Steering the player: look rotation, the movement keys and the camera that follows.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "gameplay/Camera.h"
#include "physics/CCT.h"

namespace {

LookAngles look(float yaw, float pitch) {
    LookAngles angles;
    angles.yaw = yaw;
    angles.pitch = pitch;
    return angles;
}

// Horizontal distance walked in one second after one steer.
glm::vec3 walkOneSecond(TestWorld& world, const LookAngles& angles, MoveKey key) {
    const glm::vec3 before = world.foot();
    world.player->steer(angles, key);
    for (int i = 0; i < 60; ++i) {
        float frameTime = kStepTime;
        world.physX.step(frameTime);
    }
    return world.foot() - before;
}

} // namespace

TEST(Steering, OnlyTheFirstOfWSADActsAndWalksWhereTheViewFaces) {
    gameState().skipFirstPitch = false;
    TestWorld world;
    glm::vec3 moved = walkOneSecond(world, look(0, 0), firstMoveKey(true, true, false, false));
    EXPECT_NEAR(moved.z, -10.0f, 1e-3f);
    EXPECT_NEAR(moved.x, 0.0f, 1e-3f);
    moved = walkOneSecond(world, look(0, 0), firstMoveKey(false, false, true, true));
    EXPECT_NEAR(moved.x, -10.0f, 1e-3f);
    moved = walkOneSecond(world, look(0, 0), firstMoveKey(true, false, false, true));
    EXPECT_NEAR(moved.z, -10.0f, 1e-3f);
    EXPECT_NEAR(moved.x, 0.0f, 1e-3f);
    // Turned right by a quarter, forward is +x and right is +z.
    moved = walkOneSecond(world, look(90, 0), MoveKey::Forward);
    EXPECT_NEAR(moved.x, 10.0f, 1e-3f);
    EXPECT_NEAR(moved.z, 0.0f, 1e-3f);
    moved = walkOneSecond(world, look(90, 0), MoveKey::Right);
    EXPECT_NEAR(moved.z, 10.0f, 1e-3f);
    moved = walkOneSecond(world, look(90, 0), MoveKey::None);
    EXPECT_NEAR(glm::length(moved), 0.0f, 1e-5f);
}

TEST(Steering, LookingDownSlowsForwardWalkingOnly) {
    gameState().skipFirstPitch = false;
    TestWorld world;
    for (const float pitch : {-70.0f, 30.0f, 60.0f, 84.0f}) {
        const float expected = 10.0f * std::fabs(std::cos(glm::radians(pitch)));
        EXPECT_NEAR(glm::length(walkOneSecond(world, look(25, pitch), MoveKey::Forward)), expected,
                    1e-2f)
            << "pitch " << pitch;
        EXPECT_NEAR(glm::length(walkOneSecond(world, look(25, pitch), MoveKey::Back)), expected,
                    1e-2f)
            << "pitch " << pitch;
        EXPECT_NEAR(glm::length(walkOneSecond(world, look(25, pitch), MoveKey::Left)), 10.0f, 1e-2f)
            << "pitch " << pitch;
    }
    EXPECT_EQ(world.player->velocity.y, 0.0f);
    EXPECT_EQ(world.player->velocity.w, 0.0f);
}

TEST(Steering, TheFirstUpdateIgnoresThePitch) {
    gameState().skipFirstPitch = true;
    TestWorld world;
    EXPECT_NEAR(glm::length(walkOneSecond(world, look(0, 60), MoveKey::Forward)), 10.0f, 1e-2f);
    EXPECT_FALSE(gameState().skipFirstPitch);
    EXPECT_NEAR(glm::length(walkOneSecond(world, look(0, 60), MoveKey::Forward)), 5.0f, 1e-2f);
}

TEST(Steering, TheViewFollowsOnlyWhenAStepRuns) {
    gameState().skipFirstPitch = false;
    TestWorld world(glm::vec3(2, 0, -3));
    world.walk(glm::vec3(0), 1);
    const glm::mat4 before = world.player->camera->view;

    world.player->steer(look(40, 20), MoveKey::None);
    float shortFrame = 0.005f;
    world.physX.step(shortFrame);
    EXPECT_EQ(world.player->camera->view, before);

    float stepFrame = kStepTime;
    world.physX.step(stepFrame);
    const glm::vec3 eye = world.foot() + glm::vec3(0, 5, 0);
    EXPECT_EQ(glm::vec3(world.player->camera->position), eye);
    const glm::mat4 expected = lookRotation(look(40, 20)) * glm::translate(glm::mat4(1.0f), -eye);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(world.player->camera->view[c][r], expected[c][r], 1e-5f);
        }
    }
    // The eye is 5 above the foot, which is on the ground.
    EXPECT_NEAR(world.player->camera->position.y, 5.0f, 1e-3f);
}
