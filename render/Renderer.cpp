#include "render/Renderer.h"

#include <cstdlib>
#include <iostream>

#include <GL/glew.h>

#include "app/GameState.h"
#include "assets/ShaderProgram.h"
#include "gameplay/Camera.h"
#include "render/Overlay.h"
#include "render/PostProcessor.h"
#include "render/RenderTarget.h"
#include "render/TextRenderer.h"
#include "render/Water.h"

namespace {

// The reflection keeps what lies above the water, the refraction what lies below.
const glm::vec4 kReflectionPlane(0.0f, 1.0f, 0.0f, -WATER_HEIGHT);
const glm::vec4 kRefractionPlane(0.0f, -1.0f, 0.0f, WATER_HEIGHT);
// Keeps everything. The main pass sends it although clipping is off by then: llvmpipe
// (Mesa 22.3) still clips with the last plane sent after GL_CLIP_DISTANCE0 is disabled.
const glm::vec4 kNoClipPlane(0.0f, 0.0f, 0.0f, 1.0f);

// A scene without a light is drawn by ambient light alone.
const Light kNoLight;

// The pond's reflection and refraction are read only where the water shows.
bool waterInView(const Scene& scene, const Camera* camera) {
    return camera != nullptr && scene.water != nullptr && !scene.water->instances.empty() &&
           scene.water->bounds != nullptr &&
           isVisible(*camera, *scene.water->bounds, scene.water->instances.front());
}

// Limits drawing to where the water shows through the camera's current view.
void scissorToWater(const Scene& scene, const Camera* camera, int32_t width, int32_t height) {
    const glm::mat4 clipMatrix = camera->projection * camera->view * scene.water->instances.front();
    const glm::ivec4 box = waterScissor(clipMatrix, *scene.water->bounds, width, height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(box.x, box.y, box.z, box.w);
}

} // namespace

glm::ivec2 textureFilter(const GameState& state) {
    const bool linear = state.linearFiltering;
    GLint minFilter = GL_LINEAR;
    if (state.mipmapMode == 2) {
        minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    } else if (state.mipmapMode == 1) {
        minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    return {linear ? GL_LINEAR : GL_NEAREST, minFilter};
}

void uploadInstances(DrawList& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        MeshBuffers& buffers = *list.meshes[i]->buffers;
        const std::vector<glm::mat4>& instances = list.instances(i);
        if (instances == buffers.uploadedInstances) {
            continue;
        }
        // A whole new store: the driver need not wait for last frame's draws to read the old.
        glBindBuffer(GL_ARRAY_BUFFER, buffers.instanceBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instances.size() * sizeof(glm::mat4)),
                     instances.data(), GL_STREAM_DRAW);
        buffers.uploadedInstances = instances;
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

TextureShader::TextureShader() {
    program = createShaderProgram(kShaderFolder, "Texture");
    const GLuint id = program->program;
    lightPositionLocation = glGetUniformLocation(id, "light.position");
    lightAmbColorLocation = glGetUniformLocation(id, "light.ambColor");
    lightConstantLocation = glGetUniformLocation(id, "light.constant");
    lightLinearLocation = glGetUniformLocation(id, "light.linear");
    lightQuadraticLocation = glGetUniformLocation(id, "light.quadratic");
    transformationLocation = glGetUniformLocation(id, "transformation");
    viewLocation = glGetUniformLocation(id, "view");
    projectionLocation = glGetUniformLocation(id, "projection");
    planeLocation = glGetUniformLocation(id, "plane");
    glUseProgram(id);
    glUniform1i(glGetUniformLocation(id, "diffuse"), 0);
    glUseProgram(0);
    glGenSamplers(1, &sampler);
}

TextureShader::~TextureShader() {
    glDeleteSamplers(1, &sampler);
    sampler = 0;
    releaseShaderProgram(program);
    program = nullptr;
}

void TextureShader::beginPass(const Camera& camera, const Light& light, const glm::vec4& plane,
                              const GameState& state) {
    if (state.linearFiltering != appliedLinear || state.mipmapMode != appliedMipmapMode) {
        const glm::ivec2 filter = textureFilter(state);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter.x);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter.y);
        appliedLinear = state.linearFiltering;
        appliedMipmapMode = state.mipmapMode;
    }
    glUseProgram(program->program);
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, &camera.view[0][0]);
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, &camera.projection[0][0]);
    // The light reaches the shader in eye space.
    const glm::vec4 eyeLight = camera.view * glm::vec4(light.position, 1.0f);
    glUniform3f(lightPositionLocation, eyeLight.x, eyeLight.y, eyeLight.z);
    glUniform3f(lightAmbColorLocation, light.ambColor.x, light.ambColor.y, light.ambColor.z);
    glUniform1f(lightConstantLocation, light.constant);
    glUniform1f(lightLinearLocation, light.linear);
    glUniform1f(lightQuadraticLocation, light.quadratic);
    // The main pass runs with clipping off but still sends a plane that keeps everything.
    glUniform4f(planeLocation, plane.x, plane.y, plane.z, plane.w);
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, sampler);
}

void TextureShader::drawEntry(const Mesh& mesh, int32_t instanceCount, const glm::mat4& transform) {
    glBindVertexArray(mesh.buffers->vertexArray);
    glBindTexture(GL_TEXTURE_2D, mesh.texture);
    glUniformMatrix4fv(transformationLocation, 1, GL_FALSE, &transform[0][0]);
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(mesh.buffers->indexCount),
                            GL_UNSIGNED_INT, nullptr, instanceCount);
}

void TextureShader::endPass() {
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindSampler(0, 0);
    glUseProgram(0);
}

Renderer::Renderer(int32_t windowWidth, int32_t windowHeight)
    : width(windowWidth), height(windowHeight) {
    overlayShader = new OverlayShader;
    textRenderer = new TextRenderer;
    waterRenderer = new WaterRenderer;
    postProcessor = new PostProcessor(width, height);
    textureShader = new TextureShader;
    waterTargets = new WaterTargets(640, 480, 640, 480, width, height);
    sceneTarget = new RenderTarget(width, height);
    const char* scale = std::getenv("MORBANE_RENDER_SCALE");
    if (!parseRenderScale(scale != nullptr ? scale : "", scaleSetting)) {
        std::cout << "MORBANE_RENDER_SCALE \"" << scale
                  << "\" is neither auto nor a number in (0, 1]. Using auto." << std::endl;
    }
    renderScale = scaleSetting.automatic ? currentScale(scaleController) : scaleSetting.scale;
}

Renderer::~Renderer() {
    delete overlayShader;
    delete textRenderer;
    delete postProcessor;
    delete waterRenderer;
    delete textureShader;
    delete sceneTarget;
    delete waterTargets;
    overlayShader = nullptr;
    textRenderer = nullptr;
    postProcessor = nullptr;
    waterRenderer = nullptr;
    textureShader = nullptr;
    sceneTarget = nullptr;
    waterTargets = nullptr;
    activeCamera = nullptr;
}

void Renderer::buildDrawList(const Scene& scene) {
    activeCamera = chooseCamera(scene, gameState());
    if (activeCamera != nullptr) {
        ::buildDrawList(drawList, scene, *activeCamera);
    } else {
        drawList.meshes.clear();
        drawList.entryTransforms.clear();
        drawList.visibleCount = 0;
    }
}

void Renderer::drawPass(const Light& light, const glm::vec4& plane) {
    if (drawList.size() == 0) {
        return;
    }
    textureShader->beginPass(*activeCamera, light, plane, gameState());
    for (size_t i = 0; i < drawList.size(); ++i) {
        textureShader->drawEntry(*drawList.meshes[i],
                                 static_cast<int32_t>(drawList.instances(i).size()),
                                 drawList.entryTransforms[i]);
    }
    textureShader->endPass();
}

void Renderer::drawWaterPasses(const Scene& scene, const Light& light) {
    Camera& camera = *activeCamera;
    glEnable(GL_CLIP_DISTANCE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    bindReflectionTarget(*waterTargets);
    const glm::mat4 savedView = camera.view;
    mirrorCamera(camera, WATER_HEIGHT);
    // The water reads its targets only where it lies on screen: outside that neither pass
    // shades a pixel.
    scissorToWater(scene, &camera, waterTargets->reflectionWidth, waterTargets->reflectionHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    drawPass(light, kReflectionPlane);
    glDisable(GL_SCISSOR_TEST);
    camera.view = savedView;
    bindWindow(*waterTargets);
    endPass(passTimes, Pass::Reflection);

    glBindTexture(GL_TEXTURE_2D, 0);
    bindRefractionTarget(*waterTargets);
    scissorToWater(scene, &camera, waterTargets->refractionWidth, waterTargets->refractionHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    drawPass(light, kRefractionPlane);
    glDisable(GL_SCISSOR_TEST);
    bindWindow(*waterTargets);
    glDisable(GL_CLIP_DISTANCE0);
}

void Renderer::noteFrameTime(float seconds) {
    if (scaleSetting.automatic && adaptScale(scaleController, seconds)) {
        renderScale = currentScale(scaleController);
    }
}

void Renderer::render(Scene& scene) {
    GameState& state = gameState();
    startPasses(passTimes);
    buildDrawList(scene);
    uploadInstances(drawList);
    endPass(passTimes, Pass::Culling);
    const Light& light = scene.lights.empty() ? kNoLight : *scene.lights.front();
    Camera* camera = activeCamera; // without one the list is empty and the water is skipped

    // The water's targets are read only where the pond shows; out of sight both passes would
    // cost a whole pass over the draw list each for nothing.
    if (waterInView(scene, camera)) {
        drawWaterPasses(scene, light);
    }
    endPass(passTimes, Pass::Refraction);

    // The scene is drawn into the lower left of its target at the render scale; the wire frame
    // goes straight to the window, whole.
    const bool scaled = renderScale < 1.0f && !state.wireframe;
    const int32_t drawWidth = scaled ? scaledSize(width, renderScale) : width;
    const int32_t drawHeight = scaled ? scaledSize(height, renderScale) : height;
    glViewport(0, 0, drawWidth, drawHeight);
    if (!state.wireframe) {
        glBindFramebuffer(GL_FRAMEBUFFER, sceneTarget->framebuffer);
        // Only what is drawn is cleared: the rest of the target is never read.
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, drawWidth, drawHeight);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    drawPass(light, kNoClipPlane);
    endPass(passTimes, Pass::Main);

    if (state.transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    if (camera != nullptr && scene.water != nullptr && !scene.water->instances.empty()) {
        waterRenderer->drawWater(*camera, *scene.water->mesh, *waterTargets,
                                 scene.water->instances.front(), frameTime);
    }
    if (state.transparency) {
        glDisable(GL_BLEND);
    }
    // A scaled frame would stretch the slots soft: they go onto the window after it.
    if (!scaled) {
        drawInventory(*overlayShader, state);
    }
    endPass(passTimes, Pass::Water);

    if (!state.wireframe) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
    }
    state.meshCount = static_cast<int32_t>(drawList.visibleCount);
    if (!state.wireframe && scene.screenQuad != nullptr) {
        postProcessor->postProcess(*scene.screenQuad, *sceneTarget, drawWidth, drawHeight);
    }
    if (scaled) {
        drawInventory(*overlayShader, state);
    }
    endPass(passTimes, Pass::Post);
    // By reference: a copy of a long message would allocate every frame.
    textRenderer->renderText(1.0f, 1.0f, 1.0f, state.message, 300.0f, 10.0f, 1.0f);
    endPass(passTimes, Pass::Text);
}
