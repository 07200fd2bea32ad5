#pragma once
// Model files (one mesh, one placement per child of the root node, or one at the root itself when
// it has no child) into instanced GPU meshes, and the two-dimensional screen quads.
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

namespace Assimp {
class Importer;
}
struct aiMesh;
struct aiScene;

// The one loader every model load goes through.
MeshLoader& meshLoader();

// Reads path with the game's import flags (no triangulation, no generated normals). The scene,
// owned by the importer, or null with the reason it is refused.
const aiScene* importScene(Assimp::Importer& importer, const std::string& path,
                           std::string& reason);

// The mesh a model file is drawn with: the first mesh of the root's first child, or the root's
// own first mesh when the root has no child; when that node has none, the first mesh found
// depth-first from the root. Null with the reason when there is none.
const aiMesh* modelMesh(const aiScene& scene, std::string& reason);

// The mesh's faces as triangles appended to indices: polygons become fans around their first
// corner, points and lines add nothing. The reason the mesh has no surface to draw or collide
// with, or empty.
std::string appendTriangles(const aiMesh& mesh, std::vector<uint32_t>& indices);

// Area-weighted smooth normals: each vertex gets the normalised sum of the unnormalised normals
// of the triangles around its position. A vertex without a surface around it points along +y.
std::vector<glm::vec3> smoothNormals(const std::vector<glm::vec3>& positions,
                                     const std::vector<uint32_t>& indices);

// Imports folder + name into the shared loader's lists without touching GL. Empty on success,
// else the reason the file cannot be drawn; the lists then hold whatever was read so far.
std::string tryImportModel(const std::string& name);

// tryImportModel, fatal with "FEHLER BEIM LADEN DER MESH " + path when the file is refused.
// Missing texture coordinates become (0, 0), missing or zero normals smooth normals.
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
