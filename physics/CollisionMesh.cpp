#include "physics/CollisionMesh.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <btBulletCollisionCommon.h>

#include "app/Console.h"
#include "physics/PhysX.h"

CollisionMesh* loadCollisionMesh(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + fileName;
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile(path, aiProcess_FixInfacingNormals | aiProcess_FindInstances);
    // A root without a child, or a first child without a mesh, has nothing to collide with.
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        scene->mRootNode == nullptr || scene->mRootNode->mNumChildren == 0 ||
        scene->mRootNode->mChildren[0]->mNumMeshes == 0) {
        fatalError("FEHLER BEIM LADEN DER MESH " + path);
    }
    const aiMesh* source = scene->mMeshes[scene->mRootNode->mChildren[0]->mMeshes[0]];

    auto* mesh = new CollisionMesh();
    mesh->vertexCount = source->mNumVertices;
    mesh->vertices.reserve(source->mNumVertices);
    for (unsigned i = 0; i < source->mNumVertices; ++i) {
        const aiVector3D& v = source->mVertices[i];
        mesh->vertices.emplace_back(v.x, v.y, v.z);
    }
    for (unsigned i = 0; i < source->mNumFaces; ++i) {
        const aiFace& face = source->mFaces[i];
        // A polygon becomes a fan around its first corner, so no part of it goes missing;
        // points and lines have no surface and add nothing.
        for (unsigned corner = 2; corner < face.mNumIndices; ++corner) {
            mesh->indices.push_back(face.mIndices[0]);
            mesh->indices.push_back(face.mIndices[corner - 1]);
            mesh->indices.push_back(face.mIndices[corner]);
        }
    }
    mesh->triangleCount = static_cast<uint32_t>(mesh->indices.size() / 3);
    return mesh;
}

void releaseCollisionMesh(CollisionMesh* mesh) {
    delete mesh;
}

bool cookable(const CollisionMesh& mesh) {
    if (mesh.triangleCount == 0 || mesh.indices.size() != size_t(mesh.triangleCount) * 3 ||
        mesh.vertices.size() != mesh.vertexCount) {
        return false;
    }
    for (const uint32_t index : mesh.indices) {
        if (index >= mesh.vertexCount) {
            return false;
        }
    }
    return true;
}

btCollisionObject* cookCollisionMesh(PhysX& physX, CollisionMesh* mesh) {
    if (!cookable(*mesh)) {
        releaseCollisionMesh(mesh);
        fatalError("TM COOKING FAILED");
    }
    physX.meshes.push_back(mesh);

    btIndexedMesh part;
    part.m_numTriangles = static_cast<int>(mesh->triangleCount);
    part.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(mesh->indices.data());
    part.m_triangleIndexStride = 3 * sizeof(uint32_t);
    part.m_numVertices = static_cast<int>(mesh->vertexCount);
    part.m_vertexBase = reinterpret_cast<const unsigned char*>(mesh->vertices.data());
    part.m_vertexStride = sizeof(glm::vec3);
    part.m_indexType = PHY_INTEGER;
    part.m_vertexType = PHY_FLOAT;
    auto* triangles = new btTriangleIndexVertexArray();
    triangles->addIndexedMesh(part, PHY_INTEGER);
    physX.meshInterfaces.push_back(triangles);

    const bool quantizedAabbCompression = true;
    auto* shape = new btBvhTriangleMeshShape(triangles, quantizedAabbCompression);
    return addStaticObject(physX, shape, glm::vec3(0.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
}
