// The renderer drawing in a real context: each part on its own, then the shipped level built
// as the game builds it, drawn at 800 x 600 and read back.
#include <algorithm>
#include <cmath>
#include <numeric>

#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Textures.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "render/PostProcessor.h"
#include "render/RenderTarget.h"
#include "render/Renderer.h"
#include "render/TextRenderer.h"
#include "render/Water.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

using testing::AnyOf;
using testing::IsEmpty;

namespace {

using Image = std::vector<unsigned char>; // RGBA, bottom row first

glm::ivec4 pixelAt(const Image& image, int width, int x, int y) {
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return glm::ivec4(image.at(at), image.at(at + 1), image.at(at + 2), image.at(at + 3));
}

// Pixels brighter than a dim grey, inside the rectangle (x0, y0, x1, y1 exclusive) and not.
glm::ivec2 litPixels(const Image& image, int width, const glm::ivec4& r) {
    glm::ivec2 lit(0);
    for (size_t i = 0; i + 3 < image.size(); i += 4) {
        const glm::ivec2 at(static_cast<int>(i / 4) % width, static_cast<int>(i / 4) / width);
        if (image[i] + image[i + 1] + image[i + 2] > 60) {
            ++lit[at.x >= r.x && at.y >= r.y && at.x < r.z && at.y < r.w ? 0 : 1];
        }
    }
    return lit;
}

// The largest step between horizontal neighbours of the left three quarters (clear of the
// slots), over every channel: high for sharp edges and thin lines, low once blurred.
int sharpness(const Image& image, int width, int height) {
    int sharpest = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x + 1 < width * 3 / 4; ++x) {
            const glm::ivec4 step = pixelAt(image, width, x + 1, y) - pixelAt(image, width, x, y);
            sharpest = std::max({sharpest, std::abs(step.r), std::abs(step.g), std::abs(step.b)});
        }
    }
    return sharpest;
}

// The mean difference of red, green and blue between two pictures.
float meanDifference(const Image& a, const Image& b) {
    long sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += i % 4 == 3 ? 0 : std::abs(a[i] - b[i]);
    }
    return static_cast<float>(sum) / static_cast<float>(a.size() / 4 * 3);
}

// Writes white where white(x, y) holds and black elsewhere into the texture.
template <typename White> void paint(GlName texture, int width, int height, White white) {
    Image pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size() / 4; ++i) {
        std::fill_n(&pixels[i * 4], 4, white(static_cast<int>(i % width), i / width) ? 255 : 0);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                    pixels.data());
}

Image readTexture(GlName texture, int width, int height) {
    Image pixels(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace

TEST(Renderer, FollowsTheFilterTogglesDrawsWithoutAPlayerAndRefusesABadTargetOrScale) {
    GlContext gl;
    Sandbox sandbox{true};
    Renderer renderer(gl.width, gl.height);
    Camera camera;
    // Mipmap mode, linear filtering, then the magnification and minification filters.
    const GLint table[][4] = {{2, 1, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST},
                              {2, 0, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST},
                              {1, 1, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR},
                              {1, 0, GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR},
                              {0, 1, GL_LINEAR, GL_LINEAR},
                              {0, 0, GL_NEAREST, GL_LINEAR}};
    GameState state;
    for (const auto& row : table) {
        state.mipmapMode = row[0];
        state.linearFiltering = row[1] != 0;
        renderer.textureShader->beginPass(camera, Light{}, glm::vec4(0.0f), state);
        glm::ivec2 filters(-1);
        glGetSamplerParameteriv(renderer.textureShader->sampler, GL_TEXTURE_MAG_FILTER,
                                &filters[0]);
        glGetSamplerParameteriv(renderer.textureShader->sampler, GL_TEXTURE_MIN_FILTER,
                                &filters[1]);
        EXPECT_EQ(filters, glm::ivec2(row[2], row[3])) << row[0] << " " << row[1];
        renderer.textureShader->endPass();
    }

    // Every target in a format that each core driver must render to, depth with 24 bits.
    const std::pair<GLenum, GLuint> attachments[] = {
        {GL_TEXTURE_2D, renderer.sceneTarget->colourTexture},
        {GL_TEXTURE_2D, renderer.sceneTarget->depthTexture},
        {GL_TEXTURE_2D, renderer.waterTargets->reflectionTexture},
        {GL_RENDERBUFFER, renderer.waterTargets->reflectionDepthBuffer},
        {GL_TEXTURE_2D, renderer.waterTargets->refractionTexture},
        {GL_TEXTURE_2D, renderer.waterTargets->refractionDepthTexture}};
    for (const auto& [kind, name] : attachments) {
        GLint format = 0;
        if (kind == GL_RENDERBUFFER) {
            glBindRenderbuffer(GL_RENDERBUFFER, name);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
        } else {
            glBindTexture(GL_TEXTURE_2D, name);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        }
        EXPECT_THAT(format, AnyOf(GL_RGBA8, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT32F)) << name;
    }

    // A scene without a player yet is seen through the free camera.
    Scene empty;
    empty.freeCamera = createFreeCamera(gl.width, gl.height);
    renderer.render(empty);
    EXPECT_EQ(renderer.activeCamera, empty.freeCamera->camera);
    releaseScene(empty);
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
    EXPECT_FATAL(RenderTarget(0, 0), "FRAMEBUFFER NOT COMPLETE\n");

    // A render scale it cannot read is reported and left automatic.
    setenv("MORBANE_RENDER_SCALE", "1.5", 1);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Renderer(gl.width, gl.height).scaleSetting.automatic);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "MORBANE_RENDER_SCALE \"1.5\" is neither auto nor a number in (0, 1]. Using auto.\n");
    setenv("MORBANE_RENDER_SCALE", "0.5", 1);
    EXPECT_EQ(Renderer(gl.width, gl.height).renderScale, 0.5f);
    unsetenv("MORBANE_RENDER_SCALE");
}

TEST(Text, LaysOutFromEachBearingAndDrawsNothingForAnEmptyStringOrWithoutTheFont) {
    GlContext gl(640, 480); // the text space itself, one pixel per unit
    Sandbox sandbox{true};
    TextRenderer text;
    // \xC4 is a code without a glyph; the y hangs below the baseline.
    layoutText(*text.font, "My\xC4X", 300.0f, 10.0f, 1.0f, text.quads);
    ASSERT_EQ(text.quads.size(), 3u);
    float pen = 300.0f;
    for (int i = 0; i < 3; ++i) {
        // Vertex 1 is the bottom-left corner.
        const Glyph& g = text.font->glyphs.at("MyX"[i]);
        EXPECT_FLOAT_EQ(text.quads[i].vertices[4], pen + g.bearingX) << i;
        EXPECT_FLOAT_EQ(text.quads[i].vertices[5], 10.0f - (g.rows - g.bearingY)) << i;
        pen += static_cast<float>(g.advance >> 6);
    }

    // One texel to a pixel, each glyph shows its own coverage from the atlas, top row up.
    const int atlasWidth = text.font->atlasWidth;
    Image atlas(static_cast<size_t>(atlasWidth) * text.font->atlasHeight);
    glBindTexture(GL_TEXTURE_2D, text.font->atlas);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, atlas.data());
    for (const char ch : std::string("MyX")) {
        const Glyph& g = text.font->glyphs.at(ch);
        glClear(GL_COLOR_BUFFER_BIT);
        text.renderText(1, 1, 1, std::string(1, ch), 300.0f, 10.0f, 1.0f);
        const Image frame = readPixels(640, 480);
        int worst = 0;
        for (int row = 0; row < g.rows; ++row) {
            for (int column = 0; column < g.width; ++column) {
                const int x = 300 + g.bearingX + column, y = 10 + g.bearingY - 1 - row;
                const int drawn = frame[(static_cast<size_t>(y) * 640 + x) * 4];
                const int coverage = atlas[(g.atlasY + row) * atlasWidth + g.atlasX + column];
                worst = std::max(worst, std::abs(drawn - coverage));
            }
        }
        EXPECT_LE(worst, 2) << ch;
        EXPECT_GT(litPixels(frame, 640, glm::ivec4(0)).y, g.width * g.rows / 4) << ch;
    }

    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    text.renderText(1, 1, 1, "", 300.0f, 10.0f, 1.0f);
    EXPECT_EQ(litPixels(readPixels(640, 480), 640, glm::ivec4(0)), glm::ivec2(0));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    Sandbox withoutFont;
    withoutFont.linkShipped("Resources/Shaders");
    testing::internal::CaptureStdout();
    TextRenderer missing;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FREETYPE - FAILED TO LOAD FONT\n");
    missing.renderText(1, 1, 1, "MIX", 300.0f, 10.0f, 1.0f);
    EXPECT_EQ(litPixels(readPixels(640, 480), 640, glm::ivec4(0)), glm::ivec2(0));
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
}

namespace {

// The post-processor over a scene target of the window's size, fed painted pictures.
struct PostBench {
    GlContext gl;
    Sandbox sandbox{true};
    PostProcessor post{gl.width, gl.height};
    RenderTarget scene{gl.width, gl.height};
    ScreenQuad* quad = createScreenQuad({{-1, -1}, {-1, 1}, {1, 1}, {1, -1}},
                                        {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, {0, 2, 1, 0, 3, 2});

    PostBench(int width, int height) : gl(width, height) {}
    ~PostBench() {
        releaseScreenQuad(quad);
        gameState() = GameState();
    }

    // The scene target at the given depth, white where white(x, y) holds, post-processed onto
    // the window from its lower left drawn.x x drawn.y.
    template <typename White> Image frame(White white, float depth, glm::ivec2 drawn) {
        paint(scene.colourTexture, gl.width, gl.height, white);
        glBindFramebuffer(GL_FRAMEBUFFER, scene.framebuffer);
        glClearBufferfv(GL_DEPTH, 0, &depth);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        post.postProcess(*quad, scene, drawn.x, drawn.y);
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
        return readPixels(gl.width, gl.height);
    }
};

} // namespace

TEST(PostProcessing, BlursALineIntoOneSoftValleyAtEachScaleMoreAsLifeFallsAndFarAway) {
    for (const glm::ivec2& size : {glm::ivec2(1280, 720), glm::ivec2(1920, 1080)}) {
        PostBench bench(size.x, size.y);
        for (const float scale : {1.0f, 0.5f}) {
            const glm::ivec2 drawn(scaledSize(size.x, scale), scaledSize(size.y, scale));
            const auto inside = [drawn](int x, int y) { return x < drawn.x && y < drawn.y; };
            // Full life, far away: half blurred, and no darkened edges. Black all over first,
            // so that any read beyond the picture shows at its edges.
            gameState().life = 100.0f;
            bench.frame([](int, int) { return false; }, 0.9998f, size);
            const Image white = bench.frame(inside, 0.9998f, drawn);
            EXPECT_EQ(*std::min_element(white.begin(), white.end()), 255) << size.x << " " << scale;

            // A one-pixel dark line across the middle each way (one pass each), at life 10.
            for (const bool across : {false, true}) {
                const auto field = [&](int x, int y) {
                    return inside(x, y) && (across ? y != drawn.y / 2 : x != drawn.x / 2);
                };
                gameState().life = 20.0f; // sigma 6 from here on
                bench.frame(field, 1.0f, drawn);
                gameState().life = 10.0f;
                const Image blurred = bench.frame(field, 1.0f, drawn);
                std::vector<int> profile;
                float darkness = 0.0f, moment = 0.0f;
                for (int d = -24; d <= 24; ++d) {
                    const glm::ivec2 at = size / 2 + (across ? glm::ivec2(0, d) : glm::ivec2(d, 0));
                    profile.push_back(pixelAt(blurred, size.x, at.x, at.y).g);
                    darkness += 255.0f - profile.back();
                    moment += d * (255.0f - profile.back());
                }
                // It falls to one lowest run and rises from it on both sides without turning
                // back, to the field: a soft smear, not a ladder of lines.
                const auto lowest = std::min_element(profile.begin(), profile.end());
                EXPECT_TRUE(std::is_sorted(profile.begin(), lowest + 1, std::greater<int>()) &&
                            std::is_sorted(lowest, profile.end()) && profile.front() == 255 &&
                            profile.back() == 255)
                    << testing::PrintToString(profile);
                EXPECT_LE(std::abs(moment / darkness), 1.0f / scale) << "centred on the line";
                EXPECT_TRUE(*lowest > 200 && profile[24 + 5] < 250) << "over five pixels and more";
            }
        }
    }

    // Near at full life at the whole size, the window shows the scene itself, texel for pixel.
    PostBench bench(1280, 720);
    const glm::ivec2 size(bench.gl.width, bench.gl.height);
    const auto checker = [](int x, int y) { return (x + y) % 2 == 0; };
    const Image near = bench.frame(checker, 0.0f, size);
    int unlike = 0;
    for (int i = 0; i < size.x * size.y; ++i) {
        unlike += near[i * 4 + 1] != (checker(i % size.x, i / size.x) ? 255 : 0);
    }
    EXPECT_EQ(unlike, 0);
    // Columns two texels wide every four: blurred as life falls, and far away.
    const auto columns = [&](float life, float depth) {
        gameState().life = life;
        const auto white = [](int x, int) { return x % 4 < 2; };
        return sharpness(bench.frame(white, depth, size), size.x, size.y);
    };
    columns(72.0f, 0.0f);
    EXPECT_FLOAT_EQ(bench.post.blur.weights[0], computeWeights(3.0).weights[0]) << "now sigma 3";
    const int halfLife = columns(50.0f, 0.0f);
    EXPECT_LT(halfLife, 200);
    EXPECT_LT(columns(10.0f, 0.0f), halfLife);
    EXPECT_LT(columns(100.0f, 0.9998f), 200) << "83 units away";
}

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class ShippedLevel : public testing::Test {
  protected:
    GlContext gl{kWidth, kHeight};
    Sandbox sandbox{true};
    GameState& state = gameState();
    Factory factory{kWidth, kHeight}; // loads the textures the water needs
    Renderer renderer{kWidth, kHeight};
    PhysX physics;
    Scene scene;

    void SetUp() override {
        factory.loadScene(scene);
        PhysXFactory(physics, kWidth, kHeight).build(physics, scene);
    }

    void TearDown() override {
        releaseScene(scene);
        for (ScreenQuad* slot : state.inventorySlots) {
            releaseScreenQuad(slot);
        }
        releaseTextures();
        state = GameState();
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
    }

    void lookFrom(const glm::vec3& eye, const glm::vec3& target) {
        state.freeCamera = true;
        scene.freeCamera->camera->position = glm::vec4(eye, 1.0f);
        scene.freeCamera->camera->view = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    }

    Image frame(float frameTime = 0.0f) {
        renderer.frameTime = frameTime; // the waves move with it
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.render(scene);
        EXPECT_THAT(gl.takeErrors(), IsEmpty());
        return readPixels(kWidth, kHeight);
    }

    // Pixels that differ between the two frames within 20 of where the point is seen.
    int changedAround(const Image& a, const Image& b, const glm::vec3& point) const {
        const Camera& camera = *renderer.activeCamera;
        const glm::ivec2 centre(
            glm::project(point, camera.view, camera.projection, glm::vec4(0, 0, kWidth, kHeight)));
        int changed = 0;
        for (int i = 0; i < 40 * 40; ++i) {
            const glm::ivec2 at = centre + glm::ivec2(i % 40, i / 40) - 20;
            changed += pixelAt(a, kWidth, at.x, at.y) != pixelAt(b, kWidth, at.x, at.y);
        }
        return changed;
    }
};

} // namespace

TEST_F(ShippedLevel, TheFirstViewIsLitBlurredAtLowLifeUnlessInWireframeAndAwayOnlyTheOverlayShows) {
    const Image image = frame();
    EXPECT_GT(state.meshCount, 0);
    // Red, green and blue add up to 120 on average, over the 255 of alpha: lit, not only ambient.
    EXPECT_GT(std::accumulate(image.begin(), image.end(), 0L) / (kWidth * kHeight), 255 + 120);
    // At half the size, stretched onto the window: the same view, only softer.
    renderer.renderScale = 0.5f;
    const float difference = meanDifference(image, frame());
    renderer.renderScale = 1.0f;
    EXPECT_TRUE(difference > 0.0f && difference < 4.0f) << difference;
    state.life = 15.0f;
    const int blurred = sharpness(frame(), kWidth, kHeight);
    state.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const int wire = sharpness(frame(), kWidth, kHeight);
    EXPECT_GT(wire, 2 * blurred) << "wire " << wire << " blurred " << blurred;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // Without a light every term of the attenuation is 0; drawn into a float target, where a
    // 1/0 would leave NaN, every pixel must stay a number.
    RenderTarget target(kWidth, kHeight);
    glBindTexture(GL_TEXTURE_2D, target.colourTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, kWidth, kHeight, 0, GL_RGBA, GL_FLOAT, nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.drawPass(Light(), glm::vec4(0, 0, 0, 1));
    std::vector<float> colour(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_FLOAT, colour.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_TRUE(std::none_of(colour.begin(), colour.end(), [](float v) { return std::isnan(v); }));

    // Looking away from the level, at full life again: only the slots and the message are lit.
    state.wireframe = false;
    state.life = 100.0f;
    lookFrom(glm::vec3(0, 30, 300), glm::vec3(0, 30, 400));
    state.message = "MIX";
    state.medicineCount = 3;
    for (ScreenQuad* slot : state.inventorySlots) {
        slot->texture = state.textureTable.at("pills.png");
    }
    // With the pond out of sight its passes are skipped (the pixels would be the same).
    PassTimes times;
    renderer.passTimes = &times;
    const Image away = frame();
    EXPECT_EQ(times.milliseconds[static_cast<size_t>(Pass::Reflection)], 0.0);
    EXPECT_EQ(state.meshCount, 0);
    // At a third of the size the overlay is still drawn at the window's: as sharp as ever (the
    // odd pixel of a slot edge may round the other way in the window).
    renderer.renderScale = 1.0f / 3.0f;
    EXPECT_LT(meanDifference(frame(), away), 0.1f);
    // "MIX" at (300, 10) of the 640 x 480 text space; the slots down the right, from the top.
    const glm::ivec2 text = litPixels(away, kWidth, glm::ivec4(375, 0, 450, 40));
    EXPECT_GT(text[0], 40);
    int slotsLit = 0;
    for (const int top : {600, 500, 400}) {
        const int lit = litPixels(away, kWidth, glm::ivec4(700, top - 95, 800, top))[0];
        EXPECT_GT(lit, 2000) << "the slot below row " << top;
        slotsLit += lit;
    }
    EXPECT_EQ(text[1], slotsLit) << "nothing of the earlier frames or the level is lit";
}

TEST_F(ShippedLevel, ThePondMirrorsWhatHangsOverItItsWavesMoveAndEachWaterPassKeepsItsSide) {
    // The faces moved over the far side of the water, and looked at from the near bank.
    Model& faces = *scene.animatedModels.at(2)->model;
    faces.instances.at(0)[3] = glm::vec4(-30, 18, 22, 1);
    lookFrom(glm::vec3(-30, 24, 46), glm::vec3(-30, 18, 22));
    const Image with = frame();
    faces.visible = false;
    const Image without = frame();
    EXPECT_GT(changedAround(with, without, glm::vec3(-30, 18, 22)), 1000) << "seen whole";
    EXPECT_GT(changedAround(with, without, glm::vec3(-30, 2 * WATER_HEIGHT - 18, 22)), 1000)
        << "and upside down in the water";
    EXPECT_GT(changedAround(without, frame(1.0f), glm::vec3(-30, WATER_HEIGHT, 29)), 400);

    // What each water pass drew where the water shows (all it clears and draws), taken back to
    // the world through the camera it drew with: the reflection keeps what lies above the
    // water, the refraction what lies below.
    lookFrom(glm::vec3(-22, 19, 38), glm::vec3(-30, WATER_HEIGHT, 29));
    frame();
    Camera mirrored = *renderer.activeCamera;
    mirrorCamera(mirrored, WATER_HEIGHT);
    const WaterTargets& targets = *renderer.waterTargets;
    const glm::vec4 viewport(0, 0, 640, 480);
    const auto heights = [&](GlName framebuffer, const Camera& camera) {
        std::vector<float> depth(640 * 480), drawn;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glReadPixels(0, 0, 640, 480, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        const glm::mat4 clip = camera.projection * camera.view * scene.water->instances.front();
        const glm::ivec4 box = waterScissor(clip, *scene.water->bounds, 640, 480);
        for (int y = box.y; y < box.y + box.w; ++y) {
            for (int x = box.x; x < box.x + box.z; ++x) {
                const glm::vec3 at(x + 0.5f, y + 0.5f, depth[y * 640 + x]);
                if (at.z < 1.0f) {
                    drawn.push_back(glm::unProject(at, camera.view, camera.projection, viewport).y);
                }
            }
        }
        std::sort(drawn.begin(), drawn.end());
        return drawn;
    };
    const std::vector<float> above = heights(targets.reflectionFramebuffer, mirrored);
    const std::vector<float> below = heights(targets.refractionFramebuffer, *renderer.activeCamera);
    ASSERT_GT(above.size(), 1000u);
    ASSERT_GT(below.size(), 10000u);
    EXPECT_GT(above.front(), WATER_HEIGHT - 0.1f);
    EXPECT_LT(below.back(), WATER_HEIGHT + 0.1f);

    // F9 off draws the water unblended: its shore keeps its own low alpha in the scene instead of
    // blending over the bank beneath.
    const auto lowAlpha = [&] {
        frame();
        const Image drawn = readTexture(renderer.sceneTarget->colourTexture, kWidth, kHeight);
        int low = 0;
        for (size_t i = 3; i < drawn.size(); i += 4) {
            low += drawn[i] < 128;
        }
        return low;
    };
    const int blended = lowAlpha();
    state.transparency = false;
    EXPECT_GT(lowAlpha(), 2 * blended);

    // With no bottom drawn at all the water, blended over red, leaves the red whole.
    glBindFramebuffer(GL_FRAMEBUFFER, targets.refractionFramebuffer);
    glClear(GL_DEPTH_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    renderer.waterRenderer->drawWater(*renderer.activeCamera, *scene.water->mesh, targets,
                                      scene.water->instances.front(), 0.0f);
    glDisable(GL_BLEND);
    const Image over = readPixels(kWidth, kHeight);
    int notRed = 0;
    for (size_t i = 0; i < over.size(); i += 4) {
        notRed += over[i] < 250 || over[i + 1] > 5 || over[i + 2] > 5;
    }
    EXPECT_EQ(notRed, 0);
}
