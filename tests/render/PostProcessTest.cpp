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

struct Table {
    float weights[3];
    float offsets[3];
};
const Table kSigma2 = {{0.199471146f, 0.297018021f, 0.0917542875f}, {0, 1.40733337f, 3.29421473f}};
const Table kSigma3 = {{0.132980764f, 0.23227708f, 0.135326937f}, {0, 1.45842957f, 3.40398479f}};
const Table kSigma6 = {{0.066490382f, 0.12847048f, 0.111918889f}, {0, 1.48958492f, 3.47571349f}};

void expectWeights(const BlurWeights& blur, const Table& table) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(blur.weights[i], table.weights[i]) << "weight " << i;
        EXPECT_FLOAT_EQ(blur.offsets[i], table.offsets[i]) << "offset " << i;
    }
}

constexpr int kSize = 64;

class PostProcessing : public testing::Test {
  protected:
    GlContext gl{kSize, kSize};
    RenderSandbox sandbox{false};
    PostProcessor post{kSize, kSize};
    RenderTarget scene{kSize, kSize};
    ScreenQuad* quad = nullptr;
    GameState& state = gameState();

    void SetUp() override {
        const glm::vec2 positions[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        const glm::vec2 texCoords[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        const uint32_t indices[6] = {0, 2, 1, 0, 3, 2};
        quad = createScreenQuad(positions, texCoords, indices);
    }
    void TearDown() override {
        releaseScreenQuad(quad);
        state = GameState();
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    // The scene target at the given depth, black with white columns every step texels (or one
    // white texel in the middle when step is 0).
    void drawScene(int step, float depth) {
        glBindFramebuffer(GL_FRAMEBUFFER, scene.framebuffer);
        glClearDepth(depth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(1, 1, 1, 1);
        for (int x = 0; x < kSize; x += (step == 0 ? kSize : step)) {
            step == 0 ? glScissor(32, 32, 1, 1) : glScissor(x, 0, step / 2, kSize);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glClearColor(0, 0, 0, 1);
        glDisable(GL_SCISSOR_TEST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    void frame() {
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

    // Brightest minus darkest red of the window's middle row.
    int contrast() {
        const std::vector<unsigned char> image = readPixels(kSize, kSize);
        int lowest = 255;
        int highest = 0;
        for (int x = 8; x < kSize - 8; ++x) {
            lowest = std::min(lowest, pixelAt(image, kSize, x, kSize / 2).r);
            highest = std::max(highest, pixelAt(image, kSize, x, kSize / 2).r);
        }
        return highest - lowest;
    }
};

} // namespace

TEST(ComputeWeights, MatchesTheFoldedGaussianTable) {
    expectWeights(computeWeights(2.0), kSigma2);
    expectWeights(computeWeights(3.0), kSigma3);
    expectWeights(computeWeights(6.0), kSigma6);
}

TEST(UpdateBlurWeights, SwitchesOnlyWhenLifeMeetsSeventyTwoOrTwenty) {
    BlurWeights blur = computeWeights(2.0);
    // A sedative lifting life from 20 to 30 keeps sigma 6 until life meets 72 again.
    const struct {
        float life;
        bool switches;
        const Table& table;
    } steps[] = {{100, false, kSigma2}, {73, false, kSigma2}, {72, true, kSigma3},
                 {71, false, kSigma3},  {20, true, kSigma6},  {30, false, kSigma6},
                 {72, true, kSigma3},   {120, false, kSigma3}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.life);
        EXPECT_EQ(updateBlurWeights(blur, step.life, 100.0f, 2.0), step.switches);
        expectWeights(blur, step.table);
    }
}

TEST_F(PostProcessing, TheWeightsAndTheLifeReachTheShaders) {
    frame();
    expectWeights(sentToGauss(), kSigma2);
    EXPECT_EQ(sentToDoF("actualLife"), 100);
    EXPECT_EQ(sentToDoF("totalLife"), 100);
    state.life = 72.0f;
    frame();
    state.life = 71.6f;
    frame();
    expectWeights(sentToGauss(), kSigma3);
    EXPECT_EQ(sentToDoF("actualLife"), 71) << "truncated";
}

TEST_F(PostProcessing, TheBlurTargetEndsBlurredBothWays) {
    drawScene(0, 1.0f);
    frame();
    const std::vector<unsigned char> blurred =
        readTexture(post.blurTarget->colourTexture, kSize, kSize);
    auto red = [&](int dx, int dy) { return pixelAt(blurred, kSize, 32 + dx, 32 + dy).r; };
    EXPECT_GT(red(0, 0), 0);
    EXPECT_LT(red(0, 0), 255) << "the dot is spread out";
    // The folded taps land one and three texels away, both ways and so diagonally too.
    for (const glm::ivec2& d :
         {glm::ivec2(1, 0), glm::ivec2(0, -1), glm::ivec2(1, 1), glm::ivec2(-3, 3)}) {
        EXPECT_GT(red(d.x, d.y), 0) << d.x << "," << d.y;
    }
    EXPECT_EQ(red(2, 0), 0);
    EXPECT_EQ(red(8, 8), 0);
    EXPECT_EQ(red(1, 0), red(-1, 0));
    EXPECT_EQ(red(0, 1), red(0, -1));
    EXPECT_NEAR(red(1, 0), red(0, 1), 1);
}

TEST_F(PostProcessing, TheCompositeBlursMoreAsLifeFallsAndFarAway) {
    drawScene(4, 0.0f);
    frame();
    EXPECT_EQ(contrast(), 255) << "near and at full life the picture is sharp";
    state.life = 50.0f;
    frame();
    const int halfLife = contrast();
    state.life = 10.0f;
    frame();
    EXPECT_LT(halfLife, 200);
    EXPECT_LT(contrast(), halfLife);

    state.life = 100.0f;
    drawScene(4, 0.9998f); // 83 units away
    frame();
    EXPECT_LT(contrast(), 200);
}
