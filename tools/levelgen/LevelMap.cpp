#include "tools/levelgen/LevelMap.h"

#include <algorithm>
#include <cmath>

namespace {

const int kSize = 576;

glm::vec2 toPixel(float x, float z) {
    float scale = static_cast<float>(kSize) / (2.0f * kTerrainHalfSize);
    // Image rows run bottom to top, so north (-z) lands at the top.
    return glm::vec2((x + kTerrainHalfSize) * scale, (kTerrainHalfSize - z) * scale);
}

float pixelsPerUnit() {
    return static_cast<float>(kSize) / (2.0f * kTerrainHalfSize);
}

void dot(Image& image, float x, float z, float radius, const glm::vec4& colour) {
    glm::vec2 c = toPixel(x, z);
    float r = radius * pixelsPerUnit();
    paintShape(
        image, [=](glm::vec2 p) { return circleDistance(p, c, r); }, colour);
}

void ring(Image& image, float x, float z, float radius, float width, const glm::vec4& colour) {
    glm::vec2 c = toPixel(x, z);
    float r = radius * pixelsPerUnit();
    paintShape(
        image, [=](glm::vec2 p) { return std::fabs(circleDistance(p, c, r)) - width * 0.5f; },
        colour);
}

void square(Image& image, float x, float z, glm::vec2 half, const glm::vec4& colour) {
    glm::vec2 c = toPixel(x, z);
    paintShape(
        image, [=](glm::vec2 p) { return roundedBoxDistance(p, c, half * pixelsPerUnit(), 1.0f); },
        colour);
}

} // namespace

Image drawLevelMap(const LevelLayout& layout) {
    Image image = createImage(kSize, kSize, false);
    const glm::vec3 sun = glm::normalize(glm::vec3(-1.0f, 2.0f, -1.0f));
    const std::vector<glm::vec2> path = pathLine();
    paint(image, [&](float u, float v) {
        float x = -kTerrainHalfSize + u * 2.0f * kTerrainHalfSize;
        float z = kTerrainHalfSize - v * 2.0f * kTerrainHalfSize;
        const float e = 0.3f;
        float h = terrainHeight(x, z);
        glm::vec3 n =
            glm::normalize(glm::vec3(terrainHeight(x - e, z) - terrainHeight(x + e, z), 2.0f * e,
                                     terrainHeight(x, z - e) - terrainHeight(x, z + e)));
        glm::vec4 c;
        switch (surfaceAt(glm::vec2(x, z), n.y)) {
        case Surface::Grass:
            c = rgb(90, 130, 60);
            break;
        case Surface::Cliff:
            c = rgb(140, 130, 118);
            break;
        case Surface::Pond:
            c = rgb(100, 80, 56);
            break;
        }
        if (glm::length(glm::vec2(x, z) - kPondCentre) < kWaterRadius && h < kWaterHeight) {
            c = mixColour(rgb(70, 120, 170), rgb(30, 60, 110), (kWaterHeight - h) / 2.5f);
            return c;
        }
        for (const glm::vec2& p : path) {
            if (glm::length(p - glm::vec2(x, z)) < pathHalfWidth(p)) {
                c = rgb(176, 148, 104);
                break;
            }
        }
        float light = 0.55f + 0.45f * std::max(0.0f, glm::dot(n, sun)) + 0.012f * h;
        return glm::vec4(glm::clamp(glm::vec3(c) * light, glm::vec3(0.0f), glm::vec3(1.0f)), 1.0f);
    });
    for (const glm::vec3& r : layout.rocks) {
        dot(image, r.x, r.z, 0.9f * r.y, rgb(120, 120, 124));
    }
    for (const glm::vec3& t : layout.trees) {
        dot(image, t.x, t.z, 2.0f, rgb(30, 70, 36));
    }
    for (const glm::vec3& t : layout.deadTrees) {
        dot(image, t.x, t.z, 1.2f, rgb(70, 60, 52));
    }
    for (const glm::vec3& c : layout.crosses) {
        square(image, c.x, c.z, glm::vec2(0.5f, 0.15f), rgb(200, 200, 190));
        square(image, c.x, c.z, glm::vec2(0.15f, 0.6f), rgb(200, 200, 190));
    }
    for (const glm::vec3& c : layout.crates) {
        square(image, c.x, c.z, glm::vec2(0.6f), rgb(150, 110, 60));
    }
    for (const glm::vec3& b : layout.barrels) {
        dot(image, b.x, b.z, 0.5f, rgb(60, 90, 80));
    }
    square(image, layout.structures[0].x, layout.structures[0].z, glm::vec2(4.4f, 3.6f),
           rgb(120, 84, 50));
    square(image, layout.structures[1].x, layout.structures[1].z, glm::vec2(3.0f, 2.5f),
           rgb(120, 84, 50));
    dot(image, layout.structures[2].x, layout.structures[2].z, 2.1f, rgb(120, 110, 100));
    square(image, layout.tableCentre.x, layout.tableCentre.z,
           glm::vec2(kTableHalfExtent.x, kTableHalfExtent.z), rgb(250, 210, 40));
    for (const glm::vec3& d : layout.drugs) {
        dot(image, d.x, d.z, 1.6f, rgb(255, 255, 255));
        dot(image, d.x, d.z, 1.1f, rgb(220, 30, 170));
    }
    // The special models: the head (red ring), the faces over the pond (violet ring).
    ring(image, layout.head.x, layout.head.z, 3.0f, 2.0f, rgb(220, 40, 30));
    ring(image, layout.faces.x, layout.faces.z, 2.6f, 2.0f, rgb(160, 60, 220));
    // The spawn, with an arrow along the first view (-z).
    dot(image, 0.0f, 0.0f, 1.3f, rgb(255, 255, 255));
    glm::vec2 a = toPixel(0.0f, 0.0f), b = toPixel(0.0f, -6.0f);
    paintShape(
        image, [=](glm::vec2 p) { return segmentDistance(p, a, b, 1.5f); }, rgb(255, 255, 255));
    paintShape(
        image, [=](glm::vec2 p) { return segmentDistance(p, b, b + glm::vec2(-6, -6), 1.5f); },
        rgb(255, 255, 255));
    paintShape(
        image, [=](glm::vec2 p) { return segmentDistance(p, b, b + glm::vec2(6, -6), 1.5f); },
        rgb(255, 255, 255));
    return image;
}
