#pragma once
// Triangle meshes as the generator builds them: positions, normals and texture coordinates per
// vertex, three indices per triangle, in the units and axes of the file they go into.
#include <cstdint>
#include <functional>
#include <vector>

#include <glm/glm.hpp>

struct MeshData {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<uint32_t> indices;
};

// A region of a texture atlas; map() takes coordinates in [0, 1] (or beyond, for textures that
// tile as a whole) into it.
struct UvRect {
    glm::vec2 min = glm::vec2(0.0f);
    glm::vec2 max = glm::vec2(1.0f);
    glm::vec2 map(glm::vec2 t) const { return min + (max - min) * t; }
};

struct Bounds {
    glm::vec3 min = glm::vec3(1e30f);
    glm::vec3 max = glm::vec3(-1e30f);
};

uint32_t addVertex(MeshData& mesh, const glm::vec3& position, const glm::vec3& normal,
                   const glm::vec2& uv);
void addTriangle(MeshData& mesh, uint32_t a, uint32_t b, uint32_t c);

// Appends src with positions moved by matrix and normals by its inverse transpose.
void appendTransformed(MeshData& dst, const MeshData& src, const glm::mat4& matrix);

// Axis-aligned box with one flat normal per face. tile = 0 fits each face to rect; otherwise
// coordinates run in world units divided by tile (for textures that tile as a whole).
void addBox(MeshData& mesh, const glm::vec3& min, const glm::vec3& max, const UvRect& rect,
            float tile = 0.0f);

// A surface over a grid of (columns + 1) x (rows + 1) points of a function of (s, t) in [0, 1]^2;
// s goes round counter-clockwise seen from the outside's right, t upwards, so that the face
// normal cross(dP/ds, dP/dt) points out. Normals are smoothed over coinciding points (seams,
// poles). Texture coordinates map (s * repeatS, t * repeatT) into rect.
void addSurface(MeshData& mesh, int columns, int rows,
                const std::function<glm::vec3(float s, float t)>& position, const UvRect& rect,
                glm::vec2 repeat = glm::vec2(1.0f));

// One flat triangle with its own normal.
void addFlatTriangle(MeshData& mesh, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                     const glm::vec2& ua, const glm::vec2& ub, const glm::vec2& uc);

// Recomputes normals from vertex first on as area-weighted face normals, shared by vertices at
// the same position.
void smoothNormals(MeshData& mesh, uint32_t first);

// The triangles cut into tiles x tiles square pieces of the area within halfSize of the origin
// in x and z, each triangle into the piece that holds its centre, so that culling can drop the
// pieces out of view. Row by row from the least x and z; pieces stay empty where nothing lies.
std::vector<MeshData> splitIntoTiles(const MeshData& mesh, float halfSize, int tiles);

Bounds meshBounds(const MeshData& mesh);
Bounds transformedBounds(const MeshData& mesh, const glm::mat4& matrix);

// The importer's infacing-normal repair compares the box of the vertices with the box of the
// vertices pushed along their normals and inverts every normal and face when the second is not
// larger. True when that would happen to this mesh.
bool infacingRepairWouldFlip(const MeshData& mesh);
