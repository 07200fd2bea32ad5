#pragma once
// The off-screen framebuffers: screen-sized colour + depth targets for the main pass and the
// blur, and the two fixed-size water targets.
#include <cstdint>

#include "assets/Scene.h"

// A framebuffer with a colour and a depth texture, both sampled later. Fatal with
// "FRAMEBUFFER NOT COMPLETE" when the driver rejects it.
struct RenderTarget {
    GlName colourTexture = 0; // GL_RGBA8, nearest, clamped
    GlName depthTexture = 0;  // GL_DEPTH_COMPONENT24, nearest, clamped; 0 without depth
    GlName framebuffer = 0;

    // The blur and composite targets draw full-screen quads only and need no depth.
    RenderTarget(int32_t width, int32_t height, bool withDepth = true);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;
};

// The water's reflection and refraction framebuffers, as fatal as the above when incomplete. Their
// size does not follow the window, so the two extra scene passes cost a fixed number of pixels.
struct WaterTargets {
    int32_t reflectionWidth = 0;
    int32_t reflectionHeight = 0;
    int32_t refractionWidth = 0;
    int32_t refractionHeight = 0;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    GlName reflectionFramebuffer = 0;
    GlName reflectionTexture = 0;     // GL_RGBA8, linear
    GlName reflectionDepthBuffer = 0; // GL_DEPTH_COMPONENT24 renderbuffer, never sampled
    GlName refractionFramebuffer = 0;
    GlName refractionTexture = 0;      // GL_RGBA8, linear
    GlName refractionDepthTexture = 0; // GL_DEPTH_COMPONENT24, sampled for the soft shore

    WaterTargets(int32_t reflectionWidth, int32_t reflectionHeight, int32_t refractionWidth,
                 int32_t refractionHeight, int32_t screenWidth, int32_t screenHeight);
    ~WaterTargets();
    WaterTargets(const WaterTargets&) = delete;
    WaterTargets& operator=(const WaterTargets&) = delete;
};

// Each binds the framebuffer and sets the viewport to its size.
void bindReflectionTarget(const WaterTargets& targets);
void bindRefractionTarget(const WaterTargets& targets);
// Framebuffer 0 with the whole window as the viewport.
void bindWindow(const WaterTargets& targets);
