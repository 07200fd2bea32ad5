#pragma once
// Frustum culling of every placement into the per-frame instanced draw list.
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

#include "assets/Scene.h"

struct Camera;
struct GameState;

// What the three passes of a frame draw: one entry per model with at least one placement in
// view, in scene order, the drugs last. The lists are refilled every frame but never shrink, so
// the steady-state frame allocates nothing.
struct DrawList {
    std::vector<Mesh*> meshes;                // one per entry, not owned
    std::vector<glm::mat4> entryTransforms;   // per entry, the model's transform
    std::vector<std::vector<glm::mat4>> pool; // per entry, the visible placements; only the
                                              // first meshes.size() lists belong to this frame
    uint32_t visibleCount = 0;                // placements that passed the frustum test

    size_t size() const { return meshes.size(); }
    const std::vector<glm::mat4>& instances(size_t entry) const { return pool[entry]; }
};

// Conservative: false only when all eight corners lie beyond the same side of the frustum.
bool isVisible(const Camera& camera, const BoundingBox& box, const glm::mat4& model);

// The camera a frame is drawn through: the free camera when it is selected or when the scene
// has no player yet.
Camera* chooseCamera(const Scene& scene, const GameState& state);

// Refills the list from the scene's models (hidden ones skipped) and then its drugs.
void buildDrawList(DrawList& list, const Scene& scene, const Camera& camera);
