#pragma once
// The life-driven blur, the composite of the main pass and its stretch onto the window.
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

struct PostProcessor {
    ShaderProgram* blurProgram = nullptr;      // owned, "Gauss"
    ShaderProgram* compositeProgram = nullptr; // owned, "DoF"
    ShaderProgram* resampleProgram = nullptr;  // owned, "Resample"
    RenderTarget* blurTarget = nullptr;        // owned, half the window; first the scene at
                                               // half size, at the end blurred both ways
    RenderTarget* verticalTarget = nullptr;    // owned, half the window; the vertical pass
                                               // draws here, so the horizontal pass never
                                               // samples its own target
    RenderTarget* compositeTarget = nullptr;   // owned, the window's size; the composite of a
                                               // scaled frame, before it is stretched
    GlName linearSampler = 0;                  // owned; every filtered read of a target
    BlurWeights blur;
    double sigma = 2.0;
    double pi = 3.141592653589793;
    int32_t width = 0; // of the window
    int32_t height = 0;
    int32_t blurWidth = 0; // of the two blur targets
    int32_t blurHeight = 0;
    int32_t halfWidth = 0; // of this frame's half-size picture in the blur targets
    int32_t halfHeight = 0;
    int32_t sceneTextureLocation = -1;
    int32_t verticalLocation = -1;
    int32_t offsetLocation = -1;
    int32_t gaussianLocation = -1;
    int32_t widthLocation = -1;
    int32_t heightLocation = -1;
    int32_t blurExtentLocation = -1;
    int32_t blurTextureLocation = -1;
    int32_t depthTextureLocation = -1;
    int32_t originalTextureLocation = -1;
    int32_t actualLifeLocation = -1;
    int32_t totalLifeLocation = -1;
    int32_t sceneExtentLocation = -1;
    int32_t compositeBlurExtentLocation = -1;
    int32_t sourceLocation = -1; // of "Resample"
    int32_t resampleExtentLocation = -1;

    PostProcessor(int32_t width, int32_t height);
    ~PostProcessor();
    PostProcessor(const PostProcessor&) = delete;
    PostProcessor& operator=(const PostProcessor&) = delete;

    // Blurs the picture in the lower left drawWidth x drawHeight of the scene target and
    // composites it onto the window: straight when it fills the target, else at its own size
    // and then stretched with a filtered read.
    void postProcess(const ScreenQuad& quad, const RenderTarget& sceneTarget, int32_t drawWidth,
                     int32_t drawHeight);
    // The passes of postProcess; each expects the screen quad's vertex array bound and reads
    // unit 0.
    void blurPass(GlName sourceTexture, int32_t vertical);
    void composite(const RenderTarget& sceneTarget, int32_t drawWidth, int32_t drawHeight);
    // One filtered read of the picture in the lower left width x height of a texture of the
    // given size, over the whole viewport.
    void resample(GlName texture, int32_t width, int32_t height, int32_t textureWidth,
                  int32_t textureHeight);
};
