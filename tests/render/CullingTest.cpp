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

const glm::mat4 kIdentity(1.0f);

glm::mat4 at(float x, float y, float z) {
    return glm::translate(kIdentity, glm::vec3(x, y, z));
}

bool boxVisible(const Camera& camera, const glm::vec3& lo, const glm::vec3& hi,
                const glm::mat4& model = kIdentity) {
    BoundingBox* box = makeBoundingBox(hi, lo, kIdentity);
    const bool visible = isVisible(camera, *box, model);
    delete box;
    return visible;
}

// The camera at the origin looking down -z: at distance 10 the view reaches about 5.6 up and
// 7.4 to each side.
const Camera kCamera = cameraAt(glm::vec3(0), glm::vec3(0, 0, -1));

struct CullingScene {
    Scene scene;
    ~CullingScene() {
        for (Model* model : scene.models) {
            releaseBoxModel(model);
        }
        if (scene.drugs != nullptr) {
            releaseBoxModel(scene.drugs->model);
            delete scene.drugs;
        }
    }
};

} // namespace

TEST(IsVisible, OnlyBoxesWhollyBeyondOneSideAreCulled) {
    EXPECT_TRUE(boxVisible(kCamera, glm::vec3(-1, -1, -11), glm::vec3(1, 1, -9)));
    EXPECT_TRUE(boxVisible(kCamera, glm::vec3(6, -1, -11), glm::vec3(10, 1, -9)))
        << "partly past the right edge";
    EXPECT_TRUE(boxVisible(kCamera, glm::vec3(-50), glm::vec3(50))) << "around the camera";
    EXPECT_FALSE(boxVisible(kCamera, glm::vec3(-1, -1, 5), glm::vec3(1, 1, 10))) << "behind";
    EXPECT_FALSE(boxVisible(kCamera, glm::vec3(20, -1, -11), glm::vec3(25, 1, -9))) << "right";
    EXPECT_FALSE(boxVisible(kCamera, glm::vec3(-1, 9, -11), glm::vec3(1, 12, -9))) << "above";
    EXPECT_FALSE(boxVisible(kCamera, glm::vec3(-1, -1, -130), glm::vec3(1, 1, -110)))
        << "beyond the far plane";
    // Out of view beyond the far right corner (the view reaches 74 to the side at the far
    // plane), but no single side has all eight corners beyond it: the test keeps it.
    EXPECT_TRUE(boxVisible(kCamera, glm::vec3(80, -1, -200), glm::vec3(200, 1, -90)));
}

TEST(IsVisible, TheModelMatrixPlacesTheBox) {
    const glm::vec3 lo(-1, -1, 5);
    const glm::vec3 hi(1, 1, 10);
    const glm::mat4 turned = glm::rotate(kIdentity, glm::radians(180.0f), glm::vec3(0, 1, 0));
    EXPECT_TRUE(boxVisible(kCamera, lo, hi, turned));
    EXPECT_FALSE(boxVisible(kCamera, glm::vec3(-1, -1, -11), glm::vec3(1, 1, -9), at(40, 0, 0)));
    // The camera moved along with the box sees it again.
    const Camera moved = cameraAt(glm::vec3(40, 0, 0), glm::vec3(0, 0, -1));
    EXPECT_TRUE(boxVisible(moved, glm::vec3(-1, -1, -11), glm::vec3(1, 1, -9), at(40, 0, 0)));
}

TEST(BuildDrawList, KeepsTheVisiblePlacementsOfEachModelInSceneOrderAndTheDrugsLast) {
    CullingScene fixture;
    Scene& scene = fixture.scene;
    // The transform lifts every placement by 1; the list keeps the placements themselves.
    Model* rocks =
        boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, -10), at(60, 0, -10), at(2, 0, -20)});
    rocks->transform = at(0, 1, 0);
    Model* hidden = boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, -10)});
    hidden->visible = false;
    Model* behind = boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, 10)});
    Model* tree = boxModel(glm::vec3(-1), glm::vec3(1), {at(-3, 0, -15)});
    scene.models = {rocks, hidden, behind, tree};
    // The drugs are tested by their own matrices: the shared model's transform would push
    // them out of view, but it only travels along as the entry's transform.
    scene.drugs = new DrugSet;
    scene.drugs->model = boxModel(glm::vec3(-0.5f), glm::vec3(0.5f), {});
    scene.drugs->model->transform = at(0, 500, 0);
    scene.drugs->transforms = {at(1, 0, -5), at(0, 0, 30)};

    DrawList list;
    list.visibleCount = 99;
    buildDrawList(list, scene, kCamera);

    ASSERT_EQ(list.size(), 3u);
    EXPECT_THAT(list.meshes, ElementsAre(rocks->mesh, tree->mesh, scene.drugs->model->mesh));
    EXPECT_THAT(list.instances(0), ElementsAre(at(0, 0, -10), at(2, 0, -20)));
    EXPECT_THAT(list.instances(1), ElementsAre(at(-3, 0, -15)));
    EXPECT_THAT(list.instances(2), ElementsAre(at(1, 0, -5)));
    EXPECT_THAT(list.entryTransforms, ElementsAre(at(0, 1, 0), kIdentity, at(0, 500, 0)));
    EXPECT_EQ(list.visibleCount, 4u);

    // A placement the transform alone carries out of view is culled.
    rocks->transform = at(0, 40, 0);
    buildDrawList(list, scene, kCamera);
    EXPECT_THAT(list.meshes, ElementsAre(tree->mesh, scene.drugs->model->mesh));
    EXPECT_EQ(list.visibleCount, 2u);

    // Nothing in view: an empty list, counted 0.
    const Camera away = cameraAt(glm::vec3(0, 0, 500), glm::vec3(0, 0, 1));
    buildDrawList(list, scene, away);
    EXPECT_EQ(list.size(), 0u);
    EXPECT_TRUE(list.entryTransforms.empty());
    EXPECT_EQ(list.visibleCount, 0u);
}

TEST(BuildDrawList, RefillingKeepsTheStorageOfEveryList) {
    CullingScene fixture;
    Scene& scene = fixture.scene;
    for (int i = 0; i < 6; ++i) {
        scene.models.push_back(
            boxModel(glm::vec3(-1), glm::vec3(1), {at(0, 0, -10), at(1, 1, -12), at(-1, 0, -14)}));
    }
    DrawList list;
    buildDrawList(list, scene, kCamera);
    ASSERT_EQ(list.size(), 6u);
    std::vector<const glm::mat4*> storage;
    for (size_t i = 0; i < list.size(); ++i) {
        storage.push_back(list.instances(i).data());
    }
    const Mesh* const* meshStorage = list.meshes.data();
    const glm::mat4* transformStorage = list.entryTransforms.data();

    // A frame with fewer entries, then the full one again: no list moved.
    const Camera away = cameraAt(glm::vec3(0, 0, 500), glm::vec3(0, 0, 1));
    buildDrawList(list, scene, away);
    buildDrawList(list, scene, kCamera);
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list.meshes.data(), meshStorage);
    EXPECT_EQ(list.entryTransforms.data(), transformStorage);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.instances(i).data(), storage[i]) << "entry " << i;
        EXPECT_EQ(list.instances(i).size(), 3u);
    }
}

TEST(ChooseCamera, FollowsTheFreeCameraToggleAndFallsBackWithoutAPlayer) {
    Scene scene;
    FreeCamera freeCamera;
    Camera freeView;
    freeCamera.camera = &freeView;
    scene.freeCamera = &freeCamera;
    GameState state;
    EXPECT_EQ(chooseCamera(scene, state), &freeView) << "no player yet";

    CCT player;
    Camera playerView;
    player.camera = &playerView;
    scene.player = &player;
    EXPECT_EQ(chooseCamera(scene, state), &playerView);
    state.freeCamera = true;
    EXPECT_EQ(chooseCamera(scene, state), &freeView);
}
