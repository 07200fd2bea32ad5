#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RenderSupport.h"
#include "render/TextRenderer.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

class Text : public testing::Test {
  protected:
    GlContext gl{640, 480};
    RenderSandbox sandbox;
    TextRenderer text;
    std::vector<GlyphQuad> quads;

    void TearDown() override { EXPECT_THAT(gl.takeErrors(), IsEmpty()); }

    const Glyph& glyph(char ch) const {
        return text.font->glyphs.at(static_cast<unsigned char>(ch));
    }
};

float left(const GlyphQuad& quad) {
    return quad.vertices[4];
}
float bottom(const GlyphQuad& quad) {
    return quad.vertices[5];
}
float right(const GlyphQuad& quad) {
    return quad.vertices[8];
}
float top(const GlyphQuad& quad) {
    return quad.vertices[1];
}

// Pixels of the window brighter than half, within and outside a rectangle.
struct LitPixels {
    int inside = 0;
    int outside = 0;
};

LitPixels litPixels(int x0, int y0, int x1, int y1) {
    const std::vector<unsigned char> image = readPixels(640, 480);
    LitPixels lit;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (pixelAt(image, 640, x, y).g > 128) {
                const bool within = x >= x0 && x < x1 && y >= y0 && y < y1;
                ++(within ? lit.inside : lit.outside);
            }
        }
    }
    return lit;
}

} // namespace

TEST_F(Text, EveryAsciiCodeHasAGlyphAt18Pixels) {
    EXPECT_EQ(text.font->glyphs.size(), 128u);
    const Glyph& m = glyph('M');
    EXPECT_GT(m.width, 8);
    EXPECT_GE(m.rows, 12);
    EXPECT_LE(m.rows, 18);
    EXPECT_EQ(m.bearingY, m.rows) << "a capital sits on the baseline";
    EXPECT_EQ(textureSize(m.texture), glm::ivec2(m.width, m.rows));
    const Glyph& space = glyph(' ');
    EXPECT_EQ(space.width, 0);
    EXPECT_GT(space.advance, 0u);
}

TEST_F(Text, LayoutStartsAtTheBearingAndAdvancesByWholePixels) {
    layoutText(text.font->glyphs, "MIX", 300.0f, 10.0f, 1.0f, quads);
    ASSERT_EQ(quads.size(), 3u);
    float pen = 300.0f;
    for (int i = 0; i < 3; ++i) {
        const Glyph& g = glyph("MIX"[i]);
        SCOPED_TRACE(i);
        EXPECT_EQ(quads[i].texture, g.texture);
        EXPECT_FLOAT_EQ(left(quads[i]), pen + g.bearingX);
        EXPECT_FLOAT_EQ(right(quads[i]), pen + g.bearingX + g.width);
        EXPECT_FLOAT_EQ(bottom(quads[i]), 10.0f - (g.rows - g.bearingY));
        EXPECT_FLOAT_EQ(top(quads[i]), bottom(quads[i]) + g.rows);
        pen += static_cast<float>(g.advance >> 6);
    }
    // v = 0 at the top of the bitmap, u = 1 on the right.
    EXPECT_FLOAT_EQ(quads[0].vertices[3], 0.0f);
    EXPECT_FLOAT_EQ(quads[0].vertices[7], 1.0f);
    EXPECT_FLOAT_EQ(quads[0].vertices[10], 1.0f);

    // Twice the scale: twice the sizes and the advances; a space only moves the pen.
    layoutText(text.font->glyphs, "M X", 100.0f, 50.0f, 2.0f, quads);
    ASSERT_EQ(quads.size(), 3u);
    const Glyph& m = glyph('M');
    EXPECT_FLOAT_EQ(right(quads[0]) - left(quads[0]), 2.0f * m.width);
    EXPECT_FLOAT_EQ(left(quads[1]), right(quads[1])) << "the space's quad is empty";
    EXPECT_FLOAT_EQ(left(quads[2]), 100.0f + 2.0f * ((m.advance >> 6) + (glyph(' ').advance >> 6) +
                                                     glyph('X').bearingX));

    // A code without a glyph is skipped.
    layoutText(text.font->glyphs, std::string("A\xC4Z"), 0.0f, 0.0f, 1.0f, quads);
    EXPECT_EQ(quads.size(), 2u);
}

TEST_F(Text, DrawsWhereTheLayoutSaysAndRestoresTheState) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    text.renderText(1, 1, 1, "MIX", 300.0f, 10.0f, 1.0f);
    ASSERT_THAT(gl.takeErrors(), IsEmpty());
    const float end = right(text.quads.back());
    const LitPixels lit = litPixels(300, 10, static_cast<int>(end) + 1, 10 + 18);
    EXPECT_GT(lit.inside, 40);
    EXPECT_EQ(lit.outside, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // The text space is 640 x 480 whatever the window: on this window it maps 1:1, so a
    // second string at the top right lands there.
    text.renderText(1, 1, 1, "NOT ENOUGH MEDICINE", 400.0f, 450.0f, 1.0f);
    EXPECT_GT(litPixels(400, 440, 640, 470).inside, 100);
}

TEST_F(Text, AnEmptyStringDrawsNothingAndLeavesBlendingOffAndDepthTestingOn) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    text.renderText(1, 1, 1, "", 300.0f, 10.0f, 1.0f);
    EXPECT_TRUE(text.quads.empty());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(litPixels(0, 0, 0, 0).outside, 0);
}

TEST(TextWithoutFont, SaysSoAndDrawsNothing) {
    GlContext gl(640, 480);
    RenderSandbox sandbox(false);
    testing::internal::CaptureStdout();
    TextRenderer text;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FREETYPE - FAILED TO LOAD FONT\n");
    EXPECT_TRUE(text.font->glyphs.empty());
    glClear(GL_COLOR_BUFFER_BIT);
    text.renderText(1, 1, 1, "MIX", 300.0f, 10.0f, 1.0f);
    EXPECT_EQ(litPixels(0, 0, 0, 0).outside, 0);
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
}
