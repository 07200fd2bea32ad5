// The real game played on the shipped level with a known drug layout: a real window, the real
// physics and rules, the player steered as the keys would steer it and ENTER through the real
// key callback. One run cures, one stands still until the Morbane wins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include <AL/al.h>
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "support/LevelGeometry.h"
#include "app/DriverPin.h"
#include "app/Focus.h"
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
#include "render/Renderer.h"
#include "render/Water.h"
#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"
#include "support/WindowCapture.h"

namespace {

constexpr unsigned kLayoutSeed = 20261206;
constexpr int kDrawEvery = 30; // drawing every frame would make the test crawl on llvmpipe

// The start-up of the game binary, in this process, with a fixed drug layout.
struct PlayedGame {
    PrivateDisplay display; // no other test's window takes the focus and pauses the game
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
    // then.
    void frame(bool draw = false) {
        float frameTime = kStepTime;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwPollEvents();
        if (draw || ++frames % kDrawEvery == 0) {
            game->frame(frameTime);
            glfwSwapBuffers(game->window);
        } else {
            game->advance(frameTime);
        }
    }

    void pressEnter() { keyCallback(game->window, GLFW_KEY_ENTER, 0, GLFW_PRESS, 0); }

    // Walks the level's shortest route to goal, turning towards each next point and holding W,
    // until arrived() or the route ends; false when it never arrived.
    template <typename Arrived> bool walkTo(const glm::vec3& goal, Arrived arrived) {
        const std::vector<glm::vec3> route = shippedRoute(foot(), goal);
        size_t next = 0;
        for (int step = 0; step < 60 * 60 && !route.empty() && !gameState().gameOver; ++step) {
            if (arrived()) {
                player()->steer(LookAngles{}, MoveKey::None);
                frame();
                return true;
            }
            const glm::vec2 toward = headingAlong(route, next, foot());
            // W walks along (sin yaw, -cos yaw) in x and z.
            const LookAngles look{std::atan2(toward.x, -toward.y) / kDegToRad, 0.0f};
            player()->steer(look, glm::length(toward) > 0.05f ? MoveKey::Forward : MoveKey::None);
            frame();
        }
        return arrived();
    }
};

bool apparitionInView(const PlayedGame& played) {
    const Model& model = *played.game->scene->animatedModels[0]->model;
    const Camera& eye = *played.player()->camera;
    const glm::vec4 clip =
        eye.projection * eye.view * model.instances[0] * model.transform * glm::vec4(0, 0, 0, 1);
    return model.visible && clip.w > 0.0f && std::abs(clip.x / clip.w) < 0.5f;
}

} // namespace

TEST(Playthrough, WalkIntoEveryDrugTakeTheMedicinesMixAtTheTableAndCureInThePond) {
    PlayedGame played;
    ASSERT_NE(played.game, nullptr);
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 0) << "the window is single-sample";
    GameState& state = gameState();
    // Every shipped model, the table's among them, and the drugs name a listed texture.
    for (const Model* model : played.game->scene->models) {
        EXPECT_NE(model->mesh->texture, 0u);
    }
    EXPECT_NE(played.game->scene->drugs->model->mesh->texture, 0u);
    for (const char* name : {"shot2.png", "pills.png", "bottle.png", "dudv.png", "normalmap.png"}) {
        EXPECT_EQ(state.textureTable.count(name), 1u) << name;
    }
    for (int i = 0; i < 60; ++i) {
        played.frame(); // land on the ground
    }
    // Down onto the ground under the spawn, not pushed aside.
    EXPECT_NEAR(glm::length(glm::vec2(played.foot().x, played.foot().z)), 0.0f, 1e-3f);

    // Every drug in placement order, each walk from where the last one ended; the Medicines of
    // this seed's layout are taken on the way.
    const std::vector<Drug*> drugs = played.game->scene->drugs->drugs;
    ASSERT_GE(drugs.size(), 8u);
    const int start = played.frames;
    for (Drug* drug : drugs) {
        ASSERT_TRUE(played.walkTo(glm::vec3(drug->transform[3]), [drug] { return drug->inside; }))
            << "never reached " << drug->name << " near " << played.foot().x << ", "
            << played.foot().z;
        EXPECT_EQ(state.message, drug->name);
        if (!drug->isMedicine) {
            continue;
        }
        const size_t taken = state.medicineCount;
        played.pressEnter();
        played.frame();
        EXPECT_EQ(state.medicineCount, taken + 1);
        EXPECT_EQ(state.inventorySlots[taken]->texture, drug->texture);
        played.frame(); // the trigger leaves the world and the name the screen
        EXPECT_EQ(state.message, "");
    }
    ASSERT_EQ(state.medicineCount, 3u);

    Laboratory* table = played.game->physics->laboratory;
    const std::vector<Model*>& models = played.game->scene->models;
    EXPECT_NE(std::find(models.begin(), models.end(), table->model), models.end());
    const glm::vec3 tableAt(table->model->instances[0][3]);
    ASSERT_TRUE(played.walkTo(tableAt, [table] { return table->inside; }));
    EXPECT_EQ(state.message, "MIX");
    // Life lasts 100 s; whichever drugs chance makes the Medicines, this tour collects them.
    EXPECT_LT(played.frames - start, 60 * 60);

    // Away from the table the cure stays armed: down into the middle of the pond, deep enough
    // to read as one, ENTER cures.
    const ShippedModel water = readModel("waterplane.obj");
    const glm::vec3 pond = (water.lo + water.hi) * 0.5f;
    ASSERT_TRUE(played.walkTo(pond, [&] {
        return glm::length(glm::vec2(played.foot().x - pond.x, played.foot().z - pond.z)) < 0.3f;
    }));
    EXPECT_LT(played.foot().y, water.lo.y - 1.5f) << "the basin is too shallow to read as a pond";
    EXPECT_TRUE(state.readyToMix);
    played.pressEnter();
    played.frame(true);
    EXPECT_EQ(state.message, "YOU CURED YOURSELF!");
    EXPECT_TRUE(state.gameOver);

    // After the end the world stands still, but frames are still drawn.
    const glm::vec3 stoppedAt = played.foot();
    const float lifeLeft = state.life;
    for (int i = 0; i <= 120; ++i) {
        played.frame(i == 120);
    }
    EXPECT_EQ(played.foot(), stoppedAt);
    EXPECT_EQ(state.life, lifeLeft);
    ALfloat ear[3];
    alGetListenerfv(AL_POSITION, ear);
    EXPECT_NEAR(ear[1], stoppedAt.y + 5.0f, 0.01f) << "the frame hears from the eye";
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

TEST(Playthrough, StandingStillTheMorbaneWinsOneLifeStepASecondLater) {
    PlayedGame played;
    ASSERT_NE(played.game, nullptr);
    GameState& state = gameState();
    state.life = 32.0f; // the apparition has been out for a while
    int decrements = 0;
    float lastLife = state.life;
    bool sawLowLife = false;
    while (!state.gameOver && played.frames < 60 * 40) {
        played.frame();
        if (state.life != lastLife) {
            EXPECT_EQ(lastLife - state.life, 1.0f);
            lastLife = state.life;
            ++decrements;
        }
        // Low on life the apparition circles the player and passes in front of the eye.
        sawLowLife = sawLowLife || (state.life <= 15.0f && apparitionInView(played));
    }
    EXPECT_TRUE(sawLowLife);
    EXPECT_EQ(decrements, 32);
    EXPECT_EQ(state.message, "YOU SUCCUMBED TO THE MORBANE!");
    // Each decrement waits a full second and then a frame.
    EXPECT_GE(played.frames, 32 * 60);
    EXPECT_LE(played.frames, 32 * 62 + 10);
}

// Another X client takes the focus for three seconds. Nothing advances meanwhile: the game
// shows "PAUSED" where the message stood and otherwise the very picture it showed before, and
// the first frame after carries none of the time away.
TEST(Playthrough, WithoutTheFocusPlayHoldsShowingPausedAndGoesOnWithoutTheTimeAway) {
    PrivateDisplay display;
    PlayedGame played;
    ASSERT_NE(played.game, nullptr);
    Game& game = *played.game;
    GameState& state = gameState();
    watchFocus(game.window);
    std::string id;
    runCommand("xdotool search --sync --name '^Morbane$' | head -1 | tr -d '\\n'", &id);
    runCommand("xdotool windowfocus --sync " + id);
    played.player()->steer(LookAngles{}, MoveKey::Forward); // walks on, not being updated
    double lastTime = glfwGetTime();
    loopPass(game, lastTime); // a first picture
    state.message = "MIX";
    game.updater->lifeTimer = 0.5f; // no life point falls due around the pause
    // The pointer crossing the window a second later wakes the waiting game once.
    runCommand("xmessage -title thief away >/dev/null 2>&1 &"); // gone with the display
    runCommand("xdotool search --sync --name '^thief$' | xargs xdotool windowfocus --sync; (sleep "
               "1; xdotool mousemove --window " +
               id + " 1 1 mousemove --window " + id + " 9 9) >/dev/null 2>&1 &");
    const auto held = [&] {
        return std::make_tuple(state.life, game.updater->lifeTimer,
                               game.renderer->waterRenderer->waveOffset, played.foot());
    };
    Picture before;
    auto last = held();
    for (int pass = 0; pass < 5 && !game.paused; ++pass) {
        before = captureWindow(id);
        last = held();
        loopPass(game, lastTime);
    }
    EXPECT_EQ(state.message, "PAUSED");
    const Picture paused = captureWindow(id); // the last frame, while the game waits
    runCommand("(sleep 1; xdotool windowfocus " + id + ") >/dev/null 2>&1 &");
    int passes = 0;
    for (; game.paused && passes < 20; ++passes) {
        EXPECT_EQ(held(), last);
        loopPass(game, lastTime);
    }
    EXPECT_LT(passes, 10) << "it waits for events rather than drawing on";
    // Back in front: the message returns, and the first frame is one frame long.
    EXPECT_EQ(state.message, "MIX");
    EXPECT_EQ(state.life, std::get<0>(last));
    EXPECT_LT(game.updater->lifeTimer - std::get<1>(last), 0.2f);

    ASSERT_TRUE(paused.width == 800 && before.width == 800);
    int text = 0, elsewhere = 0;
    for (size_t i = 0; i < paused.rgb.size(); ++i) { // bottom rows first
        (i / 3 / 800 < 50 && i / 3 % 800 >= 370 ? text : elsewhere) +=
            paused.rgb[i] != before.rgb[i];
    }
    EXPECT_EQ(elsewhere, 0);
    EXPECT_GT(text, 100);
}
