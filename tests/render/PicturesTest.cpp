#include <cstdlib>
#include <set>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "RenderSupport.h"
#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Textures.h"
#include "gameplay/FreeCamera.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "render/Renderer.h"
#include "render/Water.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The shipped level built as the Game builds it, drawn at 800 x 600.
class ShippedLevel : public testing::Test {
  protected:
    GlContext gl{kWidth, kHeight};
    Sandbox sandbox{true};
    GameState& state = gameState();
    Factory* factory = nullptr;
    Renderer* renderer = nullptr;
    Scene scene;
    PhysX* physics = nullptr;
    PhysXFactory* physXFactory = nullptr;

    void SetUp() override {
        testing::internal::CaptureStdout(); // the Factory's "OK!"
        factory = new Factory(kWidth, kHeight);
        renderer = new Renderer(kWidth, kHeight);
        factory->loadScene(scene);
        physics = new PhysX;
        physXFactory = new PhysXFactory(*physics, kWidth, kHeight);
        physXFactory->build(*physics, scene);
        testing::internal::GetCapturedStdout();
        ASSERT_THAT(gl.takeErrors(), IsEmpty());
    }

    void TearDown() override {
        delete factory;
        delete renderer;
        releaseScene(scene);
        testing::internal::CaptureStdout(); // the world's "PHYSX:" line
        delete physics;
        testing::internal::GetCapturedStdout();
        delete physXFactory;
        for (ScreenQuad* slot : state.inventorySlots) {
            releaseScreenQuad(slot);
        }
        releaseTextures();
        state = GameState();
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    // The free camera, put where the test wants to look from.
    void lookFrom(const glm::vec3& eye, const glm::vec3& target) {
        state.freeCamera = true;
        Camera& camera = *scene.freeCamera->camera;
        camera.position = glm::vec4(eye, 1.0f);
        camera.view = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    }

    std::vector<unsigned char> frame(const std::string& name) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer->render(scene);
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
        std::vector<unsigned char> image = readPixels(kWidth, kHeight);
        keepPicture(name, image, kWidth, kHeight);
        return image;
    }

    glm::ivec2 pixelOf(const glm::vec3& point) const {
        const Camera& camera = *renderer->activeCamera;
        const glm::vec4 clip = camera.projection * camera.view * glm::vec4(point, 1.0f);
        return glm::ivec2((glm::vec2(clip) / clip.w * 0.5f + 0.5f) * glm::vec2(kWidth, kHeight));
    }
};

size_t distinctColours(const std::vector<unsigned char>& image) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 3 < image.size(); i += 4) {
        colours.insert(image[i] | image[i + 1] << 8 | image[i + 2] << 16);
    }
    return colours.size();
}

} // namespace

TEST_F(ShippedLevel, ThePlayersFirstViewIsALitVariedPicture) {
    const std::vector<unsigned char> image = frame("spawn");
    EXPECT_GT(state.meshCount, 0);
    EXPECT_GT(distinctColours(image), 500u);
    long brightness = 0;
    for (size_t i = 0; i + 3 < image.size(); i += 4) {
        brightness += image[i] + image[i + 1] + image[i + 2];
    }
    EXPECT_GT(brightness / (kWidth * kHeight), 3 * 30) << "not a dark picture";
}

TEST_F(ShippedLevel, AMessageShowsAsTextNearTheBottomMiddle) {
    const std::vector<unsigned char> without = frame("no-message");
    state.message = "NOT ENOUGH MEDICINE";
    const std::vector<unsigned char> with = frame("message");
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (pixelAt(without, kWidth, x, y) != pixelAt(with, kWidth, x, y)) {
                // x 300, y 10 of the 640 x 480 text space, one 18-pixel line.
                ++(x >= 375 && y >= 5 && y < 40 ? inside : outside);
            }
        }
    }
    EXPECT_GT(inside, 200);
    EXPECT_EQ(outside, 0);
}

TEST_F(ShippedLevel, InWireframeThePictureIsNotBlurred) {
    state.life = 15.0f;
    const int blurred = sharpness(frame("blurred"), kWidth, kHeight);
    state.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const int wire = sharpness(frame("wireframe"), kWidth, kHeight);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_GT(wire, 2 * blurred) << "wire " << wire << " blurred " << blurred;
}

TEST_F(ShippedLevel, ThePondsWavesMoveFromOneSecondToTheNext) {
    lookFrom(glm::vec3(-30, 24, 46), glm::vec3(-30, WATER_HEIGHT, 29));
    glfwSetTime(20.0);
    const std::vector<unsigned char> before = frame("pond-before");
    glfwSetTime(21.0);
    const std::vector<unsigned char> after = frame("pond-after");
    const glm::ivec2 pond = pixelOf(glm::vec3(-30, WATER_HEIGHT, 29));
    int changed = 0;
    for (int y = pond.y - 30; y < pond.y + 30; ++y) {
        for (int x = pond.x - 60; x < pond.x + 60; ++x) {
            changed += pixelAt(before, kWidth, x, y) != pixelAt(after, kWidth, x, y);
        }
    }
    EXPECT_GT(changed, 1000) << "of 7200 pixels around the pond's centre";
}

TEST_F(ShippedLevel, LookingAwayFromTheLevelLeavesOnlyTheSlotsAndTheText) {
    frame("before-looking-away");
    lookFrom(glm::vec3(0, 30, 300), glm::vec3(0, 30, 400));
    state.message = "MIX";
    state.medicineCount = 1;
    state.inventorySlots[0]->texture = state.textureTable.at("pills.png");
    const std::vector<unsigned char> image = frame("looking-away");
    EXPECT_EQ(state.meshCount, 0);
    glm::ivec3 lit(0); // text, slot, elsewhere
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const glm::ivec4 p = pixelAt(image, kWidth, x, y);
            if (p.r + p.g + p.b > 60) {
                // "MIX" at (300, 10) of the 640 x 480 text space; slot 0 at the top right.
                ++lit[x >= 375 && x < 450 && y < 40 ? 0 : x >= 700 && y >= 510 ? 1 : 2];
            }
        }
    }
    EXPECT_GT(lit[0], 40);
    EXPECT_GT(lit[1], 2000);
    EXPECT_EQ(lit[2], 0) << "nothing of the earlier frame or the level is left";
}
