#include "tools/levelgen/Props.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "tools/levelgen/Noise.h"

namespace {

// A tube round a spine curve; radius 0 at an end closes it. The frame keeps cross(ds, dt)
// pointing out of the tube.
void addTube(MeshData& mesh, int around, int along, const std::function<glm::vec3(float)>& spine,
             const std::function<float(float s, float t)>& radius, const UvRect& rect,
             glm::vec2 repeat = glm::vec2(1.0f)) {
    addSurface(
        mesh, around, along,
        [&](float s, float t) {
            float e = 1e-3f;
            glm::vec3 tangent =
                glm::normalize(spine(std::min(t + e, 1.0f)) - spine(std::max(t - e, 0.0f)));
            glm::vec3 reference =
                std::fabs(tangent.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
            glm::vec3 normal = glm::normalize(glm::cross(reference, tangent));
            glm::vec3 binormal = glm::cross(tangent, normal);
            float angle = 2.0f * kPi * s;
            return spine(t) +
                   radius(s, t) * (std::cos(angle) * normal + std::sin(angle) * binormal);
        },
        rect, repeat);
}

// A flat disc facing along normal, for caps.
void addDisc(MeshData& mesh, glm::vec3 centre, float radius, int segments, bool up,
             const UvRect& rect) {
    glm::vec3 normal(0, up ? 1.0f : -1.0f, 0);
    uint32_t middle = addVertex(mesh, centre, normal, rect.map(glm::vec2(0.5f)));
    uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    for (int i = 0; i <= segments; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        glm::vec3 p = centre + radius * glm::vec3(std::sin(a), 0.0f, std::cos(a));
        addVertex(mesh, p, normal,
                  rect.map(glm::vec2(0.5f + 0.5f * std::sin(a), 0.5f + 0.5f * std::cos(a))));
    }
    for (int i = 0; i < segments; ++i) {
        uint32_t a = first + static_cast<uint32_t>(i);
        if (up) {
            addTriangle(mesh, middle, a, a + 1);
        } else {
            addTriangle(mesh, middle, a + 1, a);
        }
    }
}

// A flat ring between two radii facing along normal, for rims that must not cut through what
// they sit on.
void addRing(MeshData& mesh, glm::vec3 centre, float inner, float outer, int segments, bool up,
             const UvRect& rect) {
    glm::vec3 normal(0, up ? 1.0f : -1.0f, 0);
    uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    for (int i = 0; i <= segments; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        glm::vec3 d(std::sin(a), 0.0f, std::cos(a));
        float s = static_cast<float>(i) / static_cast<float>(segments);
        addVertex(mesh, centre + inner * d, normal, rect.map(glm::vec2(s, 0.0f)));
        addVertex(mesh, centre + outer * d, normal, rect.map(glm::vec2(s, 1.0f)));
    }
    for (int i = 0; i < segments; ++i) {
        uint32_t a = first + 2u * static_cast<uint32_t>(i);
        if (up) {
            addTriangle(mesh, a, a + 1, a + 3);
            addTriangle(mesh, a, a + 3, a + 2);
        } else {
            addTriangle(mesh, a, a + 3, a + 1);
            addTriangle(mesh, a, a + 2, a + 3);
        }
    }
}

// An upright cylinder or cone frustum between heights y0 and y1, with caps.
void addCylinder(MeshData& mesh, glm::vec3 base, float r0, float r1, float height, int segments,
                 const UvRect& side, const UvRect& cap, glm::vec2 repeat = glm::vec2(1.0f)) {
    addSurface(
        mesh, segments, 1,
        [&](float s, float t) {
            float a = 2.0f * kPi * s;
            float r = r0 + (r1 - r0) * t;
            return base + glm::vec3(r * std::sin(a), height * t, r * std::cos(a));
        },
        side, repeat);
    addDisc(mesh, base, r0, segments, false, cap);
    if (r1 > 0.0f) {
        addDisc(mesh, base + glm::vec3(0, height, 0), r1, segments, true, cap);
    }
}

// A sphere-like surface: s round the vertical axis, t from the bottom pole to the top pole.
void addBlob(MeshData& mesh, int around, int rings,
             const std::function<glm::vec3(glm::vec3 direction)>& shape, const UvRect& rect,
             glm::vec2 repeat = glm::vec2(1.0f)) {
    addSurface(
        mesh, around, rings,
        [&](float s, float t) {
            float a = 2.0f * kPi * s;
            float polar = kPi * (1.0f - t);
            glm::vec3 d(std::sin(polar) * std::sin(a), std::cos(polar),
                        std::sin(polar) * std::cos(a));
            if (t <= 0.0f) {
                d = glm::vec3(0, -1, 0);
            } else if (t >= 1.0f) {
                d = glm::vec3(0, 1, 0);
            }
            return shape(d);
        },
        rect, repeat);
}

// Noise on a sphere without seams: three projections blended.
float sphereNoise(glm::vec3 d, float scale, uint32_t seed) {
    return (fbm(d.x * scale + 10.0f, d.y * scale, 3, seed) +
            fbm(d.y * scale + 20.0f, d.z * scale, 3, seed + 1u) +
            fbm(d.z * scale + 30.0f, d.x * scale, 3, seed + 2u)) /
           3.0f;
}

} // namespace

MeshData makeRock() {
    MeshData mesh;
    addBlob(
        mesh, 12, 7,
        [](glm::vec3 d) {
            float bump =
                1.0f + 0.28f * sphereNoise(d, 1.6f, 61u) + 0.08f * sphereNoise(d, 5.0f, 62u);
            glm::vec3 p = d * bump * glm::vec3(1.0f, 0.75f, 0.85f);
            // A flattened underside sits on the ground.
            p.y = std::max(p.y, -0.3f);
            return p;
        },
        UvRect(), glm::vec2(3.0f, 2.0f));
    return mesh;
}

MeshData makePine() {
    MeshData mesh;
    const UvRect bark{{0.0f, 0.0f}, {0.5f, 1.0f}};
    const UvRect needles{{0.5f, 0.0f}, {1.0f, 1.0f}};
    addCylinder(mesh, glm::vec3(0, -0.5f, 0), 0.32f, 0.12f, 8.0f, 8, bark, bark,
                glm::vec2(1.0f, 3.0f));
    const float base[] = {2.2f, 3.9f, 5.4f, 6.8f};
    const float radius[] = {2.3f, 1.9f, 1.4f, 0.9f};
    const float height[] = {3.0f, 2.8f, 2.4f, 2.1f};
    for (int k = 0; k < 4; ++k) {
        float b = base[k], r = radius[k], h = height[k];
        uint32_t seed = 70u + static_cast<uint32_t>(k);
        addTube(
            mesh, 12, 2, [&](float t) { return glm::vec3(0, b + h * t, 0); },
            [&](float s, float t) {
                // Ragged boughs along the lower edge.
                float ragged = 1.0f + 0.14f * std::sin(s * 2.0f * kPi * 6.0f) * (1.0f - t) +
                               0.05f * valueNoise(s * 18.0f, t, seed, 18);
                return r * (1.0f - t) * ragged;
            },
            needles);
        addDisc(mesh, glm::vec3(0, b, 0), r * 0.95f, 8, false, needles);
    }
    return mesh;
}

MeshData makeDeadTree() {
    MeshData mesh;
    const UvRect rect;
    auto trunk = [](float t) {
        return glm::vec3(0.35f * std::sin(t * 2.3f), -0.5f + 7.5f * t, 0.25f * std::sin(t * 3.7f));
    };
    addTube(
        mesh, 10, 10, trunk,
        [](float s, float t) {
            float taper = 0.45f * (1.0f - t) + 0.02f;
            return (t >= 1.0f ? 0.0f : taper) *
                   (1.0f + 0.12f * valueNoise(s * 12.0f, t * 6.0f, 81u, 12));
        },
        rect, glm::vec2(2.0f, 4.0f));
    // Bare branches, each leaving the trunk upwards and outwards.
    struct Branch {
        float height, yaw, length, rise, radius;
    };
    const Branch branches[] = {
        {3.0f, 20.0f, 2.6f, 1.4f, 0.16f},  {3.8f, 150.0f, 2.2f, 1.7f, 0.14f},
        {4.6f, 260.0f, 2.0f, 1.2f, 0.12f}, {5.4f, 80.0f, 1.6f, 1.5f, 0.1f},
        {6.1f, 200.0f, 1.2f, 1.1f, 0.08f},
    };
    for (const Branch& b : branches) {
        glm::vec3 start = trunk((b.height + 0.5f) / 7.5f);
        float yaw = glm::radians(b.yaw);
        glm::vec3 out(std::sin(yaw), 0.0f, std::cos(yaw));
        addTube(
            mesh, 6, 4,
            [&](float t) {
                return start + out * (b.length * t) +
                       glm::vec3(0, b.rise * t * (1.2f - 0.4f * t), 0);
            },
            [&](float, float t) { return t >= 1.0f ? 0.0f : b.radius * (1.0f - 0.8f * t); }, rect,
            glm::vec2(1.0f, 1.0f));
    }
    return mesh;
}

MeshData makeCrate() {
    MeshData mesh;
    addBox(mesh, glm::vec3(-0.6f, 0.0f, -0.6f), glm::vec3(0.6f, 1.2f, 0.6f), UvRect());
    return mesh;
}

MeshData makeBarrel() {
    MeshData mesh;
    const UvRect side{{0.0f, 0.0f}, {0.75f, 1.0f}};
    const UvRect lid{{0.75f, 0.0f}, {1.0f, 0.25f}};
    addSurface(
        mesh, 20, 8,
        [](float s, float t) {
            float a = 2.0f * kPi * s;
            float r = 0.45f + 0.05f * std::sin(kPi * t);
            return glm::vec3(r * std::sin(a), 1.3f * t, r * std::cos(a));
        },
        side);
    addDisc(mesh, glm::vec3(0, 0, 0), 0.45f, 20, false, lid);
    addDisc(mesh, glm::vec3(0, 1.3f, 0), 0.45f, 20, true, lid);
    return mesh;
}

MeshData makeShelter() {
    // An open lean-to round the mixing table: posts, a sloping roof high above the player's
    // head, a back wall with shelves and a low wall on the west side. Ground at y = 0.
    MeshData mesh;
    const UvRect wood;
    const float tile = 2.0f;
    const float x0 = -4.3f, x1 = 4.3f, z0 = -3.5f, z1 = 3.5f;
    for (float x : {x0, 0.0f, x1}) {
        addBox(mesh, {x - 0.15f, -0.3f, z0 - 0.15f}, {x + 0.15f, 8.6f, z0 + 0.15f}, wood, tile);
    }
    for (float x : {x0, x1}) {
        addBox(mesh, {x - 0.15f, -0.3f, z1 - 0.15f}, {x + 0.15f, 7.6f, z1 + 0.15f}, wood, tile);
    }
    // Beams and the roof, sloping down to the open front.
    addBox(mesh, {x0 - 0.2f, 7.6f, z1 - 0.2f}, {x1 + 0.2f, 7.9f, z1 + 0.2f}, wood, tile);
    addBox(mesh, {x0 - 0.2f, 8.6f, z0 - 0.2f}, {x1 + 0.2f, 8.9f, z0 + 0.2f}, wood, tile);
    MeshData roof;
    addBox(roof, {-5.0f, -0.12f, -4.6f}, {5.0f, 0.12f, 4.6f}, wood, tile);
    float slope = std::atan2(1.0f, z1 - z0);
    glm::mat4 roofMatrix = glm::rotate(glm::translate(glm::mat4(1.0f), {0.0f, 8.45f, 0.0f}), slope,
                                       glm::vec3(1, 0, 0));
    appendTransformed(mesh, roof, roofMatrix);
    // Back wall of planks, and a low side wall the player can look over.
    addBox(mesh, {x0, 0.0f, z0 - 0.1f}, {x1, 8.6f, z0 + 0.1f}, wood, tile);
    addBox(mesh, {x0 - 0.1f, 0.0f, z0}, {x0 + 0.1f, 2.2f, 0.5f}, wood, tile);
    // Shelves against the back wall.
    for (float x : {-3.6f, -0.6f, 1.6f, 3.6f}) {
        addBox(mesh, {x - 0.06f, 0.0f, z0 + 0.1f}, {x + 0.06f, 3.4f, z0 + 0.75f}, wood, tile);
    }
    for (float y : {0.9f, 2.0f, 3.1f}) {
        addBox(mesh, {-3.7f, y, z0 + 0.1f}, {-0.5f, y + 0.08f, z0 + 0.75f}, wood, tile);
        addBox(mesh, {1.5f, y, z0 + 0.1f}, {3.7f, y + 0.08f, z0 + 0.75f}, wood, tile);
    }
    return mesh;
}

MeshData makeHut() {
    MeshData mesh;
    const UvRect wood;
    const float tile = 2.2f;
    // Walls as one block sunk a little into the ground, corner posts, a door and shutters in
    // relief, a chimney.
    addBox(mesh, {-3.0f, -0.3f, -2.5f}, {3.0f, 4.0f, 2.5f}, wood, tile);
    for (float x : {-3.05f, 2.75f}) {
        for (float z : {-2.55f, 2.25f}) {
            addBox(mesh, {x, -0.3f, z}, {x + 0.3f, 4.1f, z + 0.3f}, wood, tile);
        }
    }
    addBox(mesh, {-0.7f, 0.0f, 2.5f}, {0.7f, 2.6f, 2.62f}, wood, tile * 0.5f);
    for (float x : {-2.4f, 1.4f}) {
        addBox(mesh, {x, 1.6f, 2.5f}, {x + 1.0f, 2.7f, 2.58f}, wood, tile * 0.4f);
    }
    // Gable roof: two slabs meeting at the ridge, and the gable ends.
    const float eaves = 4.0f, ridge = 6.3f, halfWidth = 3.0f;
    float pitch = std::atan2(ridge - eaves, halfWidth);
    float slab = std::sqrt((ridge - eaves) * (ridge - eaves) + halfWidth * halfWidth) + 0.5f;
    MeshData plank;
    addBox(plank, {0.0f, 0.0f, -3.0f}, {slab, 0.2f, 3.0f}, wood, tile);
    glm::mat4 ridgeAt = glm::translate(glm::mat4(1.0f), {0.0f, ridge, 0.0f});
    // Down to the east, and a half turn further round for the west slab (no mirroring, so the
    // faces keep pointing out); the west one is then lifted onto the roof line.
    appendTransformed(mesh, plank, glm::rotate(ridgeAt, -pitch, glm::vec3(0, 0, 1)));
    appendTransformed(
        mesh, plank,
        glm::translate(glm::rotate(ridgeAt, kPi + pitch, glm::vec3(0, 0, 1)), {0.0f, -0.2f, 0.0f}));
    for (float z : {-2.5f, 2.5f}) {
        glm::vec3 a(-halfWidth, eaves, z), b(halfWidth, eaves, z), c(0.0f, ridge, z);
        glm::vec2 ua(0.0f, 0.0f), ub(halfWidth * 2.0f / tile, 0.0f),
            uc(halfWidth / tile, (ridge - eaves) / tile);
        // Both gables face outwards.
        if (z > 0.0f) {
            addFlatTriangle(mesh, a, b, c, ua, ub, uc);
        } else {
            addFlatTriangle(mesh, b, a, c, ub, ua, uc);
        }
    }
    addBox(mesh, {1.2f, 4.8f, -1.4f}, {1.9f, 7.2f, -0.7f}, wood, tile);
    return mesh;
}

MeshData makeTank() {
    // A rusty water tank on four legs, with a conical lid.
    MeshData mesh;
    const UvRect metal;
    addCylinder(mesh, glm::vec3(0, 4.2f, 0), 2.1f, 2.1f, 3.2f, 28, metal, metal,
                glm::vec2(6.0f, 1.5f));
    addTube(
        mesh, 28, 2, [](float t) { return glm::vec3(0, 7.4f + 1.2f * t, 0); },
        [](float, float t) { return t >= 1.0f ? 0.0f : 2.3f * (1.0f - t); }, metal,
        glm::vec2(6.0f, 1.0f));
    // The lid's underside only where it overhangs: a full disc would lie in the tank's top.
    addRing(mesh, glm::vec3(0, 7.4f, 0), 2.1f, 2.3f, 28, false, metal);
    for (float x : {-1.4f, 1.4f}) {
        for (float z : {-1.4f, 1.4f}) {
            addBox(mesh, {x - 0.14f, -0.3f, z - 0.14f}, {x + 0.14f, 4.3f, z + 0.14f}, metal, 1.0f);
        }
    }
    // Bands round the tank: an outer wall and two rims, no caps cutting through the tank.
    const float band = 2.18f;
    for (float y : {4.9f, 6.6f}) {
        addSurface(
            mesh, 28, 1,
            [&](float s, float t) {
                float a = 2.0f * kPi * s;
                return glm::vec3(band * std::sin(a), y + 0.14f * t, band * std::cos(a));
            },
            metal, glm::vec2(6.0f, 0.1f));
        addRing(mesh, glm::vec3(0, y, 0), 2.1f, band, 28, false, metal);
        addRing(mesh, glm::vec3(0, y + 0.14f, 0), 2.1f, band, 28, true, metal);
    }
    return mesh;
}

MeshData makeCross() {
    MeshData mesh;
    addBox(mesh, {-0.1f, -0.4f, -0.08f}, {0.1f, 1.9f, 0.08f}, UvRect(), 1.5f);
    addBox(mesh, {-0.75f, 1.15f, -0.07f}, {0.75f, 1.38f, 0.07f}, UvRect(), 1.5f);
    return mesh;
}

MeshData makeTable(const glm::vec3& halfExtent) {
    // Atlas: wood top-left, metal top-right, green glass bottom-left, violet glass bottom-right.
    const UvRect wood{{0.0f, 0.5f}, {0.5f, 1.0f}};
    const UvRect metal{{0.5f, 0.5f}, {1.0f, 1.0f}};
    const UvRect green{{0.0f, 0.0f}, {0.5f, 0.5f}};
    const UvRect violet{{0.5f, 0.0f}, {1.0f, 0.5f}};
    MeshData mesh;
    // A bench at the player's waist (the eye is five units up) with glassware on it.
    const float ground = -halfExtent.y;
    const float top = ground + 2.4f;
    const float w = halfExtent.x - 0.05f, d = halfExtent.z - 0.05f;
    addBox(mesh, {-w, top - 0.15f, -d}, {w, top, d}, wood);
    for (float x : {-w + 0.1f, w - 0.25f}) {
        for (float z : {-d + 0.1f, d - 0.25f}) {
            addBox(mesh, {x, ground, z}, {x + 0.15f, top - 0.15f, z + 0.15f}, metal);
        }
    }
    addBox(mesh, {-w + 0.1f, ground + 0.8f, -d + 0.1f}, {w - 0.1f, ground + 0.88f, d - 0.1f}, wood);
    // Glassware round the middle of the top: a round flask, a tall flask, a beaker, a rack of
    // tubes and a retort stand with a condenser tube.
    MeshData glass;
    addBlob(
        glass, 16, 10, [](glm::vec3 dir) { return glm::vec3(-0.8f, 0.28f, -0.1f) + dir * 0.28f; },
        green);
    addCylinder(glass, glm::vec3(-0.8f, 0.5f, -0.1f), 0.07f, 0.06f, 0.4f, 10, green, green);
    addCylinder(glass, glm::vec3(0.1f, 0.0f, 0.2f), 0.3f, 0.08f, 0.6f, 14, violet, violet);
    addCylinder(glass, glm::vec3(0.1f, 0.6f, 0.2f), 0.08f, 0.08f, 0.5f, 10, violet, violet);
    addCylinder(glass, glm::vec3(0.9f, 0.0f, -0.25f), 0.2f, 0.2f, 0.45f, 14, green, green);
    addBox(glass, {-0.1f, 0.0f, -0.6f}, {0.7f, 0.3f, -0.4f}, wood);
    for (int i = 0; i < 4; ++i) {
        float x = 0.18f * static_cast<float>(i);
        addCylinder(glass, glm::vec3(x, 0.05f, -0.5f), 0.04f, 0.04f, 0.5f, 8,
                    i % 2 ? violet : green, i % 2 ? violet : green);
    }
    addBox(glass, {1.1f, 0.0f, 0.2f}, {1.4f, 0.04f, 0.6f}, metal);
    addBox(glass, {1.22f, 0.0f, 0.34f}, {1.28f, 1.25f, 0.4f}, metal);
    addTube(
        glass, 8, 10,
        [](float t) { return glm::vec3(1.25f - 0.9f * t, 1.2f - 0.5f * t, 0.37f - 0.2f * t); },
        [](float, float) { return 0.05f; }, green);
    appendTransformed(
        mesh, glass,
        glm::scale(glm::translate(glm::mat4(1.0f), {0.0f, top, 0.0f}), glm::vec3(1.35f)));
    return mesh;
}

MeshData makeDrug() {
    // A large capsule pill, red and white, along x.
    MeshData mesh;
    const float halfLength = 0.28f, radius = 0.2f;
    addSurface(
        mesh, 18, 16,
        [&](float s, float t) {
            float a = 2.0f * kPi * s;
            // t runs along the axis: a cap, the body, the other cap.
            float x, r;
            if (t < 0.3f) {
                float phi = (t / 0.3f) * kPi * 0.5f;
                x = -halfLength - radius * std::cos(phi);
                r = radius * std::sin(phi);
            } else if (t > 0.7f) {
                float phi = ((1.0f - t) / 0.3f) * kPi * 0.5f;
                x = halfLength + radius * std::cos(phi);
                r = radius * std::sin(phi);
            } else {
                x = -halfLength + 2.0f * halfLength * (t - 0.3f) / 0.4f;
                r = radius;
            }
            return glm::vec3(x, r * std::cos(a), r * std::sin(a));
        },
        UvRect());
    return mesh;
}

MeshData makeHead() {
    // A bald head with hollow eyes, a heavy brow and a stitched mouth, cut off below the jaw.
    // Front is +z; texture u runs round the head with the face at u = 0.5, where the surface's
    // parameter points along -z, so the shape is evaluated half a turn round.
    MeshData mesh;
    addBlob(
        mesh, 40, 28,
        [](glm::vec3 direction) {
            glm::vec3 d(-direction.x, direction.y, -direction.z);
            glm::vec3 p = d * glm::vec3(1.0f, 1.3f, 1.1f);
            float front = std::max(0.0f, d.z);
            auto bump = [&](glm::vec3 centre, float size, float height) {
                float dist = glm::length(d - glm::normalize(centre));
                return height * std::exp(-(dist * dist) / (size * size));
            };
            float offset = 0.0f;
            offset += bump({0.0f, 0.25f, 1.0f}, 0.25f, 0.1f);    // brow
            offset -= bump({0.33f, 0.12f, 0.93f}, 0.15f, 0.22f); // eye sockets
            offset -= bump({-0.33f, 0.12f, 0.93f}, 0.15f, 0.22f);
            offset += bump({0.0f, -0.1f, 1.0f}, 0.12f, 0.22f);  // nose
            offset += bump({0.0f, -0.62f, 0.8f}, 0.25f, 0.06f); // chin
            offset -= bump({0.55f, -0.25f, 0.8f}, 0.2f, 0.08f); // sunken cheeks
            offset -= bump({-0.55f, -0.25f, 0.8f}, 0.2f, 0.08f);
            offset += bump({1.0f, 0.0f, 0.0f}, 0.18f, 0.12f); // ears
            offset += bump({-1.0f, 0.0f, 0.0f}, 0.18f, 0.12f);
            p += d * offset * (0.5f + front);
            // Ragged neck stump.
            if (p.y < -1.0f) {
                float ragged = valueNoise(std::atan2(d.x, d.z) * 3.0f, 0.0f, 91u);
                p = glm::vec3(p.x * 0.7f, -1.0f - 0.15f * (1.0f + ragged), p.z * 0.7f);
            }
            return p;
        },
        UvRect());
    return mesh;
}

MeshData makeFaceCluster() {
    // Faces grown out of a lump of flesh, looking every way.
    MeshData mesh;
    const UvRect face{{0.0f, 0.0f}, {0.5f, 1.0f}};
    const UvRect flesh{{0.5f, 0.0f}, {1.0f, 1.0f}};
    addBlob(
        mesh, 24, 16, [](glm::vec3 d) { return d * (1.3f + 0.25f * sphereNoise(d, 2.0f, 101u)); },
        flesh);
    struct Mask {
        float yaw, pitch, size;
    };
    const Mask masks[] = {{0, 10, 0.9f},   {60, -25, 0.75f}, {125, 20, 0.85f}, {185, -5, 0.95f},
                          {245, 30, 0.7f}, {300, -30, 0.8f}, {30, 60, 0.6f},   {210, -60, 0.65f}};
    for (const Mask& m : masks) {
        MeshData one;
        // Front half of a squashed ellipsoid with a nose and eye hollows, facing +z.
        addSurface(
            one, 14, 14,
            [](float s, float t) {
                float yaw = (s - 0.5f) * kPi;
                float pitch = (t - 0.5f) * kPi;
                glm::vec3 d(std::cos(pitch) * std::sin(yaw), std::sin(pitch),
                            std::cos(pitch) * std::cos(yaw));
                glm::vec3 p = d * glm::vec3(0.75f, 1.0f, 0.55f);
                auto bump = [&](glm::vec2 c, float size) {
                    glm::vec2 q(d.x - c.x, d.y - c.y);
                    return std::exp(-glm::dot(q, q) / (size * size)) * std::max(0.0f, d.z);
                };
                p.z += 0.25f * bump({0.0f, -0.05f}, 0.12f);
                p.z -= 0.18f * bump({0.3f, 0.22f}, 0.13f) + 0.18f * bump({-0.3f, 0.22f}, 0.13f);
                p.z -= 0.12f * bump({0.0f, -0.45f}, 0.16f);
                return p;
            },
            face);
        glm::mat4 place = glm::rotate(glm::mat4(1.0f), glm::radians(m.yaw), glm::vec3(0, 1, 0));
        place = glm::rotate(place, glm::radians(m.pitch), glm::vec3(1, 0, 0));
        place = glm::translate(place, glm::vec3(0, 0, 1.05f));
        place = glm::scale(place, glm::vec3(m.size));
        appendTransformed(mesh, one, place);
    }
    return mesh;
}

MeshData makeApparition() {
    // A hooded wraith with its arms spread, symmetric round its origin in x and z so it keeps
    // its distance while it circles. Texture u runs round the body, face at u = 0.5.
    MeshData mesh;
    addTube(
        mesh, 28, 22, [](float t) { return glm::vec3(0.0f, -1.9f + 2.9f * t, 0.0f); },
        [](float s, float t) {
            // Ragged hem, narrow waist, shoulders, then the hood closing at the top.
            float r;
            if (t < 0.55f) {
                r = 0.95f - 0.55f * (t / 0.55f);
            } else if (t < 0.72f) {
                r = 0.4f + 0.25f * std::sin((t - 0.55f) / 0.17f * kPi * 0.5f);
            } else if (t < 0.78f) {
                r = 0.65f - 3.5f * (t - 0.72f);
            } else if (t < 1.0f) {
                float k = (t - 0.78f) / 0.22f;
                r = 0.44f * std::sqrt(std::max(0.0f, 1.0f - k * k));
            } else {
                r = 0.0f;
            }
            float hem = t < 0.15f ? (0.15f - t) / 0.15f : 0.0f;
            return r * (1.0f + 0.25f * hem * std::sin(s * 2.0f * kPi * 7.0f));
        },
        UvRect());
    // Arms spread to both sides, ending in long fingers.
    for (int side = -1; side <= 1; side += 2) {
        float sx = static_cast<float>(side);
        addTube(
            mesh, 10, 8,
            [sx](float t) {
                return glm::vec3(sx * (0.45f + 1.3f * t), 0.1f + 0.25f * t - 0.5f * t * t, 0.0f);
            },
            [](float, float t) { return t >= 1.0f ? 0.0f : 0.2f * (1.0f - 0.5f * t); },
            UvRect{{0.0f, 0.1f}, {0.25f, 0.5f}});
        for (int f = -1; f <= 1; ++f) {
            float spread = 0.3f * static_cast<float>(f);
            addTube(
                mesh, 6, 4,
                [sx, spread](float t) {
                    return glm::vec3(sx * (1.65f + 0.45f * t), -0.15f - 0.35f * t,
                                     spread * (0.2f + t));
                },
                [](float, float t) { return t >= 1.0f ? 0.0f : 0.05f * (1.0f - 0.6f * t); },
                UvRect{{0.0f, 0.0f}, {0.1f, 0.1f}});
        }
    }
    // The texture's u = 0 faces +z and u = 0.5 faces -z: a face is painted at both.
    return mesh;
}
