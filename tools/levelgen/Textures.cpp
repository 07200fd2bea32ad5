#include "tools/levelgen/Textures.h"

#include <algorithm>
#include <cmath>

#include "tools/levelgen/Noise.h"

namespace {

using glm::vec2;
using glm::vec3;
using glm::vec4;

float clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}

float smooth(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

vec4 shade(const vec4& c, float factor) {
    return vec4(glm::clamp(vec3(c) * factor, vec3(0.0f), vec3(1.0f)), c.a);
}

// Pixel noise, quantised a little so the files stay small.
float grain(float u, float v, int size, uint32_t seed) {
    int x = static_cast<int>(u * static_cast<float>(size));
    int y = static_cast<int>(v * static_cast<float>(size));
    return std::floor(hashUnit(x, y, seed) * 4.0f) / 3.0f - 0.5f;
}

Image grass() {
    Image image = createImage(512, 512, false);
    paint(image, [](float u, float v) {
        float patches = fbm(u * 4.0f, v * 4.0f, 4, 1u, 4);
        // The period must divide both scales, or the texture's edges do not meet.
        float blades = fbm(u * 64.0f, v * 16.0f, 2, 2u, 16);
        float dry = smooth(0.25f, 0.6f, fbm(u * 3.0f, v * 3.0f, 3, 3u, 3));
        vec4 green = mixColour(rgb(62, 92, 38), rgb(88, 118, 48), 0.5f + 0.5f * patches);
        vec4 c = mixColour(green, rgb(128, 122, 66), dry * 0.7f);
        c = shade(c, 0.85f + 0.3f * blades + 0.06f * grain(u, v, 512, 4u));
        // Scattered clover and dark tufts.
        CellDistances spots = cellular(u * 24.0f, v * 24.0f, 5u, 24);
        if (spots.nearest < 0.12f && (spots.id & 7u) == 0u) {
            c = mixColour(c, rgb(40, 66, 26), 0.7f);
        }
        return c;
    });
    return image;
}

Image cliff() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        // Layered sandstone: warped bands, vertical water stains, a few long cracks.
        float warp = fbm(u * 3.0f, v * 3.0f, 3, 11u, 3);
        float strata = 0.5f + 0.5f * std::sin((v * 6.0f + warp * 0.8f) * 2.0f * kPi);
        float fine = 0.5f + 0.5f * std::sin((v * 23.0f + warp * 2.0f) * 2.0f * kPi);
        float rough = fbm(u * 16.0f, v * 16.0f, 3, 12u, 16);
        vec4 c = mixColour(rgb(104, 92, 80), rgb(146, 132, 112), strata);
        c = shade(c, 0.9f + 0.1f * fine);
        c = mixColour(c, rgb(86, 82, 78), smooth(0.1f, 0.6f, fbm(u * 2.0f, v * 2.0f, 2, 13u, 2)));
        float stain = fbm(u * 24.0f, v * 1.5f, 2, 16u, 24);
        c = mixColour(c, rgb(70, 66, 60), smooth(0.25f, 0.6f, stain) * 0.5f);
        CellDistances cracks = cellular(u * 3.0f, v * 2.0f, 14u, 3);
        float edge = cracks.second - cracks.nearest;
        c = shade(c, (0.82f + 0.25f * rough) * (0.7f + 0.3f * smooth(0.0f, 0.05f, edge)));
        return shade(c, 1.0f + 0.05f * grain(u, v, 256, 15u));
    });
    return image;
}

Image rock() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float n = fbm(u * 8.0f, v * 8.0f, 4, 21u, 8);
        vec4 c = mixColour(rgb(96, 96, 94), rgb(138, 134, 128), 0.5f + 0.5f * n);
        float lichen = smooth(0.35f, 0.5f, fbm(u * 6.0f, v * 6.0f, 3, 22u, 6));
        c = mixColour(c, rgb(132, 140, 70), lichen * 0.6f);
        CellDistances cracks = cellular(u * 5.0f, v * 5.0f, 23u, 5);
        c = shade(c, 0.6f + 0.4f * smooth(0.0f, 0.06f, cracks.second - cracks.nearest));
        return shade(c, 1.0f + 0.06f * grain(u, v, 256, 24u));
    });
    return image;
}

Image mud() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float n = fbm(u * 6.0f, v * 6.0f, 4, 31u, 6);
        vec4 c = mixColour(rgb(58, 46, 32), rgb(92, 74, 50), 0.5f + 0.5f * n);
        float wet = smooth(0.1f, 0.4f, fbm(u * 3.0f, v * 3.0f, 3, 32u, 3));
        c = mixColour(c, rgb(40, 38, 30), wet * 0.6f);
        CellDistances pebbles = cellular(u * 20.0f, v * 20.0f, 33u, 20);
        if (pebbles.nearest < 0.18f && (pebbles.id & 3u) == 0u) {
            c = mixColour(c, rgb(120, 110, 96), 0.8f - pebbles.nearest * 3.0f);
        }
        return shade(c, 1.0f + 0.06f * grain(u, v, 256, 34u));
    });
    return image;
}

Image dirt() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float n = fbm(u * 8.0f, v * 8.0f, 4, 41u, 8);
        vec4 c = mixColour(rgb(118, 94, 64), rgb(150, 124, 88), 0.5f + 0.5f * n);
        CellDistances pebbles = cellular(u * 28.0f, v * 28.0f, 42u, 28);
        if (pebbles.nearest < 0.2f && (pebbles.id & 1u) == 0u) {
            c = mixColour(c, rgb(170, 160, 140), 0.7f - pebbles.nearest * 2.5f);
        }
        return shade(c, 1.0f + 0.07f * grain(u, v, 256, 43u));
    });
    return image;
}

// Planks running along v, count across u.
vec4 planks(float u, float v, int count, uint32_t seed, vec4 light, vec4 dark) {
    float x = u * static_cast<float>(count);
    int plank = static_cast<int>(std::floor(x));
    float across = x - static_cast<float>(plank);
    float tone = hashUnit(plank, 0, seed);
    float shift = hashUnit(plank, 1, seed);
    float grainLines =
        0.5f + 0.5f * std::sin((across * 9.0f +
                                fbm(across * 2.0f, v * 6.0f + shift * 10.0f, 3, seed + 1u) * 2.5f) *
                               2.0f * kPi);
    vec4 c = mixColour(dark, light, 0.35f + 0.4f * tone + 0.25f * grainLines);
    // Seams between planks and knots.
    float seam = std::min(across, 1.0f - across);
    c = shade(c, 0.45f + 0.55f * smooth(0.0f, 0.06f, seam));
    CellDistances knots = cellular(u * 4.0f, v * 3.0f + shift, seed + 2u, 0);
    if (knots.nearest < 0.07f && (knots.id & 3u) == 0u) {
        c = shade(c, 0.6f);
    }
    return c;
}

Image wood() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        vec4 c = planks(u, v, 4, 51u, rgb(146, 112, 76), rgb(84, 60, 40));
        float weather = smooth(0.3f, 0.7f, fbm(u * 3.0f, v * 3.0f, 3, 52u, 3));
        c = mixColour(c, rgb(110, 106, 98), weather * 0.45f);
        return shade(c, 1.0f + 0.05f * grain(u, v, 256, 53u));
    });
    return image;
}

Image crate() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        vec4 c = planks(v, u, 5, 61u, rgb(170, 130, 80), rgb(110, 78, 46));
        float border = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        float diagonal = std::fabs(u - v) / std::sqrt(2.0f);
        bool frame = border < 0.11f || (diagonal < 0.07f && border >= 0.11f);
        if (frame) {
            c = planks(u + v, 0.3f, 3, 62u, rgb(150, 110, 66), rgb(90, 62, 36));
            c = shade(c, border < 0.11f ? 0.85f : 0.95f);
        }
        // Nail heads in the corners.
        for (float cx : {0.055f, 0.945f}) {
            for (float cy : {0.055f, 0.945f}) {
                if (glm::length(vec2(u - cx, v - cy)) < 0.018f) {
                    c = rgb(60, 60, 64);
                }
            }
        }
        return shade(c, 1.0f + 0.05f * grain(u, v, 256, 63u));
    });
    return image;
}

Image barrel() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float su = u < 0.75f ? u / 0.75f : (u - 0.75f) * 4.0f;
        float rust = fbm(su * 6.0f, v * 6.0f, 4, 71u, u < 0.75f ? 6 : 0);
        vec4 paintColour = rgb(46, 84, 70);
        vec4 c = mixColour(paintColour, rgb(128, 66, 34), smooth(-0.1f, 0.35f, rust));
        if (u < 0.75f) {
            // Rolling hoops and streaks running down from them.
            for (float band : {0.12f, 0.5f, 0.88f}) {
                float d = std::fabs(v - band);
                if (d < 0.03f) {
                    c = shade(c, 0.65f + 6.0f * d);
                }
            }
            float streak = fbm(su * 40.0f, v * 2.0f, 2, 72u, 40);
            c = mixColour(c, rgb(96, 50, 28), smooth(0.3f, 0.6f, streak) * 0.5f);
            // A faded hazard diamond.
            vec2 q(std::fabs(su - 0.5f) * 3.0f, std::fabs(v - 0.31f) * 6.0f);
            if (q.x + q.y < 0.5f) {
                c = mixColour(c, rgb(196, 170, 60), 0.7f);
            }
        }
        return shade(c, 1.0f + 0.05f * grain(u, v, 256, 73u));
    });
    return image;
}

Image metal() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float ridges = 0.5f + 0.5f * std::sin(u * 16.0f * 2.0f * kPi);
        vec4 c = mixColour(rgb(104, 108, 112), rgb(150, 152, 150), ridges);
        float rust = fbm(u * 5.0f, v * 5.0f, 4, 81u, 5);
        c = mixColour(c, rgb(112, 66, 42), smooth(0.1f, 0.6f, rust) * 0.8f);
        float streak = fbm(u * 32.0f, v * 2.0f, 2, 82u, 32);
        c = mixColour(c, rgb(96, 60, 40), smooth(0.35f, 0.7f, streak) * 0.4f);
        // Rivet rows at the seams.
        float fv = v * 4.0f - std::floor(v * 4.0f);
        float fu = u * 16.0f - std::floor(u * 16.0f);
        if (std::fabs(fv - 0.05f) < 0.02f) {
            c = shade(c, 0.7f);
        }
        if (glm::length(vec2((fu - 0.5f) / 4.0f, (fv - 0.12f) / 1.0f)) < 0.015f) {
            c = rgb(70, 68, 66);
        }
        return shade(c, 1.0f + 0.05f * grain(u, v, 256, 83u));
    });
    return image;
}

vec4 barkColour(float u, float v, uint32_t seed, vec4 light, vec4 dark) {
    float ridges = fbm(u * 12.0f, v * 3.0f, 4, seed, 12);
    float fissure = std::fabs(std::sin((u * 10.0f + ridges * 0.8f) * kPi));
    vec4 c = mixColour(dark, light, smooth(0.1f, 0.9f, fissure));
    return shade(c, 0.85f + 0.25f * fbm(u * 30.0f, v * 30.0f, 2, seed + 1u, 30));
}

Image pine() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        if (u < 0.5f) {
            return barkColour(u * 2.0f, v, 91u, rgb(120, 88, 62), rgb(56, 38, 26));
        }
        float su = (u - 0.5f) * 2.0f;
        float needles = fbm(su * 48.0f, v * 12.0f, 3, 92u, 48);
        float clumps = fbm(su * 6.0f, v * 4.0f, 3, 93u, 6);
        vec4 c = mixColour(rgb(22, 52, 30), rgb(52, 92, 48), 0.5f + 0.5f * needles);
        c = shade(c, 0.75f + 0.35f * clumps);
        // Darker towards the underside of each bough (low v is the cone's lower rim).
        return shade(c, 0.7f + 0.4f * v);
    });
    return image;
}

Image bark() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        vec4 c = barkColour(u, v, 101u, rgb(128, 122, 112), rgb(48, 44, 40));
        float moss = smooth(0.3f, 0.6f, fbm(u * 4.0f, v * 4.0f, 3, 102u, 4));
        return mixColour(c, rgb(70, 82, 50), moss * 0.35f);
    });
    return image;
}

Image table() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float su = std::fmod(u * 2.0f, 1.0f), sv = std::fmod(v * 2.0f, 1.0f);
        if (v >= 0.5f && u < 0.5f) {
            // Stained workbench top.
            vec4 c = planks(sv, su, 3, 111u, rgb(120, 86, 56), rgb(70, 48, 32));
            float stain = smooth(0.2f, 0.5f, fbm(su * 4.0f, sv * 4.0f, 3, 112u));
            return mixColour(c, rgb(60, 70, 40), stain * 0.5f);
        }
        if (v >= 0.5f) {
            float scratches = fbm(su * 40.0f, sv * 4.0f, 2, 113u);
            return mixColour(rgb(90, 92, 96), rgb(150, 152, 156), 0.5f + 0.5f * scratches);
        }
        // Glass with murky liquid: a bright rim, darker body.
        vec4 liquid = u < 0.5f ? rgb(80, 200, 110) : rgb(170, 80, 210);
        float swirl = fbm(su * 6.0f, sv * 6.0f, 3, 114u);
        vec4 c = shade(liquid, 0.7f + 0.4f * swirl);
        if (sv > 0.8f) {
            c = mixColour(c, rgb(210, 230, 225), 0.6f);
        }
        return c;
    });
    return image;
}

Image drug() {
    Image image = createImage(128, 128, false);
    paint(image, [](float u, float v) {
        // v runs along the capsule: red half, seam, white half; a highlight along u.
        vec4 c = v < 0.5f ? rgb(200, 36, 40) : rgb(236, 232, 222);
        if (std::fabs(v - 0.5f) < 0.015f) {
            c = rgb(90, 30, 30);
        }
        float highlight = std::exp(-std::pow((u - 0.25f) * 8.0f, 2.0f));
        return mixColour(c, rgb(255, 255, 255), highlight * 0.5f);
    });
    return image;
}

// Pale, mottled, veined skin.
vec4 skin(float u, float v, uint32_t seed) {
    float mottle = fbm(u * 8.0f, v * 8.0f, 4, seed, 8);
    vec4 c = mixColour(rgb(176, 170, 150), rgb(210, 200, 182), 0.5f + 0.5f * mottle);
    c = mixColour(c, rgb(150, 160, 130),
                  smooth(0.2f, 0.6f, fbm(u * 3.0f, v * 3.0f, 3, seed + 1u, 3)));
    float veins = std::fabs(fbm(u * 10.0f, v * 10.0f, 3, seed + 2u, 10));
    if (veins < 0.03f) {
        c = mixColour(c, rgb(90, 80, 120), 0.6f);
    }
    return c;
}

Image head() {
    Image image = createImage(512, 512, false);
    paint(image, [](float u, float v) {
        vec4 c = skin(u, v, 121u);
        // Face features in head space: x across the face (u = 0.5 is the front), y up the head
        // (v = 0.5 is the equator).
        float x = (u - 0.5f) * 2.0f * kPi; // radians round the head
        float y = (v - 0.5f) * kPi;        // radians up from the equator
        for (float side : {-1.0f, 1.0f}) {
            // Eye sockets: black, with a dim red glint.
            vec2 e(x - side * 0.34f, y - 0.12f);
            float socket = glm::length(vec2(e.x / 1.3f, e.y));
            c = mixColour(c, rgb(8, 6, 6), smooth(0.2f, 0.12f, socket));
            if (glm::length(e - vec2(0.0f, -0.02f)) < 0.025f) {
                c = rgb(180, 30, 20);
            }
            // Bruised rings round them.
            c = mixColour(c, rgb(90, 70, 90), smooth(0.28f, 0.2f, socket) * 0.5f);
        }
        // Stitched mouth.
        float mouthY = y + 0.48f;
        if (std::fabs(x) < 0.4f) {
            if (std::fabs(mouthY) < 0.012f) {
                c = rgb(40, 16, 16);
            }
            float stitch = std::fmod(x + 0.4f, 0.08f);
            if (stitch < 0.012f && std::fabs(mouthY) < 0.06f) {
                c = rgb(30, 24, 20);
            }
        }
        // Dried blood at the neck.
        float blood =
            smooth(0.18f, 0.08f, v) * (0.6f + 0.4f * fbm(u * 20.0f, v * 6.0f, 2, 122u, 20));
        return mixColour(c, rgb(90, 10, 10), blood);
    });
    return image;
}

Image faces() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        if (u >= 0.5f) {
            // Dark, bruised flesh with swollen veins.
            float su = (u - 0.5f) * 2.0f;
            float n = fbm(su * 6.0f, v * 6.0f, 4, 131u, 6);
            vec4 c = mixColour(rgb(58, 26, 34), rgb(104, 52, 58), 0.5f + 0.5f * n);
            float veins = std::fabs(fbm(su * 8.0f, v * 8.0f, 3, 132u, 8));
            if (veins < 0.04f) {
                c = mixColour(c, rgb(40, 36, 70), 0.7f);
            }
            return c;
        }
        // One face, grey and sunken, the mouth open in a soundless scream.
        float su = u * 2.0f;
        vec4 c = mixColour(skin(su, v, 133u), rgb(120, 130, 110), 0.45f);
        vec2 p(su - 0.5f, v - 0.5f);
        for (float side : {-1.0f, 1.0f}) {
            float eye = glm::length(vec2((p.x - side * 0.15f) / 1.3f, p.y - 0.1f));
            c = mixColour(c, rgb(70, 50, 64), smooth(0.16f, 0.09f, eye));
            c = mixColour(c, rgb(6, 4, 4), smooth(0.075f, 0.05f, eye));
            // Dark tears running down from the eyes.
            float tear = std::fabs(p.x - side * 0.15f + 0.01f * std::sin(p.y * 40.0f));
            if (tear < 0.012f && p.y < 0.06f && p.y > -0.3f) {
                c = mixColour(c, rgb(30, 10, 12), 0.8f);
            }
        }
        float mouth = glm::length(vec2(p.x / 1.1f, (p.y + 0.24f) * 0.8f));
        c = mixColour(c, rgb(20, 4, 6), smooth(0.1f, 0.075f, mouth));
        float rim = glm::length(p);
        return mixColour(c, rgb(70, 34, 40), smooth(0.36f, 0.5f, rim));
    });
    return image;
}

Image ghost() {
    Image image = createImage(256, 256, false);
    paint(image, [](float u, float v) {
        float n = fbm(u * 6.0f, v * 6.0f, 4, 141u, 6);
        vec4 c = mixColour(rgb(150, 170, 190), rgb(215, 228, 236), 0.5f + 0.5f * n);
        // Dark rags towards the hem.
        float rags = fbm(u * 20.0f, v * 3.0f, 3, 142u, 20);
        c = mixColour(c, rgb(40, 44, 56), smooth(0.45f, 0.1f, v + 0.15f * rags));
        // The hood opens at the front (u = 0) and at the back (u = 0.5): a face either way, each
        // a dark hollow with two pale eyes.
        float across = std::fmod(u + 0.25f, 0.5f) - 0.25f;
        float face = glm::length(vec2(across * 3.2f, (v - 0.86f) * 2.2f));
        c = mixColour(c, rgb(4, 4, 8), smooth(0.16f, 0.12f, face));
        for (float side : {-1.0f, 1.0f}) {
            if (glm::length(vec2(across * 3.2f - side * 0.05f, (v - 0.87f) * 2.2f)) < 0.025f) {
                c = rgb(220, 255, 240);
            }
        }
        return c;
    });
    return image;
}

// Inventory icons: a dark rounded tile with the picture on it; transparent outside the tile.
Image iconTile() {
    Image image = createImage(256, 256, true);
    paintShape(
        image, [](vec2 p) { return roundedBoxDistance(p, vec2(128, 128), vec2(118, 118), 28); },
        vec4(0.08f, 0.09f, 0.11f, 0.78f));
    paintShape(
        image,
        [](vec2 p) {
            return std::fabs(roundedBoxDistance(p, vec2(128, 128), vec2(116, 116), 26)) - 2.0f;
        },
        vec4(0.75f, 0.78f, 0.8f, 0.9f));
    return image;
}

vec2 rotated(vec2 p, vec2 centre, float degrees) {
    float a = glm::radians(degrees);
    vec2 q = p - centre;
    return centre +
           vec2(q.x * std::cos(a) + q.y * std::sin(a), -q.x * std::sin(a) + q.y * std::cos(a));
}

Image syringeIcon() {
    Image image = iconTile();
    // Drawn along x, then tilted 45 degrees.
    auto tilt = [](vec2 p) { return rotated(p, vec2(128, 128), -45.0f); };
    const vec2 c(128, 128);
    auto box = [&](vec2 centre, vec2 half, float r) {
        return [=](vec2 p) { return roundedBoxDistance(tilt(p), c + centre, half, r); };
    };
    paintShape(image, box({-76, 0}, {6, 26}, 3), rgb(200, 200, 205));       // thumb rest
    paintShape(image, box({-50, 0}, {24, 5}, 2), rgb(200, 200, 205));       // plunger rod
    paintShape(image, box({-24, 0}, {4, 30}, 2), rgb(220, 220, 225));       // finger flange
    paintShape(image, box({16, 0}, {40, 19}, 5), rgb(230, 240, 245, 1.0f)); // barrel
    paintShape(image, box({26, 0}, {28, 15}, 3), rgb(60, 200, 120));        // dose
    paintShape(image, box({-18, 0}, {8, 15}, 2), rgb(40, 40, 44));          // plunger seal
    for (int i = 0; i < 6; ++i) {
        float x = -8.0f + 10.0f * static_cast<float>(i);
        paintShape(image, box({x, 12}, {1.2f, i % 2 ? 4.0f : 7.0f}, 0.5f), rgb(30, 60, 40));
    }
    paintShape(image, box({62, 0}, {7, 6}, 2), rgb(190, 190, 196)); // hub
    paintShape(
        image,
        [&](vec2 p) { return segmentDistance(tilt(p), c + vec2(68, 0), c + vec2(108, 0), 1.8f); },
        rgb(235, 235, 240)); // needle
    return image;
}

Image pillsIcon() {
    Image image = iconTile();
    const vec2 c(128, 128);
    // Two capsules crossed, and three round tablets.
    auto capsule = [&](vec2 centre, float degrees, vec4 left, vec4 right) {
        vec2 a = c + centre +
                 36.0f * vec2(std::cos(glm::radians(degrees)), std::sin(glm::radians(degrees)));
        vec2 b = c + centre -
                 36.0f * vec2(std::cos(glm::radians(degrees)), std::sin(glm::radians(degrees)));
        vec2 mid = (a + b) * 0.5f;
        paintShape(
            image, [=](vec2 p) { return segmentDistance(p, a, b, 20.0f); }, right);
        paintShape(
            image,
            [=](vec2 p) {
                float half = glm::dot(p - mid, glm::normalize(a - mid));
                return std::max(segmentDistance(p, a, b, 20.0f), -half);
            },
            left);
        paintShape(
            image,
            [=](vec2 p) {
                vec2 dir = glm::normalize(a - b);
                vec2 side(-dir.y, dir.x);
                return segmentDistance(p, a + side * 9.0f - dir * 18.0f, mid + side * 9.0f, 3.0f);
            },
            vec4(1.0f, 1.0f, 1.0f, 0.55f));
    };
    capsule({-22, 30}, 35.0f, rgb(210, 40, 44), rgb(240, 236, 228));
    capsule({26, 8}, -50.0f, rgb(40, 90, 210), rgb(250, 210, 60));
    const vec2 tablets[] = {{-50, -46}, {2, -58}, {52, -40}};
    for (vec2 t : tablets) {
        paintShape(
            image, [=](vec2 p) { return circleDistance(p, c + t, 21.0f); }, rgb(238, 238, 232));
        paintShape(
            image, [=](vec2 p) { return std::fabs(circleDistance(p, c + t, 21.0f)) - 1.2f; },
            rgb(170, 170, 165));
        paintShape(
            image,
            [=](vec2 p) {
                return segmentDistance(p, c + t + vec2(-13, 0), c + t + vec2(13, 0), 1.5f);
            },
            rgb(170, 170, 165));
    }
    return image;
}

Image bottleIcon() {
    Image image = iconTile();
    const vec2 c(128, 128);
    auto box = [&](vec2 centre, vec2 half, float r) {
        return [=](vec2 p) { return roundedBoxDistance(p, c + centre, half, r); };
    };
    paintShape(image, box({0, -12}, {50, 72}, 18), rgb(140, 70, 20)); // amber body
    paintShape(image, box({0, 66}, {22, 12}, 4), rgb(140, 70, 20));   // neck
    paintShape(image, box({0, 88}, {30, 14}, 5), rgb(236, 236, 240)); // cap
    for (int i = 0; i < 5; ++i) {
        float x = -20.0f + 10.0f * static_cast<float>(i);
        paintShape(image, box({x, 88}, {1.5f, 11}, 0.5f), rgb(190, 190, 196));
    }
    paintShape(image, box({0, -16}, {42, 34}, 4), rgb(245, 244, 236)); // label
    paintShape(image, box({0, -16}, {20, 6}, 1), rgb(210, 30, 36));    // red cross
    paintShape(image, box({0, -16}, {6, 20}, 1), rgb(210, 30, 36));
    paintShape(image, box({-34, -12}, {6, 56}, 4), vec4(1.0f, 0.85f, 0.6f, 0.35f)); // gloss
    return image;
}

// Tiling height field of gentle waves for the water maps.
float waves(float u, float v) {
    return fbm(u * 4.0f, v * 4.0f, 4, 151u, 4) +
           0.3f * std::sin((u * 3.0f + v * 2.0f) * 2.0f * kPi);
}

Image dudv() {
    Image image = createImage(256, 256, false);
    const float e = 1.0f / 256.0f;
    paint(image, [e](float u, float v) {
        float du = (waves(u + e, v) - waves(u - e, v)) / (2.0f * e);
        float dv = (waves(u, v + e) - waves(u, v - e)) / (2.0f * e);
        return vec4(0.5f + 0.06f * du, 0.5f + 0.06f * dv, 0.0f, 1.0f);
    });
    return image;
}

Image normalMap() {
    Image image = createImage(256, 256, false);
    const float e = 1.0f / 256.0f;
    paint(image, [e](float u, float v) {
        float du = (waves(u + e, v) - waves(u - e, v)) / (2.0f * e);
        float dv = (waves(u, v + e) - waves(u, v - e)) / (2.0f * e);
        vec3 n = glm::normalize(vec3(-0.05f * du, -0.05f * dv, 1.0f));
        return vec4(n * 0.5f + 0.5f, 1.0f);
    });
    return image;
}

} // namespace

std::vector<NamedImage> makeTextures() {
    std::vector<NamedImage> textures;
    textures.push_back({"grass.png", grass()});
    textures.push_back({"cliff.png", cliff()});
    textures.push_back({"mud.png", mud()});
    textures.push_back({"dirt.png", dirt()});
    textures.push_back({"rock.png", rock()});
    textures.push_back({"wood.png", wood()});
    textures.push_back({"crate.png", crate()});
    textures.push_back({"barrel.png", barrel()});
    textures.push_back({"metal.png", metal()});
    textures.push_back({"pine.png", pine()});
    textures.push_back({"bark.png", bark()});
    textures.push_back({"table.png", table()});
    textures.push_back({"drug.png", drug()});
    textures.push_back({"head.png", head()});
    textures.push_back({"faces.png", faces()});
    textures.push_back({"ghost.png", ghost()});
    textures.push_back({"shot2.png", syringeIcon()});
    textures.push_back({"pills.png", pillsIcon()});
    textures.push_back({"bottle.png", bottleIcon()});
    textures.push_back({"dudv.png", dudv()});
    textures.push_back({"normalmap.png", normalMap()});
    return textures;
}
