#include "assets/MeshLoader.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <numeric>

#include <GL/glew.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "app/Console.h"
#include "app/GameState.h"

namespace {

// Nothing else: no triangulation, no generated normals, no validation. The loader copes with
// what the file holds and rejects what it cannot draw.
constexpr unsigned int kImportFlags = aiProcess_FixInfacingNormals | aiProcess_FindInstances;
static_assert(kImportFlags == 0x00102000, "the import mask is fixed");

// Assimp stores row-major; the same mathematical matrix in glm's column-major layout.
glm::mat4 toGlm(const aiMatrix4x4& source) {
    glm::mat4 result(1.0f);
    for (unsigned int row = 0; row < 4; ++row) {
        for (unsigned int column = 0; column < 4; ++column) {
            result[column][row] = source[row][column];
        }
    }
    return result;
}

bool usableNormal(const glm::vec3& normal) {
    const float squared = glm::dot(normal, normal);
    return squared > 0.0f && std::isfinite(squared);
}

// Positions compared by their bits: a total order even for NaN, which real files do hold.
std::array<uint32_t, 3> positionKey(const glm::vec3& p) {
    std::array<uint32_t, 3> key;
    std::memcpy(key.data(), &p[0], sizeof key);
    return key;
}

// Fills the vertex lists, the triangles and the texture name; the reason the mesh cannot be
// drawn, or empty.
std::string processMesh(MeshLoader& loader, const aiMesh& mesh, const aiScene& scene) {
    loader.positions.clear();
    loader.normals.clear();
    loader.texCoords.clear();
    loader.indices.clear();
    loader.diffuseName.clear();
    loader.boxMax = glm::vec3(-FLT_MAX);
    loader.boxMin = glm::vec3(FLT_MAX);

    const std::string reason = appendTriangles(mesh, loader.indices);
    if (!reason.empty()) {
        return reason;
    }
    bool anyUnusableNormal = !mesh.HasNormals();
    for (unsigned int i = 0; i < mesh.mNumVertices; ++i) {
        const glm::vec3 p(mesh.mVertices[i].x, mesh.mVertices[i].y, mesh.mVertices[i].z);
        for (int axis = 0; axis < 3; ++axis) {
            if (p[axis] > loader.boxMax[axis]) {
                loader.boxMax[axis] = p[axis];
            }
            if (p[axis] < loader.boxMin[axis]) {
                loader.boxMin[axis] = p[axis];
            }
        }
        loader.positions.push_back(p);
        if (mesh.HasNormals()) {
            loader.normals.emplace_back(mesh.mNormals[i].x, mesh.mNormals[i].y, mesh.mNormals[i].z);
            anyUnusableNormal = anyUnusableNormal || !usableNormal(loader.normals.back());
        }
        if (mesh.HasTextureCoords(0)) {
            loader.texCoords.emplace_back(mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y);
        } else {
            loader.texCoords.emplace_back(0.0f, 0.0f);
        }
    }
    // Files without normals, and STL files whose facets all say (0, 0, 0), are lit by normals
    // of our own; normals the file does give are kept.
    if (anyUnusableNormal) {
        const std::vector<glm::vec3> computed = smoothNormals(loader.positions, loader.indices);
        loader.normals.resize(computed.size());
        for (size_t i = 0; i < computed.size(); ++i) {
            if (!mesh.HasNormals() || !usableNormal(loader.normals[i])) {
                loader.normals[i] = computed[i];
            }
        }
    }

    if (mesh.mMaterialIndex < scene.mNumMaterials) {
        aiString path;
        aiGetMaterialTexture(scene.mMaterials[mesh.mMaterialIndex], aiTextureType_DIFFUSE, 0,
                             &path);
        loader.diffuseName = path.C_Str();
    }
    return {};
}

// The importer and its scene live only inside this call, so a failure leaves nothing behind
// when the fatal path exits.
std::string readModel(MeshLoader& loader, const std::string& path) {
    Assimp::Importer importer;
    std::string reason;
    const aiScene* scene = importScene(importer, path, reason);
    const aiMesh* mesh = scene == nullptr ? nullptr : modelMesh(*scene, reason);
    if (mesh == nullptr) {
        return reason;
    }
    reason = processMesh(loader, *mesh, *scene);
    if (!reason.empty()) {
        return reason;
    }

    const aiNode* root = scene->mRootNode;
    const glm::mat4 rootMatrix = toGlm(root->mTransformation);
    loader.instances.clear();
    if (root->mNumChildren == 0) {
        loader.instances.push_back(rootMatrix);
    }
    for (unsigned int c = 0; c < root->mNumChildren; ++c) {
        loader.instances.push_back(rootMatrix * toGlm(root->mChildren[c]->mTransformation));
    }
    return {};
}

GLuint createStaticBuffer(GLenum target, GLsizeiptr bytes, const void* data) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, bytes, data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

const aiNode* firstNodeWithMesh(const aiNode* node) {
    if (node->mNumMeshes > 0) {
        return node;
    }
    for (unsigned int c = 0; c < node->mNumChildren; ++c) {
        if (const aiNode* found = firstNodeWithMesh(node->mChildren[c])) {
            return found;
        }
    }
    return nullptr;
}

const void* byteOffset(size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

} // namespace

MeshLoader& meshLoader() {
    static MeshLoader loader;
    return loader;
}

const aiScene* importScene(Assimp::Importer& importer, const std::string& path,
                           std::string& reason) {
    const aiScene* scene = importer.ReadFile(path, kImportFlags);
    if (scene == nullptr) {
        reason = std::string("Assimp refuses it: ") + importer.GetErrorString();
    } else if ((scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0) {
        reason = "Assimp imports it incomplete";
    } else if (scene->mRootNode == nullptr) {
        reason = "it has no root node";
    } else {
        return scene;
    }
    return nullptr;
}

const aiMesh* modelMesh(const aiScene& scene, std::string& reason) {
    const aiNode* root = scene.mRootNode;
    // Exporters that write a single object (PLY, OFF, glTF with one node, ...) hang its mesh
    // on the root itself; that is one placement at the root's transformation.
    const aiNode* holder = root->mNumChildren == 0 ? root : root->mChildren[0];
    // Many exporters put the mesh one level down, under a group or a transform node: then the
    // first mesh met depth-first stands in.
    if (holder->mNumMeshes == 0) {
        holder = firstNodeWithMesh(root);
    }
    if (holder == nullptr || holder->mMeshes[0] >= scene.mNumMeshes ||
        scene.mMeshes[holder->mMeshes[0]] == nullptr) {
        reason = root->mNumChildren == 0 ? "the root node has neither a child nor a mesh"
                                         : "no node of the file has a mesh";
        return nullptr;
    }
    return scene.mMeshes[holder->mMeshes[0]];
}

std::string appendTriangles(const aiMesh& mesh, std::vector<uint32_t>& indices) {
    const size_t before = indices.size();
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        for (unsigned int k = 0; k < face.mNumIndices; ++k) {
            // Nothing validated the file; an index past the vertices would read beyond the
            // vertex lists and the GPU buffers.
            if (face.mIndices[k] >= mesh.mNumVertices) {
                return "a face names a vertex the mesh does not have";
            }
        }
        for (unsigned int k = 1; k + 1 < face.mNumIndices; ++k) {
            indices.push_back(face.mIndices[0]);
            indices.push_back(face.mIndices[k]);
            indices.push_back(face.mIndices[k + 1]);
        }
    }
    if (indices.size() == before) {
        return "the mesh has no triangle, only points or lines or nothing";
    }
    return {};
}

std::vector<glm::vec3> smoothNormals(const std::vector<glm::vec3>& positions,
                                     const std::vector<uint32_t>& indices) {
    // The cross product's length is twice the triangle's area, so larger faces weigh more.
    std::vector<glm::vec3> sums(positions.size(), glm::vec3(0.0f));
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const glm::vec3& a = positions[indices[t]];
        const glm::vec3 faceNormal =
            glm::cross(positions[indices[t + 1]] - a, positions[indices[t + 2]] - a);
        for (size_t k = 0; k < 3; ++k) {
            sums[indices[t + k]] += faceNormal;
        }
    }
    // Importers split a vertex wherever its faces differ (OBJ does at every corner), so the
    // vertices at one position share one normal: otherwise every face would look flat.
    std::vector<uint32_t> order(positions.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&positions](uint32_t a, uint32_t b) {
        return positionKey(positions[a]) < positionKey(positions[b]);
    });
    std::vector<glm::vec3> normals(positions.size());
    for (size_t first = 0; first < order.size();) {
        const std::array<uint32_t, 3> key = positionKey(positions[order[first]]);
        size_t last = first;
        glm::vec3 sum(0.0f);
        for (; last < order.size() && positionKey(positions[order[last]]) == key; ++last) {
            sum += sums[order[last]];
        }
        const glm::vec3 normal = usableNormal(sum) ? glm::normalize(sum) : glm::vec3(0, 1, 0);
        for (; first < last; ++first) {
            normals[order[first]] = normal;
        }
    }
    return normals;
}

std::string tryImportModel(const std::string& name) {
    MeshLoader& loader = meshLoader();
    return readModel(loader, loader.folder + name);
}

void importModel(const std::string& name) {
    if (!tryImportModel(name).empty()) {
        fatalError("FEHLER BEIM LADEN DER MESH " + meshLoader().folder + name);
    }
}

MeshBuffers* createMeshBuffers(const MeshLoader& loader) {
    MeshBuffers* buffers = new MeshBuffers;
    buffers->positionBuffer = createStaticBuffer(
        GL_ARRAY_BUFFER, loader.positions.size() * sizeof(glm::vec3), loader.positions.data());
    buffers->normalBuffer = createStaticBuffer(
        GL_ARRAY_BUFFER, loader.normals.size() * sizeof(glm::vec3), loader.normals.data());
    buffers->texCoordBuffer = createStaticBuffer(
        GL_ARRAY_BUFFER, loader.texCoords.size() * sizeof(glm::vec2), loader.texCoords.data());
    buffers->indexBuffer = createStaticBuffer(
        GL_ELEMENT_ARRAY_BUFFER, loader.indices.size() * sizeof(uint32_t), loader.indices.data());
    // The renderer streams the visible placements into it before each draw.
    glGenBuffers(1, &buffers->instanceBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glGenVertexArrays(1, &buffers->vertexArray);
    glBindVertexArray(buffers->vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffers->positionBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), byteOffset(0));
    glBindBuffer(GL_ARRAY_BUFFER, buffers->normalBuffer);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), byteOffset(0));
    glBindBuffer(GL_ARRAY_BUFFER, buffers->texCoordBuffer);
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(glm::vec2), byteOffset(0));
    // One column of the placement matrix per attribute, advanced once per instance.
    glBindBuffer(GL_ARRAY_BUFFER, buffers->instanceBuffer);
    for (GLuint column = 0; column < 4; ++column) {
        glEnableVertexAttribArray(3 + column);
        glVertexAttribPointer(3 + column, 4, GL_FLOAT, GL_FALSE, sizeof(glm::mat4),
                              byteOffset(column * sizeof(glm::vec4)));
        glVertexAttribDivisor(3 + column, 1);
    }
    buffers->indexCount = static_cast<uint32_t>(loader.indices.size());

    // Bound while the vertex array is, so the vertex array records it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return buffers;
}

Model* loadModel(const std::string& name) {
    importModel(name);
    const MeshLoader& loader = meshLoader();

    Model* model = new Model;
    model->mesh = new Mesh;
    model->mesh->buffers = createMeshBuffers(loader);
    // The name exactly as the material states it: model files name textures by their bare
    // file name, as the texture list does.
    const TextureTable& table = gameState().textureTable;
    const auto entry = table.find(loader.diffuseName);
    if (!loader.diffuseName.empty() && entry != table.end()) {
        model->mesh->texture = entry->second;
    }
    model->bounds = makeBoundingBox(loader.boxMax, loader.boxMin, glm::mat4(1.0f));
    model->instances = loader.instances;
    return model;
}

BoundingBox* makeBoundingBox(const glm::vec3& boxMax, const glm::vec3& boxMin,
                             const glm::mat4& matrix) {
    const glm::vec3& hi = boxMax;
    const glm::vec3& lo = boxMin;
    const glm::vec4 corners[8] = {
        {lo.x, hi.y, hi.z, 1.0f}, {hi.x, hi.y, hi.z, 1.0f}, {lo.x, lo.y, hi.z, 1.0f},
        {hi.x, lo.y, hi.z, 1.0f}, {lo.x, hi.y, lo.z, 1.0f}, {hi.x, hi.y, lo.z, 1.0f},
        {lo.x, lo.y, lo.z, 1.0f}, {hi.x, lo.y, lo.z, 1.0f},
    };
    BoundingBox* box = new BoundingBox;
    for (int i = 0; i < 8; ++i) {
        box->corners[i] = matrix * corners[i];
    }
    return box;
}

ScreenQuad* createScreenQuad(const glm::vec2 (&positions)[4], const glm::vec2 (&texCoords)[4],
                             const uint32_t (&indices)[6]) {
    ScreenQuad* quad = new ScreenQuad;
    quad->positionBuffer = createStaticBuffer(GL_ARRAY_BUFFER, sizeof positions, positions);
    quad->texCoordBuffer = createStaticBuffer(GL_ARRAY_BUFFER, sizeof texCoords, texCoords);
    quad->indexBuffer = createStaticBuffer(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices);

    glGenVertexArrays(1, &quad->vertexArray);
    glBindVertexArray(quad->vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, quad->positionBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(glm::vec2), byteOffset(0));
    glBindBuffer(GL_ARRAY_BUFFER, quad->texCoordBuffer);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(glm::vec2), byteOffset(0));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quad->indexBuffer);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return quad;
}

void releaseMeshBuffers(MeshBuffers* buffers) {
    if (buffers == nullptr) {
        return;
    }
    glDeleteVertexArrays(1, &buffers->vertexArray);
    glDeleteBuffers(1, &buffers->positionBuffer);
    glDeleteBuffers(1, &buffers->normalBuffer);
    glDeleteBuffers(1, &buffers->texCoordBuffer);
    glDeleteBuffers(1, &buffers->indexBuffer);
    glDeleteBuffers(1, &buffers->instanceBuffer);
    delete buffers;
}

void releaseMesh(Mesh* mesh) {
    if (mesh == nullptr) {
        return;
    }
    // The texture belongs to the TextureTable.
    releaseMeshBuffers(mesh->buffers);
    delete mesh;
}

void releaseModel(Model* model) {
    if (model == nullptr) {
        return;
    }
    releaseMesh(model->mesh);
    delete model->bounds;
    delete model;
}

void releaseScreenQuad(ScreenQuad* quad) {
    if (quad == nullptr) {
        return;
    }
    glDeleteVertexArrays(1, &quad->vertexArray);
    glDeleteBuffers(1, &quad->positionBuffer);
    glDeleteBuffers(1, &quad->texCoordBuffer);
    glDeleteBuffers(1, &quad->indexBuffer);
    delete quad;
}
