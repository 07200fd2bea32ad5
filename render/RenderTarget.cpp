#include "render/RenderTarget.h"

#include <GL/glew.h>

#include "app/Console.h"

// Every target takes a sized format that each core driver must render to: an unsized one lets
// the driver pick, and a 16-bit depth would make near 0.1 / far 100 fight.
namespace {

GLuint createTargetTexture(int32_t width, int32_t height, GLint internalFormat, GLenum format,
                           GLenum type, GLint filter) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    return texture;
}

GLuint createScreenTexture(int32_t width, int32_t height, GLint internalFormat, GLenum format) {
    const GLuint texture =
        createTargetTexture(width, height, internalFormat, format, GL_FLOAT, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

void requireComplete() {
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        fatalError("FRAMEBUFFER NOT COMPLETE");
    }
}

GLuint createWaterFramebuffer() {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    return framebuffer;
}

GLuint createWaterColour(int32_t width, int32_t height) {
    const GLuint texture =
        createTargetTexture(width, height, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, GL_LINEAR);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, texture, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

} // namespace

RenderTarget::RenderTarget(int32_t width, int32_t height, bool withDepth) {
    colourTexture = createScreenTexture(width, height, GL_RGBA8, GL_RGBA);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colourTexture, 0);
    if (withDepth) {
        depthTexture = createScreenTexture(width, height, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
    }
    requireComplete();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

RenderTarget::~RenderTarget() {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &colourTexture);
    glDeleteTextures(1, &depthTexture);
    framebuffer = colourTexture = depthTexture = 0;
}

WaterTargets::WaterTargets(int32_t reflectionW, int32_t reflectionH, int32_t refractionW,
                           int32_t refractionH, int32_t screenW, int32_t screenH)
    : reflectionWidth(reflectionW), reflectionHeight(reflectionH), refractionWidth(refractionW),
      refractionHeight(refractionH), screenWidth(screenW), screenHeight(screenH) {
    reflectionFramebuffer = createWaterFramebuffer();
    reflectionTexture = createWaterColour(reflectionWidth, reflectionHeight);
    glGenRenderbuffers(1, &reflectionDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, reflectionDepthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, reflectionWidth, reflectionHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              reflectionDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    requireComplete();
    bindWindow(*this);

    refractionFramebuffer = createWaterFramebuffer();
    refractionTexture = createWaterColour(refractionWidth, refractionHeight);
    refractionDepthTexture =
        createTargetTexture(refractionWidth, refractionHeight, GL_DEPTH_COMPONENT24,
                            GL_DEPTH_COMPONENT, GL_FLOAT, GL_LINEAR);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, refractionDepthTexture, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    requireComplete();
    bindWindow(*this);
}

WaterTargets::~WaterTargets() {
    glDeleteFramebuffers(1, &reflectionFramebuffer);
    glDeleteTextures(1, &reflectionTexture);
    glDeleteRenderbuffers(1, &reflectionDepthBuffer);
    glDeleteFramebuffers(1, &refractionFramebuffer);
    glDeleteTextures(1, &refractionTexture);
    glDeleteTextures(1, &refractionDepthTexture);
    reflectionFramebuffer = reflectionTexture = reflectionDepthBuffer = 0;
    refractionFramebuffer = refractionTexture = refractionDepthTexture = 0;
}

void bindReflectionTarget(const WaterTargets& targets) {
    glBindFramebuffer(GL_FRAMEBUFFER, targets.reflectionFramebuffer);
    glViewport(0, 0, targets.reflectionWidth, targets.reflectionHeight);
}

void bindRefractionTarget(const WaterTargets& targets) {
    glBindFramebuffer(GL_FRAMEBUFFER, targets.refractionFramebuffer);
    glViewport(0, 0, targets.refractionWidth, targets.refractionHeight);
}

void bindWindow(const WaterTargets& targets) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, targets.screenWidth, targets.screenHeight);
}
