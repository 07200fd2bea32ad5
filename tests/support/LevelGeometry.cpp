#include "support/LevelGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <queue>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <BulletCollision/NarrowPhaseCollision/btRaycastCallback.h>
#include <btBulletCollisionCommon.h>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include "physics/CollisionMesh.h"
#include "support/Sandbox.h"

namespace {

const float kWalkable = std::cos(glm::radians(45.0f));

btVector3 bt(const glm::vec3& v) {
    return btVector3(v.x, v.y, v.z);
}

glm::mat4 toGlm(const aiMatrix4x4& m) {
    return glm::transpose(glm::make_mat4(&m.a1));
}

struct AllHits : btCollisionWorld::RayResultCallback {
    glm::vec3 from, to;
    std::vector<Hit> hits;

    AllHits(const glm::vec3& a, const glm::vec3& b) : from(a), to(b) {
        m_flags = btTriangleRaycastCallback::kF_KeepUnflippedNormal;
    }
    btScalar addSingleResult(btCollisionWorld::LocalRayResult& result, bool) override {
        const btVector3& n = result.m_hitNormalLocal;
        const float f = result.m_hitFraction;
        hits.push_back({from + (to - from) * f, glm::vec3(n.x(), n.y(), n.z()), f,
                        result.m_collisionObject->getUserIndex()});
        return m_closestHitFraction;
    }
};

struct AnyContact : btCollisionWorld::ContactResultCallback {
    bool found = false;

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override {
        found = found || point.getDistance() < 0.0f;
        return 0.0f;
    }
};

} // namespace

std::vector<glm::vec3> ShippedModel::placed() const {
    std::vector<glm::vec3> out;
    for (const glm::mat4& m : placements) {
        for (const glm::vec3& p : corners) {
            out.push_back(glm::vec3(m * glm::vec4(p, 1.0f)));
        }
    }
    return out;
}

ShippedModel readModel(const std::string& name) {
    ShippedModel model;
    Assimp::Importer importer;
    const std::string path = shippedPath("Resources/Meshes/" + name);
    const aiScene* scene = importer.ReadFile(path, 0x00102000);
    if (!scene || !scene->mRootNode || scene->mRootNode->mNumChildren == 0 ||
        scene->mRootNode->mChildren[0]->mNumMeshes == 0) {
        ADD_FAILURE() << "cannot import " << path;
        return model;
    }
    const aiNode& root = *scene->mRootNode;
    for (unsigned i = 0; i < root.mNumChildren; ++i) {
        model.placements.push_back(toGlm(root.mTransformation) *
                                   toGlm(root.mChildren[i]->mTransformation));
    }
    const aiMesh* mesh = scene->mMeshes[root.mChildren[0]->mMeshes[0]];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        for (unsigned k = 0; k < mesh->mFaces[f].mNumIndices; ++k) {
            const aiVector3D& v = mesh->mVertices[mesh->mFaces[f].mIndices[k]];
            model.corners.push_back(glm::vec3(v.x, v.y, v.z));
            model.lo = glm::min(model.lo, model.corners.back());
            model.hi = glm::max(model.hi, model.corners.back());
        }
    }
    return model;
}

void TriangleWorld::add(const std::vector<glm::vec3>& corners) {
    parts.push_back(corners);
    const auto count = static_cast<uint32_t>(corners.size());
    auto* mesh = new CollisionMesh{corners, count, std::vector<uint32_t>(count), count / 3};
    std::iota(mesh->indices.begin(), mesh->indices.end(), 0u);
    cookCollisionMesh(physX, mesh)->setUserIndex(static_cast<int>(physX.objects.size()) - 1);
}

std::vector<Hit> TriangleWorld::cast(const glm::vec3& from, const glm::vec3& to) const {
    AllHits result(from, to);
    physX.world->rayTest(bt(from), bt(to), result);
    std::sort(result.hits.begin(), result.hits.end(),
              [](const Hit& a, const Hit& b) { return a.fraction < b.fraction; });
    return result.hits;
}

WalkMap::WalkMap(const TriangleWorld& collision) {
    cells = static_cast<int>(2.0f * kHalfSize / kSpacing);
    heights.assign(static_cast<size_t>(cells * cells * kLayers), std::nanf(""));
    standable.assign(heights.size(), false);
    // Room for the capsule (radius 0.5 and the contact offset, with a margin for the sampling)
    // above the highest a 45 degree slope rises under it, up to the top of its head.
    btCylinderShape body(btVector3(0.6f, 2.62f, 0.6f));
    btCollisionObject probe;
    probe.setCollisionShape(&body);
    for (int node = 0; node < cells * cells * kLayers; node += kLayers) {
        glm::vec3 top = position(node);
        top.y = 100.0f;
        std::vector<Hit> hits = collision.cast(top, top - glm::vec3(0.0f, 200.0f, 0.0f));
        int layer = 0;
        for (auto hit = hits.rbegin(); hit != hits.rend() && layer < kLayers; ++hit) {
            if (hit->normal.y > kWalkable) {
                heights[static_cast<size_t>(node + layer)] = hit->point.y;
                probe.getWorldTransform().setOrigin(bt(hit->point + glm::vec3(0.0f, 3.48f, 0.0f)));
                AnyContact contact;
                collision.physX.world->contactTest(&probe, contact);
                standable[static_cast<size_t>(node + layer++)] = !contact.found;
            }
        }
    }
}

int WalkMap::nodeAt(float x, float z, float maxHeight) const {
    int i = static_cast<int>(std::floor((x + kHalfSize) / kSpacing));
    int j = static_cast<int>(std::floor((z + kHalfSize) / kSpacing));
    int best = -1;
    for (int layer = 0; layer < kLayers && i >= 0 && j >= 0 && i < cells && j < cells; ++layer) {
        int node = (j * cells + i) * kLayers + layer;
        best = heights[static_cast<size_t>(node)] <= maxHeight ? node : best;
    }
    return best;
}

glm::vec3 WalkMap::position(int node) const {
    int cell = node / kLayers;
    return glm::vec3(-kHalfSize + (static_cast<float>(cell % cells) + 0.5f) * kSpacing,
                     heights[static_cast<size_t>(node)],
                     -kHalfSize + (static_cast<float>(cell / cells) + 0.5f) * kSpacing);
}

std::vector<int> WalkMap::walksFrom(int start) const {
    std::vector<int> previous(heights.size(), -1);
    if (start < 0 || !standable[static_cast<size_t>(start)]) {
        return previous;
    }
    std::vector<float> distance(heights.size(), std::numeric_limits<float>::infinity());
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    distance[static_cast<size_t>(start)] = 0.0f;
    previous[static_cast<size_t>(start)] = start;
    open.push({0.0f, start});
    while (!open.empty()) {
        const auto [d, node] = open.top();
        open.pop();
        const int i = node / kLayers % cells, j = node / kLayers / cells;
        for (int nj = std::max(0, j - 1); nj <= std::min(cells - 1, j + 1); ++nj) {
            for (int ni = std::max(0, i - 1); ni <= std::min(cells - 1, i + 1); ++ni) {
                const bool diagonal = ni != i && nj != j;
                const float step = diagonal ? kSpacing * std::sqrt(2.0f) : kSpacing;
                // A step of 0.25, or what a slope just under 45 degrees climbs over the gap.
                const float climb = diagonal ? step : 0.25f;
                const int first = (nj * cells + ni) * kLayers;
                for (int next = first; next < first + kLayers && (ni != i || nj != j); ++next) {
                    const size_t n = static_cast<size_t>(next);
                    if (standable[n] && d + step < distance[n] &&
                        std::fabs(heights[n] - heights[static_cast<size_t>(node)]) <= climb) {
                        distance[n] = d + step;
                        previous[n] = node;
                        open.push({d + step, next});
                    }
                }
            }
        }
    }
    return previous;
}

std::vector<glm::vec3> WalkMap::route(const std::vector<int>& previous, int target) const {
    std::vector<glm::vec3> points;
    for (int node = target; node >= 0 && previous[static_cast<size_t>(node)] >= 0;) {
        points.insert(points.begin(), position(node));
        node =
            previous[static_cast<size_t>(node)] == node ? -1 : previous[static_cast<size_t>(node)];
    }
    return points;
}

const TriangleWorld& shippedCollision() {
    static TriangleWorld world;
    if (world.physX.objects.empty()) {
        world.add(readModel("collision.obj").corners);
    }
    return world;
}

const WalkMap& shippedWalkMap() {
    static const WalkMap map(shippedCollision());
    return map;
}

std::vector<glm::vec3> shippedRoute(const glm::vec3& foot, const glm::vec3& goal) {
    const WalkMap& map = shippedWalkMap();
    return map.route(map.walksFrom(map.nodeAt(foot.x, foot.z, foot.y + 0.3f)),
                     map.nodeAt(goal.x, goal.z, goal.y));
}

glm::vec2 headingAlong(const std::vector<glm::vec3>& route, size_t& next, const glm::vec3& at) {
    auto toward = [&] { return glm::vec2(route[next].x - at.x, route[next].z - at.z); };
    while (next + 1 < route.size() && glm::length(toward()) < 0.5f) {
        ++next;
    }
    return toward();
}
