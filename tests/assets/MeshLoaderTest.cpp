#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "Fixtures.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

const glm::mat4 kIdentity(1.0f);
const glm::mat4 kZUpRoot = glm::rotate(kIdentity, glm::radians(-90.0f), glm::vec3(1, 0, 0));

// A quad, a pentagon, a line and a point, one object.
const char* const kPolygonsObj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\n"
                                 "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                                 "f 1/1/1 2/2/1 3/3/1 4/4/1\nf 1/1/1 2/2/1 3/3/1 4/4/1 5/1/1\n"
                                 "l 1/1 5/1\np 5/1\n";

testing::AssertionResult matricesNear(const glm::mat4& actual, const glm::mat4& expected) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (std::abs(actual[c][r] - expected[c][r]) > 1e-5f) {
                return testing::AssertionFailure() << "[" << c << "][" << r << "] is "
                                                   << actual[c][r] << ", not " << expected[c][r];
            }
        }
    }
    return testing::AssertionSuccess();
}

class MeshImport : public testing::Test {
  protected:
    GlContext gl;
    Sandbox sandbox;

    void writeMesh(const std::string& name, const std::string& text) const {
        sandbox.write("Resources/Meshes/" + name, text);
    }
    void TearDown() override { EXPECT_TRUE(gl.takeErrors().empty()); }
};

TEST_F(MeshImport, EveryChildOfTheRootPlacesTheOneMeshAsRootTimesChild) {
    const glm::mat4 placements[3] = {
        glm::translate(kIdentity, glm::vec3(1, 2, 3)),
        glm::rotate(glm::translate(kIdentity, glm::vec3(-4, 0, 5)), 0.5f, glm::vec3(0, 0, 1)),
        glm::scale(kIdentity, glm::vec3(2, 1, 0.5f)),
    };
    writeMesh("three.dae", colladaFile(daeGeometry("rock", glm::vec3(0), glm::vec3(1, 1, 0)),
                                       daeNode("a", placements[0], "rock") +
                                           daeNode("b", placements[1], "rock") +
                                           daeNode("c", placements[2], "rock"),
                                       true));
    Model* model = loadModel("three.dae");
    ASSERT_EQ(model->instances.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(matricesNear(model->instances[i], kZUpRoot * placements[i])) << i;
    }
    EXPECT_EQ(model->mesh->buffers->indexCount, 3u);
    EXPECT_TRUE(model->visible);
    releaseModel(model);
}

TEST_F(MeshImport, OnlyTheFirstChildsMeshIsImportedAndEveryChildPlacesIt) {
    writeMesh("two.dae", colladaFile(daeGeometry("big", glm::vec3(-10), glm::vec3(10)) +
                                         daeGeometry("small", glm::vec3(0), glm::vec3(1)),
                                     daeNode("first", kIdentity, "small") +
                                         daeNode("second", kIdentity, "big"),
                                     false));
    Model* model = loadModel("two.dae");
    EXPECT_EQ(model->instances.size(), 2u);
    EXPECT_THAT(readFloats(model->mesh->buffers->positionBuffer, 9),
                ElementsAre(0, 0, 0, 1, 0, 1, 0, 1, 1));
    releaseModel(model);
}

TEST_F(MeshImport, BoundingBoxCornersComeInTheirFixedOrder) {
    // x -1..2, y 0..3, z -5..-4; the node's placement plays no part in the box.
    writeMesh("box.dae",
              colladaFile(daeGeometry("box", glm::vec3(-1, 0, -5), glm::vec3(2, 3, -4)),
                          daeNode("box", glm::translate(kIdentity, glm::vec3(9)), "box"), true));
    Model* model = loadModel("box.dae");
    EXPECT_THAT(model->bounds->corners,
                ElementsAre(glm::vec4(-1, 3, -4, 1), glm::vec4(2, 3, -4, 1),
                            glm::vec4(-1, 0, -4, 1), glm::vec4(2, 0, -4, 1),
                            glm::vec4(-1, 3, -5, 1), glm::vec4(2, 3, -5, 1),
                            glm::vec4(-1, 0, -5, 1), glm::vec4(2, 0, -5, 1)));
    releaseModel(model);
}

TEST_F(MeshImport, TheDiffuseTextureIsFoundByItsBareNameOnly) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    gameState().textureTable["stone.png"] = texture;
    const std::string body = "usemtl stone\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                             "f 1/1/1 2/1/1 3/1/1\n";
    writeMesh("bare.mtl", "newmtl stone\nmap_Kd stone.png\n");
    writeMesh("folder.mtl", "newmtl stone\nmap_Kd Textures/stone.png\n");
    writeMesh("bare.obj", "mtllib bare.mtl\n" + body);
    writeMesh("folder.obj", "mtllib folder.mtl\n" + body);
    writeMesh("plain.obj", body);

    Model* models[3] = {loadModel("bare.obj"), loadModel("folder.obj"), loadModel("plain.obj")};
    EXPECT_EQ(models[0]->mesh->texture, texture);
    EXPECT_EQ(models[1]->mesh->texture, 0u);
    EXPECT_EQ(models[2]->mesh->texture, 0u);
    for (Model* model : models) {
        releaseModel(model);
    }
    gameState().textureTable.clear();
    glDeleteTextures(1, &texture);
}

TEST_F(MeshImport, ASecondLoadLeavesTheFirstModelUntouched) {
    writeMesh("rock.dae",
              colladaFile(daeGeometry("rock", glm::vec3(1), glm::vec3(2)),
                          daeNode("a", kIdentity, "rock") + daeNode("b", kIdentity, "rock") +
                              daeNode("c", kIdentity, "rock"),
                          false));
    writeMesh("polygons.obj", kPolygonsObj);
    Model* first = loadModel("rock.dae");
    Model* second = loadModel("polygons.obj");

    EXPECT_EQ(meshLoader().instances.size(), 1u);
    EXPECT_EQ(first->instances.size(), 3u);
    EXPECT_EQ(first->mesh->buffers->indexCount, 3u);
    EXPECT_THAT(readFloats(first->mesh->buffers->positionBuffer, 9),
                ElementsAre(1, 1, 1, 2, 1, 2, 1, 2, 2));
    EXPECT_THAT(readIndices(first->mesh->buffers->indexBuffer, 3), ElementsAre(0, 1, 2));
    releaseModel(first);
    releaseModel(second);
}

TEST_F(MeshImport, PolygonsBecomeTriangleFansAndPointsAndLinesAreSkipped) {
    writeMesh("polygons.obj", kPolygonsObj);
    Model* model = loadModel("polygons.obj");
    const uint32_t fans[] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 4, 7, 8};
    ASSERT_EQ(model->mesh->buffers->indexCount, std::size(fans));
    EXPECT_THAT(readIndices(model->mesh->buffers->indexBuffer, std::size(fans)),
                ElementsAreArray(fans));
    releaseModel(model);
}

TEST_F(MeshImport, AMissingFileStopsWithItsPath) {
    EXPECT_FATAL(loadModel("test.dae"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/test.dae\n");
}

TEST_F(MeshImport, FilesWithoutOneDrawableMeshStopWithTheLoadMessage) {
    const std::string rock = daeGeometry("rock", glm::vec3(0), glm::vec3(1));
    const std::vector<std::pair<std::string, std::string>> files = {
        // The mesh hangs on the root itself, which has no child to place it.
        {"flat.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                     "property float y\nproperty float z\nproperty float nx\nproperty float ny\n"
                     "property float nz\nproperty float s\nproperty float t\nelement face 1\n"
                     "property list uchar int vertex_indices\nend_header\n0 0 0 0 0 1 0 0\n"
                     "1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n3 0 1 2\n"},
        // The first child only groups; the mesh is a grandchild.
        {"nested.dae",
         colladaFile(rock, daeNode("group", kIdentity, "", daeNode("rock", kIdentity, "rock")),
                     true)},
        {"nonormals.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n"},
        {"nouvs.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n"},
        {"lines.dae", colladaFile(daeGeometry("rock", glm::vec3(0), glm::vec3(1), "lines"),
                                  daeNode("wire", kIdentity, "rock"), true)},
        {"broken.dae", "<COLLADA version=\"1.4.1\"><library_geometries>"},
        {"empty.obj", ""},
    };
    for (const auto& file : files) {
        writeMesh(file.first, file.second);
    }
    for (const auto& file : files) {
        EXPECT_FATAL(loadModel(file.first),
                     "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/" + file.first + "\n");
    }
}

} // namespace
