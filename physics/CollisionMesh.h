#pragma once
// The level's walkable geometry as raw triangle lists, read from a model file that is never
// drawn, and its cooking into a static triangle-mesh object of the physics world.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct PhysX;
class btCollisionObject;

struct CollisionMesh {
    std::vector<glm::vec3> vertices; // as stored in the file, no node transform applied
    uint32_t vertexCount = 0;
    std::vector<uint32_t> indices; // three per triangle
    uint32_t triangleCount = 0;
};

// The mesh the model loader would draw from path (the first mesh of the root's first child, or
// of the root when it has no child); faces with more than three corners become triangle fans.
// Null, with the reason, for a file the model loader refuses as well.
CollisionMesh* readCollisionMesh(const std::string& path, std::string& reason);

// readCollisionMesh of folder + fileName; a refused file ends the program with
// "FEHLER BEIM LADEN DER MESH " and the path.
CollisionMesh* loadCollisionMesh(const std::string& folder, const std::string& fileName);
void releaseCollisionMesh(CollisionMesh* mesh);

// False for a mesh that cannot be cooked: no triangle, or an index outside its vertices.
bool cookable(const CollisionMesh& mesh);

// Adds the mesh to the world as one static object at the origin. The world takes the mesh and
// keeps it as long as the shape reads it. A mesh that is not cookable is fatal:
// "TM COOKING FAILED".
btCollisionObject* cookCollisionMesh(PhysX& physX, CollisionMesh* mesh);
