// Model files written by the tests (COLLADA through the level generator's writer, Wavefront by
// hand) loaded into real GL buffers, and the Scene the factory builds from them.
#include <tuple>

#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/component_wise.hpp>

#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "assets/ShaderProgram.h"
#include "assets/Textures.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "physics/Drugs.h"
#include "support/Fatal.h"
#include "support/GameProcess.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"
#include "tools/levelgen/ModelFile.h"

using testing::ElementsAre;
using testing::IsEmpty;

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

// Three corners without normals or texture coordinates; the faces follow.
constexpr char kTrianglePly[] =
    "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
    "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
    "0 0 0\n1 0 0\n0 1 0\n";

template <typename T> std::vector<T> readBuffer(GlName buffer, size_t count) {
    std::vector<T> values(count);
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(T)),
                       values.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return values;
}

struct MeshImport : testing::Test {
    GlContext gl{200, 200};
    Sandbox sandbox;

    void writeMesh(const std::string& name, const std::string& text) const {
        sandbox.write("Resources/Meshes/" + name, text);
    }
    void TearDown() override { EXPECT_THAT(gl.takeErrors(), IsEmpty()); }
};

TEST_F(MeshImport, EveryChildPlacesTheFirstChildsMeshAndEachModelKeepsItsOwnBuffers) {
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
    gameState().textureTable["stone.png"] = 7;
    Model* models[4] = {loadModel("three.dae"), loadModel("folder.dae"), loadModel("polygons.obj"),
                        loadModel("two.obj")};
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
}

TEST_F(MeshImport, FilesWithoutOneDrawableMeshStopWithTheLoadMessage) {
    std::string nested = dae({kIdentity});
    // The first child only groups; the mesh is a grandchild.
    nested.insert(nested.find("<node"), "<node id=\"group\">");
    nested.insert(nested.find("</visual_scene>"), "</node>");
    const std::pair<std::string, std::string> files[] = {
        {"nested.dae", nested},
        {"points.ply", "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\n"
                       "property float y\nproperty float z\nend_header\n0 0 0\n1 0 0\n"},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\n"},
        {"outside.ply", std::string(kTrianglePly) + "3 0 1 7\n"},
        {"empty.obj", ""},
    };
    for (const auto& file : files) {
        writeMesh(file.first, file.second);
        EXPECT_FATAL(loadModel(file.first),
                     "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/" + file.first + "\n");
    }
    EXPECT_FATAL(loadModel("missing.dae"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/missing.dae\n");
}

// Files as other tools write them: no normals, no texture coordinates, the mesh on a root without
// children, facets whose normals are all zero.
TEST_F(MeshImport, FilesWithoutNormalsTextureCoordinatesOrChildrenAreDrawnAsTheyLie) {
    // Two faces of different size round a shared edge; OBJ splits every corner into a vertex.
    writeMesh("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 2\nvt 0.25 0.75\n"
                          "f 1/1 2/1 3/1\nf 1/1 4/1 2/1\n");
    writeMesh("root.ply", std::string(kTrianglePly) + "3 0 2 1\n");
    writeMesh("zero.stl", "solid z\nfacet normal 0 0 0\nouter loop\nvertex 0 0 0\n"
                          "vertex 0 0 1\nvertex 0 1 0\nendloop\nendfacet\nendsolid z\n");
    std::string collada = dae({glm::translate(kIdentity, glm::vec3(1, 2, 3))});
    for (const char* input : {"<input semantic=\"NORMAL\"", "<input semantic=\"TEXCOORD\""}) {
        const size_t at = collada.find(input);
        collada.erase(at, collada.find('\n', at) + 1 - at);
    }
    writeMesh("bare.dae", collada);
    // One glTF node is the root itself, with its own transformation.
    const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    sandbox.write("Resources/Meshes/one.bin",
                  std::string(reinterpret_cast<const char*>(corners), sizeof corners));
    writeMesh("one.gltf",
              R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
                  "nodes": [{"mesh": 0, "translation": [5, 6, 7]}],
                  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}],
                  "buffers": [{"byteLength": 36, "uri": "one.bin"}],
                  "bufferViews": [{"buffer": 0, "byteLength": 36}],
                  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3,
                                 "type": "VEC3", "min": [0, 0, 0], "max": [1, 1, 0]}]})");

    const glm::vec3 shared = glm::normalize(glm::vec3(0, 2, 1));    // area-weighted: 2 to 1
    const glm::vec3 slanted = glm::normalize(glm::vec3(-1, -1, 1)); // in the file's own axes
    const glm::mat4 zUp(1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    struct Expected {
        const char* name;
        std::vector<glm::vec3> normals;
        glm::vec2 texCoord; // at every vertex
        glm::mat4 placement;
    };
    const Expected cases[] = {
        {"bare.obj",
         {shared, shared, {0, 0, 1}, shared, {0, 1, 0}, shared},
         {0.25f, 0.75f},
         kIdentity},
        {"root.ply", {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}}, {0, 0}, kIdentity},
        {"zero.stl", {{-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}}, {0, 0}, kIdentity},
        {"bare.dae",
         {slanted, slanted, slanted},
         {0, 0},
         zUp * glm::translate(kIdentity, glm::vec3(1, 2, 3))},
        {"one.gltf",
         {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}},
         {0, 0},
         glm::translate(kIdentity, glm::vec3(5, 6, 7))},
    };
    for (const Expected& expected : cases) {
        SCOPED_TRACE(expected.name);
        Model* model = loadModel(expected.name);
        const MeshBuffers& buffers = *model->mesh->buffers;
        const size_t count = expected.normals.size();
        EXPECT_EQ(buffers.indexCount, count == 6 ? 6u : 3u);
        const std::vector<glm::vec3> normals = readBuffer<glm::vec3>(buffers.normalBuffer, count);
        const std::vector<glm::vec2> uvs = readBuffer<glm::vec2>(buffers.texCoordBuffer, count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_LT(glm::length(normals[i] - expected.normals[i]), 1e-5f) << i;
            EXPECT_EQ(uvs[i], expected.texCoord) << i;
        }
        EXPECT_THAT(model->instances, ElementsAre(expected.placement));
        releaseModel(model);
    }
}

TEST(LevelCheck, ListsEveryFileTheGameLoadsAndWhyItWouldRefuseOne) {
    Sandbox sandbox;
    const std::string meshes = "Resources/Meshes/";
    sandbox.write("Resources/Textures/Textures", "stone.png\n");
    sandbox.write(meshes + "Meshes", "good.dae\nlines.obj\n");
    sandbox.write(meshes + "good.dae", dae({kIdentity, kIdentity}, "stone.png"));
    sandbox.write(meshes + "lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n");
    for (const char* name :
         {"test.dae", "npcHead.dae", "rotfaces.dae", "drugs3.dae", "Mixtable.dae"}) {
        sandbox.write(meshes + name, dae({kIdentity}));
    }
    for (const char* name : {"waterplane.obj", "collision.obj"}) {
        sandbox.write(meshes + name, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 4 3\n");
    }
    std::string output;
    EXPECT_EQ(
        runCommand(std::string(MORBANE_LEVELCHECK) + " " + sandbox.path("Resources"), &output), 1);
    // Column padding aside.
    for (size_t at = output.find("  "); at != std::string::npos; at = output.find("  ", at)) {
        output.erase(at, 1);
    }
    const std::string untextured =
        " texture rock.png (not in the texture list: drawn untextured)\n";
    const std::string one = " 3 vertices 1 triangles 1 placements" + untextured;
    EXPECT_EQ(output,
              "good.dae 3 vertices 1 triangles 2 placements texture stone.png\n"
              "lines.obj REFUSED: the mesh has no triangle, only points or lines or nothing\n"
              "waterplane.obj 4 vertices 2 triangles 1 placements\n"
              "test.dae" +
                  one + "npcHead.dae" + one + "rotfaces.dae" + one + "drugs3.dae" + one +
                  "drugs3.dae REFUSED: fewer than three placements, one for each medicine\n"
                  "Mixtable.dae" +
                  one +
                  "collision.obj 4 vertices 2 triangles raw coordinates, not drawn\n"
                  "9 files, 2 refused\n");
}

// Back faces culled, additive blending: blue counts how often a pixel is covered (64 each
// time), red and green carry the texture coordinate.
const char* const kQuadShaders[2] = {
    "#version 400 core\nlayout(location = 0) in vec2 p;\nlayout(location = 1) in vec2 t;\n"
    "out vec2 uv;\nvoid main() { uv = t; gl_Position = vec4(p, 0.0, 1.0); }\n",
    "#version 400 core\nin vec2 uv;\nout vec4 c;\n"
    "void main() { c = vec4(uv, 64.0 / 255.0, 0.0); }\n"};

struct SceneLoad : MeshImport {
    Scene scene;

    void TearDown() override {
        releaseScene(scene);
        for (ScreenQuad* slot : gameState().inventorySlots) {
            releaseScreenQuad(slot);
        }
        releaseTextures();
        gameState() = GameState{};
        MeshImport::TearDown();
    }

    // Draws the quad alone with back faces culled and additive blending: inside the rectangle
    // (one pixel of margin) every pixel is covered once (blue 64) with the texture coordinate
    // (red, green) running from (0, 0) at the bottom-left. Its corners are the quad's four
    // vertices, so nothing outside can be covered without spoiling that.
    void expectCoversOnce(const ScreenQuad& quad, glm::vec2 lo, glm::vec2 hi) {
        ShaderProgram* shader = createShaderProgram(kShaderFolder, "quad");
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(shader->program);
        glBindVertexArray(quad.vertexArray);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        releaseShaderProgram(shader);
        const std::vector<unsigned char> rgba = readPixels(gl.width, gl.height);
        lo = (lo + 1.0f) * 100.0f; // window pixels
        hi = (hi + 1.0f) * 100.0f;
        for (int i = 0; i < gl.width * gl.height; ++i) {
            const glm::vec2 centre(i % gl.width + 0.5f, i / gl.width + 0.5f);
            const glm::vec3 colour(rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]);
            if (glm::all(glm::greaterThan(centre, lo + 1.0f)) &&
                glm::all(glm::lessThan(centre, hi - 1.0f))) {
                const glm::vec3 expected((centre - lo) / (hi - lo) * 255.0f, 64.0f);
                ASSERT_LE(glm::compMax(glm::abs(colour - expected)), 3.0f)
                    << centre.x << ", " << centre.y;
            }
        }
    }
};

TEST_F(SceneLoad, AnEmptyMeshListGivesTheSpecialModelsWaterLightCameraAndQuadsReleasedAfter) {
    gameState() = GameState{};
    sandbox.write("Resources/Textures/Textures", "pills.png\n");
    sandbox.linkShipped("Resources/Textures/pills.png");
    sandbox.write("Resources/Shaders/quad.vert", kQuadShaders[0]);
    sandbox.write("Resources/Shaders/quad.frag", kQuadShaders[1]);
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
    EXPECT_EQ(scene.water->bounds->corners[0].y, 13.808329f);
    EXPECT_EQ(scene.water->mesh->buffers->indexCount, 6u);

    ASSERT_EQ(scene.lights.size(), 1u);
    const Light& light = *scene.lights[0];
    // The quadratic term's bits are 0x3A91A2A2.
    EXPECT_EQ(
        std::tie(light.position, light.constant, light.linear, light.quadratic, light.ambColor),
        std::make_tuple(glm::vec3(3), 1.0f, 0.0f, 0.001111109f, glm::vec3(1)));

    EXPECT_EQ(scene.freeCamera->camera->aspect, 1.7777778f);
    // The field of view is taken in radians: about 58.3 degrees on screen, not 45.
    EXPECT_EQ(scene.freeCamera->camera->projection,
              glm::perspective(45.0f, 1280.0f / 720.0f, 0.1f, 100.0f));

    const std::vector<ScreenQuad*>& slots = gameState().inventorySlots;
    ASSERT_EQ(slots.size(), 3u);
    const float bottoms[3] = {0.7f, 0.36f, 0.02f};
    for (int i = 0; i < 3; ++i) {
        expectCoversOnce(*slots[i], glm::vec2(0.75f, bottoms[i]),
                         glm::vec2(0.99f, bottoms[i] + 0.29f));
    }
    expectCoversOnce(*scene.screenQuad, glm::vec2(-1), glm::vec2(1));

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
}

} // namespace
