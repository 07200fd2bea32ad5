// The player's capsule on small worlds built here: speed, standing, falling, walls, steps,
// slopes and thin walls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PhysicsWorlds.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"

namespace {

constexpr float kRadius = 0.5f;
const glm::vec3 kNoWalk(0.0f);

} // namespace

TEST(Controller, WalksTenUnitsPerSecondOnFlatGround) {
    TestWorld world;
    world.walk(glm::vec3(10, 0, 0), 60);
    EXPECT_NEAR(world.foot().x, 10.0f, 1e-3f);
    EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f);
    EXPECT_NEAR(world.foot().z, 0.0f, 1e-5f);

    world.walk(glm::vec3(-6, 0, 8), 60); // any direction
    EXPECT_NEAR(glm::length(world.foot() - glm::vec3(4, 0, 8)), 0.0f, 1e-3f);
}

TEST(Controller, StandsStillWithItsFootOnTheGround) {
    TestWorld world(glm::vec3(3, 0.4f, -2));
    world.walk(kNoWalk, 10);
    const glm::vec3 settled = world.centre();
    EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f);
    EXPECT_NEAR(settled.y, 3.05f, 1e-3f);
    // Gravity pushes every step; the ground stops it without any creep.
    world.walk(kNoWalk, 600);
    EXPECT_EQ(world.centre(), settled);
}

TEST(Controller, FallsAtAConstantNinePointEightUnitsPerSecond) {
    TestWorld world(glm::vec3(0, 40, 0));
    for (int step = 0; step < 120; ++step) {
        const float before = world.foot().y;
        world.walk(kNoWalk, 1);
        ASSERT_NEAR(before - world.foot().y, 9.8f / 60.0f, 1e-4f) << "step " << step;
    }
    world.walk(kNoWalk, 300);
    EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f);
}

TEST(Controller, SlidesAlongAWallWalkedIntoAtFortyFiveDegrees) {
    MeshBuilder wall;
    wall.box({3, 0, -50}, {4, 10, 50});
    TestWorld world;
    world.add(wall);
    const float diagonal = 10.0f / std::sqrt(2.0f);
    world.walk(glm::vec3(diagonal, 0, diagonal), 30);
    const glm::vec3 touching = world.foot();
    EXPECT_LT(touching.x, 3.0f - kRadius);
    EXPECT_GT(touching.x, 3.0f - kRadius - 0.06f);

    // Along the wall at the tangential part of the walk, and never into it.
    world.walk(glm::vec3(diagonal, 0, diagonal), 60);
    EXPECT_NEAR(world.foot().z - touching.z, diagonal, 0.01f);
    EXPECT_NEAR(world.foot().x, touching.x, 1e-3f);
    EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f);
}

TEST(Controller, ClimbsStepsUpToTheStepOffsetOnly) {
    for (const float height : {0.10f, 0.15f, 0.20f, 0.25f, 0.26f, 0.30f, 0.60f}) {
        MeshBuilder step;
        step.box({2, 0, -5}, {10, height, 5});
        TestWorld world;
        world.add(step);
        world.walk(glm::vec3(10, 0, 0), 60);
        if (height <= 0.25f) {
            EXPECT_NEAR(world.foot().x, 10.0f, 1e-3f) << "step " << height;
            EXPECT_NEAR(world.foot().y, height, 1e-3f) << "step " << height;
        } else {
            // Stopped with the round bottom against the edge, standing on the ground.
            const float below = std::max(0.0f, kRadius + 0.05f - height); // under the sphere centre
            const float reach = std::sqrt(kRadius * kRadius - below * below);
            EXPECT_LT(world.foot().x, 2.0f - reach) << "step " << height;
            EXPECT_GT(world.foot().x, 2.0f - reach - 0.06f) << "step " << height;
            EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f) << "step " << height;
        }
    }
}

TEST(Controller, WalksUpSlopesUpToTheSlopeLimitOnly) {
    const float top = 3.0f;
    for (const float degrees : {20.0f, 44.0f, 46.0f, 60.0f}) {
        MeshBuilder ramp;
        ramp.ramp(degrees, 2.0f, top);
        TestWorld world;
        world.add(ramp);
        world.walk(glm::vec3(10, 0, 0), 120);
        if (degrees < 45.0f) {
            EXPECT_NEAR(world.foot().y, top, 1e-3f) << degrees << " degrees";
            EXPECT_NEAR(world.foot().x, 20.0f, 1e-3f) << degrees << " degrees";
        } else {
            EXPECT_LT(world.foot().x, 2.0f) << degrees << " degrees";
            EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f) << degrees << " degrees";
        }
    }

    // Standing on a slope too steep to climb, the capsule does not slide down it either, and
    // walks down it.
    MeshBuilder steep;
    steep.ramp(60.0f, 2.0f, top);
    TestWorld world(glm::vec3(2.0f + top / std::tan(glm::radians(60.0f)) + 1.0f, top, 0));
    world.add(steep);
    world.walk(glm::vec3(-10, 0, 0), 120);
    EXPECT_LT(world.foot().x, 1.0f);
    EXPECT_NEAR(world.foot().y, 0.0f, 1e-3f);
}

TEST(Controller, DoesNotTunnelThroughAThinWall) {
    for (const float speed : {10.0f, 300.0f, 3000.0f}) {
        MeshBuilder wall; // one quad, no thickness
        wall.quad({3, 0, -5}, {3, 10, -5}, {3, 10, 5}, {3, 0, 5});
        TestWorld world;
        world.add(wall);
        world.walk(glm::vec3(speed, 0, 0), 120);
        EXPECT_LT(world.foot().x, 3.0f - kRadius) << "speed " << speed;
        EXPECT_GT(world.foot().x, 3.0f - kRadius - 0.06f) << "speed " << speed;

        // And from the other side.
        world.player->controller->setFootPosition(glm::dvec3(6, 0, 0));
        world.walk(glm::vec3(-speed, 0, 0), 120);
        EXPECT_GT(world.foot().x, 3.0f + kRadius) << "speed " << speed;
    }
}

TEST(Controller, IsPushedOutOfGeometryItStartsIn) {
    MeshBuilder block;
    block.box({-1, 0, -1}, {1, 2, 1});
    TestWorld world(glm::vec3(1.3f, 0, 0)); // the capsule's side is 0.2 inside the block
    world.add(block);
    world.walk(kNoWalk, 1);
    EXPECT_GE(world.foot().x, 1.0f + kRadius);
    EXPECT_NEAR(world.foot().z, 0.0f, 1e-3f);
    // From there it walks away and back as usual, stopping short of the block.
    world.walk(glm::vec3(10, 0, 0), 30);
    world.walk(glm::vec3(-10, 0, 0), 60);
    EXPECT_GT(world.foot().x, 1.0f + kRadius);
    EXPECT_LT(world.foot().x, 1.0f + kRadius + 0.06f);
}
