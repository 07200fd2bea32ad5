#include "tools/levelgen/Image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <FreeImage.h>

Image createImage(int width, int height, bool alpha) {
    Image image;
    image.width = width;
    image.height = height;
    image.alpha = alpha;
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                        glm::vec4(0.0f, 0.0f, 0.0f, alpha ? 0.0f : 1.0f));
    return image;
}

glm::vec4& pixelAt(Image& image, int x, int y) {
    return image
        .pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
}

void paint(Image& image, const std::function<glm::vec4(float, float)>& colour) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(image.width);
            float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(image.height);
            pixelAt(image, x, y) = colour(u, v);
        }
    }
}

void paintShape(Image& image, const std::function<float(glm::vec2)>& distance,
                const glm::vec4& colour) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            glm::vec2 p(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            float coverage = std::clamp(0.5f - distance(p), 0.0f, 1.0f);
            if (coverage <= 0.0f) {
                continue;
            }
            glm::vec4& dst = pixelAt(image, x, y);
            float a = colour.a * coverage;
            float outAlpha = a + dst.a * (1.0f - a);
            glm::vec3 rgbOut = glm::vec3(colour) * a + glm::vec3(dst) * dst.a * (1.0f - a);
            if (outAlpha > 0.0f) {
                rgbOut /= outAlpha;
            }
            dst = glm::vec4(rgbOut, image.alpha ? outAlpha : 1.0f);
        }
    }
}

float circleDistance(glm::vec2 p, glm::vec2 centre, float radius) {
    return glm::length(p - centre) - radius;
}

float roundedBoxDistance(glm::vec2 p, glm::vec2 centre, glm::vec2 halfSize, float radius) {
    glm::vec2 q = glm::abs(p - centre) - halfSize + glm::vec2(radius);
    return glm::length(glm::max(q, glm::vec2(0.0f))) + std::min(std::max(q.x, q.y), 0.0f) - radius;
}

float segmentDistance(glm::vec2 p, glm::vec2 a, glm::vec2 b, float radius) {
    glm::vec2 pa = p - a, ba = b - a;
    float h = std::clamp(glm::dot(pa, ba) / glm::dot(ba, ba), 0.0f, 1.0f);
    return glm::length(pa - ba * h) - radius;
}

static BYTE toByte(float value) {
    return static_cast<BYTE>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

void savePng(const Image& image, const std::string& path) {
    int bpp = image.alpha ? 32 : 24;
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, bpp);
    if (!bitmap) {
        std::fprintf(stderr, "levelgen: cannot allocate %s\n", path.c_str());
        std::exit(1);
    }
    int step = bpp / 8;
    for (int y = 0; y < image.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            const glm::vec4& c = image.pixels[static_cast<size_t>(y) * image.width + x];
            BYTE* px = row + x * step;
            px[FI_RGBA_RED] = toByte(c.r);
            px[FI_RGBA_GREEN] = toByte(c.g);
            px[FI_RGBA_BLUE] = toByte(c.b);
            if (image.alpha) {
                px[FI_RGBA_ALPHA] = toByte(c.a);
            }
        }
    }
    bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(bitmap);
    if (!saved) {
        std::fprintf(stderr, "levelgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

glm::vec4 rgb(int r, int g, int b, float a) {
    return glm::vec4(static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
                     static_cast<float>(b) / 255.0f, a);
}

glm::vec4 mixColour(const glm::vec4& a, const glm::vec4& b, float t) {
    return a + (b - a) * std::clamp(t, 0.0f, 1.0f);
}
