#include "assets/MeshLoader.h"

#include <cfloat>

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

// Fills the vertex lists, the triangles and the texture name; false when the mesh cannot be
// drawn as the renderer expects.
bool processMesh(MeshLoader& loader, const aiMesh& mesh, const aiScene& scene) {
    loader.positions.clear();
    loader.normals.clear();
    loader.texCoords.clear();
    loader.indices.clear();
    loader.diffuseName.clear();
    loader.boxMax = glm::vec3(-FLT_MAX);
    loader.boxMin = glm::vec3(FLT_MAX);

    if (mesh.mNumVertices == 0 || !mesh.HasNormals() || !mesh.HasTextureCoords(0)) {
        return false;
    }
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
        loader.normals.emplace_back(mesh.mNormals[i].x, mesh.mNormals[i].y, mesh.mNormals[i].z);
        loader.texCoords.emplace_back(mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y);
    }

    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        // Points and lines have no surface to draw.
        if (face.mNumIndices < 3) {
            continue;
        }
        for (unsigned int k = 0; k < face.mNumIndices; ++k) {
            // Nothing validated the file; an index past the vertices would read beyond the
            // GPU buffers.
            if (face.mIndices[k] >= mesh.mNumVertices) {
                return false;
            }
        }
        // A polygon becomes a fan around its first corner, keeping its winding.
        for (unsigned int k = 1; k + 1 < face.mNumIndices; ++k) {
            loader.indices.push_back(face.mIndices[0]);
            loader.indices.push_back(face.mIndices[k]);
            loader.indices.push_back(face.mIndices[k + 1]);
        }
    }
    if (loader.indices.empty()) {
        return false;
    }

    if (mesh.mMaterialIndex < scene.mNumMaterials) {
        aiString path;
        aiGetMaterialTexture(scene.mMaterials[mesh.mMaterialIndex], aiTextureType_DIFFUSE, 0,
                             &path);
        loader.diffuseName = path.C_Str();
    }
    return true;
}

// The importer and its scene live only inside this call, so a failure leaves nothing behind
// when the fatal path exits.
bool readModel(MeshLoader& loader, const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, kImportFlags);
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        scene->mRootNode == nullptr) {
        return false;
    }
    const aiNode* root = scene->mRootNode;
    if (root->mNumChildren == 0) {
        return false;
    }
    const aiNode* first = root->mChildren[0];
    if (first->mNumMeshes == 0 || first->mMeshes[0] >= scene->mNumMeshes) {
        return false;
    }
    if (!processMesh(loader, *scene->mMeshes[first->mMeshes[0]], *scene)) {
        return false;
    }

    const glm::mat4 rootMatrix = toGlm(root->mTransformation);
    loader.instances.clear();
    for (unsigned int c = 0; c < root->mNumChildren; ++c) {
        loader.instances.push_back(rootMatrix * toGlm(root->mChildren[c]->mTransformation));
    }
    return true;
}

GLuint createStaticBuffer(GLenum target, GLsizeiptr bytes, const void* data) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, bytes, data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

const void* byteOffset(size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

} // namespace

MeshLoader& meshLoader() {
    static MeshLoader loader;
    return loader;
}

void importModel(const std::string& name) {
    MeshLoader& loader = meshLoader();
    const std::string path = loader.folder + name;
    if (!readModel(loader, path)) {
        fatalError("FEHLER BEIM LADEN DER MESH " + path);
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
