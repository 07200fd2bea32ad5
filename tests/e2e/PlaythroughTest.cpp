// The real game played on the shipped level with a known drug layout: a real window, the real
// physics and rules, the player steered as the keys would steer it and ENTER through the real
// key callback. One run cures, one stands still until the Morbane wins.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include <FreeImage.h>
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "support/LevelGeometry.h"
#include "app/DriverPin.h"
#include "app/Game.h"
#include "app/GameState.h"
#include "app/KeyInput.h"
#include "app/Startup.h"
#include "app/Window.h"
#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "gameplay/Updater.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"
#include "physics/PhysX.h"
#include "render/Renderer.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

namespace {

constexpr unsigned kLayoutSeed = 20261206;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kDrawEvery = 30; // drawing every frame would make the test crawl on llvmpipe

void saveScreenshot(const std::string& name) {
    std::vector<unsigned char> pixels = readPixels(kWidth, kHeight);
    // Bottom row first and RGBA, as GL reads; FreeImage wants BGRA.
    for (size_t i = 0; i < pixels.size(); i += 4) {
        std::swap(pixels[i], pixels[i + 2]);
    }
    FIBITMAP* image = FreeImage_ConvertFromRawBits(pixels.data(), kWidth, kHeight, kWidth * 4, 32,
                                                   FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                                   FI_RGBA_BLUE_MASK, false);
    const std::string path = std::string(MORBANE_SCREENSHOT_DIR) + "/" + name;
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0)) << path;
    FreeImage_Unload(image);
}

// The start-up of the game binary, in this process, with a fixed drug layout.
struct PlayedGame {
    Sandbox sandbox{true};
    Window* window = nullptr;
    Game* game = nullptr;
    int frames = 0;

    PlayedGame() {
        gameState() = GameState{};
        if (!glfwInit()) {
            return;
        }
        const char* arguments[] = {"morbane", "-d", "800", "600"};
        window = new Window(4, arguments);
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            return;
        }
        pinGraphicsDriver();
        while (glGetError() != GL_NO_ERROR) {
        }
        game = new Game(*window, kLayoutSeed);
        // The test steers the player itself, as the keys would; the Updater must not poll them.
        player()->active = false;
    }
    ~PlayedGame() {
        delete game;
        delete window;
        glfwTerminate();
        gameState() = GameState{};
    }

    CCT* player() const { return game->scene->player; }
    glm::vec3 foot() const { return glm::vec3(player()->controller->getFootPosition()); }

    // One pass of the game's own loop at 60 frames per second of game time, drawn only now and
    // then; a drawn frame can be saved before the buffers swap.
    void frame(bool draw = false, const char* screenshot = nullptr) {
        float frameTime = kStepTime;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwPollEvents();
        if (draw || ++frames % kDrawEvery == 0) {
            game->frame(frameTime);
            if (screenshot != nullptr) {
                saveScreenshot(screenshot);
            }
            glfwSwapBuffers(game->window);
        } else {
            game->advance(frameTime);
        }
    }

    void pressEnter() { keyCallback(game->window, GLFW_KEY_ENTER, 0, GLFW_PRESS, 0); }

    // Walks the level's shortest route to goal, turning towards each next point and holding W,
    // until arrived() or the route ends; false when it never arrived.
    template <typename Arrived> bool walkTo(const glm::vec3& goal, Arrived arrived) {
        const WalkMap& map = shippedWalkMap();
        const glm::vec3 from = foot();
        const std::vector<float> distances =
            map.distancesFrom(map.nodeAt(from.x, from.z, from.y + 0.3f));
        const std::vector<glm::vec3> route =
            map.route(distances, map.nodeAt(goal.x, goal.z, goal.y));
        if (route.empty()) {
            return false;
        }
        size_t next = 0;
        for (int step = 0; step < 60 * 60 && !gameState().gameOver; ++step) {
            if (arrived()) {
                player()->steer(LookAngles{}, MoveKey::None);
                frame();
                return true;
            }
            const glm::vec3 at = foot();
            while (next + 1 < route.size() &&
                   glm::length(glm::vec2(route[next].x - at.x, route[next].z - at.z)) < 0.5f) {
                ++next;
            }
            const glm::vec2 toward(route[next].x - at.x, route[next].z - at.z);
            LookAngles look;
            // W walks along (sin yaw, -cos yaw) in x and z.
            look.yaw = std::atan2(toward.x, -toward.y) / kDegToRad;
            player()->steer(look, glm::length(toward) > 0.05f ? MoveKey::Forward : MoveKey::None);
            frame();
        }
        return arrived();
    }
};

} // namespace

TEST(Playthrough, CollectTheThreeMedicinesMixTheCureAndWin) {
    PlayedGame played;
    ASSERT_NE(played.game, nullptr);
    GameState& state = gameState();
    for (int i = 0; i < 60; ++i) {
        played.frame(); // land on the ground
    }

    // The layout of this seed, as the factory drew it.
    std::vector<Drug*> medicines;
    for (Drug* drug : played.game->scene->drugs->drugs) {
        if (drug->isMedicine) {
            medicines.push_back(drug);
        }
    }
    ASSERT_EQ(medicines.size(), 3u);

    for (size_t taken = 0; taken < medicines.size(); ++taken) {
        Drug* medicine = medicines[taken];
        const glm::vec3 goal(medicine->transform[3]);
        ASSERT_TRUE(played.walkTo(goal, [medicine] { return medicine->inside; }))
            << "never reached " << medicine->name << " near " << played.foot().x << ", "
            << played.foot().z;
        EXPECT_EQ(state.message, medicine->name);
        played.pressEnter();
        played.frame();
        EXPECT_TRUE(medicine->collected);
        EXPECT_EQ(state.medicineCount, taken + 1);
        EXPECT_EQ(state.inventorySlots[taken]->texture, medicine->texture);
        EXPECT_NE(medicine->texture, 0u);
        played.frame(); // the trigger leaves the world and the name the screen
        EXPECT_EQ(state.message, "");
    }

    Laboratory* table = played.game->physics->laboratory;
    const std::vector<Model*>& models = played.game->scene->models;
    EXPECT_NE(std::find(models.begin(), models.end(), table->model), models.end());
    const glm::vec3 tableAt(table->model->instances[0][3]);
    ASSERT_TRUE(played.walkTo(tableAt, [table] { return table->inside; }));
    EXPECT_EQ(state.message, "MIX");
    EXPECT_TRUE(state.readyToMix);
    played.pressEnter();
    played.frame(true);
    EXPECT_EQ(state.message, "YOU CURED YOURSELF!");
    EXPECT_TRUE(state.gameOver);
    EXPECT_GT(state.life, 0.0f);

    // After the end the world stands still, but frames are still drawn.
    const glm::vec3 stoppedAt = played.foot();
    const float lifeLeft = state.life;
    for (int i = 0; i < 120; ++i) {
        played.frame();
    }
    played.frame(true, "cured.png");
    EXPECT_EQ(played.foot(), stoppedAt);
    EXPECT_EQ(state.life, lifeLeft);
    // ESC still closes the game.
    keyCallback(played.game->window, GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(glfwWindowShouldClose(played.game->window));
}

TEST(Playthrough, AWindowAskedToCloseBeforeTheLoopDrawsNoFrame) {
    Sandbox sandbox{true};
    gameState() = GameState{};
    const char* arguments[] = {"morbane", "-d", "800", "600"};
    initialise(4, arguments);
    glfwSetWindowShouldClose(glfwGetCurrentContext(), GLFW_TRUE);
    run();
    EXPECT_EQ(gameState().meshCount, 0);
    shutdown();
    gameState() = GameState{};
}

TEST(Playthrough, AtTwelveFramesASecondWalkingKeepsWallTime) {
    PlayedGame played;
    ASSERT_NE(played.game, nullptr);
    for (int i = 0; i < 60; ++i) {
        played.frame(); // land on the ground
    }
    // South-east of the spawn the ground lies open and level for more than 30 units.
    LookAngles look;
    look.yaw = 135.0f;
    const glm::vec3 start = played.foot();
    const double pressed = glfwGetTime();
    double now = pressed;
    played.player()->steer(look, MoveKey::Forward); // W seen by this frame's update
    for (int frame = 1; now - pressed < 3.0; ++frame) {
        std::this_thread::sleep_until(std::chrono::steady_clock::now() +
                                      std::chrono::duration<double>(pressed + frame / 12.0 - now));
        const double last = now;
        now = glfwGetTime();
        // The loop's physics and rules on the clock's frame time; the sleep stands in for drawing.
        float frameTime = static_cast<float>(now - last);
        glfwPollEvents();
        played.game->advance(frameTime);
        played.player()->steer(look, MoveKey::Forward);
    }
    const float walked =
        glm::length(glm::vec2(played.foot().x - start.x, played.foot().z - start.z));
    EXPECT_LT(now - pressed, 3.2);
    // Give or take the frame in which W is first seen.
    EXPECT_NEAR(walked, 10.0 * (now - pressed), 10.0 / 12.0);
    EXPECT_NEAR(walked, 30.0f, 2 * 10.0f / 12.0f);
}

namespace {

bool apparitionInView(const PlayedGame& played) {
    const Model& model = *played.game->scene->animatedModels[0]->model;
    const Camera& eye = *played.player()->camera;
    const glm::vec4 clip =
        eye.projection * eye.view * model.instances[0] * model.transform * glm::vec4(0, 0, 0, 1);
    return model.visible && clip.w > 0.0f && std::abs(clip.x / clip.w) < 0.5f;
}

} // namespace

TEST(Playthrough, StandingStillTheMorbaneWinsAfterAHundredLifeSteps) {
    PlayedGame played;
    ASSERT_NE(played.game, nullptr);
    GameState& state = gameState();
    Model* apparition = played.game->scene->animatedModels[0]->model;
    int decrements = 0;
    float lastLife = state.life;
    bool sawLowLife = false;
    while (!state.gameOver && played.frames < 60 * 120) {
        played.frame();
        if (state.life != lastLife) {
            EXPECT_EQ(lastLife - state.life, 1.0f);
            lastLife = state.life;
            ++decrements;
        }
        // Low on life the picture is blurred and the apparition circles the player: save a
        // frame once it passes in front of the eye.
        if (!sawLowLife && state.life <= 15.0f && apparitionInView(played)) {
            sawLowLife = true;
            EXPECT_TRUE(apparition->visible);
            played.frame(true, "low-life.png");
        }
    }
    EXPECT_TRUE(sawLowLife);
    EXPECT_EQ(decrements, 100);
    EXPECT_EQ(state.message, "YOU SUCCUMBED TO THE MORBANE!");
    // About one hundred seconds of play: each decrement waits a full second and then a frame.
    EXPECT_GE(played.frames, 6000);
    EXPECT_LE(played.frames, 6000 + 2 * 100 + 10);
}
