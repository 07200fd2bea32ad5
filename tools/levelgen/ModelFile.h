#pragma once
// One model file of the level and how the generator writes it.
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "tools/levelgen/MeshData.h"

// The up axis a COLLADA file declares. The importer turns a Z_UP file into Y-up by putting a
// -90 degree rotation about x into the root node; a Y_UP file keeps an identity root.
enum class UpAxis { Y, Z };

struct ModelFile {
    std::string name;    // file name in the mesh folder
    std::string texture; // bare name of the diffuse texture, as listed in "Textures"
    UpAxis up = UpAxis::Y;
    MeshData mesh;                     // in the file's own axes
    std::vector<glm::mat4> placements; // one child node of the root each, in the file's axes
    bool listed = false;               // named in the "Meshes" list
    bool collides = false;             // part of collision.obj
};

// The root node transformation the importer gives a file with this up axis.
glm::mat4 rootMatrix(UpAxis up);

// Where placement i of the file puts the mesh in the world: root x child.
glm::mat4 worldMatrix(const ModelFile& file, size_t placement);

// Numbers as the files store them: fixed decimals, trailing zeros and "-0" dropped.
std::string formatNumber(float value, int decimals);

std::string colladaText(const ModelFile& file);

// A Wavefront file of one object with normals and texture coordinates.
std::string objText(const std::string& objectName, const MeshData& mesh, int positionDecimals);

// The walkable and blocking geometry: every colliding file's triangles at every placement,
// in world coordinates, as one object of shared positions.
std::string collisionText(const std::vector<ModelFile>& files);

void writeTextFile(const std::string& path, const std::string& text);
