#include "tools/levelgen/Icon.h"

#include <algorithm>
#include <cmath>

using glm::vec2;
using glm::vec4;

Image gameIcon(int size) {
    Image image = createImage(size, size, true);
    // Drawn on a 256-pixel grid, scaled to the size asked for.
    const float unit = static_cast<float>(size) / 256.0f;
    const vec2 c = vec2(128.0f) * unit;

    const vec4 edge = rgb(34, 18, 44);
    const vec4 middle = rgb(58, 84, 48);
    paintShape(
        image, [=](vec2 p) { return roundedBoxDistance(p, c, vec2(120.0f * unit), 44.0f * unit); },
        edge);
    // A murky glow in the middle of the tile.
    for (int ring = 10; ring >= 1; --ring) {
        const float radius = static_cast<float>(ring) * 11.0f * unit;
        paintShape(
            image, [=](vec2 p) { return circleDistance(p, c, radius); },
            vec4(glm::vec3(middle), 0.16f));
    }
    // Soft rings: the blur of a failing sight.
    for (int ring = 0; ring < 3; ++ring) {
        const float radius = (92.0f + 8.0f * static_cast<float>(ring)) * unit;
        paintShape(
            image, [=](vec2 p) { return std::fabs(circleDistance(p, c, radius)) - 1.5f * unit; },
            vec4(0.78f, 0.86f, 0.62f, 0.22f - 0.06f * static_cast<float>(ring)));
    }

    // The capsule, tilted: red half up and to the right, white half below.
    const vec2 along = glm::normalize(vec2(1.0f, 1.0f));
    const vec2 a = c + along * 52.0f * unit;
    const vec2 b = c - along * 52.0f * unit;
    const float radius = 30.0f * unit;
    paintShape(
        image, [=](vec2 p) { return segmentDistance(p, a, b, radius + 5.0f * unit); },
        vec4(0.0f, 0.0f, 0.0f, 0.35f)); // shadow rim
    paintShape(
        image, [=](vec2 p) { return segmentDistance(p, a, b, radius); }, rgb(240, 236, 228));
    paintShape(
        image,
        [=](vec2 p) { return std::max(segmentDistance(p, a, b, radius), -glm::dot(p - c, along)); },
        rgb(206, 36, 42));
    const vec2 side(-along.y, along.x);
    paintShape(
        image,
        [=](vec2 p) {
            return segmentDistance(p, a + side * 14.0f * unit - along * 8.0f * unit,
                                   b + side * 14.0f * unit + along * 24.0f * unit, 5.0f * unit);
        },
        vec4(1.0f, 1.0f, 1.0f, 0.5f)); // highlight
    return image;
}
