#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RenderSupport.h"
#include "render/TextRenderer.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

// A quad's corners: vertex 1 is bottom-left, vertex 2 bottom-right, vertex 0 top-left.
float left(const GlyphQuad& quad) {
    return quad.vertices[4];
}
float right(const GlyphQuad& quad) {
    return quad.vertices[8];
}

// Window pixels lit by white text, inside the rectangle and elsewhere.
glm::ivec2 litPixels(int x0, int y0, int x1, int y1) {
    const std::vector<unsigned char> image = readPixels(640, 480);
    glm::ivec2 lit(0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (pixelAt(image, 640, x, y).g > 128) {
                ++lit[x >= x0 && x < x1 && y >= y0 && y < y1 ? 0 : 1];
            }
        }
    }
    return lit;
}

class Text : public testing::Test {
  protected:
    GlContext gl{640, 480}; // the text space itself, one pixel per unit
    RenderSandbox sandbox;
    TextRenderer text;
    std::vector<GlyphQuad> quads;

    void TearDown() override { EXPECT_THAT(gl.takeErrors(), IsEmpty()); }
    const Glyph& glyph(char ch) const {
        return text.font->glyphs.at(static_cast<unsigned char>(ch));
    }
};

} // namespace

TEST_F(Text, LaysOutEveryGlyphFromItsBearingAndAdvancesByWholePixels) {
    EXPECT_EQ(text.font->glyphs.size(), 128u);
    EXPECT_EQ(textureSize(glyph('M').texture), glm::ivec2(glyph('M').width, glyph('M').rows));
    EXPECT_LE(glyph('M').rows, 18);

    layoutText(text.font->glyphs, "MIX", 300.0f, 10.0f, 1.0f, quads);
    ASSERT_EQ(quads.size(), 3u);
    float pen = 300.0f;
    for (int i = 0; i < 3; ++i) {
        const Glyph& g = glyph("MIX"[i]);
        EXPECT_EQ(quads[i].texture, g.texture);
        EXPECT_FLOAT_EQ(left(quads[i]), pen + g.bearingX) << i;
        EXPECT_FLOAT_EQ(right(quads[i]), pen + g.bearingX + g.width) << i;
        EXPECT_FLOAT_EQ(quads[i].vertices[5], 10.0f - (g.rows - g.bearingY)) << i;
        EXPECT_FLOAT_EQ(quads[i].vertices[1], quads[i].vertices[5] + g.rows) << i;
        pen += static_cast<float>(g.advance >> 6);
    }
    EXPECT_FLOAT_EQ(quads[0].vertices[3], 0.0f) << "v = 0 at the bitmap's top row";
    EXPECT_FLOAT_EQ(quads[0].vertices[7], 1.0f);

    // Scale 2 doubles sizes and advances; a space has an empty quad but moves the pen; a
    // code without a glyph is skipped.
    layoutText(text.font->glyphs, "M \xC4X", 100.0f, 50.0f, 2.0f, quads);
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_FLOAT_EQ(right(quads[0]) - left(quads[0]), 2.0f * glyph('M').width);
    EXPECT_FLOAT_EQ(left(quads[1]), right(quads[1]));
    EXPECT_FLOAT_EQ(left(quads[2]),
                    100.0f + 2.0f * ((glyph('M').advance >> 6) + (glyph(' ').advance >> 6) +
                                     glyph('X').bearingX));
}

TEST_F(Text, DrawsWhereTheLayoutSaysAndRestoresTheState) {
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    text.renderText(1, 1, 1, "", 300.0f, 10.0f, 1.0f);
    EXPECT_EQ(litPixels(0, 0, 0, 0), glm::ivec2(0)) << "an empty string draws nothing";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    text.renderText(1, 1, 1, "MIX", 300.0f, 10.0f, 1.0f);
    const glm::ivec2 lit = litPixels(300, 10, static_cast<int>(right(text.quads.back())) + 1, 28);
    EXPECT_GT(lit[0], 40);
    EXPECT_EQ(lit[1], 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
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
    EXPECT_EQ(litPixels(0, 0, 0, 0), glm::ivec2(0));
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
}
