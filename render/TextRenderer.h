#pragma once
// One line of screen text per frame, drawn from FreeType glyphs in a fixed 640 x 480 space
// with the origin at the bottom-left corner, whatever the window size. Every glyph lives in one
// atlas texture, so a string is one upload and one draw.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "assets/Scene.h"

struct ShaderProgram;

extern const char* const kFontPath; // "../Resources/Fonts/arial.ttf"

struct Glyph {
    int32_t atlasX = 0; // the bitmap's top-left texel in the atlas
    int32_t atlasY = 0;
    int32_t width = 0; // bitmap size in pixels
    int32_t rows = 0;
    int32_t bearingX = 0; // pen position to the bitmap's left edge
    int32_t bearingY = 0; // baseline to the bitmap's top edge
    uint32_t advance = 0; // in 1/64 pixel
};

// Characters one draw takes; longer strings are drawn in several.
constexpr int kTextBatch = 128;

// The glyphs of codes 0..127 in one atlas, and the buffer every string is streamed through.
struct Font {
    GlName vertexArray = 0;
    GlName vertexBuffer = 0; // kTextBatch quads of 6 vertices of (x, y, u, v)
    GlName atlas = 0;        // coverage in the red channel, row 0 at the top of the glyphs
    int32_t atlasWidth = 1;
    int32_t atlasHeight = 1;
    std::map<unsigned char, Glyph> glyphs;

    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
};

// One character's quad: six (x, y, u, v) vertices; v grows from the bitmap's top row down.
struct GlyphQuad {
    float vertices[24] = {};
};

// Lays the text out from the pen position (x, y); characters without a glyph are skipped.
// The list is cleared first and keeps its capacity.
void layoutText(const Font& font, const std::string& text, float x, float y, float scale,
                std::vector<GlyphQuad>& quads);

struct TextRenderer {
    int32_t textColorLocation = -1;
    Font* font = nullptr;             // owned
    ShaderProgram* program = nullptr; // owned, "Text"
    std::vector<GlyphQuad> quads;     // reused by every call

    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // Blends the text over the frame with depth testing off; leaves blending off and depth
    // testing on.
    void renderText(float red, float green, float blue, const std::string& text, float x, float y,
                    float scale);
};
