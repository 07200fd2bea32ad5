// The physics factory on files written here: the level's collision mesh, the drugs and their
// random draws, the trigger shapes, and the placements' decomposition.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include <btBulletCollisionCommon.h>
#include <glm/gtc/matrix_transform.hpp>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "gameplay/Camera.h"
#include "physics/Drugs.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"
#include "tools/levelgen/ModelFile.h"

namespace {

// A COLLADA file with one horizontal triangle at height 1 around the origin, placed once per
// matrix as the drug and table files are.
std::string placementsDae(const std::vector<glm::mat4>& placements) {
    ModelFile file{"", "rock.png", UpAxis::Y, MeshData(), placements};
    addFlatTriangle(file.mesh, {-10, 1, -10}, {30, 1, -10}, {-10, 1, 30}, {0, 0}, {1, 0}, {0, 1});
    return colladaText(file);
}

// Every drug of a fresh world drawn with the seed, as "name icon bonus".
std::vector<std::string> drawLayout(unsigned seed, const std::string& file) {
    PhysX physX;
    PhysXFactory factory(physX, 800, 600);
    srand(seed);
    DrugSet* set = factory.createDrugs(file);
    std::vector<std::string> layout;
    for (const Drug* drug : set->drugs) {
        layout.push_back(drug->name + " " + drug->textureName + " " +
                         std::to_string(drug->lifeBonus));
    }
    releaseModel(set->model);
    delete set;
    return layout;
}

class Factory : public testing::Test {
  protected:
    GlContext context;
    Sandbox sandbox;

    void writeMesh(const std::string& name, const std::string& content) {
        sandbox.write("Resources/Meshes/" + name, content);
    }
};

const std::string kFolder = "../Resources/Meshes/";

// Where a player dropped at (x, 3, z) comes to stand.
float standingHeight(TestWorld& world, float x, float z) {
    world.placeFoot(glm::vec3(x, 3, z));
    world.walk(glm::vec3(0), 40);
    return world.foot().y;
}

} // namespace

TEST_F(Factory, ThreeMedicinesCountDownInPlacementOrderAndSedativesDrawTheirBonus) {
    writeMesh("drugs.dae", placementsDae(std::vector<glm::mat4>(9, glm::mat4(1.0f))));
    writeMesh("two.dae", placementsDae(std::vector<glm::mat4>(2, glm::mat4(1.0f))));
    const char* const medicines[] = {"Medicine2 bottle.png 0", "Medicine1 pills.png 0",
                                     "Medicine0 shot2.png 0"};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        // The draws in their order: three distinct placements, then a bonus per Sedative.
        srand(seed);
        std::set<int> chosen;
        while (chosen.size() < 3) {
            chosen.insert(rand() % 9);
        }
        std::vector<std::string> expected;
        for (int i = 0, medicine = 0; i < 9; ++i) {
            expected.push_back(chosen.count(i) == 1 ? medicines[medicine++]
                                                    : "Sedative" + std::to_string(i) + "  " +
                                                          std::to_string(rand() % 20));
        }
        EXPECT_EQ(drawLayout(seed, "drugs.dae"), expected) << "seed " << seed;
    }
    EXPECT_FATAL(drawLayout(1, "two.dae"), "NOT ENOUGH DRUG PLACEMENTS IN two.dae\n");
}

TEST_F(Factory, BuildPosesEveryTriggerByItsPlacement) {
    writeMesh("collision.obj", "o floor\nv 0 0 0\nv 1 0 0\nv 0 0 1\nf 1 2 3\n");
    // A quarter turn about y, written out so that the file keeps it exactly: x runs along -z.
    const glm::mat4 turned({0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1});
    const std::vector<glm::mat4> drugs = {
        glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(10, 1, 0)), glm::vec3(3.0f)),
        glm::scale(turned, glm::vec3(0.25f)), glm::mat4(1.0f)};
    writeMesh("drugs3.dae", placementsDae(drugs));
    const glm::mat4 at = glm::translate(glm::mat4(1.0f), glm::vec3(-10, 0.5f, 4)) * turned;
    writeMesh("Mixtable.dae",
              placementsDae({glm::scale(at, glm::vec3(-2.0f, 0.5f, 1.5f)), glm::mat4(1.0f)}));
    TextureTable& textures = gameState().textureTable;
    textures = {{"bottle.png", 11}, {"shot2.png", 12}}; // no "pills.png": Medicine1 shows none
    PhysX physX;
    Scene scene;
    PhysXFactory(physX, 800, 600).build(physX, scene);

    // One drug per placement, a sphere of radius 1 whatever the placement's scale; the
    // Medicines' icons come from the texture table.
    ASSERT_NE(scene.drugs, nullptr);
    ASSERT_EQ(scene.drugs->drugs.size(), 3u);
    EXPECT_EQ(scene.drugs->transforms, drugs);
    const GlName icons[] = {11, 0, 12};
    for (int i = 0; i < 3; ++i) {
        const Drug* drug = scene.drugs->drugs[i];
        EXPECT_EQ(drug->texture, icons[i]) << drug->name;
        EXPECT_EQ(static_cast<const btSphereShape*>(drug->actor->getCollisionShape())->getRadius(),
                  1.0f);
    }
    EXPECT_TRUE(scene.drugs->drugs[0]->actor->getWorldTransform().getOrigin() ==
                btVector3(10, 1, 0));
    // The table's box is as large as its placement's scale, mirrored or not, and turned with it.
    const btCollisionObject* table = physX.laboratory->actor;
    const btVector3 half =
        static_cast<const btBoxShape*>(table->getCollisionShape())->getHalfExtentsWithMargin();
    EXPECT_NEAR((half - btVector3(2, 0.5f, 1.5f)).length(), 0.0f, 1e-5f);
    EXPECT_TRUE(table->getWorldTransform().getOrigin() == btVector3(-10, 0.5f, 4));
    EXPECT_NEAR(table->getWorldTransform().getBasis().getColumn(0).z(), -1.0f, 1e-5f);
    EXPECT_EQ(physX.player->camera->aspect, 800.0f / 600.0f);
    releaseScene(scene);
    textures.clear();
}

// A placement without a w to divide by, or a flat one, has no turn to take apart.
TEST(Decompose, LeavesZerosForSingularPlacements) {
    for (const glm::mat4& m :
         {glm::mat4(0.0f), glm::mat4({2, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}, {5, 6, 7, 1})}) {
        const Decomposition d = decomposeTransform(m);
        EXPECT_TRUE(d.scale == glm::vec3(0) && d.translation == glm::vec3(0) &&
                    d.rotation == glm::quat(1, 0, 0, 0));
    }
}

TEST_F(Factory, CollisionPolygonsCountWholeAndOnlyTheFirstChildsStoredVertices) {
    // A pentagon at height 2; a second object at 3 is not the level.
    writeMesh("collision.obj", "o level\n"
                               "v 20 2 -5\nv 30 2 -5\nv 32 2 3\nv 25 2 8\n"
                               "v 18 2 3\nf 1 2 3 4 5\n"
                               "o other\n"
                               "v 40 3 -10\nv 60 3 -10\nv 60 3 10\nf 6 7 8\n");
    TestWorld world;
    world.factory.cookLevel(kFolder, "collision.obj");
    // One place on each triangle of the fan, then beside the pentagon and on the other object.
    for (const glm::vec3& e : {glm::vec3(29, -3, 2), glm::vec3(25, 6, 2), glm::vec3(20, 2, 2),
                               glm::vec3(15, 0, 0), glm::vec3(55, -5, 0)}) {
        EXPECT_NEAR(standingHeight(world, e.x, e.y), e.z, 1e-3f) << e.x << ' ' << e.y;
    }

    // The node lifts its floor by 100; collision takes the vertices as stored.
    writeMesh("moved.dae", placementsDae({glm::translate(glm::mat4(1.0f), glm::vec3(0, 100, 0))}));
    TestWorld moved;
    moved.factory.cookLevel(kFolder, "moved.dae");
    EXPECT_NEAR(standingHeight(moved, 0, 0), 1.0f, 1e-3f);

    // A PLY file hangs its one mesh on the root, which has no child.
    writeMesh("root.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                          "property float y\nproperty float z\nelement face 1\n"
                          "property list uchar int vertex_indices\nend_header\n"
                          "-20 4 -20\n-20 4 20\n20 4 0\n3 0 1 2\n");
    TestWorld rootOnly;
    rootOnly.factory.cookLevel(kFolder, "root.ply");
    EXPECT_NEAR(standingHeight(rootOnly, 0, 0), 4.0f, 1e-3f);
}

TEST_F(Factory, UnreadableOrUncookableCollisionFilesStopTheGame) {
    writeMesh("garbage.obj", "this is no model\n\x01\x02");
    std::string noMesh = placementsDae({glm::mat4(1.0f), glm::mat4(1.0f)});
    // No node holds a mesh, so none is found depth-first either.
    for (size_t mesh; (mesh = noMesh.find("<instance_geometry")) != std::string::npos;) {
        noMesh.erase(mesh, noMesh.find("</instance_geometry>") + 20 - mesh);
    }
    writeMesh("nomesh.dae", noMesh);
    writeMesh("lines.obj", "o wire\nv 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2 3\n");
    for (const std::string name : {"collision.obj", "garbage.obj", "nomesh.dae", "lines.obj"}) {
        EXPECT_FATAL(loadCollisionMesh(kFolder, name),
                     "FEHLER BEIM LADEN DER MESH " + kFolder + name + "\n");
    }
    TestWorld world;
    CollisionMesh* outside = box({0, 0, 0}, {1, 1, 1});
    outside->indices[2] = outside->vertexCount;
    EXPECT_FATAL(cookCollisionMesh(world.physX, outside), "TM COOKING FAILED\n");
    releaseCollisionMesh(outside); // the cooking above ran in a child process
}
