#include "render/TextRenderer.h"

#include <algorithm>
#include <iostream>

#include <GL/glew.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "assets/ShaderProgram.h"

const char* const kFontPath = "../Resources/Fonts/arial.ttf";

namespace {

constexpr GLsizeiptr kQuadBytes = 6 * 4 * sizeof(float);
static_assert(sizeof(GlyphQuad) == kQuadBytes, "quads go to the buffer back to back");
constexpr int32_t kAtlasWidth = 256;
constexpr int32_t kGlyphGap = 1; // keeps linear reads from picking up the neighbour's coverage

// Text space is 640 x 480 whatever the window size.
const float kProjection[16] = {
    2.0f / 640.0f, 0, 0, 0, 0, 2.0f / 480.0f, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};

struct GlyphBitmap {
    unsigned char code = 0;
    Glyph glyph;
    std::vector<unsigned char> coverage; // width x rows, top row first
};

GlyphBitmap copyGlyph(unsigned char code, const FT_GlyphSlot slot) {
    GlyphBitmap bitmap;
    bitmap.code = code;
    Glyph& glyph = bitmap.glyph;
    glyph.width = static_cast<int32_t>(slot->bitmap.width);
    glyph.rows = static_cast<int32_t>(slot->bitmap.rows);
    glyph.bearingX = slot->bitmap_left;
    glyph.bearingY = slot->bitmap_top;
    glyph.advance = static_cast<uint32_t>(slot->advance.x);
    bitmap.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
    for (int32_t row = 0; row < glyph.rows; ++row) {
        const unsigned char* source = slot->bitmap.buffer + row * slot->bitmap.pitch;
        std::copy(source, source + glyph.width, bitmap.coverage.begin() + row * glyph.width);
    }
    return bitmap;
}

// Shelves of glyphs from the top-left corner, left to right; returns the atlas height.
int32_t packGlyphs(std::vector<GlyphBitmap>& bitmaps) {
    int32_t x = 0, y = 0, shelfHeight = 0;
    for (GlyphBitmap& bitmap : bitmaps) {
        Glyph& glyph = bitmap.glyph;
        if (x + glyph.width > kAtlasWidth) {
            x = 0;
            y += shelfHeight + kGlyphGap;
            shelfHeight = 0;
        }
        glyph.atlasX = x;
        glyph.atlasY = y;
        x += glyph.width + kGlyphGap;
        shelfHeight = std::max(shelfHeight, glyph.rows);
    }
    return std::max(y + shelfHeight, 1);
}

void loadGlyphs(FT_Face face, Font& font) {
    FT_Set_Pixel_Sizes(face, 0, 18);
    std::vector<GlyphBitmap> bitmaps;
    for (unsigned int code = 0; code < 128; ++code) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) {
            std::cout << "FREETYTPE - FAILED TO LOAD GLYPH" << std::endl;
            continue;
        }
        bitmaps.push_back(copyGlyph(static_cast<unsigned char>(code), face->glyph));
    }
    font.atlasWidth = kAtlasWidth;
    font.atlasHeight = packGlyphs(bitmaps);
    std::vector<unsigned char> texels(static_cast<size_t>(font.atlasWidth) * font.atlasHeight);
    for (const GlyphBitmap& bitmap : bitmaps) {
        const Glyph& glyph = bitmap.glyph;
        for (int32_t row = 0; row < glyph.rows; ++row) {
            std::copy_n(bitmap.coverage.begin() + row * glyph.width, glyph.width,
                        texels.begin() + (glyph.atlasY + row) * font.atlasWidth + glyph.atlasX);
        }
        font.glyphs.emplace(bitmap.code, glyph);
    }
    glGenTextures(1, &font.atlas);
    glBindTexture(GL_TEXTURE_2D, font.atlas);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, font.atlasWidth, font.atlasHeight, 0, GL_RED,
                 GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace

Font::Font() {
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, kTextBatch * kQuadBytes, nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::cout << "FREETYPE - INIT FAILED" << std::endl;
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        return;
    }
    FT_Face face = nullptr;
    const bool faceLoaded = FT_New_Face(library, kFontPath, 0, &face) == 0;
    if (!faceLoaded) {
        std::cout << "FREETYPE - FAILED TO LOAD FONT" << std::endl;
    }
    // Glyph rows are tightly packed single bytes; the setting stays in force.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (faceLoaded) {
        loadGlyphs(face, *this);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
}

Font::~Font() {
    glDeleteTextures(1, &atlas);
    glyphs.clear();
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &vertexBuffer);
    atlas = vertexArray = vertexBuffer = 0;
}

void layoutText(const Font& font, const std::string& text, float x, float y, float scale,
                std::vector<GlyphQuad>& quads) {
    quads.clear();
    const float texelU = 1.0f / static_cast<float>(font.atlasWidth);
    const float texelV = 1.0f / static_cast<float>(font.atlasHeight);
    for (const char ch : text) {
        const auto found = font.glyphs.find(static_cast<unsigned char>(ch));
        if (found == font.glyphs.end()) {
            continue;
        }
        const Glyph& g = found->second;
        const float xpos = x + static_cast<float>(g.bearingX) * scale;
        const float ypos = y - static_cast<float>(g.rows - g.bearingY) * scale;
        const float w = static_cast<float>(g.width) * scale;
        const float h = static_cast<float>(g.rows) * scale;
        const float u0 = static_cast<float>(g.atlasX) * texelU;
        const float u1 = static_cast<float>(g.atlasX + g.width) * texelU;
        const float v0 = static_cast<float>(g.atlasY) * texelV;
        const float v1 = static_cast<float>(g.atlasY + g.rows) * texelV;
        GlyphQuad quad;
        const float vertices[24] = {xpos,     ypos + h, u0, v0, xpos,     ypos,     u0, v1,
                                    xpos + w, ypos,     u1, v1, xpos,     ypos + h, u0, v0,
                                    xpos + w, ypos,     u1, v1, xpos + w, ypos + h, u1, v0};
        std::copy(vertices, vertices + 24, quad.vertices);
        quads.push_back(quad);
        // The advance is in 1/64 pixel; the shift drops the fraction.
        x += static_cast<float>(g.advance >> 6) * scale;
    }
}

TextRenderer::TextRenderer() {
    program = createShaderProgram(kShaderFolder, "Text");
    font = new Font;
    glUseProgram(program->program);
    textColorLocation = glGetUniformLocation(program->program, "textColor");
    glUniformMatrix4fv(glGetUniformLocation(program->program, "projection"), 1, GL_FALSE,
                       kProjection);
    glUseProgram(0);
}

TextRenderer::~TextRenderer() {
    delete font;
    releaseShaderProgram(program);
    font = nullptr;
    program = nullptr;
}

void TextRenderer::renderText(float red, float green, float blue, const std::string& text, float x,
                              float y, float scale) {
    layoutText(*font, text, x, y, scale, quads);
    if (quads.empty()) {
        // Nothing to draw, but callers rely on the state it leaves.
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(program->program);
    glDisable(GL_DEPTH_TEST);
    glUniform3f(textColorLocation, red, green, blue);
    glBindVertexArray(font->vertexArray);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, font->atlas);
    glBindBuffer(GL_ARRAY_BUFFER, font->vertexBuffer);
    for (size_t first = 0; first < quads.size(); first += kTextBatch) {
        const size_t count = std::min(quads.size() - first, static_cast<size_t>(kTextBatch));
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count) * kQuadBytes,
                        quads[first].vertices);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(count * 6));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
