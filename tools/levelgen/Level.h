#pragma once
// The level's layout in world coordinates (y up; the player starts at the origin looking along
// -z, "north"). Everything the generator places is derived from these values.
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "tools/levelgen/ModelFile.h"

constexpr float kWaterHeight = 13.808329f; // the renderer's water plane
constexpr float kValleyHeight = 1.2f;      // ground at the spawn, below the capsule's foot
constexpr float kPlateauHeight = 15.2f;    // the mesa that holds the pond
constexpr float kPondFloor = 11.4f;
constexpr float kPondRadius = 12.0f; // the muddy basin, lip included
constexpr float kWaterRadius = 9.0f; // the water disc reaches under the banks
constexpr float kTerrainHalfSize = 57.6f;
constexpr int kTerrainCells = 96;
constexpr int kTerrainTiles = 4; // pieces per side of the drawn ground and cliffs

const glm::vec2 kPondCentre(-30.0f, 29.0f); // (x, z)
const glm::vec2 kLabCentre(0.0f, -21.0f);
const glm::vec2 kRampBottom(-5.0f, 7.25f);
const glm::vec2 kRampTop(-31.0f, 7.25f);
constexpr float kRampHalfWidth = 2.75f;

// The table's placement: its scale is the half extent of the trigger box.
const glm::vec3 kTableHalfExtent(2.2f, 2.05f, 1.5f);

float terrainHeight(float x, float z);

enum class Surface { Grass, Cliff, Pond };

// What covers the ground at p = (x, z) where the surface's normal has this y component.
Surface surfaceAt(glm::vec2 p, float upright);

// The height of the drawn terrain (its triangles, not the smooth function they sample).
float groundHeight(float x, float z);

// The centre line of the gravel path, in steps of about half a unit, and its half width.
std::vector<glm::vec2> pathLine();
float pathHalfWidth(glm::vec2 p);

// The drawn terrain split by surface: grass, rock where it is too steep to climb, the pond's mud
// and the dirt paths; all in world coordinates.
struct TerrainMeshes {
    MeshData grass;
    MeshData cliffs;
    MeshData pond;
    MeshData paths;
};
TerrainMeshes buildTerrain();

// Where the generator put the things a map of the level shows.
struct LevelLayout {
    std::vector<glm::vec3> drugs; // trigger centres
    glm::vec3 tableCentre = glm::vec3(0.0f);
    std::vector<glm::vec3> rocks, trees, deadTrees, crates, barrels, crosses;
    std::vector<glm::vec3> structures; // shelter, hut, tank
    glm::vec3 head = glm::vec3(0.0f), faces = glm::vec3(0.0f);
};

// Every model file of the level (drawn ones, the special models, drugs, table, water) and the
// layout behind them.
std::vector<ModelFile> buildModels(LevelLayout& layout);
