// The game rules on a real GameState and Scene, with the real physics world where triggers are
// involved: life, defeat, taking drugs, the laboratory and the special models.
#include <gtest/gtest.h>

#include <cmath>

#include <btBulletCollisionCommon.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Updater.h"
#include "physics/Drugs.h"
#include "physics/PhysicsWorlds.h"
#include "support/GlContext.h"

namespace {

// A flat world with the player standing at the origin; drugs and a table join its Scene.
struct Playground : TestWorld {
    Scene scene;
    ScreenQuad slots[3];

    Playground() {
        gameState() = GameState{};
        gameState().inventorySlots = {&slots[0], &slots[1], &slots[2]};
        scene.player = player;
        scene.drugs = new DrugSet;
        step(30);
    }
    ~Playground() {
        delete scene.drugs;
        gameState() = GameState{};
    }

    template <typename Trigger>
    Trigger* add(Trigger* trigger, btCollisionShape* shape, float x, float z) {
        trigger->actor =
            addTrigger(physX, shape, glm::vec3(x, 1, z), glm::quat(1, 0, 0, 0), trigger->name);
        physX.triggers[trigger->name] = trigger;
        return trigger;
    }
    Drug* addDrug(const std::string& name, float x, float z, int bonus, GlName icon = 0) {
        auto* drug = new Drug;
        physX.drugs.push_back(drug);
        drug->name = name;
        drug->isMedicine = icon != 0;
        drug->lifeBonus = bonus;
        drug->texture = icon;
        scene.drugs->drugs.push_back(drug);
        scene.drugs->rebuildTransforms();
        return add(drug, new btSphereShape(1.0f), x, z);
    }

    void step(int count = 1) { walk(glm::vec3(0.0f), count); }
    // Walks the player's foot to x, z at 10 units per second, then takes one more step there.
    void walkTo(float x, float z) {
        const glm::vec2 delta = glm::vec2(x, z) - glm::vec2(foot().x, foot().z);
        const int steps = static_cast<int>(std::ceil(glm::length(delta) / (10.0f * kStepTime)));
        const glm::vec2 velocity = steps > 0 ? delta / (steps * kStepTime) : glm::vec2(0.0f);
        walk(glm::vec3(velocity.x, 0.0f, velocity.y), steps);
        step();
    }
    void pressEnter() {
        gameState().enterPressed = true;
        float noTime = 0.0f;
        applyRules(noTime, scene);
    }
};

} // namespace

TEST(Rules, LifeFallsOnePointPerFullSecondUntilDefeatWhichBeatsAPendingEnter) {
    Playground ground;
    GameState& state = gameState();
    float timer = 0.9f;
    applyRules(timer, ground.scene);
    EXPECT_EQ(state.life, 100.0f);
    timer = 1.7f; // a long frame: the 0.7 beyond the second is not carried over
    applyRules(timer, ground.scene);
    EXPECT_EQ(state.life, 99.0f);
    EXPECT_EQ(timer, 0.0f);
    state.life = 2.0f;
    timer = 1.0f;
    applyRules(timer, ground.scene);
    EXPECT_FALSE(state.gameOver);
    state.readyToMix = true;
    state.enterPressed = true;
    timer = 1.0f;
    applyRules(timer, ground.scene);
    EXPECT_EQ(state.life, 0.0f);
    EXPECT_TRUE(state.gameOver);
    EXPECT_EQ(state.message, "YOU SUCCUMBED TO THE MORBANE!");
    EXPECT_TRUE(state.enterPressed); // defeat ends the rules before ENTER is looked at
}

TEST(Rules, EnterTakesTheFirstDrugThePlayerStandsIn) {
    Playground ground;
    Drug* strong = ground.addDrug("Sedative1", 6, 0.5f, 19);
    Drug* overlapping = ground.addDrug("Sedative2", 6, -0.5f, 0);
    GameState& state = gameState();

    // Outside every drug ENTER is only consumed.
    ground.pressEnter();
    EXPECT_FALSE(state.enterPressed);

    ground.walkTo(6, 0);
    ASSERT_TRUE(strong->inside && overlapping->inside);
    ground.pressEnter();
    EXPECT_TRUE(strong->collected);
    EXPECT_FALSE(overlapping->collected);
    EXPECT_EQ(state.life, 119.0f); // no cap at the total
    EXPECT_EQ(state.pendingActorRemoval, strong->actor);
    ASSERT_EQ(ground.scene.drugs->drugs, std::vector<Drug*>{overlapping});
    EXPECT_EQ(ground.scene.drugs->transforms.size(), 1u);

    // The next step removes the trigger the player stands in, which counts as leaving it; the
    // other drug is still underfoot and a bonus of 0 is still taken.
    ground.step();
    EXPECT_FALSE(strong->inside);
    EXPECT_TRUE(overlapping->inside);
    ground.pressEnter();
    EXPECT_TRUE(overlapping->collected);
    EXPECT_TRUE(ground.scene.drugs->drugs.empty());
}

TEST(Rules, MedicinesFillTheSlotsInPickupOrderAndTheTableArmsTheCure) {
    Playground ground;
    ground.addDrug("Medicine2", 10, 0, 0, 12);
    ground.addDrug("Medicine1", -10, 0, 0, 11);
    ground.addDrug("Medicine0", 0, 10, 0, 10);
    ground.physX.laboratory = new Laboratory;
    ground.physX.laboratory->name = "Labor";
    ground.add(ground.physX.laboratory, new btBoxShape(btVector3(1, 1, 1)), 0, -10);
    ground.addDrug("Poison", 0, -12.5f, 0); // overlaps the table's volume
    GameState& state = gameState();

    // Pickup order, not placement order, decides the slots.
    for (const glm::vec2& spot : {glm::vec2(-10, 0), glm::vec2(10, 0)}) {
        ground.walkTo(spot.x, spot.y);
        EXPECT_EQ(state.message, spot.x < 0 ? "Medicine1" : "Medicine2");
        ground.pressEnter();
        ground.step();
    }
    EXPECT_EQ(state.medicineCount, 2u);
    EXPECT_EQ(ground.slots[0].texture, 11u);
    EXPECT_EQ(ground.slots[1].texture, 12u);

    ground.walkTo(0, -10);
    EXPECT_EQ(state.message, "NOT ENOUGH MEDICINE");
    ground.walkTo(0, 0);
    EXPECT_FALSE(state.readyToMix);

    ground.walkTo(0, 10);
    ground.pressEnter();
    EXPECT_EQ(ground.slots[2].texture, 10u);
    // With three the table shows MIX and arms the cure; a second visit keeps it armed.
    for (int visit = 0; visit < 2; ++visit) {
        ground.walkTo(0, -10);
        EXPECT_EQ(state.message, "MIX");
        EXPECT_TRUE(state.readyToMix) << "visit " << visit;
        ground.walkTo(0, 0);
        EXPECT_EQ(state.message, "");
        EXPECT_TRUE(state.readyToMix);
    }
    // Leaving a drug while "MIX" shows clears it but keeps the cure armed.
    ground.walkTo(0, -12.5f);
    ground.walkTo(0, -11.2f);
    EXPECT_EQ(state.message, "MIX");
    ground.walkTo(0, -10);
    EXPECT_EQ(state.message, "");
    EXPECT_TRUE(state.readyToMix);
    // ENTER anywhere now cures.
    ground.pressEnter();
    EXPECT_EQ(state.message, "YOU CURED YOURSELF!");
    EXPECT_TRUE(state.gameOver);
}

TEST(Rules, SpecialModelsWakeAsLifeDrains) {
    Model apparition, head;
    AnimatedModel orbiting{&apparition, 0.0f, 20.0f, 4.0f, true};
    AnimatedModel tilting{&head, 0.0f, 20.0f, 4.0f, false};
    const glm::vec3 player(3.0f, 5.0f, 4.0f);
    const glm::mat4 identity(1.0f);

    // Just above 70 % nothing moves; between 50 and 70 % only the non-orbiting models tilt,
    // towards the player.
    animateModel(tilting, player, 0.5f, 0.71f);
    EXPECT_EQ(head.transform, identity);
    animateModel(orbiting, player, 0.5f, 0.51f);
    animateModel(tilting, player, 0.5f, 0.69f);
    EXPECT_FALSE(apparition.visible);
    EXPECT_EQ(apparition.transform, identity);
    EXPECT_FLOAT_EQ(tilting.angle, 0.8f); // z / |(x, z)| = 4 / 5
    EXPECT_NE(head.transform, identity);
    // Straight above the origin there is no direction: the last tilt stays.
    const glm::mat4 lastTilt = head.transform;
    animateModel(tilting, glm::vec3(0.0f, 5.0f, 0.0f), 0.5f, 0.6f);
    EXPECT_EQ(head.transform, lastTilt);

    // Below half life the apparition shows and circles the player at its radius. Its file's
    // placement is the quarter turn back, so the drawn centre is placement x transform.
    const glm::mat4 placement = glm::rotate(identity, -kQuarterTurn, glm::vec3(1, 0, 0));
    for (int frame = 0; frame < 10; ++frame) {
        animateModel(orbiting, player, 0.5f, 0.49f);
        ASSERT_TRUE(apparition.visible);
        const glm::vec3 centre =
            glm::vec3(placement * apparition.transform * glm::vec4(0, 0, 0, 1));
        EXPECT_NEAR(glm::length(glm::vec2(centre.x - player.x, centre.z - player.z)), 4.0f, 1e-4f);
        EXPECT_NEAR(centre.y, player.y + kOrbitHeight, 1e-4f);
    }
    EXPECT_NEAR(orbiting.angle, 10 * 0.5f * 20.0f * 0.017453292f, 1e-5f);
    // Below 5 % the circle closes by one unit per second, down to nothing.
    animateModel(orbiting, player, 1.5f, 0.04f);
    EXPECT_FLOAT_EQ(orbiting.orbitRadius, 2.5f);
    animateModel(orbiting, player, 5.0f, 0.04f);
    EXPECT_EQ(orbiting.orbitRadius, 0.0f);
    // Life restored above half hides it again.
    animateModel(orbiting, player, 0.5f, 0.9f);
    EXPECT_FALSE(apparition.visible);
}

TEST(Rules, TheUpdaterSteersOnlyTheSelectedControllable) {
    GlContext gl;
    Playground ground;
    ground.scene.freeCamera = createFreeCamera(800, 600);
    Updater updater(gl.window);
    GameState& state = gameState();

    state.freeCamera = true;
    const glm::mat4 playerRotation = ground.scene.player->rotation;
    const glm::mat4 freeView = ground.scene.freeCamera->camera->view;
    float frameTime = 0.01f;
    updater.update(ground.scene, frameTime);
    EXPECT_NE(ground.scene.freeCamera->camera->view, freeView);
    EXPECT_EQ(ground.scene.player->rotation, playerRotation);
    EXPECT_FLOAT_EQ(updater.lifeTimer, 0.01f);

    state.freeCamera = false;
    const glm::mat4 steeredView = ground.scene.freeCamera->camera->view;
    updater.update(ground.scene, frameTime);
    EXPECT_EQ(ground.scene.freeCamera->camera->view, steeredView);
    EXPECT_FALSE(state.skipFirstPitch); // the player's first update ran
    releaseFreeCamera(ground.scene.freeCamera);
}
