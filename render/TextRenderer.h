#pragma once
// One line of screen text per frame, drawn from FreeType glyphs in a fixed 640 x 480 space
// with the origin at the bottom-left corner, whatever the window size.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "assets/Scene.h"

struct ShaderProgram;

extern const char* const kFontPath; // "../Resources/Fonts/arial.ttf"

struct Glyph {
    GlName texture = 0; // coverage in the red channel
    int32_t width = 0;  // bitmap size in pixels
    int32_t rows = 0;
    int32_t bearingX = 0; // pen position to the bitmap's left edge
    int32_t bearingY = 0; // baseline to the bitmap's top edge
    uint32_t advance = 0; // in 1/64 pixel
};

// The glyphs of codes 0..127 and the one quad buffer every character is streamed through.
struct Font {
    GlName vertexArray = 0;
    GlName vertexBuffer = 0; // 6 vertices of (x, y, u, v): 96 bytes
    std::map<unsigned char, Glyph> glyphs;

    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
};

// One character's quad: six (x, y, u, v) vertices, v = 0 at the bitmap's top row.
struct GlyphQuad {
    GlName texture = 0;
    float vertices[24] = {};
};

// Lays the text out from the pen position (x, y); characters without a glyph are skipped.
// The list is cleared first and keeps its capacity.
void layoutText(const std::map<unsigned char, Glyph>& glyphs, const std::string& text, float x,
                float y, float scale, std::vector<GlyphQuad>& quads);

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
