#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/gtc/epsilon.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Steering.h"
#include "support/GlContext.h"

namespace {

const glm::mat4 kIdentity(1.0f);

bool near(const glm::vec3& actual, const glm::vec3& expected) {
    return glm::all(glm::epsilonEqual(actual, expected, 1e-4f));
}

bool near(const glm::mat4& actual, const glm::mat4& expected) {
    for (int c = 0; c < 4; ++c) {
        if (!glm::all(glm::epsilonEqual(actual[c], expected[c], 1e-4f))) {
            return false;
        }
    }
    return true;
}

glm::vec3 eye(const FreeCamera& freeCamera) {
    return glm::vec3(freeCamera.camera->position);
}

struct FreeCameraTest : testing::Test {
    FreeCamera* freeCamera = createFreeCamera(1280, 720);
    void TearDown() override { releaseFreeCamera(freeCamera); }
};

} // namespace

TEST(Camera, ProjectionIsGlmsPerspectiveWithTheFieldOfViewInRadians) {
    Camera camera;
    const float aspect = 1280.0f / 720.0f;
    const float nearPlane = 0.1f;
    const float farPlane = 100.0f;
    const float fieldOfView = 45.0f;
    camera.setProjection(aspect, nearPlane, farPlane, fieldOfView);

    EXPECT_EQ(camera.projection, glm::perspective(fieldOfView, aspect, nearPlane, farPlane));
    // tan(22.5 radians) = 0.557852: about 58.3 degrees on screen, not 45.
    EXPECT_NEAR(camera.projection[1][1], 1.792591f, 1e-5f);
    EXPECT_NEAR(camera.projection[0][0], 1.792591f / aspect, 1e-5f);
    EXPECT_NEAR(camera.projection[2][2], -100.1f / 99.9f, 1e-6f);
    EXPECT_EQ(camera.projection[2][3], -1.0f);
    EXPECT_NEAR(camera.projection[3][2], -20.0f / 99.9f, 1e-6f);
    EXPECT_EQ(camera.projection[3][3], 0.0f);
}

TEST(Camera, SetViewLooksAtFrontMinusPosition) {
    Camera camera;
    const glm::vec3 position(4, 4, 4);
    const glm::vec3 front(0, 0, -1);
    const glm::vec3 up(0, 1, 0);
    camera.setView(position, front, up);

    EXPECT_EQ(camera.view, glm::lookAt(position, glm::vec3(-4, -4, -5), up));
    EXPECT_NE(camera.view, glm::lookAt(position, position + front, up));
    EXPECT_EQ(camera.right, glm::vec4(1, 0, 0, 1));
    EXPECT_EQ(camera.position, glm::vec4(4, 4, 4, 1));
    EXPECT_EQ(camera.up, glm::vec4(0, 1, 0, 1));
}

TEST_F(FreeCameraTest, WithoutAKeyOnlyTheOrientationFollows) {
    const LookAngles angles{30.0f, -10.0f};
    freeCamera->steer(angles, MoveKey::None, 0.5f);
    EXPECT_TRUE(near(eye(*freeCamera), glm::vec3(4, 4, 4)));
    EXPECT_TRUE(near(freeCamera->camera->view,
                     lookRotation(angles) * glm::translate(kIdentity, glm::vec3(-4, -4, -4))));
}

TEST_F(FreeCameraTest, OneMoveKeyActsPerFrameWBeforeSBeforeABeforeD) {
    const LookAngles ahead{0.0f, 0.0f};
    struct Case {
        bool w, s, a, d;
        glm::vec3 step; // 10 units per second for 0.1 s, looking along -z
    };
    const Case cases[] = {
        {true, true, false, false, {0, 0, -1}}, // W over S
        {false, true, false, false, {0, 0, 1}},
        {false, false, true, true, {-1, 0, 0}}, // A over D
        {false, false, false, true, {1, 0, 0}},
        {true, false, false, true, {0, 0, -1}}, // W over D: no diagonal
    };
    for (const Case& c : cases) {
        const glm::vec3 before = eye(*freeCamera);
        freeCamera->steer(ahead, firstMoveKey(c.w, c.s, c.a, c.d), 0.1f);
        EXPECT_TRUE(near(eye(*freeCamera) - before, c.step))
            << "W " << c.w << " S " << c.s << " A " << c.a << " D " << c.d;
    }
}

TEST_F(FreeCameraTest, LookingStraightDownWMovesStraightDownAtTenUnitsPerSecond) {
    const LookAngles down{37.0f, 90.0f};
    freeCamera->steer(down, MoveKey::Forward, 0.25f);
    freeCamera->steer(down, MoveKey::Forward, 0.25f);
    EXPECT_TRUE(near(eye(*freeCamera), glm::vec3(4, -1, 4)));

    // Turned right by 90 degrees and level, forward is +x.
    freeCamera->steer(LookAngles{90.0f, 0.0f}, MoveKey::Forward, 0.5f);
    EXPECT_TRUE(near(eye(*freeCamera), glm::vec3(9, -1, 4)));
}

TEST_F(FreeCameraTest, LookStartsLevelAtTheWindowCentreAndThePitchStopsShortOfVertical) {
    // A 1280 x 720 window: the cursor starts at the centre, and that is straight ahead.
    LookAngles angles = followCursor(freeCamera->look, 640.0, 360.0);
    EXPECT_EQ(angles.yaw, 0.0f);
    EXPECT_EQ(angles.pitch, 0.0f);

    angles = followCursor(freeCamera->look, 690.0, 100360.0);
    EXPECT_NEAR(angles.yaw, 10.0f, 1e-4f);
    EXPECT_LT(angles.pitch, 85.0f);
    EXPECT_GT(angles.pitch, 84.0f);
    const float limit = angles.pitch;

    // Turning back responds at once, not after undoing the travel past the limit.
    angles = followCursor(freeCamera->look, 690.0, 100350.0);
    EXPECT_NEAR(angles.pitch, limit - 2.0f, 1e-3f);

    angles = followCursor(freeCamera->look, 690.0, -1.0e7);
    EXPECT_GT(angles.pitch, -85.0f);
    angles = followCursor(freeCamera->look, 690.0, -1.0e7 + 5.0);
    EXPECT_NEAR(angles.pitch, -limit + 1.0f, 1e-3f);

    // Whatever the travel, W never carries the camera past the vertical into walking backwards.
    freeCamera->steer(angles, MoveKey::Forward, 1.0f);
    EXPECT_LT(eye(*freeCamera).z, 4.0f);
}

TEST(FreeCameraWindow, UpdateTurnsWithTheCursorsTravelFromTheWindowCentre) {
    GlContext gl(200, 100, true);
    FreeCamera* freeCamera = createFreeCamera(gl.width, gl.height);
    // Other clients of the test display may hold the pointer, so the test takes it wherever
    // it is, as long as it stays put during the update.
    glfwSetCursorPos(gl.window, 150.0, 75.0);
    glm::dvec2 before(0.0);
    glm::dvec2 after(1.0);
    MouseLook start;
    for (int attempt = 0; attempt < 10 && before != after; ++attempt) {
        start = freeCamera->look;
        glfwGetCursorPos(gl.window, &before.x, &before.y);
        float frameTime = 0.5f;
        freeCamera->update(gl.window, frameTime);
        glfwGetCursorPos(gl.window, &after.x, &after.y);
    }
    ASSERT_EQ(before, after);
    const LookAngles expected = followCursor(start, before.x, before.y);
    EXPECT_NEAR(expected.yaw, (before.x - 100.0) * 0.2, 1e-3);
    // No key is down on the test display, so only the orientation changes.
    EXPECT_TRUE(near(eye(*freeCamera), glm::vec3(4, 4, 4)));
    EXPECT_TRUE(near(freeCamera->camera->view,
                     lookRotation(expected) * glm::translate(kIdentity, glm::vec3(-4))));
    releaseFreeCamera(freeCamera);
}
