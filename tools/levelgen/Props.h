#pragma once
// The level's objects, each one mesh in its own frame: y up, standing on y = 0 unless said
// otherwise, in world units.
#include "tools/levelgen/MeshData.h"

MeshData makeRock();
MeshData makePine();
MeshData makeDeadTree();
MeshData makeCrate();
MeshData makeBarrel();
MeshData makeShelter();
MeshData makeHut();
MeshData makeTank();
// A weathered wooden grave cross, its foot 0.4 below y = 0.
MeshData makeCross();

// The mixing table in world units round its centre, inside the box of the given half extents.
MeshData makeTable(const glm::vec3& halfExtent);

// A drug capsule inside the unit sphere round its centre.
MeshData makeDrug();

// The special models, centred on their origin, y up.
MeshData makeHead();
MeshData makeFaceCluster();
MeshData makeApparition();
