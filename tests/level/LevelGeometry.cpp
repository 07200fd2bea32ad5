#include "LevelGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include "support/Sandbox.h"

namespace {

const unsigned kGameFlags = 0x00102000;

glm::mat4 toGlm(const aiMatrix4x4& m) {
    glm::mat4 out;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            out[column][row] = m[row][column];
        }
    }
    return out;
}

const aiScene* import(Assimp::Importer& importer, const std::string& path) {
    const aiScene* scene = importer.ReadFile(path, kGameFlags);
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode ||
        scene->mRootNode->mNumChildren == 0 || scene->mRootNode->mChildren[0]->mNumMeshes == 0) {
        ADD_FAILURE() << "cannot import " << path;
        return nullptr;
    }
    return scene;
}

const aiMesh* firstMesh(const aiScene* scene) {
    return scene->mMeshes[scene->mRootNode->mChildren[0]->mMeshes[0]];
}

} // namespace

std::string meshPath(const std::string& name) {
    return shippedPath("Resources/Meshes/" + name);
}

std::vector<glm::mat4> readPlacements(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = import(importer, path);
    std::vector<glm::mat4> placements;
    if (!scene) {
        return placements;
    }
    glm::mat4 root = toGlm(scene->mRootNode->mTransformation);
    for (unsigned i = 0; i < scene->mRootNode->mNumChildren; ++i) {
        placements.push_back(root * toGlm(scene->mRootNode->mChildren[i]->mTransformation));
    }
    return placements;
}

std::vector<Triangle> readTriangles(const std::string& path, bool placed) {
    Assimp::Importer importer;
    const aiScene* scene = import(importer, path);
    std::vector<Triangle> triangles;
    if (!scene) {
        return triangles;
    }
    const aiMesh* mesh = firstMesh(scene);
    std::vector<glm::mat4> placements = {glm::mat4(1.0f)};
    if (placed) {
        placements = readPlacements(path);
    }
    for (const glm::mat4& m : placements) {
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            glm::vec3 p[3];
            for (int k = 0; k < 3; ++k) {
                const aiVector3D& v = mesh->mVertices[face.mIndices[k]];
                p[k] = glm::vec3(m * glm::vec4(v.x, v.y, v.z, 1.0f));
            }
            triangles.push_back({p[0], p[1], p[2]});
        }
    }
    return triangles;
}

void readBounds(const std::string& path, glm::vec3& lo, glm::vec3& hi) {
    Assimp::Importer importer;
    const aiScene* scene = import(importer, path);
    lo = glm::vec3(std::numeric_limits<float>::max());
    hi = -lo;
    if (!scene) {
        return;
    }
    const aiMesh* mesh = firstMesh(scene);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        glm::vec3 p(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z);
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
}

TriangleField::TriangleField(std::vector<Triangle> all) : triangles(std::move(all)) {
    buckets.resize(static_cast<size_t>(size * size));
    for (size_t t = 0; t < triangles.size(); ++t) {
        const Triangle& tri = triangles[t];
        glm::vec3 lo = glm::min(tri.a, glm::min(tri.b, tri.c));
        glm::vec3 hi = glm::max(tri.a, glm::max(tri.b, tri.c));
        int x0 = std::max(0, static_cast<int>(std::floor(lo.x - origin.x)));
        int x1 = std::min(size - 1, static_cast<int>(std::floor(hi.x - origin.x)));
        int z0 = std::max(0, static_cast<int>(std::floor(lo.z - origin.y)));
        int z1 = std::min(size - 1, static_cast<int>(std::floor(hi.z - origin.y)));
        for (int z = z0; z <= z1; ++z) {
            for (int x = x0; x <= x1; ++x) {
                buckets[static_cast<size_t>(z * size + x)].push_back(static_cast<uint32_t>(t));
            }
        }
    }
}

std::vector<Hit> TriangleField::castDown(float x, float z) const {
    std::vector<Hit> hits;
    int bx = static_cast<int>(std::floor(x - origin.x));
    int bz = static_cast<int>(std::floor(z - origin.y));
    if (bx < 0 || bz < 0 || bx >= size || bz >= size) {
        return hits;
    }
    for (uint32_t t : buckets[static_cast<size_t>(bz * size + bx)]) {
        const Triangle& tri = triangles[t];
        // Barycentric coordinates in the x-z plane; a tiny tolerance closes shared edges.
        glm::vec2 a(tri.a.x, tri.a.z), b(tri.b.x, tri.b.z), c(tri.c.x, tri.c.z);
        float det = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (std::fabs(det) < 1e-9f) {
            continue;
        }
        float u = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (z - a.y)) / det;
        float v = ((b.x - a.x) * (z - a.y) - (x - a.x) * (b.y - a.y)) / det;
        const float e = -1e-5f;
        if (u < e || v < e || u + v > 1.0f - e) {
            continue;
        }
        glm::vec3 n = glm::normalize(tri.normal());
        hits.push_back({tri.a.y + u * (tri.b.y - tri.a.y) + v * (tri.c.y - tri.a.y), n.y});
    }
    std::sort(hits.begin(), hits.end(),
              [](const Hit& l, const Hit& r) { return l.height < r.height; });
    return hits;
}

namespace {

// The part of the triangle between two heights, as a polygon.
int clipToSlab(const Triangle& tri, float y0, float y1, glm::vec3 (&out)[9]) {
    glm::vec3 in[9] = {tri.a, tri.b, tri.c};
    int count = 3;
    for (int pass = 0; pass < 2; ++pass) {
        glm::vec3 next[9];
        int n = 0;
        for (int i = 0; i < count; ++i) {
            glm::vec3 p = in[i], q = in[(i + 1) % count];
            float dp = pass == 0 ? p.y - y0 : y1 - p.y;
            float dq = pass == 0 ? q.y - y0 : y1 - q.y;
            if (dp >= 0.0f) {
                next[n++] = p;
            }
            if ((dp >= 0.0f) != (dq >= 0.0f)) {
                next[n++] = p + (q - p) * (dp / (dp - dq));
            }
        }
        count = n;
        std::copy(next, next + n, in);
    }
    std::copy(in, in + count, out);
    return count;
}

float segmentDistance2d(glm::vec2 p, glm::vec2 a, glm::vec2 b) {
    glm::vec2 ab = b - a;
    float len = glm::dot(ab, ab);
    float h = len > 0.0f ? std::clamp(glm::dot(p - a, ab) / len, 0.0f, 1.0f) : 0.0f;
    return glm::length(p - a - ab * h);
}

// Distance in x-z from p to a convex polygon (zero inside).
float polygonDistance(glm::vec2 p, const glm::vec3* poly, int count) {
    bool inside = count >= 3;
    float sign = 0.0f;
    float best = std::numeric_limits<float>::max();
    for (int i = 0; i < count; ++i) {
        glm::vec2 a(poly[i].x, poly[i].z), b(poly[(i + 1) % count].x, poly[(i + 1) % count].z);
        best = std::min(best, segmentDistance2d(p, a, b));
        float cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        if (std::fabs(cross) > 1e-9f) {
            if (sign == 0.0f) {
                sign = cross > 0.0f ? 1.0f : -1.0f;
            } else if (cross * sign < 0.0f) {
                inside = false;
            }
        }
    }
    return inside && sign != 0.0f ? 0.0f : best;
}

} // namespace

bool TriangleField::blocksCylinder(float x, float z, float radius, float y0, float y1,
                                   float walkableAllowance) const {
    const float walkable = std::cos(glm::radians(45.0f));
    int bx0 = static_cast<int>(std::floor(x - radius - origin.x));
    int bx1 = static_cast<int>(std::floor(x + radius - origin.x));
    int bz0 = static_cast<int>(std::floor(z - radius - origin.y));
    int bz1 = static_cast<int>(std::floor(z + radius - origin.y));
    for (int bz = std::max(0, bz0); bz <= std::min(size - 1, bz1); ++bz) {
        for (int bx = std::max(0, bx0); bx <= std::min(size - 1, bx1); ++bx) {
            for (uint32_t t : buckets[static_cast<size_t>(bz * size + bx)]) {
                const Triangle& tri = triangles[t];
                glm::vec3 n = tri.normal();
                float length = glm::length(n);
                if (length < 1e-9f) {
                    continue;
                }
                float bottom = n.y / length >= walkable ? y0 + walkableAllowance : y0;
                glm::vec3 poly[9];
                int count = clipToSlab(tri, bottom, y1, poly);
                if (count > 0 && polygonDistance(glm::vec2(x, z), poly, count) < radius) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool TriangleField::entersBox(const glm::vec3& lo, const glm::vec3& hi) const {
    for (const Triangle& tri : triangles) {
        // Clip against the six faces of the box.
        glm::vec3 in[12] = {tri.a, tri.b, tri.c};
        int count = 3;
        for (int plane = 0; plane < 6 && count > 0; ++plane) {
            int axis = plane / 2;
            bool upper = plane % 2 == 1;
            glm::vec3 next[12];
            int n = 0;
            for (int i = 0; i < count; ++i) {
                glm::vec3 p = in[i], q = in[(i + 1) % count];
                float dp = upper ? hi[axis] - p[axis] : p[axis] - lo[axis];
                float dq = upper ? hi[axis] - q[axis] : q[axis] - lo[axis];
                if (dp >= 0.0f) {
                    next[n++] = p;
                }
                if ((dp >= 0.0f) != (dq >= 0.0f)) {
                    next[n++] = p + (q - p) * (dp / (dp - dq));
                }
            }
            count = n;
            std::copy(next, next + n, in);
        }
        if (count > 0) {
            return true;
        }
    }
    return false;
}

float TriangleField::castRay(const glm::vec3& from, const glm::vec3& direction,
                             size_t* which) const {
    float best = -1.0f;
    for (size_t t = 0; t < triangles.size(); ++t) {
        const Triangle& tri = triangles[t];
        glm::vec3 e1 = tri.b - tri.a, e2 = tri.c - tri.a;
        glm::vec3 p = glm::cross(direction, e2);
        float det = glm::dot(e1, p);
        if (std::fabs(det) < 1e-12f) {
            continue;
        }
        glm::vec3 s = from - tri.a;
        float u = glm::dot(s, p) / det;
        glm::vec3 q = glm::cross(s, e1);
        float v = glm::dot(direction, q) / det;
        float d = glm::dot(e2, q) / det;
        if (u >= 0.0f && v >= 0.0f && u + v <= 1.0f && d > 0.0f && (best < 0.0f || d < best)) {
            best = d;
            if (which) {
                *which = t;
            }
        }
    }
    return best;
}

WalkMap::WalkMap(const TriangleField& collision) {
    cells = static_cast<int>(2.0f * kHalfSize / kSpacing);
    size_t total = static_cast<size_t>(cells) * static_cast<size_t>(cells) * kLayers;
    heights.assign(total, std::numeric_limits<float>::quiet_NaN());
    standable.assign(total, false);
    const float walkable = std::cos(glm::radians(45.0f));
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            float x = -kHalfSize + (static_cast<float>(i) + 0.5f) * kSpacing;
            float z = -kHalfSize + (static_cast<float>(j) + 0.5f) * kSpacing;
            int layer = 0;
            for (const Hit& hit : collision.castDown(x, z)) {
                if (hit.upright <= walkable || layer == kLayers) {
                    continue;
                }
                size_t node = (static_cast<size_t>(j) * cells + i) * kLayers + layer++;
                heights[node] = hit.height;
                // Room for the capsule (radius 0.5 and the contact offset, with a margin for the
                // sampling) above the step it may climb; the ground it stands on may rise as much
                // as a 45 degree slope does under it.
                standable[node] = !collision.blocksCylinder(x, z, kClearance, hit.height + 0.26f,
                                                            hit.height + 6.1f, kClearance);
            }
        }
    }
}

int WalkMap::nodeAt(float x, float z, float maxHeight) const {
    int i = static_cast<int>(std::floor((x + kHalfSize) / kSpacing));
    int j = static_cast<int>(std::floor((z + kHalfSize) / kSpacing));
    if (i < 0 || j < 0 || i >= cells || j >= cells) {
        return -1;
    }
    int best = -1;
    for (int layer = 0; layer < kLayers; ++layer) {
        int node = (j * cells + i) * kLayers + layer;
        if (!std::isnan(heights[static_cast<size_t>(node)]) &&
            heights[static_cast<size_t>(node)] <= maxHeight) {
            best = node;
        }
    }
    return best;
}

glm::vec3 WalkMap::position(int node) const {
    int cell = node / kLayers;
    int i = cell % cells, j = cell / cells;
    return glm::vec3(-kHalfSize + (static_cast<float>(i) + 0.5f) * kSpacing,
                     heights[static_cast<size_t>(node)],
                     -kHalfSize + (static_cast<float>(j) + 0.5f) * kSpacing);
}

template <typename Visit> void WalkMap::forNeighbours(int node, Visit visit) const {
    int cell = node / kLayers;
    int i = cell % cells, j = cell / cells;
    float h = heights[static_cast<size_t>(node)];
    for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
            int ni = i + di, nj = j + dj;
            if ((di == 0 && dj == 0) || ni < 0 || nj < 0 || ni >= cells || nj >= cells) {
                continue;
            }
            bool diagonal = di != 0 && dj != 0;
            float step = diagonal ? kSpacing * std::sqrt(2.0f) : kSpacing;
            // A step of 0.25, or what a slope just under 45 degrees climbs over the gap.
            float climb = diagonal ? step : 0.25f;
            for (int layer = 0; layer < kLayers; ++layer) {
                int next = (nj * cells + ni) * kLayers + layer;
                float nh = heights[static_cast<size_t>(next)];
                if (!std::isnan(nh) && standable[static_cast<size_t>(next)] &&
                    std::fabs(nh - h) <= climb) {
                    visit(next, step);
                }
            }
        }
    }
}

std::vector<float> WalkMap::distancesFrom(int start) const {
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> distance(heights.size(), inf);
    if (start < 0 || !standable[static_cast<size_t>(start)]) {
        return distance;
    }
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    distance[static_cast<size_t>(start)] = 0.0f;
    open.push({0.0f, start});
    while (!open.empty()) {
        auto [d, node] = open.top();
        open.pop();
        if (d > distance[static_cast<size_t>(node)]) {
            continue;
        }
        forNeighbours(node, [&](int next, float step) {
            float nd = d + step;
            if (nd < distance[static_cast<size_t>(next)]) {
                distance[static_cast<size_t>(next)] = nd;
                open.push({nd, next});
            }
        });
    }
    return distance;
}

std::vector<glm::vec3> WalkMap::route(const std::vector<float>& distances, int target) const {
    std::vector<glm::vec3> points;
    if (target < 0 || !std::isfinite(distances[static_cast<size_t>(target)])) {
        return points;
    }
    int node = target;
    while (distances[static_cast<size_t>(node)] > 0.0f) {
        points.push_back(position(node));
        int best = node;
        forNeighbours(node, [&](int next, float) {
            if (distances[static_cast<size_t>(next)] < distances[static_cast<size_t>(best)]) {
                best = next;
            }
        });
        if (best == node) {
            break;
        }
        node = best;
    }
    points.push_back(position(node));
    std::reverse(points.begin(), points.end());
    return points;
}

const TriangleField& shippedCollision() {
    static const TriangleField field(readTriangles(meshPath("collision.obj"), false));
    return field;
}

const WalkMap& shippedWalkMap() {
    static const WalkMap map(shippedCollision());
    return map;
}
