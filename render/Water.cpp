#include "render/Water.h"

#include <cmath>

#include <GL/glew.h>

#include "app/GameState.h"
#include "assets/ShaderProgram.h"
#include "gameplay/Camera.h"
#include "render/RenderTarget.h"

namespace {

GlName findTexture(const char* name) {
    const TextureTable& table = gameState().textureTable;
    const auto found = table.find(name);
    return found != table.end() ? found->second : 0;
}

void bindUnit(GLenum unit, GlName texture) {
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

} // namespace

void mirrorCamera(Camera& camera, float height) {
    const glm::mat4& view = camera.view;
    const glm::vec3 eye = glm::vec3(glm::inverse(view) * glm::vec4(0, 0, 0, 1));
    const glm::vec3 forward(-view[0][2], -view[1][2], -view[2][2]);
    const glm::vec3 up(view[0][1], view[1][1], view[2][1]);
    const glm::vec3 side = glm::cross(forward, up);

    const glm::vec3 mirroredEye(eye.x, 2.0f * height - eye.y, eye.z);
    const glm::vec3 mirroredForward = glm::normalize(glm::vec3(forward.x, -forward.y, forward.z));
    const glm::vec3 mirroredSide(side.x, -side.y, side.z);
    const glm::vec3 mirroredUp = glm::cross(mirroredSide, mirroredForward);

    // The standard right-handed look-at, written out so the mirrored basis is kept exactly.
    const glm::vec3 f = mirroredForward;
    const glm::vec3 s = glm::normalize(glm::cross(f, mirroredUp));
    const glm::vec3 u = glm::cross(s, f);
    glm::mat4 mirrored(1.0f);
    for (int column = 0; column < 3; ++column) {
        mirrored[column][0] = s[column];
        mirrored[column][1] = u[column];
        mirrored[column][2] = -f[column];
    }
    mirrored[3][0] = -glm::dot(s, mirroredEye);
    mirrored[3][1] = -glm::dot(u, mirroredEye);
    mirrored[3][2] = glm::dot(f, mirroredEye);
    camera.view = mirrored;
}

glm::ivec4 waterScissor(const glm::mat4& clipMatrix, const BoundingBox& box, int32_t width,
                        int32_t height) {
    glm::vec4 clips[8];
    glm::ivec3 beyondLow(0), beyondHigh(0);
    bool behind = false;
    for (int i = 0; i < 8; ++i) {
        const glm::vec4 clip = clipMatrix * box.corners[i];
        clips[i] = clip;
        beyondLow += glm::ivec3(glm::lessThan(glm::vec3(clip), glm::vec3(-clip.w)));
        beyondHigh += glm::ivec3(glm::greaterThan(glm::vec3(clip), glm::vec3(clip.w)));
        behind = behind || clip.w <= 0.001f;
    }
    if (glm::any(glm::equal(beyondLow, glm::ivec3(8))) ||
        glm::any(glm::equal(beyondHigh, glm::ivec3(8)))) {
        return glm::ivec4(0);
    }
    if (behind) {
        return glm::ivec4(0, 0, width, height); // seen from inside its depth it folds over
    }
    glm::vec2 low(1.0f), high(-1.0f);
    for (const glm::vec4& clip : clips) {
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        if (low.x > high.x) {
            low = high = ndc;
        }
        low = glm::min(low, ndc);
        high = glm::max(high, ndc);
    }
    // The du/dv ripple shifts reads by up to 0.015 of the target; linear filtering one texel.
    const float margin = 0.04f;
    low = glm::clamp(low - margin, -1.0f, 1.0f);
    high = glm::clamp(high + margin, -1.0f, 1.0f);
    if (low.x >= high.x || low.y >= high.y) {
        return glm::ivec4(0);
    }
    const glm::vec2 size(static_cast<float>(width), static_cast<float>(height));
    const glm::ivec2 from(glm::floor((low * 0.5f + 0.5f) * size));
    const glm::ivec2 to(glm::ceil((high * 0.5f + 0.5f) * size));
    return glm::ivec4(from, to - from);
}

float advanceWaveOffset(float offset, float speed, float deltaTime) {
    const float advanced = std::fmod(speed * deltaTime + offset, 1.0f);
    // fmod keeps the sign of a negative step; the offset itself never leaves [0, 1).
    return advanced < 0.0f ? advanced + 1.0f : advanced;
}

WaterRenderer::WaterRenderer() {
    program = createShaderProgram(kShaderFolder, "Water");
    const GLuint id = program->program;
    viewLocation = glGetUniformLocation(id, "view");
    projectionLocation = glGetUniformLocation(id, "projection");
    offsetLocation = glGetUniformLocation(id, "offset");
    cameraPosLocation = glGetUniformLocation(id, "cameraPos");
    // The program keeps its units; drawWater binds the same textures to them every time.
    const char* const units[] = {"reflection", "refraction", "dudvMap", "normalMap", "depthMap"};
    glUseProgram(id);
    for (GLint unit = 0; unit < 5; ++unit) {
        glUniform1i(glGetUniformLocation(id, units[unit]), unit);
    }
    glUseProgram(0);
    dudvTexture = findTexture("dudv.png");
    normalTexture = findTexture("normalmap.png");
}

WaterRenderer::~WaterRenderer() {
    // The two maps belong to the TextureTable.
    releaseShaderProgram(program);
    program = nullptr;
}

void WaterRenderer::drawWater(const Camera& camera, const Mesh& water, const WaterTargets& targets,
                              const glm::mat4& waterMatrix, float frameTime) {
    glUseProgram(program->program);
    glBindVertexArray(water.buffers->vertexArray);
    std::vector<glm::mat4>& uploaded = water.buffers->uploadedInstances;
    if (uploaded.size() != 1 || uploaded.front() != waterMatrix) {
        glBindBuffer(GL_ARRAY_BUFFER, water.buffers->instanceBuffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof(glm::mat4), &waterMatrix[0][0], GL_STREAM_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        uploaded.assign(1, waterMatrix);
    }
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, &camera.view[0][0]);
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, &camera.projection[0][0]);

    bindUnit(GL_TEXTURE1, targets.refractionTexture);
    bindUnit(GL_TEXTURE2, dudvTexture);
    bindUnit(GL_TEXTURE3, normalTexture);
    bindUnit(GL_TEXTURE4, targets.refractionDepthTexture);
    bindUnit(GL_TEXTURE0, targets.reflectionTexture);

    glUniform3f(cameraPosLocation, camera.position.x, camera.position.y, camera.position.z);
    waveOffset = advanceWaveOffset(waveOffset, waveSpeed, frameTime);
    glUniform1f(offsetLocation, waveOffset);

    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(water.buffers->indexCount),
                            GL_UNSIGNED_INT, nullptr, 1);

    // Units 1 to 4 keep their textures: the mesh passes that draw into the water targets read
    // unit 0 alone, and post-processing binds its own textures before it reads 1 and 2.
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}
