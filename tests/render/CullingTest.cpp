#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "RenderSupport.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "gameplay/FreeCamera.h"
#include "physics/CCT.h"
#include "physics/Drugs.h"
#include "render/Culling.h"

using testing::ElementsAre;

namespace {

glm::mat4 at(float x, float y, float z) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

// At the origin looking down -z: at distance 10 the view reaches about 5.6 up and 7.4 aside.
const Camera kCamera = cameraAt(glm::vec3(0), glm::vec3(0, 0, -1));
const Camera kAway = cameraAt(glm::vec3(0, 0, 500), glm::vec3(0, 0, 1));

bool boxVisible(const glm::vec3& lo, const glm::vec3& hi, const glm::mat4& model = at(0, 0, 0)) {
    Model* box = boxModel(lo, hi, {});
    const bool visible = isVisible(kCamera, *box->bounds, model);
    releaseBoxModel(box);
    return visible;
}

struct OwnedScene : Scene {
    ~OwnedScene() {
        for (Model* model : models) {
            releaseBoxModel(model);
        }
        if (drugs != nullptr) {
            releaseBoxModel(drugs->model);
            delete drugs;
        }
    }
};

} // namespace

TEST(IsVisible, CullsOnlyBoxesWhollyBeyondOneSide) {
    EXPECT_TRUE(boxVisible(glm::vec3(-1, -1, -11), glm::vec3(1, 1, -9)));
    EXPECT_TRUE(boxVisible(glm::vec3(6, -1, -11), glm::vec3(10, 1, -9))) << "partly in view";
    EXPECT_TRUE(boxVisible(glm::vec3(-50), glm::vec3(50))) << "around the camera";
    EXPECT_FALSE(boxVisible(glm::vec3(-1, -1, 5), glm::vec3(1, 1, 10))) << "behind";
    EXPECT_FALSE(boxVisible(glm::vec3(20, -1, -11), glm::vec3(25, 1, -9))) << "right";
    EXPECT_FALSE(boxVisible(glm::vec3(-1, 9, -11), glm::vec3(1, 12, -9))) << "above";
    EXPECT_FALSE(boxVisible(glm::vec3(-1, -1, -130), glm::vec3(1, 1, -110))) << "too far";
    // Out of view beyond the far right corner (the view is 74 wide each side there), but no
    // single side has all eight corners beyond it: kept.
    EXPECT_TRUE(boxVisible(glm::vec3(80, -1, -200), glm::vec3(200, 1, -90)));
    // The model matrix places the box: turned round, the box behind comes into view.
    EXPECT_TRUE(boxVisible(glm::vec3(-1, -1, 5), glm::vec3(1, 1, 10),
                           glm::rotate(at(0, 0, 0), glm::radians(180.0f), glm::vec3(0, 1, 0))));
    EXPECT_FALSE(boxVisible(glm::vec3(-1, -1, -11), glm::vec3(1, 1, -9), at(40, 0, 0)));
}

TEST(BuildDrawList, KeepsTheVisiblePlacementsPerModelInSceneOrderWithTheDrugsLast) {
    OwnedScene scene;
    // The transform lifts every placement by 1; the list keeps the placements themselves.
    Model* rocks =
        boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, -10), at(60, 0, -10), at(2, 0, -20)});
    rocks->transform = at(0, 1, 0);
    Model* hidden = boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, -10)});
    hidden->visible = false;
    Model* behind = boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, 10)});
    Model* tree = boxModel(glm::vec3(-1), glm::vec3(1), {at(-3, 0, -15)});
    scene.models = {rocks, hidden, behind, tree};
    // Drugs are culled by their own matrices; the shared transform only travels along.
    scene.drugs = new DrugSet;
    scene.drugs->model = boxModel(glm::vec3(-0.5f), glm::vec3(0.5f), {});
    scene.drugs->model->transform = at(0, 500, 0);
    scene.drugs->transforms = {at(1, 0, -5), at(0, 0, 30)};

    DrawList list;
    buildDrawList(list, scene, kCamera);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_THAT(list.meshes, ElementsAre(rocks->mesh, tree->mesh, scene.drugs->model->mesh));
    EXPECT_THAT(list.instances(0), ElementsAre(at(0, 0, -10), at(2, 0, -20)));
    EXPECT_THAT(list.instances(1), ElementsAre(at(-3, 0, -15)));
    EXPECT_THAT(list.instances(2), ElementsAre(at(1, 0, -5)));
    EXPECT_THAT(list.entryTransforms, ElementsAre(at(0, 1, 0), at(0, 0, 0), at(0, 500, 0)));
    EXPECT_EQ(list.visibleCount, 4u);

    rocks->transform = at(0, 40, 0); // now the transform alone carries the rocks out of view
    buildDrawList(list, scene, kCamera);
    EXPECT_THAT(list.meshes, ElementsAre(tree->mesh, scene.drugs->model->mesh));
    EXPECT_EQ(list.visibleCount, 2u);

    buildDrawList(list, scene, kAway);
    EXPECT_EQ(list.size(), 0u);
    EXPECT_TRUE(list.entryTransforms.empty());
    EXPECT_EQ(list.visibleCount, 0u);
}

TEST(BuildDrawList, RefillingKeepsTheStorageOfEveryList) {
    OwnedScene scene;
    for (int i = 0; i < 6; ++i) {
        scene.models.push_back(
            boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, -10), at(1, 1, -12), at(-1, 0, -14)}));
    }
    DrawList list;
    buildDrawList(list, scene, kCamera);
    ASSERT_EQ(list.size(), 6u);
    std::vector<const void*> storage = {list.meshes.data(), list.entryTransforms.data()};
    for (size_t i = 0; i < list.size(); ++i) {
        storage.push_back(list.instances(i).data());
    }
    // A frame with nothing in view, then the full one again: no list moved.
    buildDrawList(list, scene, kAway);
    buildDrawList(list, scene, kCamera);
    ASSERT_EQ(list.size(), 6u);
    std::vector<const void*> again = {list.meshes.data(), list.entryTransforms.data()};
    for (size_t i = 0; i < list.size(); ++i) {
        again.push_back(list.instances(i).data());
        EXPECT_EQ(list.instances(i).size(), 3u);
    }
    EXPECT_EQ(again, storage);
}

TEST(ChooseCamera, FollowsTheFreeCameraToggleAndFallsBackWithoutAPlayer) {
    Scene scene;
    FreeCamera freeCamera;
    Camera freeView;
    Camera playerView;
    freeCamera.camera = &freeView;
    scene.freeCamera = &freeCamera;
    GameState state;
    EXPECT_EQ(chooseCamera(scene, state), &freeView) << "no player yet";
    CCT player;
    player.camera = &playerView;
    scene.player = &player;
    EXPECT_EQ(chooseCamera(scene, state), &playerView);
    state.freeCamera = true;
    EXPECT_EQ(chooseCamera(scene, state), &freeView);
}
