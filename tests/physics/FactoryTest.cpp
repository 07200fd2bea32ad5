// The physics factory on model files written here: the drug layout and its random draws, the
// trigger shapes, the table, and the whole build into a Scene.
#include <gtest/gtest.h>

#include <cstdlib>

#include <btBulletCollisionCommon.h>
#include <glm/gtc/matrix_transform.hpp>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

namespace {

std::vector<glm::mat4> rowOfPlacements(int count) {
    std::vector<glm::mat4> placements;
    for (int i = 0; i < count; ++i) {
        placements.push_back(glm::translate(glm::mat4(1.0f), glm::vec3(4.0f * i, 1.0f, -3.0f)));
    }
    return placements;
}

using Layout = std::vector<std::pair<std::string, int>>; // name and life bonus per drug

// The drugs of a fresh world drawn with the seed.
Layout drawLayout(unsigned seed, const std::string& file) {
    PhysX physX;
    PhysXFactory factory(physX, 800, 600);
    srand(seed);
    DrugSet* set = factory.createDrugs(file);
    Layout layout;
    for (const Drug* drug : set->drugs) {
        layout.emplace_back(drug->name, drug->lifeBonus);
    }
    releaseModel(set->model);
    delete set;
    return layout;
}

glm::vec3 origin(const btCollisionObject* object) {
    const btVector3& o = object->getWorldTransform().getOrigin();
    return glm::vec3(o.x(), o.y(), o.z());
}

class Factory : public testing::Test {
  protected:
    GlContext context;
    Sandbox sandbox;

    void writeMesh(const std::string& name, const std::string& content) {
        sandbox.write("Resources/Meshes/" + name, content);
    }
};

} // namespace

TEST_F(Factory, AFixedSeedGivesTheSameLayoutAndAnotherSeedAnother) {
    writeMesh("drugs.dae", placementsDae(rowOfPlacements(12)));
    const Layout first = drawLayout(1234, "drugs.dae");
    EXPECT_EQ(drawLayout(1234, "drugs.dae"), first);
    EXPECT_NE(drawLayout(98765, "drugs.dae"), first);
}

TEST_F(Factory, ThreePlacementsAreThreeMedicinesCountingDown) {
    writeMesh("three.dae", placementsDae(rowOfPlacements(3)));
    PhysX physX;
    PhysXFactory factory(physX, 800, 600);
    DrugSet* set = factory.createDrugs("three.dae");
    ASSERT_EQ(set->drugs.size(), 3u);
    const char* names[] = {"Medicine2", "Medicine1", "Medicine0"};
    const char* icons[] = {"bottle.png", "pills.png", "shot2.png"};
    for (int i = 0; i < 3; ++i) {
        const Drug* drug = set->drugs[i];
        EXPECT_EQ(drug->name, names[i]);
        EXPECT_EQ(drug->textureName, icons[i]);
        EXPECT_TRUE(drug->isMedicine);
        EXPECT_EQ(drug->lifeBonus, 0);
        EXPECT_FALSE(drug->inside || drug->collected);
        // In placement order, each trigger at its placement.
        EXPECT_EQ(drug->transform, rowOfPlacements(3)[i]);
        EXPECT_EQ(origin(drug->actor), glm::vec3(4.0f * i, 1.0f, -3.0f));
    }
    EXPECT_EQ(set->transforms.size(), 3u);
    releaseModel(set->model);
    delete set;
}

TEST_F(Factory, SedativesKeepTheirPlacementNumberAndABonusBelowTwenty) {
    const int count = 9;
    writeMesh("drugs.dae", placementsDae(rowOfPlacements(count)));
    int bonusSum = 0;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const Layout layout = drawLayout(seed, "drugs.dae");
        ASSERT_EQ(layout.size(), size_t(count));
        std::vector<std::string> medicines;
        for (int i = 0; i < count; ++i) {
            const auto& [name, bonus] = layout[i];
            if (name.rfind("Medicine", 0) == 0) {
                medicines.push_back(name);
                EXPECT_EQ(bonus, 0);
            } else {
                EXPECT_EQ(name, "Sedative" + std::to_string(i));
                EXPECT_TRUE(bonus >= 0 && bonus < 20) << bonus;
                bonusSum += bonus;
            }
        }
        EXPECT_EQ(medicines, (std::vector<std::string>{"Medicine2", "Medicine1", "Medicine0"}));
    }
    // 120 draws from 0..19 are not all zero.
    EXPECT_GT(bonusSum, 0);
}

TEST_F(Factory, DrugSpheresIgnoreScaleAndTheTableBoxIsItsScale) {
    const glm::mat4 turned = glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 1, 0));
    writeMesh("drugs.dae",
              placementsDae({glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(10, 1, 0)),
                                        glm::vec3(3.0f)),
                             glm::scale(turned, glm::vec3(0.25f)), glm::mat4(1.0f)}));
    writeMesh(
        "table.dae",
        placementsDae({glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(-10, 0.5f, 4)) * turned,
                                  glm::vec3(2.0f, 0.5f, 1.5f)),
                       glm::mat4(1.0f)}));
    PhysX physX;
    PhysXFactory factory(physX, 800, 600);
    DrugSet* set = factory.createDrugs("drugs.dae");
    for (const Drug* drug : set->drugs) {
        const auto* sphere = static_cast<const btSphereShape*>(drug->actor->getCollisionShape());
        EXPECT_EQ(sphere->getRadius(), 1.0f);
        EXPECT_FALSE(drug->actor->hasContactResponse());
    }
    EXPECT_EQ(origin(set->drugs[0]->actor), glm::vec3(10, 1, 0));

    Laboratory* laboratory = factory.createLaboratory("table.dae");
    EXPECT_EQ(laboratory->name, "Labor");
    EXPECT_FALSE(laboratory->actor->hasContactResponse());
    const auto* box = static_cast<const btBoxShape*>(laboratory->actor->getCollisionShape());
    const btVector3 half = box->getHalfExtentsWithMargin();
    EXPECT_NEAR(half.x(), 2.0f, 1e-5f);
    EXPECT_NEAR(half.y(), 0.5f, 1e-5f);
    EXPECT_NEAR(half.z(), 1.5f, 1e-5f);
    EXPECT_EQ(origin(laboratory->actor), glm::vec3(-10, 0.5f, 4));
    // Turned with its placement: the box's x axis now runs along -z.
    const btVector3 xAxis = laboratory->actor->getWorldTransform().getBasis().getColumn(0);
    EXPECT_NEAR(xAxis.z(), -1.0f, 1e-5f);

    releaseModel(set->model);
    delete set;
    releaseModel(laboratory->model);
}

TEST_F(Factory, BuildFillsTheSceneAndTheTriggerRegistry) {
    writeMesh("collision.obj", "o floor\n"
                               "v -30 1 -30\nv 30 1 -30\nv 30 1 30\nv -30 1 30\n"
                               "f 1 2 3 4\n");
    writeMesh("drugs3.dae", placementsDae(rowOfPlacements(6)));
    writeMesh("Mixtable.dae",
              placementsDae({glm::translate(glm::mat4(1.0f), glm::vec3(0, 2, -15))}));
    TextureTable& textures = gameState().textureTable;
    textures.clear();
    textures["bottle.png"] = 11;
    textures["shot2.png"] = 12; // no "pills.png": that Medicine shows no icon

    PhysX physX;
    Scene scene;
    PhysXFactory factory(physX, 800, 600);
    srand(5);
    factory.build(physX, scene);

    ASSERT_NE(scene.drugs, nullptr);
    EXPECT_EQ(scene.drugs->drugs.size(), 6u);
    EXPECT_EQ(physX.triggers.size(), 7u);
    for (Drug* drug : scene.drugs->drugs) {
        EXPECT_EQ(physX.triggers.at(drug->name), drug);
        if (drug->name == "Medicine2") {
            EXPECT_EQ(drug->texture, 11u);
        } else if (drug->name == "Medicine0") {
            EXPECT_EQ(drug->texture, 12u);
        } else {
            EXPECT_EQ(drug->texture, 0u) << drug->name;
        }
    }
    ASSERT_NE(physX.laboratory, nullptr);
    EXPECT_EQ(physX.triggers.at("Labor"), physX.laboratory);
    ASSERT_EQ(scene.models.size(), 1u);
    EXPECT_EQ(scene.models.back(), physX.laboratory->model);
    EXPECT_EQ(scene.player, physX.player);

    // The player starts with its centre at (0, 5, 0), eye 5 above its foot, and lands on the
    // level's floor at 1.
    ASSERT_NE(physX.player, nullptr);
    EXPECT_EQ(physX.player->controller->getPosition(), glm::dvec3(0, 5, 0));
    EXPECT_NEAR(physX.player->camera->position.y, 5.0f - 3.05f + 5.0f, 1e-5f);
    EXPECT_EQ(physX.player->camera->aspect, 800.0f / 600.0f);
    for (int i = 0; i < 30; ++i) {
        float frameTime = kStepTime;
        physX.step(frameTime);
    }
    EXPECT_NEAR(physX.player->controller->getFootPosition().y, 1.0, 1e-3);
    EXPECT_TRUE(context.takeErrors().empty());
    releaseScene(scene);
    textures.clear();
}

TEST_F(Factory, TooFewDrugPlacementsStopWithAMessage) {
    writeMesh("drugs3.dae", placementsDae(rowOfPlacements(2)));
    PhysX physX;
    PhysXFactory factory(physX, 800, 600);
    EXPECT_FATAL(factory.createDrugs("drugs3.dae"), "NOT ENOUGH DRUG PLACEMENTS IN drugs3.dae\n");
}
