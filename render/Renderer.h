#pragma once
// The frame: reflection and refraction passes into the water targets, the main pass into the
// scene target, the water, the inventory slots, post-processing onto the window, the text.
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

#include "assets/Scene.h"
#include "render/Culling.h"
#include "render/PassTimes.h"
#include "render/RenderScale.h"

struct Camera;
struct GameState;
struct ShaderProgram;
struct OverlayShader;
struct TextRenderer;
struct WaterRenderer;
struct PostProcessor;
struct RenderTarget;
struct WaterTargets;

// The lit, textured, instanced drawing of every model with the "Texture" program.
struct TextureShader {
    ShaderProgram* program = nullptr; // owned
    int32_t lightPositionLocation = -1;
    int32_t lightAmbColorLocation = -1;
    int32_t lightConstantLocation = -1;
    int32_t lightLinearLocation = -1;
    int32_t lightQuadraticLocation = -1;
    int32_t diffuseLocation = -1;
    int32_t lightTLocation = -1; // looked up, never given a value
    int32_t transformationLocation = -1;
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t planeLocation = -1;

    TextureShader();
    ~TextureShader();
    TextureShader(const TextureShader&) = delete;
    TextureShader& operator=(const TextureShader&) = delete;

    // One instanced draw of every given placement; the matrices are streamed in first.
    void drawEntry(const Camera& camera, const Light& light, const Mesh& mesh,
                   const std::vector<glm::mat4>& instances, const glm::mat4& transform);
    // The same with the clip plane the water passes cut the scene with.
    void drawEntryClipped(const Camera& camera, const Light& light, const Mesh& mesh,
                          const std::vector<glm::mat4>& instances, const glm::mat4& transform,
                          glm::vec4 plane);
};

// Sets the filters of the texture bound to GL_TEXTURE_2D from the F4 and F5 toggles.
void applyTextureFilter(const GameState& state);

struct Renderer {
    OverlayShader* overlayShader = nullptr; // all owned
    TextRenderer* textRenderer = nullptr;
    WaterRenderer* waterRenderer = nullptr;
    PostProcessor* postProcessor = nullptr;
    TextureShader* textureShader = nullptr;
    RenderTarget* sceneTarget = nullptr;
    WaterTargets* waterTargets = nullptr;
    Camera* activeCamera = nullptr; // this frame's, not owned
    DrawList drawList;              // this frame's culled placements
    int32_t width = 0;              // the window's size in pixels
    int32_t height = 0;
    ScaleSetting scaleSetting; // from MORBANE_RENDER_SCALE
    ScaleController scaleController;
    float renderScale = 1.0f;       // of the window's width and height drawn off screen
    PassTimes* passTimes = nullptr; // the frame benchmark's, not owned; the game has none
    float frameTime = 0.0f;         // seconds of play this frame, 0 while paused: moves the waves

    Renderer(int32_t width, int32_t height);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Chooses the camera and culls the scene into drawList.
    void buildDrawList(const Scene& scene);
    // Draws one frame and writes the drawn-instance count into the GameState.
    void render(Scene& scene);
    // The time the last pass of the main loop took, for the automatic render scale.
    void noteFrameTime(float seconds);
    // Every entry of the draw list through the active camera, cut by the plane.
    void drawPass(const Light& light, const glm::vec4& plane);
    // The reflection and the refraction pass into the water targets, through the active camera.
    void drawWaterPasses(const Scene& scene, const Light& light);
};
