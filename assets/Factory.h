#pragma once
// Fills the Scene at start-up: the listed level models, the water, the three animated models,
// the free camera, the light and the screen quads.
#include <cstdint>
#include <string>

struct Scene;

struct Factory {
    int32_t width; // window size in pixels, for the free camera's aspect
    int32_t height;

    // Loads every listed texture, then completes the "FACTORY" line.
    Factory(int32_t width, int32_t height);

    void loadScene(Scene& scene);
    // Every model of the list into scene.models, in file order, then the water plane.
    void loadMeshList(const std::string& folder, const std::string& listName, Scene& scene);
    // The three inventory slots, top to bottom, into gameState().inventorySlots.
    void createInventorySlots();
};
