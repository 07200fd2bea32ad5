#pragma once
// Small model files written by the tests: COLLADA documents built from vertex lists, and a
// read-back of GL buffers to see what was uploaded.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct FixtureVertex {
    glm::vec3 position;
    glm::vec3 normal = glm::vec3(0, 0, 1);
    glm::vec2 uv = glm::vec2(0);
};

struct DaeGeometry {
    std::string id;
    std::vector<FixtureVertex> vertices;
    std::vector<uint32_t> indices;       // into vertices, per primitive corner
    std::string primitive = "triangles"; // or "lines"
};

// A triangle spanning the given corners' box (first corner at lo, others toward hi).
DaeGeometry triangleGeometry(const std::string& id, const glm::vec3& lo, const glm::vec3& hi);

// One <node>; the matrix is written in COLLADA's row order. An empty geometry id leaves the
// node without a mesh.
std::string daeNode(const std::string& name, const glm::mat4& matrix, const std::string& geometryId,
                    const std::string& childrenXml = "");

// A whole document; Z_UP makes the importer put a -90 degree turn about x into the root.
std::string colladaFile(const std::vector<DaeGeometry>& geometries, const std::string& nodesXml,
                        bool zUp);

// The first count values of a GL buffer, read back.
template <typename T> std::vector<T> readBuffer(uint32_t buffer, size_t count);
