#include <algorithm>
#include <cmath>

#include "tools/levelgen/Level.h"
#include "tools/levelgen/Noise.h"

namespace {

float smoothstep(float edge0, float edge1, float x) {
    float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// 0 to 1 at a constant rate, with the first and last fraction `ease` rounded: the steepest part
// is only 1 / (1 - ease) times the average, which keeps banks and ramps walkable.
float easedRamp(float t, float ease) {
    t = std::clamp(t, 0.0f, 1.0f);
    float k = 1.0f / (1.0f - ease);
    if (t < ease) {
        return k * t * t / (2.0f * ease);
    }
    if (t > 1.0f - ease) {
        return 1.0f - k * (1.0f - t) * (1.0f - t) / (2.0f * ease);
    }
    return k * (t - ease * 0.5f);
}

float roundedBox(glm::vec2 p, glm::vec2 lo, glm::vec2 hi, float radius) {
    glm::vec2 centre = (lo + hi) * 0.5f;
    glm::vec2 half = (hi - lo) * 0.5f;
    glm::vec2 q = glm::abs(p - centre) - half + glm::vec2(radius);
    return glm::length(glm::max(q, glm::vec2(0.0f))) + std::min(std::max(q.x, q.y), 0.0f) - radius;
}

struct Flat {
    glm::vec2 centre;
    float radius;
    float height;
};

// Level ground where the player starts and where the buildings stand.
const Flat kFlats[] = {
    {{0.0f, 0.0f}, 5.0f, kValleyHeight},
    {kLabCentre, 9.0f, 1.0f},
    {{13.0f, -22.0f}, 8.0f, 1.1f},
    {{-12.0f, -17.0f}, 6.0f, 1.1f},
};

float valley(float x, float z) {
    float h = kValleyHeight + 0.8f * fbm(x / 25.0f, z / 25.0f, 2, 11u) +
              0.25f * fbm(x / 6.0f, z / 6.0f, 2, 12u);
    h += 2.4f * std::exp(-((x - 27.0f) * (x - 27.0f) + (z - 6.0f) * (z - 6.0f)) / 110.0f);
    h += 1.8f * std::exp(-((x - 16.0f) * (x - 16.0f) + (z - 34.0f) * (z - 34.0f)) / 80.0f);
    for (const Flat& flat : kFlats) {
        float d = glm::length(glm::vec2(x, z) - flat.centre);
        float w = 1.0f - smoothstep(flat.radius, flat.radius + 5.0f, d);
        h += (flat.height - h) * w;
    }
    return h;
}

// The bowl of the pond inside the mesa: a flat floor, banks of at most about 34 degrees, and a
// low lip that falls back to the plateau.
float plateauTop(float x, float z) {
    float r = glm::length(glm::vec2(x, z) - kPondCentre);
    const float floorRadius = 2.5f, lipRadius = 10.0f, lipHeight = 15.6f;
    if (r <= floorRadius) {
        return kPondFloor + 0.1f * (r / floorRadius) * (r / floorRadius);
    }
    if (r < lipRadius) {
        float t = (r - floorRadius) / (lipRadius - floorRadius);
        return kPondFloor + 0.1f + (lipHeight - kPondFloor - 0.1f) * easedRamp(t, 0.2f);
    }
    float top = kPlateauHeight + 0.12f * fbm(x / 5.0f, z / 5.0f, 2, 21u);
    if (r < kPondRadius + 2.0f) {
        float w = smoothstep(lipRadius, kPondRadius, r);
        return lipHeight + (top - lipHeight) * w;
    }
    return top;
}

float mesa(float x, float z, float base) {
    glm::vec2 p(x, z);
    float sd = std::min(roundedBox(p, {-90.0f, 12.5f}, {-12.0f, 90.0f}, 4.0f),
                        roundedBox(p, {-90.0f, 3.0f}, {-30.0f, 90.0f}, 3.0f));
    sd += 0.8f * fbm(x / 7.0f, z / 7.0f, 3, 31u);
    float w = 1.0f - smoothstep(-1.6f, 1.6f, sd);
    if (w <= 0.0f) {
        return base;
    }
    return base + (plateauTop(x, z) - base) * w;
}

float ramp(float x, float z) {
    glm::vec2 axis = kRampTop - kRampBottom;
    float length = glm::length(axis);
    glm::vec2 dir = axis / length;
    glm::vec2 rel = glm::vec2(x, z) - kRampBottom;
    float t = glm::dot(rel, dir) / length;
    float side = std::fabs(rel.x * dir.y - rel.y * dir.x);
    float h;
    if (t < 0.0f) {
        h = kValleyHeight + t * length * 0.55f;
    } else {
        h = kValleyHeight + (kPlateauHeight - kValleyHeight) * easedRamp(t, 0.1f);
    }
    // Steep sides: the ramp is a ledge, not a slope one could walk off sideways.
    return h - 3.0f * std::max(0.0f, side - kRampHalfWidth);
}

// Cliffs all round, too steep to climb, with a crest that falls away outwards.
float rim(float x, float z) {
    float ax = std::fabs(x), az = std::fabs(z);
    float d = std::pow(std::pow(ax, 6.0f) + std::pow(az, 6.0f), 1.0f / 6.0f);
    d += 1.5f * fbm(x / 9.0f, z / 9.0f, 3, 41u);
    float height = 20.0f + 5.0f * fbm(x / 16.0f, z / 16.0f, 3, 42u);
    float t = smoothstep(46.0f, 52.0f, d);
    return -10.0f + (height + 10.0f) * t - 1.5f * smoothstep(53.0f, 62.0f, d);
}

} // namespace

float terrainHeight(float x, float z) {
    float h = mesa(x, z, valley(x, z));
    h = std::max(h, ramp(x, z));
    return std::max(h, rim(x, z));
}

namespace {

void addShared(MeshData& mesh, std::vector<int32_t>& remap, const std::vector<glm::vec3>& points,
               const std::vector<glm::vec3>& normals, const uint32_t (&corners)[3], float tile) {
    uint32_t out[3];
    for (int k = 0; k < 3; ++k) {
        uint32_t v = corners[k];
        if (remap[v] < 0) {
            const glm::vec3& p = points[v];
            remap[v] =
                static_cast<int32_t>(addVertex(mesh, p, normals[v], glm::vec2(p.x, -p.z) / tile));
        }
        out[k] = static_cast<uint32_t>(remap[v]);
    }
    addTriangle(mesh, out[0], out[1], out[2]);
}

// Rock faces get their own corners, projected along the face's main horizontal direction so the
// texture is not smeared down the cliff.
void addCliff(MeshData& mesh, const glm::vec3 (&p)[3], const glm::vec3 (&n)[3]) {
    glm::vec3 face = glm::cross(p[1] - p[0], p[2] - p[0]);
    bool alongZ = std::fabs(face.x) > std::fabs(face.z);
    const float tile = 6.0f;
    uint32_t out[3];
    for (int k = 0; k < 3; ++k) {
        glm::vec2 uv = alongZ ? glm::vec2(p[k].z, p[k].y) : glm::vec2(p[k].x, p[k].y);
        out[k] = addVertex(mesh, p[k], n[k], uv / tile);
    }
    addTriangle(mesh, out[0], out[1], out[2]);
}

} // namespace

Surface surfaceAt(glm::vec2 p, float upright) {
    // Mud up to a ragged line on the pond's outer lip.
    float mud = kPondRadius - 0.6f + 0.9f * fbm(p.x / 3.0f, p.y / 3.0f, 2, 52u);
    if (glm::length(p - kPondCentre) < mud) {
        return Surface::Pond;
    }
    // Rock wherever the ground is too steep to be grass; most of it is too steep to climb.
    if (upright < std::cos(glm::radians(40.0f))) {
        return Surface::Cliff;
    }
    return Surface::Grass;
}

namespace {

const float kCell = 2.0f * kTerrainHalfSize / static_cast<float>(kTerrainCells);

// Which diagonal splits a cell: the one whose middle is closer to the ground's true height.
bool splitsAlongAD(float ha, float hb, float hc, float hd, float centre) {
    return std::fabs((ha + hd) * 0.5f - centre) <= std::fabs((hb + hc) * 0.5f - centre);
}

} // namespace

float groundHeight(float x, float z) {
    float fx = (x + kTerrainHalfSize) / kCell, fz = (z + kTerrainHalfSize) / kCell;
    int i = std::clamp(static_cast<int>(std::floor(fx)), 0, kTerrainCells - 1);
    int j = std::clamp(static_cast<int>(std::floor(fz)), 0, kTerrainCells - 1);
    float x0 = -kTerrainHalfSize + kCell * static_cast<float>(i);
    float z0 = -kTerrainHalfSize + kCell * static_cast<float>(j);
    float ha = terrainHeight(x0, z0), hb = terrainHeight(x0 + kCell, z0);
    float hc = terrainHeight(x0, z0 + kCell), hd = terrainHeight(x0 + kCell, z0 + kCell);
    float u = fx - static_cast<float>(i), v = fz - static_cast<float>(j);
    if (splitsAlongAD(ha, hb, hc, hd, terrainHeight(x0 + kCell * 0.5f, z0 + kCell * 0.5f))) {
        // Triangles a-c-d (u below v) and a-d-b.
        return u <= v ? ha + (hd - hc) * u + (hc - ha) * v : ha + (hb - ha) * u + (hd - hb) * v;
    }
    // Triangles a-c-b (u + v below 1) and b-c-d.
    return u + v <= 1.0f ? ha + (hb - ha) * u + (hc - ha) * v
                         : hd + (hc - hd) * (1.0f - u) + (hb - hd) * (1.0f - v);
}

std::vector<glm::vec2> pathLine() {
    // From the laboratory past the spawn, up the ramp and round to the pond.
    const glm::vec2 control[] = {{0.0f, -14.0f},  {0.0f, -13.5f},  {0.0f, -6.0f},   {0.0f, 0.0f},
                                 {-3.5f, 6.0f},   {-8.0f, 7.25f},  {-28.0f, 7.25f}, {-32.5f, 8.5f},
                                 {-33.5f, 12.0f}, {-31.5f, 16.5f}, {-31.0f, 17.0f}};
    const int count = static_cast<int>(sizeof control / sizeof control[0]);
    std::vector<glm::vec2> points;
    for (int k = 1; k + 2 < count; ++k) {
        glm::vec2 p0 = control[k - 1], p1 = control[k], p2 = control[k + 1], p3 = control[k + 2];
        int steps = std::max(1, static_cast<int>(glm::length(p2 - p1) / 0.5f));
        for (int s = 0; s < steps; ++s) {
            float t = static_cast<float>(s) / static_cast<float>(steps);
            float t2 = t * t, t3 = t2 * t;
            points.push_back(0.5f * (2.0f * p1 + (p2 - p0) * t +
                                     (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                                     (3.0f * p1 - p0 - 3.0f * p2 + p3) * t3));
        }
    }
    points.push_back(control[count - 2]);
    return points;
}

float pathHalfWidth(glm::vec2 p) {
    return 1.3f + 0.25f * fbm(p.x / 4.0f, p.y / 4.0f, 2, 53u);
}

MeshData buildPaths() {
    // A gravel bed laid on the ground, a few centimetres high with sloping edges and ends.
    MeshData mesh;
    std::vector<glm::vec2> line = pathLine();
    const float across[] = {-1.0f, -0.65f, 0.0f, 0.65f, 1.0f};
    const int columns = 5;
    float travelled = 0.0f;
    for (size_t k = 0; k < line.size(); ++k) {
        glm::vec2 ahead = line[std::min(k + 1, line.size() - 1)];
        glm::vec2 behind = line[k == 0 ? 0 : k - 1];
        glm::vec2 tangent = glm::normalize(ahead - behind);
        glm::vec2 side(-tangent.y, tangent.x);
        if (k > 0) {
            travelled += glm::length(line[k] - line[k - 1]);
        }
        float halfWidth = pathHalfWidth(line[k]);
        bool end = k == 0 || k + 1 == line.size();
        for (float a : across) {
            glm::vec2 p = line[k] + side * (a * halfWidth);
            float lift = end || std::fabs(a) > 0.9f ? 0.02f : 0.09f;
            addVertex(mesh, glm::vec3(p.x, groundHeight(p.x, p.y) + lift, p.y), glm::vec3(0, 1, 0),
                      glm::vec2((a * 0.5f + 0.5f) * halfWidth * 0.5f, travelled / 4.0f));
        }
    }
    for (size_t k = 0; k + 1 < line.size(); ++k) {
        for (int c = 0; c + 1 < columns; ++c) {
            uint32_t a = static_cast<uint32_t>(k * columns + static_cast<size_t>(c));
            uint32_t b = a + 1, d = a + columns, e = d + 1;
            const uint32_t faces[2][3] = {{a, b, e}, {a, e, d}};
            for (const auto& f : faces) {
                glm::vec3 n = glm::cross(mesh.positions[f[1]] - mesh.positions[f[0]],
                                         mesh.positions[f[2]] - mesh.positions[f[0]]);
                if (n.y >= 0.0f) {
                    addTriangle(mesh, f[0], f[1], f[2]);
                } else {
                    addTriangle(mesh, f[0], f[2], f[1]);
                }
            }
        }
    }
    smoothNormals(mesh, 0);
    return mesh;
}

TerrainMeshes buildTerrain() {
    const int n = kTerrainCells;
    const float cell = 2.0f * kTerrainHalfSize / static_cast<float>(n);
    const int stride = n + 1;
    std::vector<glm::vec3> points(static_cast<size_t>(stride * stride));
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            float x = -kTerrainHalfSize + cell * static_cast<float>(i);
            float z = -kTerrainHalfSize + cell * static_cast<float>(j);
            points[static_cast<size_t>(j * stride + i)] = glm::vec3(x, terrainHeight(x, z), z);
        }
    }
    // Each cell is split along the diagonal that follows the ground best.
    std::vector<uint32_t> triangles;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            uint32_t a = static_cast<uint32_t>(j * stride + i);
            uint32_t b = a + 1, c = a + static_cast<uint32_t>(stride), d = c + 1;
            glm::vec3 mid = (points[a] + points[d]) * 0.5f;
            float centre = terrainHeight(mid.x, mid.z);
            // Counter-clockwise seen from above (x right, z down the screen): a, c, b.
            if (splitsAlongAD(points[a].y, points[b].y, points[c].y, points[d].y, centre)) {
                triangles.insert(triangles.end(), {a, c, d, a, d, b});
            } else {
                triangles.insert(triangles.end(), {a, c, b, b, c, d});
            }
        }
    }
    std::vector<glm::vec3> normals(points.size(), glm::vec3(0.0f));
    for (size_t t = 0; t < triangles.size(); t += 3) {
        glm::vec3 face = glm::cross(points[triangles[t + 1]] - points[triangles[t]],
                                    points[triangles[t + 2]] - points[triangles[t]]);
        for (int k = 0; k < 3; ++k) {
            normals[triangles[t + static_cast<size_t>(k)]] += face;
        }
    }
    for (glm::vec3& normal : normals) {
        normal = glm::normalize(normal);
    }

    TerrainMeshes meshes;
    std::vector<int32_t> grassMap(points.size(), -1), pondMap(points.size(), -1);
    for (size_t t = 0; t < triangles.size(); t += 3) {
        const uint32_t corners[3] = {triangles[t], triangles[t + 1], triangles[t + 2]};
        glm::vec3 p[3] = {points[corners[0]], points[corners[1]], points[corners[2]]};
        glm::vec3 nn[3] = {normals[corners[0]], normals[corners[1]], normals[corners[2]]};
        glm::vec3 centroid = (p[0] + p[1] + p[2]) / 3.0f;
        glm::vec3 face = glm::normalize(glm::cross(p[1] - p[0], p[2] - p[0]));
        switch (surfaceAt(glm::vec2(centroid.x, centroid.z), face.y)) {
        case Surface::Pond:
            addShared(meshes.pond, pondMap, points, normals, corners, 4.0f);
            break;
        case Surface::Cliff:
            addCliff(meshes.cliffs, p, nn);
            break;
        case Surface::Grass:
            addShared(meshes.grass, grassMap, points, normals, corners, 5.0f);
            break;
        }
    }

    // A skirt below the outer edge closes the terrain, facing outwards.
    auto edgePoint = [&](int k) -> glm::vec3 {
        // Walks the border counter-clockwise seen from above.
        int side = k / n, step = k % n;
        int i, j;
        if (side == 0) {
            i = step, j = n;
        } else if (side == 1) {
            i = n, j = n - step;
        } else if (side == 2) {
            i = n - step, j = 0;
        } else {
            i = 0, j = step;
        }
        return points[static_cast<size_t>(j * stride + i)];
    };
    for (int k = 0; k < 4 * n; ++k) {
        glm::vec3 top0 = edgePoint(k), top1 = edgePoint((k + 1) % (4 * n));
        glm::vec3 bottom0(top0.x, -3.0f, top0.z), bottom1(top1.x, -3.0f, top1.z);
        glm::vec3 outward = glm::normalize(glm::cross(glm::vec3(0, -1, 0), top1 - top0));
        glm::vec3 p[3] = {top0, bottom0, bottom1};
        glm::vec3 q[3] = {top0, bottom1, top1};
        glm::vec3 nn[3] = {outward, outward, outward};
        if (glm::dot(glm::cross(p[1] - p[0], p[2] - p[0]), outward) < 0.0f) {
            std::swap(p[1], p[2]);
            std::swap(q[1], q[2]);
        }
        addCliff(meshes.cliffs, p, nn);
        addCliff(meshes.cliffs, q, nn);
    }
    meshes.paths = buildPaths();
    return meshes;
}
