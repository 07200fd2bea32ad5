#pragma once
// Small COLLADA documents written by the tests, and GL buffers read back.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

// One triangle with corners lo, (hi.x, lo.y, hi.z), (lo.x, hi.y, hi.z), normals +z, texture
// coordinates (0, 0), (1, 0), (0, 1). As "lines" it is the two edges from the second corner.
std::string daeGeometry(const std::string& id, const glm::vec3& lo, const glm::vec3& hi,
                        const std::string& primitive = "triangles");

// One node; an empty geometry id leaves it without a mesh.
std::string daeNode(const std::string& name, const glm::mat4& matrix, const std::string& geometryId,
                    const std::string& children = "");

// Z_UP makes the importer put a -90 degree turn about x into the root node.
std::string colladaFile(const std::string& geometries, const std::string& nodes, bool zUp);

std::vector<float> readFloats(uint32_t buffer, size_t count);
std::vector<uint32_t> readIndices(uint32_t buffer, size_t count);
