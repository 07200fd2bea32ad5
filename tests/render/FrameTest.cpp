#include <cmath>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "RenderSupport.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "gameplay/FreeCamera.h"
#include "physics/CCT.h"
#include "render/Renderer.h"
#include "render/Water.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A ripple pattern for the water's du/dv map, so the waves have something to move.
GlName rippleTexture() {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float u = 0.5f + 0.5f * std::sin(x * 6.2831853f / 16.0f + y * 0.3f);
            const float v = 0.5f + 0.5f * std::cos(y * 6.2831853f / 21.0f + x * 0.2f);
            pixels.insert(pixels.end(), {0, static_cast<unsigned char>(v * 255),
                                         static_cast<unsigned char>(u * 255), 255});
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// A green ground under the water and a red pillar standing out of it, lit by the game's light.
class Frame : public testing::Test {
  protected:
    GlContext gl{kWidth, kHeight};
    RenderSandbox sandbox;
    GameState& state = gameState();
    Scene scene;
    Renderer* renderer = nullptr;
    Camera* camera = nullptr;

    void SetUp() override {
        state.textureTable["green.png"] = solidTexture(glm::vec3(0.2f, 0.8f, 0.2f));
        state.textureTable["red.png"] = solidTexture(glm::vec3(1.0f, 0.1f, 0.1f));
        state.textureTable["blue.png"] = solidTexture(glm::vec3(0.1f, 0.3f, 1.0f));
        state.textureTable["yellow.png"] = solidTexture(glm::vec3(1.0f, 1.0f, 0.0f));
        state.textureTable["dudv.png"] = rippleTexture();
        state.textureTable["normalmap.png"] = solidTexture(glm::vec3(0.5f, 0.5f, 1.0f));
        writeModel("ground", glm::vec3(-60, 4, -60), glm::vec3(60, 5, 60), "green.png");
        writeModel("pillar", glm::vec3(-3, 5, -23), glm::vec3(3, 30, -17), "red.png");
        sandbox.write("Resources/Meshes/waterplane.obj",
                      "o water\nv -60 13.808329 -60\nv 60 13.808329 -60\nv 60 13.808329 60\n"
                      "v -60 13.808329 60\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 1 0\n"
                      "f 1/1/1 4/4/1 3/3/1 2/2/1\n");
        scene.models = {loadModel("ground.obj"), loadModel("pillar.obj")};
        scene.water = loadModel("waterplane.obj");
        scene.freeCamera = createFreeCamera(kWidth, kHeight);
        camera = scene.freeCamera->camera;
        lookFrom(glm::vec3(0, 24, 12), lookDirection(0.0f, -25.0f));
        Light* light = new Light;
        light->position = glm::vec3(3, 3, 3);
        light->constant = 1.0f;
        light->quadratic = 0.001111109f;
        light->ambColor = glm::vec3(1);
        scene.lights.push_back(light);
        const glm::vec2 screen[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        const glm::vec2 screenUv[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        const uint32_t screenIndices[6] = {0, 2, 1, 0, 3, 2};
        scene.screenQuad = createScreenQuad(screen, screenUv, screenIndices);
        const glm::vec2 slotUv[4] = {{0, 0}, {1, 1}, {0, 1}, {1, 0}};
        const uint32_t slotIndices[6] = {0, 1, 2, 0, 3, 1};
        for (const float bottom : {0.7f, 0.36f, 0.02f}) {
            const float top = bottom + 0.29f;
            const glm::vec2 slot[4] = {
                {0.75f, bottom}, {0.99f, top}, {0.75f, top}, {0.99f, bottom}};
            state.inventorySlots.push_back(createScreenQuad(slot, slotUv, slotIndices));
        }
        renderer = new Renderer(kWidth, kHeight);
        ASSERT_THAT(gl.takeErrors(), IsEmpty());
    }

    void TearDown() override {
        delete renderer;
        releaseScene(scene);
        for (ScreenQuad* slot : state.inventorySlots) {
            releaseScreenQuad(slot);
        }
        for (const auto& entry : state.textureTable) {
            glDeleteTextures(1, &entry.second);
        }
        state = GameState();
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    void writeModel(const std::string& name, const glm::vec3& lo, const glm::vec3& hi,
                    const std::string& texture) {
        sandbox.write("Resources/Meshes/" + name + ".obj", boxObj(name, lo, hi, texture));
        sandbox.write("Resources/Meshes/" + name + ".mtl", materialFile(texture));
    }

    void lookFrom(const glm::vec3& eye, const glm::vec3& direction) {
        camera->position = glm::vec4(eye, 1.0f);
        camera->view = glm::lookAt(eye, eye + direction, glm::vec3(0, 1, 0));
    }

    // One pass of the main loop's drawing, read back.
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

    // Where a world point lands in the window, in pixels.
    glm::ivec2 pixelOf(const glm::vec3& point) const {
        const glm::vec4 clip = camera->projection * camera->view * glm::vec4(point, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return glm::ivec2((ndc * 0.5f + 0.5f) * glm::vec2(kWidth, kHeight));
    }

    static glm::ivec4 at(const std::vector<unsigned char>& image, const glm::ivec2& pixel) {
        return pixelAt(image, kWidth, pixel.x, pixel.y);
    }
};

// The largest step between horizontal neighbours, over every channel: high for lines, low
// once blurred.
int sharpness(const std::vector<unsigned char>& image) {
    int sharpest = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x + 1 < kWidth * 3 / 4; ++x) {
            const glm::ivec4 step = pixelAt(image, kWidth, x + 1, y) - pixelAt(image, kWidth, x, y);
            sharpest = std::max({sharpest, std::abs(step.r), std::abs(step.g), std::abs(step.b)});
        }
    }
    return sharpest;
}

int countDifferent(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                   const glm::ivec2& from, const glm::ivec2& to) {
    int different = 0;
    for (int y = from.y; y < to.y; ++y) {
        for (int x = from.x; x < to.x; ++x) {
            different += pixelAt(a, kWidth, x, y) != pixelAt(b, kWidth, x, y);
        }
    }
    return different;
}

} // namespace

TEST_F(Frame, DrawsTheLitSceneTheWaterAndThePillarsReflection) {
    const std::vector<unsigned char> image = frame("frame");
    EXPECT_EQ(state.meshCount, 2);

    const glm::ivec4 pillar = at(image, pixelOf(glm::vec3(0, 24, -17)));
    EXPECT_GT(pillar.r, 100);
    EXPECT_LT(pillar.g, pillar.r / 3);

    // The mirror image of the pillar lies where its reflection in the water would be; beside it
    // the water shows the green ground below.
    const glm::ivec4 reflection = at(image, pixelOf(glm::vec3(0, 2 * WATER_HEIGHT - 20, -17)));
    const glm::ivec4 water = at(image, pixelOf(glm::vec3(14, WATER_HEIGHT, -17)));
    EXPECT_GT(reflection.r, water.r + 30) << "reflection " << reflection.r << " water " << water.r;
    EXPECT_GT(water.g, water.r);
    EXPECT_GT(water.g, 20);

    // The window above the horizon shows the clear sky, black.
    EXPECT_EQ(at(image, glm::ivec2(20, kHeight - 5)), glm::ivec4(0, 0, 0, 255));
}

TEST_F(Frame, TheWavesMoveWithTheTimer) {
    glfwSetTime(5.0);
    const std::vector<unsigned char> before = frame("waves-before");
    const float offset = renderer->waterRenderer->waveOffset;
    glfwSetTime(6.0);
    const std::vector<unsigned char> after = frame("waves-after");
    // The second frame reaches the water a little later or earlier into its second than the first.
    EXPECT_NEAR(renderer->waterRenderer->waveOffset, offset + 0.02f, 0.002f);

    // Below the horizon the water changed; the pillar above the water did not.
    const glm::ivec2 waterFrom = pixelOf(glm::vec3(-30, WATER_HEIGHT, 0));
    const int changed = countDifferent(before, after, glm::ivec2(0, waterFrom.y + 10),
                                       glm::ivec2(kWidth * 3 / 4, waterFrom.y + 60));
    EXPECT_GT(changed, 500);
    const glm::ivec2 pillar = pixelOf(glm::vec3(0, 19, -17));
    EXPECT_EQ(countDifferent(before, after, pillar - 5, pillar + 5), 0);
}

TEST_F(Frame, WithNothingInViewTheTargetsAreClearedAndTheSlotsAndTextStillShow) {
    frame("before-looking-up");
    // Far out, looking away: every box lies wholly behind the camera.
    lookFrom(glm::vec3(0, 24, 200), lookDirection(180.0f, 10.0f));
    state.message = "MIX";
    state.medicineCount = 2;
    state.inventorySlots[0]->texture = state.textureTable["blue.png"];
    state.inventorySlots[1]->texture = state.textureTable["yellow.png"];
    const std::vector<unsigned char> image = frame("looking-up");
    EXPECT_EQ(state.meshCount, 0);

    int lit = 0;
    int litText = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth * 3 / 4; ++x) {
            const bool bright = pixelAt(image, kWidth, x, y).g > 128;
            lit += bright;
            // "MIX" at (300, 10) of the 640 x 480 text space.
            litText += bright && x >= 375 && x < 450 && y >= 12 && y < 36;
        }
    }
    EXPECT_GT(litText, 40);
    EXPECT_EQ(lit, litText) << "nothing of the earlier frame is left";

    // Slot 0 at the top shows the first medicine, slot 1 the second, slot 2 stays empty.
    const glm::ivec4 first = at(image, glm::ivec2(748, 553));
    const glm::ivec4 second = at(image, glm::ivec2(748, 451));
    EXPECT_GT(first.b, first.r + 50);
    EXPECT_GT(second.r, second.b + 50);
    EXPECT_EQ(at(image, glm::ivec2(748, 349)), glm::ivec4(0, 0, 0, 255));

    // Without transparency the slots are not faded.
    state.transparency = false;
    const glm::ivec4 unfaded = at(frame("looking-up-opaque"), glm::ivec2(748, 553));
    EXPECT_GT(unfaded.b, first.b);
}

TEST_F(Frame, TheFreeCameraToggleChoosesTheViewOfTheSameFrame) {
    CCT player;
    Camera playerCamera = *camera;
    playerCamera.view = glm::lookAt(glm::vec3(0, 24, 12), glm::vec3(0, 24, 30), glm::vec3(0, 1, 0));
    player.camera = &playerCamera;
    scene.player = &player;
    frame("player");
    EXPECT_EQ(state.meshCount, 1) << "the player looks away from the pillar, at the ground";
    state.freeCamera = true;
    frame("free");
    EXPECT_EQ(state.meshCount, 2);
    scene.player = nullptr;
}

TEST_F(Frame, InWireframeThePictureSkipsTheBlur) {
    state.life = 10.0f;
    const int blurred = sharpness(frame("dying"));
    state.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const int wire = sharpness(frame("wireframe"));
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_GT(wire, 2 * blurred) << "wire " << wire << " blurred " << blurred;
    EXPECT_EQ(state.meshCount, 2);
}
