#include <gtest/gtest.h>

#include "RenderSupport.h"
#include "render/Water.h"

namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-4f) << "component " << i;
    }
}

glm::vec3 eyeOf(const Camera& camera) {
    return glm::vec3(glm::inverse(camera.view) * glm::vec4(0, 0, 0, 1));
}

glm::vec3 forwardOf(const Camera& camera) {
    return -glm::vec3(camera.view[0][2], camera.view[1][2], camera.view[2][2]);
}

glm::vec2 onScreen(const Camera& camera, const glm::vec3& point) {
    const glm::vec4 clip = camera.projection * camera.view * glm::vec4(point, 1.0f);
    return glm::vec2(clip) / clip.w;
}

} // namespace

TEST(MirrorCamera, MirrorsEyeAndPitchAboutTheWaterKeepingHeadingAndProjection) {
    Camera camera = cameraAt(glm::vec3(5, 20, -3), lookDirection(40.0f, -30.0f));
    const Camera original = camera;
    mirrorCamera(camera, WATER_HEIGHT);
    expectNear(eyeOf(camera), glm::vec3(5, 7.616658f, -3));
    expectNear(forwardOf(camera), lookDirection(40.0f, 30.0f));
    EXPECT_GT(camera.view[1][1], 0.0f) << "upright";
    EXPECT_EQ(camera.projection, original.projection);
    EXPECT_EQ(camera.position, original.position);

    // The water shader finds a point of the water upside down in the reflection.
    for (const glm::vec3& point :
         {glm::vec3(4, WATER_HEIGHT, -20), glm::vec3(9, WATER_HEIGHT, -30)}) {
        const glm::vec2 seen = onScreen(original, point);
        const glm::vec2 reflected = onScreen(camera, point);
        EXPECT_NEAR(reflected.x, seen.x, 1e-4f);
        EXPECT_NEAR(reflected.y, -seen.y, 1e-4f);
    }

    Camera level = cameraAt(glm::vec3(-8, WATER_HEIGHT, 12), lookDirection(-110.0f, -15.0f));
    mirrorCamera(level, WATER_HEIGHT);
    expectNear(eyeOf(level), glm::vec3(-8, WATER_HEIGHT, 12));
    expectNear(forwardOf(level), lookDirection(-110.0f, 15.0f));
}

TEST(WaveOffset, GrowsByTheSpeedPerSecondAndWrapsAtOne) {
    EXPECT_FLOAT_EQ(advanceWaveOffset(0.0f, 0.02f, 1.0f), 0.02f);
    EXPECT_FLOAT_EQ(advanceWaveOffset(0.5f, 0.02f, 0.016f), 0.50032f);
    EXPECT_NEAR(advanceWaveOffset(0.99f, 0.02f, 1.0f), 0.01f, 1e-6f);
    EXPECT_NEAR(advanceWaveOffset(0.0f, 0.02f, 137.0f), 0.74f, 1e-4f) << "a long first frame";
    // Frames of 0.016 s go round once in 50 s and never leave [0, 1).
    float offset = 0.0f;
    float highest = 0.0f;
    for (int frame = 0; frame < 3125; ++frame) {
        offset = advanceWaveOffset(offset, 0.02f, 0.016f);
        ASSERT_GE(offset, 0.0f);
        ASSERT_LT(offset, 1.0f);
        highest = std::max(highest, offset);
    }
    EXPECT_GT(highest, 0.999f);
    EXPECT_TRUE(offset < 0.001f || offset > 0.999f) << offset;
}
