#include "physics/CollisionMesh.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <btBulletCollisionCommon.h>

#include "app/Console.h"
#include "assets/MeshLoader.h"
#include "physics/PhysX.h"

CollisionMesh* readCollisionMesh(const std::string& path, std::string& reason) {
    // The same choice of mesh and the same refusals as the drawn models.
    Assimp::Importer importer;
    const aiScene* scene = importScene(importer, path, reason);
    const aiMesh* source = scene == nullptr ? nullptr : modelMesh(*scene, reason);
    if (source == nullptr) {
        return nullptr;
    }
    auto* mesh = new CollisionMesh();
    reason = appendTriangles(*source, mesh->indices);
    if (!reason.empty()) {
        delete mesh;
        return nullptr;
    }
    mesh->triangleCount = static_cast<uint32_t>(mesh->indices.size() / 3);
    mesh->vertexCount = source->mNumVertices;
    mesh->vertices.reserve(source->mNumVertices);
    for (unsigned i = 0; i < source->mNumVertices; ++i) {
        const aiVector3D& v = source->mVertices[i];
        mesh->vertices.emplace_back(v.x, v.y, v.z);
    }
    return mesh;
}

CollisionMesh* loadCollisionMesh(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + fileName;
    std::string reason;
    CollisionMesh* mesh = readCollisionMesh(path, reason);
    if (mesh == nullptr) {
        fatalError("FEHLER BEIM LADEN DER MESH " + path);
    }
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
