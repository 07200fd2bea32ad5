#pragma once
// The life-driven blur and the composite of the main pass onto the window.
#include <cstdint>

#include "assets/Scene.h"

struct ShaderProgram;
struct RenderTarget;

// A 9-tap Gaussian folded into three taps for five reads per pixel and direction.
struct BlurWeights {
    float weights[3] = {0, 0, 0}; // centre, first folded pair, second folded pair
    float offsets[3] = {0, 0, 0}; // in texels; the first is always 0
};

BlurWeights computeWeights(double sigma);

// Recomputes the weights when the life ratio meets a threshold: 0.2 gives three times the
// base sigma, 0.72 one and a half times. Between thresholds the weights stay. True when they
// were recomputed.
bool updateBlurWeights(BlurWeights& blur, float life, float totalLife, double sigma);

// Fills level 1 of a colour texture with its half-size picture, each texel the average of four:
// the vertical blur pass reads the scene there, so its taps skip no scene line.
void makeHalfSizeLevel(GlName colourTexture);

struct PostProcessor {
    ShaderProgram* blurProgram = nullptr;      // owned, "Gauss"
    ShaderProgram* compositeProgram = nullptr; // owned, "DoF"
    RenderTarget* blurTarget = nullptr;        // owned, half the window; ends each frame
                                               // blurred both ways
    RenderTarget* verticalTarget = nullptr;    // owned, half the window; the vertical pass
                                               // draws here, so the horizontal pass never
                                               // samples its own target
    GlName linearSampler = 0; // owned; the horizontal pass and the composite's upsampling
    GlName halfSampler = 0;   // owned; the vertical pass, from the scene's half-size level
    BlurWeights blur;
    double sigma = 2.0;
    double pi = 3.141592653589793;
    int32_t width = 0; // of the window
    int32_t height = 0;
    int32_t blurWidth = 0; // of the two blur targets
    int32_t blurHeight = 0;
    int32_t sceneTextureLocation = -1;
    int32_t verticalLocation = -1;
    int32_t offsetLocation = -1;
    int32_t gaussianLocation = -1;
    int32_t widthLocation = -1;
    int32_t heightLocation = -1;
    int32_t blurTextureLocation = -1;
    int32_t depthTextureLocation = -1;
    int32_t originalTextureLocation = -1;
    int32_t actualLifeLocation = -1;
    int32_t totalLifeLocation = -1;

    PostProcessor(int32_t width, int32_t height);
    ~PostProcessor();
    PostProcessor(const PostProcessor&) = delete;
    PostProcessor& operator=(const PostProcessor&) = delete;

    // Blurs the scene target and composites it into the bound window framebuffer.
    void postProcess(const ScreenQuad& quad, const RenderTarget& sceneTarget);
    void blurPass(const ScreenQuad& quad, GlName sourceTexture, int32_t vertical);
    void composite(const ScreenQuad& quad, const RenderTarget& sceneTarget);
};
