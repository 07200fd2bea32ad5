#include <algorithm>
#include <cstring>

#include <FreeImage.h>
#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "Fixtures.h"
#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "assets/Textures.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "physics/Drugs.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const glm::mat4 kIdentity(1.0f);

// Back faces culled, additive blending: blue counts how often a pixel is covered (64 each
// time), red and green carry the texture coordinate.
const char* const kShaders[2] = {
    "#version 400 core\nlayout(location = 0) in vec2 p;\nlayout(location = 1) in vec2 t;\n"
    "out vec2 uv;\nvoid main() { uv = t; gl_Position = vec4(p, 0.0, 1.0); }\n",
    "#version 400 core\nin vec2 uv;\nout vec4 c;\n"
    "void main() { c = vec4(uv, 64.0 / 255.0, 0.0); }\n"};

class SceneLoad : public testing::Test {
  protected:
    GlContext gl{200, 200};
    Sandbox sandbox;
    Scene scene;

    void SetUp() override {
        gameState() = GameState{};
        sandbox.write("Resources/Textures/Textures", "ground.png\n");
        FIBITMAP* image = FreeImage_Allocate(2, 2, 32);
        FreeImage_Save(FIF_PNG, image, sandbox.path("Resources/Textures/ground.png").c_str(), 0);
        FreeImage_Unload(image);
        // The special models tell themselves apart by their number of placements: 1, 2, 3.
        std::string nodes;
        for (const char* name : {"test.dae", "npcHead.dae", "rotfaces.dae"}) {
            nodes += daeNode("n" + std::to_string(nodes.size()), kIdentity, "blob");
            writeMesh(name,
                      colladaFile(daeGeometry("blob", glm::vec3(-1), glm::vec3(1)), nodes, true));
        }
        writeMesh("waterplane.obj", "v -50 13.808329 -50\nv 50 13.808329 -50\nv 50 13.808329 50\n"
                                    "v -50 13.808329 50\nvt 0 0\nvn 0 1 0\n"
                                    "f 1/1/1 4/1/1 3/1/1 2/1/1\n");
    }

    void TearDown() override {
        releaseScene(scene);
        for (ScreenQuad* slot : gameState().inventorySlots) {
            releaseScreenQuad(slot);
        }
        releaseTextures();
        gameState() = GameState{};
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    void writeMesh(const std::string& name, const std::string& text) const {
        sandbox.write("Resources/Meshes/" + name, text);
    }

    void load(const std::string& meshList) {
        writeMesh("Meshes", meshList);
        testing::internal::CaptureStdout();
        Factory factory(1280, 720);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "OK!\n"); // ends the FACTORY line
        factory.loadScene(scene);
    }

    // Draws the quad alone: inside the rectangle (one pixel of margin) every pixel is covered
    // exactly once by front faces, with texture coordinate (0, 0) at the bottom-left; well
    // outside nothing is.
    void expectCoversOnce(const ScreenQuad& quad, glm::vec2 lo, glm::vec2 hi) {
        const GLuint program = glCreateProgram();
        for (GLenum type : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
            const GLuint shader = glCreateShader(type);
            glShaderSource(shader, 1, &kShaders[type == GL_FRAGMENT_SHADER], nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        glBindVertexArray(quad.vertexArray);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        glUseProgram(0);
        glDeleteProgram(program);
        const std::vector<unsigned char> rgba = readPixels(gl.width, gl.height);

        const glm::vec2 low = (lo + 1.0f) * 100.0f; // window pixels
        const glm::vec2 high = (hi + 1.0f) * 100.0f;
        for (int y = 0; y < gl.height; ++y) {
            for (int x = 0; x < gl.width; ++x) {
                const glm::vec2 centre(x + 0.5f, y + 0.5f);
                const unsigned char* pixel = &rgba[(y * gl.width + x) * 4];
                if (glm::all(glm::greaterThan(centre, low + 1.0f)) &&
                    glm::all(glm::lessThan(centre, high - 1.0f))) {
                    ASSERT_EQ(pixel[2], 64) << x << ", " << y;
                    const glm::vec2 uv = (centre - low) / (high - low) * 255.0f;
                    ASSERT_NEAR(pixel[0], uv.x, 3) << x << ", " << y;
                    ASSERT_NEAR(pixel[1], uv.y, 3) << x << ", " << y;
                } else if (glm::any(glm::lessThan(centre, low - 1.0f)) ||
                           glm::any(glm::greaterThan(centre, high + 1.0f))) {
                    ASSERT_EQ(pixel[2], 0) << x << ", " << y;
                }
            }
        }
    }
};

TEST_F(SceneLoad, AnEmptyMeshListLeavesTheThreeSpecialModelsAndStillLoadsTheWater) {
    load("");
    ASSERT_EQ(scene.models.size(), 3u);
    ASSERT_EQ(scene.animatedModels.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const AnimatedModel& animated = *scene.animatedModels[i];
        EXPECT_EQ(animated.model, scene.models[i]);
        EXPECT_EQ(animated.model->instances.size(), i + 1);
        EXPECT_EQ(animated.angle, 0.0f);
        EXPECT_EQ(animated.angularSpeed, 20.0f);
        EXPECT_EQ(animated.orbitRadius, 4.0f);
        EXPECT_EQ(animated.orbits, i == 0);
    }
    ASSERT_NE(scene.water, nullptr);
    EXPECT_EQ(std::count(scene.models.begin(), scene.models.end(), scene.water), 0);
    EXPECT_EQ(scene.water->bounds->corners[0].y, 13.808329f);
    EXPECT_EQ(scene.water->mesh->buffers->indexCount, 6u);
}

TEST_F(SceneLoad, ListedModelsComeFirstInFileOrderWithTheirTextures) {
    writeMesh("ground.obj", "mtllib ground.mtl\nusemtl g\nv 0 0 0\nv 9 0 0\nv 0 0 9\nvt 0 0\n"
                            "vn 0 1 0\nf 1/1/1 3/1/1 2/1/1\n");
    writeMesh("ground.mtl", "newmtl g\nmap_Kd ground.png\n");
    writeMesh("rocks.dae",
              colladaFile(daeGeometry("rock", glm::vec3(0), glm::vec3(1)),
                          daeNode("a", kIdentity, "rock") + daeNode("b", kIdentity, "rock"), true));
    load("rocks.dae\nground.obj\n");
    ASSERT_EQ(scene.models.size(), 5u);
    EXPECT_EQ(scene.models[0]->instances.size(), 2u);
    EXPECT_EQ(scene.models[1]->mesh->texture, gameState().textureTable.at("ground.png"));
    EXPECT_EQ(scene.models[2], scene.animatedModels[0]->model);
}

TEST_F(SceneLoad, TheOneLightAndTheFreeCameraHaveTheirValues) {
    load("");
    ASSERT_EQ(scene.lights.size(), 1u);
    const Light& light = *scene.lights[0];
    EXPECT_EQ(light.position, glm::vec3(3, 3, 3));
    EXPECT_EQ(light.constant, 1.0f);
    EXPECT_EQ(light.linear, 0.0f);
    uint32_t bits = 0;
    std::memcpy(&bits, &light.quadratic, sizeof bits);
    EXPECT_EQ(bits, 0x3A91A2A2u);
    EXPECT_EQ(light.ambColor, glm::vec3(1, 1, 1));

    const Camera& camera = *scene.freeCamera->camera;
    EXPECT_TRUE(scene.freeCamera->active);
    EXPECT_EQ(camera.aspect, 1.7777778f);
    EXPECT_EQ(camera.projection, glm::perspective(45.0f, 1280.0f / 720.0f, 0.1f, 100.0f));
    EXPECT_EQ(camera.position, glm::vec4(4, 4, 4, 1));
    FreeCamera* other = createFreeCamera(1024, 768);
    EXPECT_EQ(other->camera->aspect, 1.3333334f);
    releaseFreeCamera(other);
}

TEST_F(SceneLoad, InventorySlotsStackDownTheRightEdgeAndCoverTheirRectangles) {
    load("");
    const std::vector<ScreenQuad*>& slots = gameState().inventorySlots;
    ASSERT_EQ(slots.size(), 3u);
    EXPECT_THAT(readFloats(slots[0]->positionBuffer, 8),
                ElementsAre(0.75f, 0.7f, 0.99f, 0.99f, 0.75f, 0.99f, 0.99f, 0.7f));
    const float bottoms[3] = {0.7f, 0.36f, 0.02f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(slots[i]->texture, 0u);
        EXPECT_THAT(readIndices(slots[i]->indexBuffer, 6), ElementsAre(0, 1, 2, 0, 3, 1));
        expectCoversOnce(*slots[i], glm::vec2(0.75f, bottoms[i]),
                         glm::vec2(0.99f, bottoms[i] + 0.29f));
    }
}

TEST_F(SceneLoad, TheFullScreenQuadCoversTheViewportOnce) {
    load("");
    EXPECT_THAT(readIndices(scene.screenQuad->indexBuffer, 6), ElementsAre(0, 2, 1, 0, 3, 2));
    expectCoversOnce(*scene.screenQuad, glm::vec2(-1), glm::vec2(1));
}

TEST_F(SceneLoad, ReleaseSceneDeletesWhatTheSceneOwnsButNotTheDrugRecords) {
    load("");
    Drug drug; // belongs to the physics side; freeing it would trip the sanitizer
    scene.drugs = new DrugSet;
    scene.drugs->model = loadModel("npcHead.dae");
    scene.drugs->drugs.push_back(&drug);
    std::vector<GLuint> names;
    for (const Model* model : scene.models) {
        names.push_back(model->mesh->buffers->vertexArray);
    }
    names.push_back(scene.water->mesh->buffers->vertexArray);
    names.push_back(scene.drugs->model->mesh->buffers->vertexArray);
    names.push_back(scene.screenQuad->vertexArray);

    releaseScene(scene);
    for (GLuint name : names) {
        EXPECT_FALSE(glIsVertexArray(name)) << name;
    }
    EXPECT_THAT(scene.models, IsEmpty());
    EXPECT_THAT(scene.lights, IsEmpty());
    EXPECT_THAT(scene.animatedModels, IsEmpty());
    EXPECT_EQ(scene.freeCamera, nullptr);
    EXPECT_EQ(scene.drugs, nullptr);
    // The slots belong to the Game's teardown.
    EXPECT_TRUE(glIsVertexArray(gameState().inventorySlots[0]->vertexArray));
}

} // namespace
