#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RenderSupport.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "assets/ShaderProgram.h"
#include "render/PostProcessor.h"
#include "render/RenderTarget.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

void expectWeights(const BlurWeights& blur, const float (&weights)[3], const float (&offsets)[3]) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(blur.weights[i], weights[i]) << "weight " << i;
        EXPECT_FLOAT_EQ(blur.offsets[i], offsets[i]) << "offset " << i;
    }
}

const float kWeights2[3] = {0.199471146f, 0.297018021f, 0.0917542875f};
const float kOffsets2[3] = {0.0f, 1.40733337f, 3.29421473f};
const float kWeights3[3] = {0.132980764f, 0.23227708f, 0.135326937f};
const float kOffsets3[3] = {0.0f, 1.45842957f, 3.40398479f};
const float kWeights6[3] = {0.066490382f, 0.12847048f, 0.111918889f};
const float kOffsets6[3] = {0.0f, 1.48958492f, 3.47571349f};

ScreenQuad* fullScreenQuad() {
    const glm::vec2 positions[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    const glm::vec2 texCoords[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const uint32_t indices[6] = {0, 2, 1, 0, 3, 2};
    return createScreenQuad(positions, texCoords, indices);
}

class PostProcessing : public testing::Test {
  protected:
    static constexpr int kSize = 64;
    GlContext gl{kSize, kSize};
    RenderSandbox sandbox{false};
    PostProcessor post{kSize, kSize};
    RenderTarget scene{kSize, kSize};
    ScreenQuad* quad = fullScreenQuad();
    GameState& state = gameState();

    void SetUp() override {
        state.life = 100.0f;
        state.totalLife = 100.0f;
    }
    void TearDown() override {
        releaseScreenQuad(quad);
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    // The scene target cleared to black at the given depth, with one white texel at (x, y).
    void sceneWithDot(int x, int y, float depth) {
        glBindFramebuffer(GL_FRAMEBUFFER, scene.framebuffer);
        glClearColor(0, 0, 0, 1);
        glClearDepth(depth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, y, 1, 1);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    // Vertical stripes two texels wide, alternating black and white, at the given depth.
    void sceneWithStripes(float depth) {
        glBindFramebuffer(GL_FRAMEBUFFER, scene.framebuffer);
        glClearColor(0, 0, 0, 1);
        glClearDepth(depth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(1, 1, 1, 1);
        for (int x = 0; x < kSize; x += 4) {
            glScissor(x, 0, 2, kSize);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    void frame() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        post.postProcess(*quad, scene);
        ASSERT_THAT(gl.takeErrors(), IsEmpty());
    }

    BlurWeights sentToGauss() {
        BlurWeights sent;
        const GLuint program = post.blurProgram->program;
        for (int i = 0; i < 3; ++i) {
            const std::string index = "[" + std::to_string(i) + "]";
            glGetUniformfv(program, glGetUniformLocation(program, ("gaussian" + index).c_str()),
                           &sent.weights[i]);
            glGetUniformfv(program, glGetUniformLocation(program, ("offset" + index).c_str()),
                           &sent.offsets[i]);
        }
        return sent;
    }

    GLint sentToDoF(const char* name) {
        GLint value = -1;
        const GLuint program = post.compositeProgram->program;
        glGetUniformiv(program, glGetUniformLocation(program, name), &value);
        return value;
    }

    // Brightest minus darkest red value of the window's middle row.
    int windowContrast() {
        const std::vector<unsigned char> image = readPixels(kSize, kSize);
        int lowest = 255;
        int highest = 0;
        for (int x = 8; x < kSize - 8; ++x) {
            const int red = pixelAt(image, kSize, x, kSize / 2).r;
            lowest = std::min(lowest, red);
            highest = std::max(highest, red);
        }
        return highest - lowest;
    }
};

} // namespace

TEST(ComputeWeights, MatchesTheFoldedGaussianTable) {
    expectWeights(computeWeights(2.0), kWeights2, kOffsets2);
    expectWeights(computeWeights(3.0), kWeights3, kOffsets3);
    expectWeights(computeWeights(6.0), kWeights6, kOffsets6);
}

TEST(UpdateBlurWeights, SwitchesOnlyWhenLifeMeetsSeventyTwoAndTwenty) {
    BlurWeights blur = computeWeights(2.0);
    const struct {
        float life;
        bool switches;
        const float (&weights)[3];
        const float (&offsets)[3];
    } steps[] = {
        {100, false, kWeights2, kOffsets2}, {73, false, kWeights2, kOffsets2},
        {72, true, kWeights3, kOffsets3},   {71, false, kWeights3, kOffsets3},
        {21, false, kWeights3, kOffsets3},  {20, true, kWeights6, kOffsets6},
        {19, false, kWeights6, kOffsets6},  {30, false, kWeights6, kOffsets6},
        {72, true, kWeights3, kOffsets3},   {120, false, kWeights3, kOffsets3},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.life);
        EXPECT_EQ(updateBlurWeights(blur, step.life, 100.0f, 2.0), step.switches);
        expectWeights(blur, step.weights, step.offsets);
    }
}

TEST_F(PostProcessing, TheWeightsAndTheLifeReachTheShaders) {
    frame();
    expectWeights(sentToGauss(), kWeights2, kOffsets2);
    EXPECT_EQ(sentToDoF("actualLife"), 100);
    EXPECT_EQ(sentToDoF("totalLife"), 100);

    state.life = 72.0f;
    frame();
    expectWeights(sentToGauss(), kWeights3, kOffsets3);
    state.life = 71.6f;
    frame();
    expectWeights(sentToGauss(), kWeights3, kOffsets3);
    EXPECT_EQ(sentToDoF("actualLife"), 71) << "truncated";
}

TEST_F(PostProcessing, TheBlurTargetEndsBlurredBothWays) {
    sceneWithDot(32, 32, 1.0f);
    frame();
    const std::vector<unsigned char> blurred =
        readTexture(post.blurTarget->colourTexture, kSize, kSize);
    const int centre = pixelAt(blurred, kSize, 32, 32).r;
    EXPECT_GT(centre, 0);
    EXPECT_LT(centre, 255) << "the dot is spread out";
    // The folded taps land one and three texels away, in both directions.
    for (const glm::ivec2& step : {glm::ivec2(1, 0), glm::ivec2(-1, 0), glm::ivec2(0, 1),
                                   glm::ivec2(0, -1), glm::ivec2(1, 1), glm::ivec2(-3, 3)}) {
        EXPECT_GT(pixelAt(blurred, kSize, 32 + step.x, 32 + step.y).r, 0)
            << step.x << "," << step.y;
    }
    EXPECT_EQ(pixelAt(blurred, kSize, 32 + 2, 32).r, 0) << "no tap two texels away";
    EXPECT_EQ(pixelAt(blurred, kSize, 40, 40).r, 0);
    // Symmetric both ways.
    EXPECT_EQ(pixelAt(blurred, kSize, 33, 32).r, pixelAt(blurred, kSize, 31, 32).r);
    EXPECT_EQ(pixelAt(blurred, kSize, 32, 33).r, pixelAt(blurred, kSize, 32, 31).r);
    EXPECT_NEAR(pixelAt(blurred, kSize, 33, 32).r, pixelAt(blurred, kSize, 32, 33).r, 1);
}

TEST_F(PostProcessing, TheCompositeBlursMoreAsLifeFallsAndWithDistance) {
    sceneWithStripes(0.0f);
    frame();
    EXPECT_EQ(windowContrast(), 255) << "near and at full life the picture is sharp";

    state.life = 50.0f;
    frame();
    const int halfLife = windowContrast();
    state.life = 10.0f;
    frame();
    const int nearlyDead = windowContrast();
    EXPECT_LT(halfLife, 200);
    EXPECT_LT(nearlyDead, halfLife);

    // Far away the picture softens even at full life.
    state.life = 100.0f;
    sceneWithStripes(1.0f);
    frame();
    EXPECT_LT(windowContrast(), 200);
}
