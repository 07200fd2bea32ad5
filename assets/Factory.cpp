#include "assets/Factory.h"

#include "app/Console.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "assets/NameList.h"
#include "assets/Scene.h"
#include "assets/Textures.h"
#include "gameplay/FreeCamera.h"

namespace {

// Three slots at the right edge, top to bottom; corners bottom-left, top-right, top-left,
// bottom-right.
const glm::vec2 kSlotPositions[3][4] = {
    {{0.75f, 0.7f}, {0.99f, 0.99f}, {0.75f, 0.99f}, {0.99f, 0.7f}},
    {{0.75f, 0.36f}, {0.99f, 0.65f}, {0.75f, 0.65f}, {0.99f, 0.36f}},
    {{0.75f, 0.02f}, {0.99f, 0.31f}, {0.75f, 0.31f}, {0.99f, 0.02f}},
};
const glm::vec2 kSlotTexCoords[4] = {{0, 0}, {1, 1}, {0, 1}, {1, 0}};
const uint32_t kSlotIndices[6] = {0, 1, 2, 0, 3, 1};

const glm::vec2 kScreenPositions[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
const glm::vec2 kScreenTexCoords[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
const uint32_t kScreenIndices[6] = {0, 2, 1, 0, 3, 2};

// The models the game rules animate; only the first circles the player.
const char* const kAnimatedNames[3] = {"test.dae", "npcHead.dae", "rotfaces.dae"};

} // namespace

Factory::Factory(int32_t newWidth, int32_t newHeight) {
    loadTextures();
    width = newWidth;
    height = newHeight;
    logOk();
}

void Factory::loadScene(Scene& scene) {
    loadMeshList(meshLoader().folder, "Meshes", scene);
    createInventorySlots();

    for (const char* name : kAnimatedNames) {
        AnimatedModel* animated = new AnimatedModel;
        animated->model = loadModel(name);
        animated->angle = 0.0f;
        animated->angularSpeed = 20.0f;
        animated->orbitRadius = 4.0f;
        animated->orbits = name == kAnimatedNames[0];
        scene.models.push_back(animated->model);
        scene.animatedModels.push_back(animated);
    }

    scene.freeCamera = createFreeCamera(width, height);

    Light* light = new Light;
    light->position = glm::vec3(3, 3, 3);
    light->constant = 1.0f;
    light->linear = 0.0f;
    light->quadratic = 0.001111109f;
    light->ambColor = glm::vec3(1, 1, 1);
    scene.lights.push_back(light);

    scene.screenQuad = createScreenQuad(kScreenPositions, kScreenTexCoords, kScreenIndices);
}

void Factory::loadMeshList(const std::string& folder, const std::string& listName, Scene& scene) {
    for (const std::string& name : readNameList(folder, listName)) {
        scene.models.push_back(loadModel(name));
    }
    scene.water = loadModel("waterplane.obj");
}

void Factory::createInventorySlots() {
    for (const auto& positions : kSlotPositions) {
        gameState().inventorySlots.push_back(
            createScreenQuad(positions, kSlotTexCoords, kSlotIndices));
    }
}
