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

constexpr float kWaterHeight = 13.808329f;
const glm::mat4 kIdentity(1.0f);

// Draws what a quad's vertex array holds with back faces culled and additive blending: blue
// counts how often a pixel was covered (64 per time), red and green carry the texture
// coordinate.
const char* const kVertexShader = "#version 400 core\n"
                                  "layout(location = 0) in vec2 position;\n"
                                  "layout(location = 1) in vec2 texCoord;\n"
                                  "out vec2 uv;\n"
                                  "void main() { uv = texCoord; gl_Position = vec4(position, "
                                  "0.0, 1.0); }\n";
const char* const kFragmentShader = "#version 400 core\n"
                                    "in vec2 uv;\n"
                                    "out vec4 colour;\n"
                                    "void main() { colour = vec4(uv, 64.0 / 255.0, 0.0); }\n";

GLuint compileProgram() {
    const GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, kVertexShader},
                                std::pair{GL_FRAGMENT_SHADER, kFragmentShader}}) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    return program;
}

struct Pixel {
    int u, v, coverage;
};

class SceneLoad : public testing::Test {
  protected:
    GlContext gl{200, 200};
    Sandbox sandbox;
    Scene scene;

    void SetUp() override {
        gameState() = GameState{};
        sandbox.write("Resources/Textures/Textures", "ground.png\n");
        FIBITMAP* image = FreeImage_Allocate(2, 2, 32);
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, image,
                                   sandbox.path("Resources/Textures/ground.png").c_str(), 0));
        FreeImage_Unload(image);

        // The special models tell themselves apart by their number of placements.
        const DaeGeometry blob = triangleGeometry("blob", glm::vec3(-1), glm::vec3(1));
        std::string nodes;
        const char* const names[3] = {"test.dae", "npcHead.dae", "rotfaces.dae"};
        for (const char* name : names) {
            nodes += daeNode(std::string("n") + std::to_string(nodes.size()), kIdentity, "blob");
            writeMesh(name, colladaFile({blob}, nodes, true));
        }
        writeMesh("waterplane.obj", "v -50 13.808329 -50\nv 50 13.808329 -50\n"
                                    "v 50 13.808329 50\nv -50 13.808329 50\n"
                                    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 1 0\n"
                                    "f 1/1/1 4/4/1 3/3/1 2/2/1\n");
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

    void load(const std::string& meshList, int32_t width = 1280, int32_t height = 720) {
        writeMesh("Meshes", meshList);
        testing::internal::CaptureStdout();
        Factory factory(width, height);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "OK!\n");
        EXPECT_EQ(factory.width, width);
        EXPECT_EQ(factory.height, height);
        factory.loadScene(scene);
    }

    // Renders the quad alone and reads the window back.
    std::vector<Pixel> render(const ScreenQuad& quad) {
        const GLuint program = compileProgram();
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
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);

        const std::vector<unsigned char> rgba = readPixels(gl.width, gl.height);
        std::vector<Pixel> pixels;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            pixels.push_back({rgba[i], rgba[i + 1], rgba[i + 2]});
        }
        return pixels;
    }

    // Every pixel inside the NDC rectangle (one pixel of margin) is covered exactly once by
    // front faces, every pixel well outside not at all; the texture coordinate grows from
    // (0, 0) at the bottom-left corner.
    void expectCoversOnce(const ScreenQuad& quad, glm::vec2 lo, glm::vec2 hi) {
        const std::vector<Pixel> pixels = render(quad);
        auto column = [this](float ndc) { return (ndc + 1.0f) * 0.5f * gl.width; };
        int inside = 0;
        for (int y = 0; y < gl.height; ++y) {
            for (int x = 0; x < gl.width; ++x) {
                const Pixel& p = pixels[y * gl.width + x];
                const float cx = x + 0.5f;
                const float cy = y + 0.5f;
                if (cx > column(lo.x) + 1 && cx < column(hi.x) - 1 && cy > column(lo.y) + 1 &&
                    cy < column(hi.y) - 1) {
                    ++inside;
                    ASSERT_EQ(p.coverage, 64) << "pixel " << x << ", " << y;
                    const float u = (cx - column(lo.x)) / (column(hi.x) - column(lo.x));
                    const float v = (cy - column(lo.y)) / (column(hi.y) - column(lo.y));
                    EXPECT_NEAR(p.u, u * 255, 3) << "pixel " << x << ", " << y;
                    EXPECT_NEAR(p.v, v * 255, 3) << "pixel " << x << ", " << y;
                } else if (cx < column(lo.x) - 1 || cx > column(hi.x) + 1 ||
                           cy < column(lo.y) - 1 || cy > column(hi.y) + 1) {
                    ASSERT_EQ(p.coverage, 0) << "pixel " << x << ", " << y;
                }
            }
        }
        EXPECT_GT(inside, 0);
    }
};

TEST_F(SceneLoad, AnEmptyMeshListLeavesTheThreeSpecialModelsAndStillLoadsTheWater) {
    load("");
    ASSERT_EQ(scene.models.size(), 3u);
    ASSERT_EQ(scene.animatedModels.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const AnimatedModel& animated = *scene.animatedModels[i];
        EXPECT_EQ(animated.model, scene.models[i]);
        EXPECT_EQ(animated.model->instances.size(), i + 1) << "file order";
        EXPECT_EQ(animated.angle, 0.0f);
        EXPECT_EQ(animated.angularSpeed, 20.0f);
        EXPECT_EQ(animated.orbitRadius, 4.0f);
        EXPECT_EQ(animated.orbits, i == 0);
    }
    // A Z_UP file whose child is the identity places its mesh with the -90 degree turn.
    const glm::mat4 zUp = glm::rotate(kIdentity, glm::radians(-90.0f), glm::vec3(1, 0, 0));
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(scene.models[0]->instances[0][c][r], zUp[c][r], 1e-6f);
        }
    }

    ASSERT_NE(scene.water, nullptr);
    EXPECT_EQ(std::count(scene.models.begin(), scene.models.end(), scene.water), 0);
    EXPECT_EQ(scene.water->bounds->corners[0].y, kWaterHeight);
    EXPECT_EQ(scene.water->bounds->corners[7].y, kWaterHeight);
    EXPECT_EQ(scene.water->mesh->buffers->indexCount, 6u);
    EXPECT_EQ(scene.player, nullptr);
    EXPECT_EQ(scene.drugs, nullptr);
}

TEST_F(SceneLoad, ListedModelsComeFirstInFileOrder) {
    writeMesh("ground.obj", "mtllib ground.mtl\nusemtl g\nv 0 0 0\nv 9 0 0\nv 0 0 9\nvt 0 0\n"
                            "vn 0 1 0\nf 1/1/1 3/1/1 2/1/1\n");
    writeMesh("ground.mtl", "newmtl g\nmap_Kd ground.png\n");
    writeMesh("rocks.dae",
              colladaFile({triangleGeometry("rock", glm::vec3(0), glm::vec3(1))},
                          daeNode("a", kIdentity, "rock") + daeNode("b", kIdentity, "rock"), true));
    load("rocks.dae\nground.obj\n");

    ASSERT_EQ(scene.models.size(), 5u);
    EXPECT_EQ(scene.models[0]->instances.size(), 2u);
    EXPECT_EQ(scene.models[0]->mesh->texture, 0u);
    EXPECT_EQ(scene.models[1]->bounds->corners[1], glm::vec4(9, 0, 9, 1));
    EXPECT_EQ(scene.models[1]->mesh->texture, gameState().textureTable.at("ground.png"));
    EXPECT_EQ(scene.models[2], scene.animatedModels[0]->model);
    EXPECT_EQ(scene.models[4], scene.animatedModels[2]->model);
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

    ASSERT_NE(scene.freeCamera, nullptr);
    EXPECT_TRUE(scene.freeCamera->active);
    const Camera& camera = *scene.freeCamera->camera;
    EXPECT_EQ(camera.aspect, 1.7777778f);
    EXPECT_EQ(camera.nearPlane, 0.1f);
    EXPECT_EQ(camera.farPlane, 100.0f);
    EXPECT_EQ(camera.fieldOfView, 45.0f);
    EXPECT_EQ(camera.position, glm::vec4(4, 4, 4, 1));
    EXPECT_EQ(camera.front, glm::vec4(0, 0, -1, 1));
}

TEST_F(SceneLoad, TheFreeCameraTakesItsAspectFromTheFactorysSize) {
    load("", 1024, 768);
    EXPECT_EQ(scene.freeCamera->camera->aspect, 1.3333334f);
    EXPECT_EQ(scene.freeCamera->camera->projection,
              glm::perspective(45.0f, 1024.0f / 768.0f, 0.1f, 100.0f));
}

TEST_F(SceneLoad, InventorySlotsStackDownTheRightEdgeAndCoverTheirRectangles) {
    load("");
    const std::vector<ScreenQuad*>& slots = gameState().inventorySlots;
    ASSERT_EQ(slots.size(), 3u);
    EXPECT_THAT(readBuffer<float>(slots[0]->positionBuffer, 8),
                ElementsAre(0.75f, 0.7f, 0.99f, 0.99f, 0.75f, 0.99f, 0.99f, 0.7f));
    EXPECT_THAT(readBuffer<float>(slots[1]->positionBuffer, 8),
                ElementsAre(0.75f, 0.36f, 0.99f, 0.65f, 0.75f, 0.65f, 0.99f, 0.36f));
    EXPECT_THAT(readBuffer<float>(slots[2]->positionBuffer, 8),
                ElementsAre(0.75f, 0.02f, 0.99f, 0.31f, 0.75f, 0.31f, 0.99f, 0.02f));
    const float bottoms[3] = {0.7f, 0.36f, 0.02f};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(slots[i]->texture, 0u);
        EXPECT_THAT(readBuffer<uint32_t>(slots[i]->indexBuffer, 6), ElementsAre(0, 1, 2, 0, 3, 1));
        expectCoversOnce(*slots[i], glm::vec2(0.75f, bottoms[i]),
                         glm::vec2(0.99f, bottoms[i] + 0.29f));
    }
}

TEST_F(SceneLoad, TheFullScreenQuadCoversTheViewportOnce) {
    load("");
    ASSERT_NE(scene.screenQuad, nullptr);
    EXPECT_THAT(readBuffer<uint32_t>(scene.screenQuad->indexBuffer, 6),
                ElementsAre(0, 2, 1, 0, 3, 2));
    expectCoversOnce(*scene.screenQuad, glm::vec2(-1), glm::vec2(1));
}

TEST_F(SceneLoad, ReleaseSceneDeletesWhatTheSceneOwnsButNotTheDrugRecords) {
    load("");
    Drug drug; // a physics-side record: releaseScene must not free it
    scene.drugs = new DrugSet;
    scene.drugs->model = loadModel("npcHead.dae");
    scene.drugs->drugs.push_back(&drug);
    scene.drugs->transforms.push_back(kIdentity);

    std::vector<GLuint> vertexArrays;
    for (const Model* model : scene.models) {
        vertexArrays.push_back(model->mesh->buffers->vertexArray);
    }
    vertexArrays.push_back(scene.water->mesh->buffers->vertexArray);
    vertexArrays.push_back(scene.drugs->model->mesh->buffers->vertexArray);
    vertexArrays.push_back(scene.screenQuad->vertexArray);
    for (GLuint name : vertexArrays) {
        ASSERT_TRUE(glIsVertexArray(name)) << name;
    }

    releaseScene(scene);
    for (GLuint name : vertexArrays) {
        EXPECT_FALSE(glIsVertexArray(name)) << name;
    }
    EXPECT_THAT(scene.models, IsEmpty());
    EXPECT_THAT(scene.lights, IsEmpty());
    EXPECT_THAT(scene.animatedModels, IsEmpty());
    EXPECT_EQ(scene.freeCamera, nullptr);
    EXPECT_EQ(scene.drugs, nullptr);
    EXPECT_EQ(scene.water, nullptr);
    EXPECT_EQ(scene.screenQuad, nullptr);
    // The slots belong to the Game's teardown, not to the Scene.
    EXPECT_TRUE(glIsVertexArray(gameState().inventorySlots[0]->vertexArray));
}

} // namespace
