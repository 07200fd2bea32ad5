// Model files written by the tests (COLLADA through the level generator's writer, Wavefront by
// hand) loaded into real GL buffers, and the Scene the factory builds from them.
#include <tuple>

#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "assets/Textures.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "physics/Drugs.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"
#include "tools/levelgen/ModelFile.h"

using testing::ElementsAre;

namespace {

const glm::mat4 kIdentity(1.0f);

// One triangle with corners lo, (hi.x, lo.y, hi.z), (lo.x, hi.y, hi.z), once per placement.
std::string dae(const std::vector<glm::mat4>& placements, const std::string& texture = "rock.png",
                glm::vec3 lo = glm::vec3(0), glm::vec3 hi = glm::vec3(1)) {
    ModelFile file{"", texture, UpAxis::Z, MeshData(), placements};
    addFlatTriangle(file.mesh, lo, glm::vec3(hi.x, lo.y, hi.z), glm::vec3(lo.x, hi.y, hi.z),
                    glm::vec2(0, 0), glm::vec2(1, 0), glm::vec2(0, 1));
    return colladaText(file);
}

template <typename T> std::vector<T> readBuffer(GlName buffer, size_t count) {
    std::vector<T> values(count);
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(T)),
                       values.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return values;
}

struct MeshImport : testing::Test {
    GlContext gl;
    Sandbox sandbox;

    void writeMesh(const std::string& name, const std::string& text) const {
        sandbox.write("Resources/Meshes/" + name, text);
    }
};

TEST_F(MeshImport,
       EveryChildPlacesTheFirstChildsMeshEachModelKeepsItsOwnBuffersAndAMissingFileStops) {
    const std::vector<glm::mat4> placements = {
        glm::translate(kIdentity, glm::vec3(1, 2, 3)),
        glm::mat4(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, -4, 0, 5, 1), // turned about z, moved
        glm::scale(kIdentity, glm::vec3(2, 1, 0.5f)),
    };
    writeMesh("three.dae", dae(placements, "stone.png", glm::vec3(-1, 0, -5), glm::vec3(2, 3, -4)));
    writeMesh("folder.dae", dae({kIdentity}, "Textures/stone.png"));
    // A quad, a pentagon, a line and a point, one object without a material.
    writeMesh("polygons.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\nvt 0 0\nvn 0 0 1\n"
                              "f 1/1/1 2/1/1 3/1/1 4/1/1\nf 1/1/1 2/1/1 3/1/1 4/1/1 5/1/1\n"
                              "l 1/1 5/1\np 5/1\n");
    // Two objects: two children with a mesh each.
    writeMesh("two.obj", "v 0 0 0\nv 1 0 1\nv 0 1 1\nv -9 -9 -9\nv 9 -9 9\nv -9 9 9\nvt 0 0\n"
                         "vn 0 0 1\no small\nf 1/1/1 2/1/1 3/1/1\no big\nf 4/1/1 5/1/1 6/1/1\n");
    // No normals: two faces of different size round a shared edge, every corner its own vertex.
    writeMesh("bare.obj",
              "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 2\nvt 0 0\nf 1/1 2/1 3/1\nf 1/1 4/1 2/1\n");
    // The first child only groups; the mesh is a grandchild, found depth-first.
    std::string nested = dae({kIdentity, kIdentity});
    nested.insert(nested.find("<node"), "<node id=\"group\">");
    writeMesh("nested.dae", nested.insert(nested.find("<node id=\"placement1"), "</node>"));
    gameState().textureTable["stone.png"] = 7;
    Model* models[6] = {loadModel("three.dae"), loadModel("folder.dae"), loadModel("polygons.obj"),
                        loadModel("two.obj"),   loadModel("bare.obj"),   loadModel("nested.dae")};
    EXPECT_EQ(glm::uvec2(models[5]->mesh->buffers->indexCount, models[5]->instances.size()),
              glm::uvec2(3, 2));
    // The texture is found by the material's bare name only.
    EXPECT_EQ(
        glm::uvec3(models[0]->mesh->texture, models[1]->mesh->texture, models[2]->mesh->texture),
        glm::uvec3(7, 0, 0));
    // Polygons become fans; points and lines are skipped.
    const uint32_t fans[] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 4, 7, 8};
    ASSERT_EQ(models[2]->mesh->buffers->indexCount, std::size(fans));
    EXPECT_THAT(readBuffer<uint32_t>(models[2]->mesh->buffers->indexBuffer, 15),
                testing::ElementsAreArray(fans));
    EXPECT_EQ(models[3]->instances.size(), 2u);
    EXPECT_THAT(readBuffer<float>(models[3]->mesh->buffers->positionBuffer, 9),
                ElementsAre(0, 0, 0, 1, 0, 1, 0, 1, 1));
    // Each position's normal is the sum of its faces' normals, weighted by their areas.
    const glm::vec3 shared = glm::normalize(glm::vec3(0, 2, 1));
    const glm::vec3 normals[] = {shared, shared, {0, 0, 1}, shared, {0, 1, 0}, shared};
    const std::vector<glm::vec3> read =
        readBuffer<glm::vec3>(models[4]->mesh->buffers->normalBuffer, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_LT(glm::length(read[i] - normals[i]), 1e-5f) << i;
    }

    // The first model, whatever was loaded since: root (the Z_UP turn) x child, its own
    // vertices, and its box's corners in their fixed order, placements playing no part.
    const glm::mat4 root(1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    EXPECT_THAT(models[0]->instances,
                ElementsAre(root * placements[0], root * placements[1], root * placements[2]));
    EXPECT_EQ(models[0]->mesh->buffers->indexCount, 3u);
    EXPECT_THAT(readBuffer<float>(models[0]->mesh->buffers->positionBuffer, 9),
                ElementsAre(-1, 0, -5, 2, 0, -4, -1, 3, -4));
    EXPECT_THAT(models[0]->bounds->corners,
                ElementsAre(glm::vec4(-1, 3, -4, 1), glm::vec4(2, 3, -4, 1),
                            glm::vec4(-1, 0, -4, 1), glm::vec4(2, 0, -4, 1),
                            glm::vec4(-1, 3, -5, 1), glm::vec4(2, 3, -5, 1),
                            glm::vec4(-1, 0, -5, 1), glm::vec4(2, 0, -5, 1)));
    for (Model* model : models) {
        releaseModel(model);
    }
    gameState().textureTable.clear();
    EXPECT_FATAL(loadModel("missing.dae"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/missing.dae\n");
}

TEST_F(MeshImport, AnEmptyMeshListGivesTheSpecialModelsWaterLightCameraAndSlotsReleasedAfter) {
    Scene scene;
    sandbox.write("Resources/Textures/Textures", "pills.png\n");
    sandbox.linkShipped("Resources/Textures/pills.png");
    // The special models tell themselves apart by their number of placements: 1, 2, 3.
    writeMesh("test.dae", dae({kIdentity}));
    writeMesh("npcHead.dae", dae({kIdentity, kIdentity}));
    writeMesh("rotfaces.dae", dae({kIdentity, kIdentity, kIdentity}));
    writeMesh("waterplane.obj",
              "v -50 13.808329 -50\nv 50 13.808329 -50\nv 50 13.808329 50\n"
              "v -50 13.808329 50\nvt 0 0\nvn 0 1 0\nf 1/1/1 4/1/1 3/1/1 2/1/1\n");
    writeMesh("Meshes", "");
    testing::internal::CaptureStdout();
    Factory factory(1280, 720);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "OK!\n"); // ends the FACTORY line
    factory.loadScene(scene);

    ASSERT_EQ(scene.models.size(), 3u);
    ASSERT_EQ(scene.animatedModels.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const AnimatedModel& animated = *scene.animatedModels[i];
        EXPECT_EQ(animated.model, scene.models[i]);
        EXPECT_EQ(animated.model->instances.size(), i + 1);
        EXPECT_EQ(
            std::tie(animated.angle, animated.angularSpeed, animated.orbitRadius, animated.orbits),
            std::make_tuple(0.0f, 20.0f, 4.0f, i == 0));
    }
    ASSERT_NE(scene.water, nullptr);

    // The field of view is taken in radians: about 58.3 degrees on screen, not 45.
    EXPECT_EQ(scene.freeCamera->camera->projection,
              glm::perspective(45.0f, 1280.0f / 720.0f, 0.1f, 100.0f));

    const std::vector<ScreenQuad*>& slots = gameState().inventorySlots;
    ASSERT_EQ(slots.size(), 3u);
    ASSERT_EQ(scene.lights.size(), 1u);

    // releaseScene frees what the scene owns, but neither the drug records (the physics side's)
    // nor the slots (the Game's teardown).
    Drug drug;
    scene.drugs = new DrugSet;
    scene.drugs->model = loadModel("npcHead.dae");
    scene.drugs->drugs.push_back(&drug);
    std::vector<GlName> names = {scene.water->mesh->buffers->vertexArray,
                                 scene.drugs->model->mesh->buffers->vertexArray,
                                 scene.screenQuad->vertexArray};
    for (const Model* model : scene.models) {
        names.push_back(model->mesh->buffers->vertexArray);
    }
    releaseScene(scene);
    EXPECT_TRUE(std::none_of(names.begin(), names.end(), glIsVertexArray));
    EXPECT_TRUE(scene.models.empty() && scene.lights.empty() && scene.animatedModels.empty());
    EXPECT_TRUE(scene.freeCamera == nullptr && scene.drugs == nullptr);
    EXPECT_TRUE(glIsVertexArray(slots[0]->vertexArray));
    for (ScreenQuad* slot : slots) {
        releaseScreenQuad(slot);
    }
    releaseTextures();
    gameState() = GameState{};
}

} // namespace
