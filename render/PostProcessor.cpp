#include "render/PostProcessor.h"

#include <algorithm>
#include <cmath>

#include <GL/glew.h>

#include "app/GameState.h"
#include "assets/ShaderProgram.h"
#include "render/RenderTarget.h"

BlurWeights computeWeights(double sigma) {
    const double pi = 3.141592653589793;
    const double twoSigmaSquared = 2.0 * sigma * sigma;
    const double norm = std::sqrt(2.0 * pi * sigma * sigma);
    float w[5];
    for (int d = 0; d < 5; ++d) {
        w[d] = static_cast<float>(std::exp(-(d * d) / twoSigmaSquared) / norm);
    }
    BlurWeights blur;
    blur.weights[0] = w[0];
    blur.weights[1] = w[1] + w[2];
    blur.weights[2] = w[3] + w[4];
    blur.offsets[0] = 0.0f;
    blur.offsets[1] = (1.0f * w[1] + 2.0f * w[2]) / (w[1] + w[2]);
    blur.offsets[2] = (3.0f * w[3] + 4.0f * w[4]) / (w[3] + w[4]);
    return blur;
}

namespace {

GLuint createLinearSampler() {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return sampler;
}

// The share of a texture's texels that a picture of the given size fills.
void setExtent(GLint location, int32_t width, int32_t height, int32_t textureWidth,
               int32_t textureHeight) {
    glUniform2f(location, static_cast<float>(width) / static_cast<float>(textureWidth),
                static_cast<float>(height) / static_cast<float>(textureHeight));
}

void setWeights(GLuint program, GLint gaussianLocation, GLint offsetLocation,
                const BlurWeights& blur) {
    glUseProgram(program);
    glUniform1fv(gaussianLocation, 3, blur.weights);
    glUniform1fv(offsetLocation, 3, blur.offsets);
}

} // namespace

bool updateBlurWeights(BlurWeights& blur, float life, float totalLife, double sigma) {
    const float ratio = life / totalLife;
    if (ratio == 0.2f) {
        blur = computeWeights(sigma * 3.0);
        return true;
    }
    if (ratio == 0.72f) {
        blur = computeWeights(sigma * 1.5);
        return true;
    }
    return false;
}

PostProcessor::PostProcessor(int32_t targetWidth, int32_t targetHeight) {
    blurProgram = createShaderProgram(kShaderFolder, "Gauss");
    compositeProgram = createShaderProgram(kShaderFolder, "DoF");
    resampleProgram = createShaderProgram(kShaderFolder, "Resample");
    // Half the window: a linear read at a blur texel's centre is then the exact average of
    // the 2x2 scene texels below it, and the blur costs a quarter of the pixels.
    blurWidth = std::max(1, targetWidth / 2);
    blurHeight = std::max(1, targetHeight / 2);
    blurTarget = new RenderTarget(blurWidth, blurHeight, false);
    verticalTarget = new RenderTarget(blurWidth, blurHeight, false);
    compositeTarget = new RenderTarget(targetWidth, targetHeight, false);
    linearSampler = createLinearSampler();
    width = targetWidth;
    height = targetHeight;
    halfWidth = blurWidth;
    halfHeight = blurHeight;
    blur = computeWeights(sigma);
    const GLuint gauss = blurProgram->program;
    sceneTextureLocation = glGetUniformLocation(gauss, "sceneTexture");
    verticalLocation = glGetUniformLocation(gauss, "vertical");
    offsetLocation = glGetUniformLocation(gauss, "offset");
    gaussianLocation = glGetUniformLocation(gauss, "gaussian");
    widthLocation = glGetUniformLocation(gauss, "width");
    heightLocation = glGetUniformLocation(gauss, "height");
    blurExtentLocation = glGetUniformLocation(gauss, "extent");
    const GLuint dof = compositeProgram->program;
    blurTextureLocation = glGetUniformLocation(dof, "blurTexture");
    depthTextureLocation = glGetUniformLocation(dof, "depthTexture");
    originalTextureLocation = glGetUniformLocation(dof, "originalTexture");
    actualLifeLocation = glGetUniformLocation(dof, "actualLife");
    totalLifeLocation = glGetUniformLocation(dof, "totalLife");
    sceneExtentLocation = glGetUniformLocation(dof, "extent");
    compositeBlurExtentLocation = glGetUniformLocation(dof, "blurExtent");
    sourceLocation = glGetUniformLocation(resampleProgram->program, "source");
    resampleExtentLocation = glGetUniformLocation(resampleProgram->program, "extent");
    // The programs keep their units and the weights until life meets a threshold.
    glUseProgram(gauss);
    glUniform1i(sceneTextureLocation, 0);
    setWeights(blurProgram->program, gaussianLocation, offsetLocation, blur);
    glUseProgram(dof);
    glUniform1i(originalTextureLocation, 0);
    glUniform1i(depthTextureLocation, 1);
    glUniform1i(blurTextureLocation, 2);
    glUseProgram(resampleProgram->program);
    glUniform1i(sourceLocation, 0);
    glUseProgram(0);
}

PostProcessor::~PostProcessor() {
    releaseShaderProgram(blurProgram);
    releaseShaderProgram(compositeProgram);
    releaseShaderProgram(resampleProgram);
    delete blurTarget;
    delete verticalTarget;
    delete compositeTarget;
    glDeleteSamplers(1, &linearSampler);
    linearSampler = 0;
    blurProgram = compositeProgram = resampleProgram = nullptr;
    blurTarget = verticalTarget = compositeTarget = nullptr;
}

void PostProcessor::postProcess(const ScreenQuad& quad, const RenderTarget& sceneTarget,
                                int32_t drawWidth, int32_t drawHeight) {
    const GameState& state = gameState();
    if (updateBlurWeights(blur, state.life, state.totalLife, sigma)) {
        setWeights(blurProgram->program, gaussianLocation, offsetLocation, blur);
    }
    const bool scaled = drawWidth < width || drawHeight < height;
    halfWidth = scaled ? std::max(1, drawWidth / 2) : blurWidth;
    halfHeight = scaled ? std::max(1, drawHeight / 2) : blurHeight;

    // Every pass covers what it draws, so nothing needs clearing and no depth is tested or
    // written: on a software rasteriser that is a third of the post-processing.
    glDisable(GL_DEPTH_TEST);
    glBindVertexArray(quad.vertexArray);
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, linearSampler);
    // The scene at half size, each texel the exact average of the 2x2 below it: the blur's
    // linear reads then skip no scene line, and it costs a quarter of the pixels.
    glViewport(0, 0, halfWidth, halfHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, blurTarget->framebuffer);
    resample(sceneTarget.colourTexture, 2 * halfWidth, 2 * halfHeight, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, verticalTarget->framebuffer);
    blurPass(blurTarget->colourTexture, 1);
    glBindFramebuffer(GL_FRAMEBUFFER, blurTarget->framebuffer);
    blurPass(verticalTarget->colourTexture, 0);
    if (scaled) {
        glBindFramebuffer(GL_FRAMEBUFFER, compositeTarget->framebuffer);
        glViewport(0, 0, drawWidth, drawHeight);
        composite(sceneTarget, drawWidth, drawHeight);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glActiveTexture(GL_TEXTURE0);
        glBindSampler(0, linearSampler);
        resample(compositeTarget->colourTexture, drawWidth, drawHeight, width, height);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        composite(sceneTarget, width, height);
    }
    // The samplers would override the filters of whatever reads units 0 and 2 next. Units 1
    // and 2 keep their targets: the main pass reads unit 0 alone, and the water binds its own.
    glBindSampler(0, 0);
    glBindSampler(2, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
}

// What stays the same from pass to pass is set once in postProcess.
void PostProcessor::resample(GlName texture, int32_t pictureWidth, int32_t pictureHeight,
                             int32_t textureWidth, int32_t textureHeight) {
    glUseProgram(resampleProgram->program);
    glBindTexture(GL_TEXTURE_2D, texture);
    setExtent(resampleExtentLocation, pictureWidth, pictureHeight, textureWidth, textureHeight);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
}

void PostProcessor::blurPass(GlName sourceTexture, int32_t vertical) {
    glUseProgram(blurProgram->program);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(verticalLocation, vertical);
    if (vertical == 1) { // the second pass keeps the first one's sizes
        glUniform1f(widthLocation, static_cast<float>(halfWidth));
        glUniform1f(heightLocation, static_cast<float>(halfHeight));
        setExtent(blurExtentLocation, halfWidth, halfHeight, blurWidth, blurHeight);
    }
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
}

void PostProcessor::composite(const RenderTarget& sceneTarget, int32_t drawWidth,
                              int32_t drawHeight) {
    const GameState& state = gameState();
    glUseProgram(compositeProgram->program);
    // The scene's colour and depth are read texel for texel, with their own nearest filter.
    glBindSampler(0, 0);
    glBindTexture(GL_TEXTURE_2D, sceneTarget.colourTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, sceneTarget.depthTexture);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, blurTarget->colourTexture);
    glBindSampler(2, linearSampler);
    glUniform1i(actualLifeLocation, static_cast<GLint>(state.life));
    glUniform1i(totalLifeLocation, static_cast<GLint>(state.totalLife));
    setExtent(sceneExtentLocation, drawWidth, drawHeight, width, height);
    setExtent(compositeBlurExtentLocation, halfWidth, halfHeight, blurWidth, blurHeight);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
}
