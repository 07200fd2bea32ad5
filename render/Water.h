#pragma once
// The water plane: the mirrored camera of the reflection pass and the "Water" program that
// mixes reflection and refraction with moving waves.
#include <cstdint>

#include <glm/glm.hpp>

#include "assets/Scene.h"

struct Camera;
struct ShaderProgram;
struct WaterTargets;

constexpr float WATER_HEIGHT = 13.808329f;

// Replaces the camera's view by that of the camera mirrored about the plane y = height.
// Only the view changes; the position, directions and projection stay.
void mirrorCamera(Camera& camera, float height);

// The pixels of a width x height target where the water's box shows through this view and
// projection, widened by the waves' ripple: (x, y, width, height) for glScissor. The whole
// target when a corner lies behind the eye; empty when the box lies beyond one side.
glm::ivec4 waterScissor(const glm::mat4& clipMatrix, const BoundingBox& box, int32_t width,
                        int32_t height);

// The offset after deltaTime seconds at speed units per second, wrapped into [0, 1).
float advanceWaveOffset(float offset, float speed, float deltaTime);

struct WaterRenderer {
    ShaderProgram* program = nullptr; // owned, "Water"
    GlName dudvTexture = 0;           // "dudv.png" of the TextureTable, not owned
    GlName normalTexture = 0;         // "normalmap.png" of the TextureTable, not owned
    float waveSpeed = 0.02f;          // offset units per second
    float waveOffset = 0.0f;          // always in [0, 1)
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t cameraPosLocation = -1;
    int32_t offsetLocation = -1;

    WaterRenderer();
    ~WaterRenderer();
    WaterRenderer(const WaterRenderer&) = delete;
    WaterRenderer& operator=(const WaterRenderer&) = delete;

    // Advances the waves by the frame's time (0 while the game is paused) and draws the water.
    void drawWater(const Camera& camera, const Mesh& water, const WaterTargets& targets,
                   const glm::mat4& waterMatrix, float frameTime);
};
