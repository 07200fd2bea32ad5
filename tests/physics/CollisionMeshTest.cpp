// Reading the level's collision file and cooking it: polygons, which mesh counts, and the
// files that stop the game.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "PhysicsWorlds.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "support/Fatal.h"
#include "support/Sandbox.h"

namespace {

const std::string kFolder = "../Resources/Meshes/";

// Where a player dropped at (x, 3, z) comes to stand.
float standingHeight(TestWorld& world, float x, float z) {
    world.player->controller->setFootPosition(glm::dvec3(x, 3, z));
    world.walk(glm::vec3(0), 40);
    return world.foot().y;
}

} // namespace

TEST(CollisionMesh, PolygonsAreCookedWhole) {
    Sandbox sandbox;
    // A quad at height 1 and a pentagon at height 2.
    sandbox.write("Resources/Meshes/collision.obj",
                  "o level\n"
                  "v -10 1 -10\nv 10 1 -10\nv 10 1 10\nv -10 1 10\n"
                  "v 20 2 -5\nv 30 2 -5\nv 32 2 3\nv 25 2 8\n"
                  "v 18 2 3\n"
                  "f 1 2 3 4\nf 5 6 7 8 9\n");
    CollisionMesh* mesh = loadCollisionMesh(kFolder, "collision.obj");
    EXPECT_EQ(mesh->vertexCount, 9u);
    EXPECT_EQ(mesh->triangleCount, 2u + 3u);
    EXPECT_TRUE(cookable(*mesh));

    TestWorld world;
    cookCollisionMesh(world.physX, mesh);
    // Both halves of the quad, and every part of the pentagon, hold the player up.
    EXPECT_NEAR(standingHeight(world, 5, -5), 1.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, -5, 5), 1.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, 25, 6), 2.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, 20, 2), 2.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, 29, -3), 2.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, 15, 0), 0.0f, 1e-3f); // between them: the ground
}

TEST(CollisionMesh, OnlyTheFirstChildsMeshCollidesWhereItsVerticesLie) {
    Sandbox sandbox;
    // The node moves its floor up by 100; collision ignores that. A second node's floor at 3
    // would be ignored too, but shares the one mesh; so a second object is tried in an OBJ.
    sandbox.write(
        "Resources/Meshes/moved.dae",
        placementsDae({glm::translate(glm::mat4(1.0f), glm::vec3(0, 100, 0))}, 10.0f, 1.0f));
    sandbox.write("Resources/Meshes/two.obj", "o first\n"
                                              "v -10 1 -10\nv 10 1 -10\nv 10 1 10\n"
                                              "f 1 2 3\n"
                                              "o second\n"
                                              "v 20 1 -10\nv 40 1 -10\nv 40 1 10\n"
                                              "f 4 5 6\n");
    TestWorld world;
    world.factory.cookLevel(kFolder, "moved.dae");
    world.factory.cookLevel(kFolder, "two.obj");
    EXPECT_NEAR(standingHeight(world, 0, 0), 1.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, 5, -5), 1.0f, 1e-3f);
    EXPECT_NEAR(standingHeight(world, 35, -5), 0.0f, 1e-3f);
}

TEST(CollisionMesh, UnreadableFilesStopWithThePath) {
    Sandbox sandbox;
    sandbox.write("Resources/Meshes/garbage.obj", "this is no model\n\x01\x02");
    sandbox.write("Resources/Meshes/nomesh.dae",
                  placementsDae({glm::mat4(1.0f)}, 1.0f, 0.0f, false));
    EXPECT_FATAL(loadCollisionMesh(kFolder, "collision.obj"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/collision.obj\n");
    EXPECT_FATAL(loadCollisionMesh(kFolder, "garbage.obj"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/garbage.obj\n");
    EXPECT_FATAL(loadCollisionMesh(kFolder, "nomesh.dae"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/nomesh.dae\n");
}

TEST(CollisionMesh, MeshesWithoutTrianglesOrWithBadIndicesDoNotCook) {
    Sandbox sandbox;
    sandbox.write("Resources/Meshes/lines.obj", "o wire\nv 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2 3\n");
    TestWorld world;
    EXPECT_FATAL(world.factory.cookLevel(kFolder, "lines.obj"), "TM COOKING FAILED\n");

    MeshBuilder outside;
    outside.triangle({0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    outside.mesh->indices[2] = 3;
    EXPECT_FALSE(cookable(*outside.mesh));
    EXPECT_FATAL(world.add(outside), "TM COOKING FAILED\n");
    EXPECT_FALSE(cookable(CollisionMesh()));
}
