// The free camera's keys, speed and mouse look.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/ext/matrix_relational.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Steering.h"
#include "support/GlContext.h"

namespace {

// Whether the camera's view looks along angles from eye.
bool viewsAlong(const FreeCamera& freeCamera, const glm::vec3& eye, const LookAngles& angles) {
    const glm::mat4 view = lookRotation(angles) * glm::translate(glm::mat4(1.0f), -eye);
    return glm::all(glm::equal(freeCamera.camera->view, view, 1e-4f));
}

struct FreeCameraTest : testing::Test {
    FreeCamera* freeCamera = createFreeCamera(1280, 720);
    void TearDown() override { releaseFreeCamera(freeCamera); }
};

} // namespace

TEST_F(FreeCameraTest, OneMoveKeyActsPerFrameAtTenUnitsPerSecondAlongTheLook) {
    struct Case {
        bool w, s, a, d;
        glm::vec3 eye; // after 0.1 s more, looking along -z
    };
    const Case cases[] = {
        {false, false, false, false, {4, 4, 4}}, // only the orientation follows
        {true, true, false, false, {4, 4, 3}},   // W over S
        {false, true, false, false, {4, 4, 4}},
        {false, false, true, true, {3, 4, 4}}, // A over D
        {false, false, false, true, {4, 4, 4}},
        {true, false, false, true, {4, 4, 3}}, // W over D: no diagonal
    };
    for (const Case& c : cases) {
        freeCamera->steer(LookAngles{}, firstMoveKey(c.w, c.s, c.a, c.d), 0.1f);
        EXPECT_TRUE(viewsAlong(*freeCamera, c.eye, LookAngles{}))
            << "W " << c.w << " S " << c.s << " A " << c.a << " D " << c.d;
    }
    // Looking straight down, W moves straight down; turned right and level, along +x.
    freeCamera->steer(LookAngles{37.0f, 90.0f}, MoveKey::Forward, 0.5f);
    EXPECT_TRUE(viewsAlong(*freeCamera, glm::vec3(4, -1, 3), LookAngles{37.0f, 90.0f}));
    freeCamera->steer(LookAngles{90.0f, 0.0f}, MoveKey::Forward, 0.5f);
    EXPECT_TRUE(viewsAlong(*freeCamera, glm::vec3(9, -1, 3), LookAngles{90.0f, 0.0f}));
}

TEST_F(FreeCameraTest, LookStartsLevelAtTheWindowCentreAndThePitchStopsShortOfVertical) {
    LookAngles angles = followCursor(freeCamera->look, 640.0, 360.0);
    EXPECT_TRUE(angles.yaw == 0.0f && angles.pitch == 0.0f);
    angles = followCursor(freeCamera->look, 690.0, 100360.0);
    EXPECT_NEAR(angles.yaw, 10.0f, 1e-4f);
    EXPECT_TRUE(angles.pitch > 84.0f && angles.pitch < 85.0f) << angles.pitch;
    const float limit = angles.pitch;
    // Turning back responds at once, not after undoing the travel past the limit.
    EXPECT_NEAR(followCursor(freeCamera->look, 690.0, 100350.0).pitch, limit - 2.0f, 1e-3f);
    EXPECT_GT(followCursor(freeCamera->look, 690.0, -1.0e7).pitch, -85.0f);
    angles = followCursor(freeCamera->look, 690.0, -1.0e7 + 5.0);
    EXPECT_NEAR(angles.pitch, -limit + 1.0f, 1e-3f);
    // Whatever the travel, W never carries the camera past the vertical into walking backwards.
    freeCamera->steer(angles, MoveKey::Forward, 1.0f);
    EXPECT_LT(freeCamera->camera->position.z, 4.0f);
}

TEST(FreeCameraWindow, UpdateTurnsWithTheCursorsTravelFromTheWindowCentre) {
    GlContext gl(200, 100, true);
    FreeCamera* freeCamera = createFreeCamera(gl.width, gl.height);
    // Other clients of the test display may move the pointer: retry until it stays put.
    glfwSetCursorPos(gl.window, 150.0, 75.0);
    glm::dvec2 before(0.0), after(1.0);
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
    EXPECT_TRUE(viewsAlong(*freeCamera, glm::vec3(4), expected)) << "no key down: it only turns";
    releaseFreeCamera(freeCamera);
}
