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

// Text space is 640 x 480 whatever the window size.
const float kProjection[16] = {
    2.0f / 640.0f, 0, 0, 0, 0, 2.0f / 480.0f, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};

Glyph uploadGlyph(const FT_GlyphSlot slot) {
    Glyph glyph;
    glGenTextures(1, &glyph.texture);
    glBindTexture(GL_TEXTURE_2D, glyph.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, static_cast<GLsizei>(slot->bitmap.width),
                 static_cast<GLsizei>(slot->bitmap.rows), 0, GL_RED, GL_UNSIGNED_BYTE,
                 slot->bitmap.buffer);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glyph.width = static_cast<int32_t>(slot->bitmap.width);
    glyph.rows = static_cast<int32_t>(slot->bitmap.rows);
    glyph.bearingX = slot->bitmap_left;
    glyph.bearingY = slot->bitmap_top;
    glyph.advance = static_cast<uint32_t>(slot->advance.x);
    return glyph;
}

void loadGlyphs(FT_Face face, std::map<unsigned char, Glyph>& glyphs) {
    FT_Set_Pixel_Sizes(face, 0, 18);
    for (unsigned int code = 0; code < 128; ++code) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) {
            std::cout << "FREETYTPE - FAILED TO LOAD GLYPH" << std::endl;
            continue;
        }
        const Glyph glyph = uploadGlyph(face->glyph);
        if (!glyphs.emplace(static_cast<unsigned char>(code), glyph).second) {
            glDeleteTextures(1, &glyph.texture);
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace

Font::Font() {
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, kQuadBytes, nullptr, GL_STREAM_DRAW);
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
    // Glyph bitmaps are tightly packed single bytes; the setting stays in force.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (faceLoaded) {
        loadGlyphs(face, glyphs);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
}

Font::~Font() {
    for (auto& entry : glyphs) {
        glDeleteTextures(1, &entry.second.texture);
    }
    glyphs.clear();
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &vertexBuffer);
    vertexArray = vertexBuffer = 0;
}

void layoutText(const std::map<unsigned char, Glyph>& glyphs, const std::string& text, float x,
                float y, float scale, std::vector<GlyphQuad>& quads) {
    quads.clear();
    for (const char ch : text) {
        const auto found = glyphs.find(static_cast<unsigned char>(ch));
        if (found == glyphs.end()) {
            continue;
        }
        const Glyph& g = found->second;
        const float xpos = x + static_cast<float>(g.bearingX) * scale;
        const float ypos = y - static_cast<float>(g.rows - g.bearingY) * scale;
        const float w = static_cast<float>(g.width) * scale;
        const float h = static_cast<float>(g.rows) * scale;
        GlyphQuad quad;
        quad.texture = g.texture;
        const float vertices[24] = {xpos,     ypos + h, 0, 0, xpos,     ypos,     0, 1,
                                    xpos + w, ypos,     1, 1, xpos,     ypos + h, 0, 0,
                                    xpos + w, ypos,     1, 1, xpos + w, ypos + h, 1, 0};
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
    layoutText(font->glyphs, text, x, y, scale, quads);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(program->program);
    glDisable(GL_DEPTH_TEST);
    glUniform3f(textColorLocation, red, green, blue);
    glBindVertexArray(font->vertexArray);
    glActiveTexture(GL_TEXTURE0);
    for (const GlyphQuad& quad : quads) {
        glBindTexture(GL_TEXTURE_2D, quad.texture);
        glBindBuffer(GL_ARRAY_BUFFER, font->vertexBuffer);
        glBufferSubData(GL_ARRAY_BUFFER, 0, kQuadBytes, quad.vertices);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDrawArrays(GL_TRIANGLES, 0, 6);
    }
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
