#pragma once
// Images painted in code and written as PNG through FreeImage. Rows are stored bottom row
// first, the order the game uploads them in, so y = 0 is texture coordinate v = 0.
#include <functional>
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct Image {
    int width = 0;
    int height = 0;
    bool alpha = false;            // written with an alpha channel
    std::vector<glm::vec4> pixels; // linear RGBA in [0, 1], bottom row first
};

Image createImage(int width, int height, bool alpha);

glm::vec4& pixelAt(Image& image, int x, int y);

// Sets every pixel from a function of the pixel centre's texture coordinates (u, v in [0, 1)).
void paint(Image& image, const std::function<glm::vec4(float u, float v)>& colour);

// Blends colour over the pixels that lie inside a shape given as a signed distance in pixels
// (negative inside); the edge is anti-aliased over one pixel.
void paintShape(Image& image, const std::function<float(glm::vec2 pixel)>& distance,
                const glm::vec4& colour);

// Signed distances in the same units as the point.
float circleDistance(glm::vec2 p, glm::vec2 centre, float radius);
float roundedBoxDistance(glm::vec2 p, glm::vec2 centre, glm::vec2 halfSize, float radius);
float segmentDistance(glm::vec2 p, glm::vec2 a, glm::vec2 b, float radius);

// 8 bits per channel PNG; fatal on failure.
void savePng(const Image& image, const std::string& path);

glm::vec4 rgb(int r, int g, int b, float a = 1.0f);
glm::vec4 mixColour(const glm::vec4& a, const glm::vec4& b, float t);
