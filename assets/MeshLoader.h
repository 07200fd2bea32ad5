#pragma once
// Model files (one mesh, one placement per child of the root node) into instanced GPU meshes,
// and the two-dimensional screen quads.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "assets/Scene.h"

// Scratch space of the import in progress; every load overwrites it. Lists are cleared, not
// freed, so later loads reuse their capacity.
struct MeshLoader {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;   // same count and order as positions
    std::vector<glm::vec2> texCoords; // first channel, same count and order as positions
    std::vector<uint32_t> indices;    // three per triangle
    std::string diffuseName;          // as the material names it, or empty
    std::vector<glm::mat4> instances; // root transformation x child transformation, per child
    glm::vec3 boxMax = glm::vec3(0);
    glm::vec3 boxMin = glm::vec3(0);
    std::string folder = "../Resources/Meshes/";
};

// The one loader every model load goes through.
MeshLoader& meshLoader();

// Imports folder + name into the shared loader's lists without touching GL. Fatal with
// "FEHLER BEIM LADEN DER MESH " + path when the file cannot be read or does not hold one
// usable mesh (a child of the root with a mesh that has normals, texture coordinates and
// at least one triangle).
void importModel(const std::string& name);

// The GPU half: buffers and vertex array built from the loader's current lists.
MeshBuffers* createMeshBuffers(const MeshLoader& loader);

// importModel, then the buffers, the diffuse texture from the TextureTable (0 if absent),
// the bounding box and the placements. The caller owns the result.
Model* loadModel(const std::string& name);

// The eight corners of the box in the order of BoundingBox, each multiplied by the matrix.
BoundingBox* makeBoundingBox(const glm::vec3& boxMax, const glm::vec3& boxMin,
                             const glm::mat4& matrix);

// Attribute 0 = position, attribute 1 = texture coordinate; texture starts at 0.
ScreenQuad* createScreenQuad(const glm::vec2 (&positions)[4], const glm::vec2 (&texCoords)[4],
                             const uint32_t (&indices)[6]);

void releaseModel(Model* model);
void releaseMesh(Mesh* mesh);
void releaseMeshBuffers(MeshBuffers* buffers);
void releaseScreenQuad(ScreenQuad* quad);
