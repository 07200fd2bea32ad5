#include "tools/levelgen/MeshData.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

uint32_t addVertex(MeshData& mesh, const glm::vec3& position, const glm::vec3& normal,
                   const glm::vec2& uv) {
    mesh.positions.push_back(position);
    mesh.normals.push_back(normal);
    mesh.uvs.push_back(uv);
    return static_cast<uint32_t>(mesh.positions.size() - 1);
}

void addTriangle(MeshData& mesh, uint32_t a, uint32_t b, uint32_t c) {
    mesh.indices.push_back(a);
    mesh.indices.push_back(b);
    mesh.indices.push_back(c);
}

void appendTransformed(MeshData& dst, const MeshData& src, const glm::mat4& matrix) {
    glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(matrix)));
    uint32_t base = static_cast<uint32_t>(dst.positions.size());
    for (size_t i = 0; i < src.positions.size(); ++i) {
        dst.positions.push_back(glm::vec3(matrix * glm::vec4(src.positions[i], 1.0f)));
        dst.normals.push_back(glm::normalize(normalMatrix * src.normals[i]));
        dst.uvs.push_back(src.uvs[i]);
    }
    // A mirroring matrix turns the faces inside out; keep them facing out.
    bool mirrored = glm::determinant(glm::mat3(matrix)) < 0.0f;
    for (size_t i = 0; i + 2 < src.indices.size(); i += 3) {
        if (mirrored) {
            addTriangle(dst, base + src.indices[i], base + src.indices[i + 2],
                        base + src.indices[i + 1]);
        } else {
            addTriangle(dst, base + src.indices[i], base + src.indices[i + 1],
                        base + src.indices[i + 2]);
        }
    }
}

static void addQuad(MeshData& mesh, const glm::vec3 (&corners)[4], const glm::vec3& normal,
                    const glm::vec2 (&uv)[4]) {
    uint32_t a = addVertex(mesh, corners[0], normal, uv[0]);
    uint32_t b = addVertex(mesh, corners[1], normal, uv[1]);
    uint32_t c = addVertex(mesh, corners[2], normal, uv[2]);
    uint32_t d = addVertex(mesh, corners[3], normal, uv[3]);
    addTriangle(mesh, a, b, c);
    addTriangle(mesh, a, c, d);
}

void addBox(MeshData& mesh, const glm::vec3& lo, const glm::vec3& hi, const UvRect& rect,
            float tile) {
    // Each face: origin corner, the edge along u, the edge along v (counter-clockwise seen from
    // outside), outward normal.
    struct Face {
        glm::vec3 origin, du, dv, normal;
    };
    glm::vec3 size = hi - lo;
    const Face faces[6] = {
        {{hi.x, lo.y, hi.z}, {0, 0, -size.z}, {0, size.y, 0}, {1, 0, 0}},
        {{lo.x, lo.y, lo.z}, {0, 0, size.z}, {0, size.y, 0}, {-1, 0, 0}},
        {{lo.x, hi.y, hi.z}, {size.x, 0, 0}, {0, 0, -size.z}, {0, 1, 0}},
        {{lo.x, lo.y, lo.z}, {size.x, 0, 0}, {0, 0, size.z}, {0, -1, 0}},
        {{lo.x, lo.y, hi.z}, {size.x, 0, 0}, {0, size.y, 0}, {0, 0, 1}},
        {{hi.x, lo.y, lo.z}, {-size.x, 0, 0}, {0, size.y, 0}, {0, 0, -1}},
    };
    for (const Face& f : faces) {
        glm::vec2 extent(1.0f);
        glm::vec2 offset(0.0f);
        if (tile > 0.0f) {
            extent = glm::vec2(glm::length(f.du), glm::length(f.dv)) / tile;
            // Continue the pattern across faces by starting at the face's position.
            offset = glm::vec2(glm::dot(f.origin, glm::normalize(f.du)),
                               glm::dot(f.origin, glm::normalize(f.dv))) /
                     tile;
        }
        const glm::vec3 corners[4] = {f.origin, f.origin + f.du, f.origin + f.du + f.dv,
                                      f.origin + f.dv};
        const glm::vec2 uv[4] = {rect.map(offset), rect.map(offset + glm::vec2(extent.x, 0)),
                                 rect.map(offset + extent),
                                 rect.map(offset + glm::vec2(0, extent.y))};
        addQuad(mesh, corners, f.normal, uv);
    }
}

void addSurface(MeshData& mesh, int columns, int rows,
                const std::function<glm::vec3(float, float)>& position, const UvRect& rect,
                glm::vec2 repeat) {
    uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            float s = static_cast<float>(i) / static_cast<float>(columns);
            float t = static_cast<float>(j) / static_cast<float>(rows);
            addVertex(mesh, position(s, t), glm::vec3(0, 1, 0), rect.map(glm::vec2(s, t) * repeat));
        }
    }
    uint32_t stride = static_cast<uint32_t>(columns + 1);
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            uint32_t a = first + static_cast<uint32_t>(j) * stride + static_cast<uint32_t>(i);
            uint32_t b = a + 1, c = a + stride + 1, d = a + stride;
            // Skip triangles that collapse at poles.
            glm::vec3 pa = mesh.positions[a], pb = mesh.positions[b];
            glm::vec3 pc = mesh.positions[c], pd = mesh.positions[d];
            if (glm::length(glm::cross(pb - pa, pc - pa)) > 1e-9f) {
                addTriangle(mesh, a, b, c);
            }
            if (glm::length(glm::cross(pc - pa, pd - pa)) > 1e-9f) {
                addTriangle(mesh, a, c, d);
            }
        }
    }
    smoothNormals(mesh, first);
}

void addFlatTriangle(MeshData& mesh, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                     const glm::vec2& ua, const glm::vec2& ub, const glm::vec2& uc) {
    glm::vec3 n = glm::normalize(glm::cross(b - a, c - a));
    uint32_t ia = addVertex(mesh, a, n, ua);
    uint32_t ib = addVertex(mesh, b, n, ub);
    uint32_t ic = addVertex(mesh, c, n, uc);
    addTriangle(mesh, ia, ib, ic);
}

void smoothNormals(MeshData& mesh, uint32_t first) {
    using Key = std::tuple<long, long, long>;
    auto keyOf = [](const glm::vec3& p) {
        return Key(std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f));
    };
    std::map<Key, glm::vec3> sums;
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        uint32_t a = mesh.indices[i], b = mesh.indices[i + 1], c = mesh.indices[i + 2];
        if (a < first) {
            continue;
        }
        glm::vec3 n = glm::cross(mesh.positions[b] - mesh.positions[a],
                                 mesh.positions[c] - mesh.positions[a]);
        for (uint32_t v : {a, b, c}) {
            sums[keyOf(mesh.positions[v])] += n;
        }
    }
    for (size_t v = first; v < mesh.positions.size(); ++v) {
        glm::vec3 n = sums[keyOf(mesh.positions[v])];
        float length = glm::length(n);
        mesh.normals[v] = length > 0.0f ? n / length : glm::vec3(0, 1, 0);
    }
}

std::vector<MeshData> splitIntoTiles(const MeshData& mesh, float halfSize, int tiles) {
    std::vector<MeshData> pieces(static_cast<size_t>(tiles * tiles));
    std::vector<std::vector<uint32_t>> remap(pieces.size());
    const float size = 2.0f * halfSize / static_cast<float>(tiles);
    auto cell = [&](float v) {
        return std::clamp(static_cast<int>(std::floor((v + halfSize) / size)), 0, tiles - 1);
    };
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        glm::vec3 centre(0.0f);
        for (size_t k = 0; k < 3; ++k) {
            centre += mesh.positions[mesh.indices[t + k]] / 3.0f;
        }
        const size_t piece = static_cast<size_t>(cell(centre.z) * tiles + cell(centre.x));
        MeshData& out = pieces[piece];
        std::vector<uint32_t>& index = remap[piece];
        if (index.empty()) {
            index.assign(mesh.positions.size(), UINT32_MAX);
        }
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t v = mesh.indices[t + k];
            if (index[v] == UINT32_MAX) {
                index[v] = addVertex(out, mesh.positions[v], mesh.normals[v], mesh.uvs[v]);
            }
            out.indices.push_back(index[v]);
        }
    }
    return pieces;
}

Bounds meshBounds(const MeshData& mesh) {
    return transformedBounds(mesh, glm::mat4(1.0f));
}

Bounds transformedBounds(const MeshData& mesh, const glm::mat4& matrix) {
    Bounds b;
    for (const glm::vec3& p : mesh.positions) {
        glm::vec3 q = glm::vec3(matrix * glm::vec4(p, 1.0f));
        b.min = glm::min(b.min, q);
        b.max = glm::max(b.max, q);
    }
    return b;
}

bool infacingRepairWouldFlip(const MeshData& mesh) {
    Bounds plain, pushed;
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        glm::vec3 p = mesh.positions[i];
        glm::vec3 q = p + mesh.normals[i];
        plain.min = glm::min(plain.min, p);
        plain.max = glm::max(plain.max, p);
        pushed.min = glm::min(pushed.min, q);
        pushed.max = glm::max(pushed.max, q);
    }
    glm::vec3 d0 = plain.max - plain.min;
    glm::vec3 d1 = pushed.max - pushed.min;
    for (int axis = 0; axis < 3; ++axis) {
        if ((d0[axis] > 0.0f) != (d1[axis] > 0.0f)) {
            return false;
        }
    }
    // Flat meshes are left alone.
    if (d1.x < 0.05f * std::sqrt(d1.y * d1.z) || d1.y < 0.05f * std::sqrt(d1.z * d1.x) ||
        d1.z < 0.05f * std::sqrt(d1.y * d1.x)) {
        return false;
    }
    return !(std::fabs(d0.x * d0.y * d0.z) < std::fabs(d1.x * d1.y * d1.z));
}
