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

// The lit, textured, instanced drawing of every model with the "Texture" program. What a pass
// shares (camera, light, clip plane, the F4/F5 filters) is set once by beginPass; each entry
// then costs a vertex array, a texture, its transform and the draw.
struct TextureShader {
    ShaderProgram* program = nullptr; // owned
    GlName sampler = 0;               // the F4/F5 filters, on unit 0 during a pass
    int32_t lightPositionLocation = -1;
    int32_t lightAmbColorLocation = -1;
    int32_t lightConstantLocation = -1;
    int32_t lightLinearLocation = -1;
    int32_t lightQuadraticLocation = -1;
    int32_t transformationLocation = -1;
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t planeLocation = -1;
    bool appliedLinear = true; // the toggles the sampler was last set from
    int32_t appliedMipmapMode = -1;

    TextureShader();
    ~TextureShader();
    TextureShader(const TextureShader&) = delete;
    TextureShader& operator=(const TextureShader&) = delete;

    // The program, the pass-wide uniforms and the sampler, refiltered only after a toggle.
    void beginPass(const Camera& camera, const Light& light, const glm::vec4& plane,
                   const GameState& state);
    // One instanced draw of the mesh's uploaded placements.
    void drawEntry(const Mesh& mesh, int32_t instanceCount, const glm::mat4& transform);
    void endPass();
};

// The texture filters that the F4 and F5 toggles choose: {magnification, minification}.
glm::ivec2 textureFilter(const GameState& state);

// Brings every entry's instance buffer up to date; a buffer whose placements did not change
// since the last frame is left alone.
void uploadInstances(DrawList& list);

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
