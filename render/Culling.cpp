#include "render/Culling.h"

#include "app/GameState.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "physics/CCT.h"
#include "physics/Drugs.h"

namespace {

// Culls one model's placements into the next pooled entry; commits the entry only when at
// least one placement is in view. The drugs are tested by their matrix alone.
void addModel(DrawList& list, const Camera& camera, const Model& model,
              const std::vector<glm::mat4>& placements, bool withTransform) {
    const size_t entry = list.meshes.size();
    if (entry == list.pool.size()) {
        list.pool.emplace_back();
    }
    std::vector<glm::mat4>& visible = list.pool[entry];
    visible.clear();
    for (const glm::mat4& placement : placements) {
        const glm::mat4 matrix = withTransform ? placement * model.transform : placement;
        if (isVisible(camera, *model.bounds, matrix)) {
            visible.push_back(placement);
        }
    }
    if (!visible.empty()) {
        list.meshes.push_back(model.mesh);
        list.entryTransforms.push_back(model.transform);
        list.visibleCount += static_cast<uint32_t>(visible.size());
    }
}

} // namespace

bool isVisible(const Camera& camera, const BoundingBox& box, const glm::mat4& model) {
    const glm::mat4 clipMatrix = camera.projection * camera.view * model;
    int right = 0, left = 0, top = 0, bottom = 0, far = 0, near = 0;
    for (const glm::vec4& corner : box.corners) {
        const glm::vec4 clip = clipMatrix * corner;
        right += clip.x > clip.w;
        left += -clip.w > clip.x;
        top += clip.y > clip.w;
        bottom += -clip.w > clip.y;
        far += clip.z > clip.w;
        near += -clip.w > clip.z;
    }
    return right < 8 && left < 8 && top < 8 && bottom < 8 && far < 8 && near < 8;
}

Camera* chooseCamera(const Scene& scene, const GameState& state) {
    if (state.freeCamera || scene.player == nullptr) {
        return scene.freeCamera != nullptr ? scene.freeCamera->camera : nullptr;
    }
    return scene.player->camera;
}

void buildDrawList(DrawList& list, const Scene& scene, const Camera& camera) {
    list.meshes.clear();
    list.entryTransforms.clear();
    list.visibleCount = 0;
    for (const Model* model : scene.models) {
        if (model->visible) {
            addModel(list, camera, *model, model->instances, true);
        }
    }
    if (scene.drugs != nullptr && scene.drugs->model != nullptr) {
        addModel(list, camera, *scene.drugs->model, scene.drugs->transforms, false);
    }
}
