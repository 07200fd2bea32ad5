#pragma once
// levelkit collision: the level's collision mesh built from its own drawn meshes, and the
// questions the check asks of a collision mesh.
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "tools/levelkit/Report.h"

struct CollisionMesh;

// Writes <resources>/Meshes/collision.obj from every model of the "Meshes" list at its
// placements, as the game draws them, printing what went in. 0, or 1 with the reason.
int runCollision(const std::string& resources);

// The height of the highest triangle below point, straight down; false when there is none.
bool groundBelow(const CollisionMesh& mesh, const glm::vec3& point, float& height);

Box collisionBounds(const CollisionMesh& mesh);
