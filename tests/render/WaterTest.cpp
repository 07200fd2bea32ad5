#include <cmath>

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "RenderSupport.h"
#include "render/Water.h"

namespace {

glm::vec3 eyeOf(const Camera& camera) {
    return glm::vec3(glm::inverse(camera.view) * glm::vec4(0, 0, 0, 1));
}

glm::vec3 forwardOf(const Camera& camera) {
    const glm::mat4& v = camera.view;
    return glm::vec3(-v[0][2], -v[1][2], -v[2][2]);
}

glm::vec3 upOf(const Camera& camera) {
    const glm::mat4& v = camera.view;
    return glm::vec3(v[0][1], v[1][1], v[2][1]);
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

glm::vec2 onScreen(const Camera& camera, const glm::vec3& point) {
    const glm::vec4 clip = camera.projection * camera.view * glm::vec4(point, 1.0f);
    return glm::vec2(clip) / clip.w;
}

} // namespace

TEST(MirrorCamera, MirrorsTheEyeAndThePitchAboutTheWaterAndKeepsTheHeading) {
    Camera camera = cameraAt(glm::vec3(5, 20, -3), lookDirection(40.0f, -30.0f));
    const glm::mat4 projection = camera.projection;
    const glm::vec4 position = camera.position;

    mirrorCamera(camera, WATER_HEIGHT);

    expectNear(eyeOf(camera), glm::vec3(5, 7.616658f, -3), 1e-4f);
    expectNear(forwardOf(camera), lookDirection(40.0f, 30.0f));
    EXPECT_GT(upOf(camera).y, 0.0f) << "the mirrored camera stays upright";
    EXPECT_EQ(camera.projection, projection);
    EXPECT_EQ(camera.position, position);
}

TEST(MirrorCamera, AnEyeAtTheWaterHeightStaysAndOnlyThePitchTurns) {
    Camera camera = cameraAt(glm::vec3(-8, WATER_HEIGHT, 12), lookDirection(-110.0f, -15.0f));
    const glm::mat4 original = camera.view;
    mirrorCamera(camera, WATER_HEIGHT);
    expectNear(eyeOf(camera), glm::vec3(-8, WATER_HEIGHT, 12), 1e-4f);
    expectNear(forwardOf(camera), lookDirection(-110.0f, 15.0f));

    // Mirroring back gives the view we started with.
    mirrorCamera(camera, WATER_HEIGHT);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(camera.view[c][r], original[c][r], 1e-4f) << c << "," << r;
        }
    }
}

// The water shader looks the reflection up at the water's own screen position, upside down.
TEST(MirrorCamera, APointOnTheWaterAppearsUpsideDownInTheReflection) {
    Camera camera = cameraAt(glm::vec3(2, 25, 6), lookDirection(15.0f, -35.0f));
    Camera mirrored = camera;
    mirrorCamera(mirrored, WATER_HEIGHT);
    for (const glm::vec3& point : {glm::vec3(4, WATER_HEIGHT, -10), glm::vec3(-3, WATER_HEIGHT, -4),
                                   glm::vec3(9, WATER_HEIGHT, -20)}) {
        const glm::vec2 seen = onScreen(camera, point);
        const glm::vec2 reflected = onScreen(mirrored, point);
        EXPECT_NEAR(reflected.x, seen.x, 1e-4f);
        EXPECT_NEAR(reflected.y, -seen.y, 1e-4f);
    }
}

TEST(WaveOffset, GrowsByTheSpeedPerSecondAndWrapsAtOne) {
    EXPECT_FLOAT_EQ(advanceWaveOffset(0.0f, 0.02f, 1.0f), 0.02f);
    EXPECT_FLOAT_EQ(advanceWaveOffset(0.5f, 0.02f, 0.016f), 0.50032f);
    EXPECT_NEAR(advanceWaveOffset(0.99f, 0.02f, 1.0f), 0.01f, 1e-6f);
    EXPECT_FLOAT_EQ(advanceWaveOffset(0.3f, 0.02f, 0.0f), 0.3f);

    // Frames of 0.016 s: 0.00032 each, round once in 50 s, and never outside [0, 1).
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

    // A first frame long after the timer started jumps by its whole time, still wrapped.
    EXPECT_NEAR(advanceWaveOffset(0.0f, 0.02f, 137.0f), 0.74f, 1e-4f);
}
