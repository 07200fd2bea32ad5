#include <cmath>

#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "RenderSupport.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "gameplay/FreeCamera.h"
#include "render/Renderer.h"
#include "render/Water.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A green ground under the water and a red pillar standing out of it, under the game's light.
class Frame : public testing::Test {
  protected:
    GlContext gl{kWidth, kHeight};
    RenderSandbox sandbox;
    GameState& state = gameState();
    Scene scene;
    Renderer* renderer = nullptr;

    void SetUp() override {
        state.textureTable["green.png"] = solidTexture(glm::vec3(0.2f, 0.8f, 0.2f));
        state.textureTable["red.png"] = solidTexture(glm::vec3(1.0f, 0.1f, 0.1f));
        writeModel("ground", glm::vec3(-60, 4, -60), glm::vec3(60, 5, 60), "green.png");
        writeModel("pillar", glm::vec3(-3, 5, -23), glm::vec3(3, 30, -17), "red.png");
        sandbox.write("Resources/Meshes/waterplane.obj",
                      "o water\nv -60 13.808329 -60\nv 60 13.808329 -60\nv 60 13.808329 60\n"
                      "v -60 13.808329 60\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 1 0\n"
                      "f 1/1/1 4/4/1 3/3/1 2/2/1\n");
        scene.models = {loadModel("ground.obj"), loadModel("pillar.obj")};
        scene.water = loadModel("waterplane.obj");
        scene.freeCamera = createFreeCamera(kWidth, kHeight);
        Camera& camera = *scene.freeCamera->camera;
        camera.position = glm::vec4(0, 24, 12, 1);
        camera.view = glm::lookAt(glm::vec3(camera.position),
                                  glm::vec3(camera.position) + lookDirection(0.0f, -25.0f),
                                  glm::vec3(0, 1, 0));
        scene.lights.push_back(new Light{glm::vec3(3), 1.0f, 0.0f, 0.001111109f, glm::vec3(1)});
        const glm::vec2 corners[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        const glm::vec2 uv[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        const uint32_t indices[6] = {0, 2, 1, 0, 3, 2};
        scene.screenQuad = createScreenQuad(corners, uv, indices);
        renderer = new Renderer(kWidth, kHeight);
    }

    void TearDown() override {
        delete renderer;
        releaseScene(scene);
        for (const auto& entry : state.textureTable) {
            glDeleteTextures(1, &entry.second);
        }
        state = GameState();
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    void writeModel(const std::string& name, const glm::vec3& lo, const glm::vec3& hi,
                    const std::string& texture) {
        sandbox.write("Resources/Meshes/" + name + ".obj", boxObj(name, lo, hi));
        sandbox.write("Resources/Meshes/" + name + ".mtl", "newmtl surface\nmap_Kd " + texture);
    }

    glm::ivec4 at(const std::vector<unsigned char>& image, const glm::vec3& point) const {
        const Camera& camera = *scene.freeCamera->camera;
        const glm::vec4 clip = camera.projection * camera.view * glm::vec4(point, 1.0f);
        const glm::ivec2 pixel((glm::vec2(clip) / clip.w * 0.5f + 0.5f) *
                               glm::vec2(kWidth, kHeight));
        return pixelAt(image, kWidth, pixel.x, pixel.y);
    }
};

} // namespace

TEST_F(Frame, DrawsTheLitPillarAndItsReflectionInTheWater) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer->render(scene);
    ASSERT_THAT(gl.takeErrors(), IsEmpty());
    const std::vector<unsigned char> image = readPixels(kWidth, kHeight);
    keepPicture("pillar", image, kWidth, kHeight);
    EXPECT_EQ(state.meshCount, 2);

    // Above the water the pillar is seen whole, not clipped at the water's height.
    for (const float height : {15.0f, 20.0f}) {
        const glm::ivec4 pillar = at(image, glm::vec3(0, height, -17));
        EXPECT_GT(pillar.r, 100) << height;
        EXPECT_LT(pillar.g, pillar.r / 3) << height;
    }
    // Its mirror image lies where the reflection of a point of it would be; beside it the
    // water shows the green ground below.
    const glm::ivec4 reflection = at(image, glm::vec3(0, 2 * WATER_HEIGHT - 20, -17));
    const glm::ivec4 water = at(image, glm::vec3(14, WATER_HEIGHT, -17));
    EXPECT_GT(reflection.r, water.r + 30) << "reflection " << reflection.r << " water " << water.r;
    EXPECT_GT(water.g, std::max(water.r, 20));
}
