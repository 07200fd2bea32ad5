#include "assets/Scene.h"

#include "assets/MeshLoader.h"
#include "gameplay/FreeCamera.h"
#include "physics/Drugs.h"

void releaseScene(Scene& scene) {
    for (Model* model : scene.models) {
        releaseModel(model);
    }
    if (scene.drugs != nullptr) {
        // The Drug records belong to the physics side.
        releaseModel(scene.drugs->model);
        delete scene.drugs;
    }
    releaseModel(scene.water);
    releaseScreenQuad(scene.screenQuad);
    for (Light* light : scene.lights) {
        delete light;
    }
    // Their models went with the models list.
    for (AnimatedModel* animated : scene.animatedModels) {
        delete animated;
    }
    releaseFreeCamera(scene.freeCamera);

    // The player stays: the physics world owns it.
    scene.models.clear();
    scene.lights.clear();
    scene.animatedModels.clear();
    scene.drugs = nullptr;
    scene.water = nullptr;
    scene.screenQuad = nullptr;
    scene.freeCamera = nullptr;
}
