#pragma once
// Builds every physics object of the game once at start-up: the level's collision mesh, the
// ground plane, a trigger sphere per drug, a trigger box for the laboratory table and the
// player's controller, and hands the drugs, the table and the player to the Scene.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

struct PhysX;
struct Scene;
struct CCT;
struct DrugSet;
struct Laboratory;
class btCollisionWorld;

struct PhysXFactory {
    PhysX* physX = nullptr;            // not owned
    btCollisionWorld* world = nullptr; // the world of physX
    int32_t width = 0;                 // window size, for the player camera's aspect
    int32_t height = 0;

    // Seeds the random generator with the calendar time; build makes the first draws.
    PhysXFactory(PhysX& physX, int32_t width, int32_t height);

    void build(PhysX& physX, Scene& scene);
    void cookLevel(const std::string& folder, const std::string& fileName);
    // Drugs at the placements of the model file: three chosen Medicines, Sedatives elsewhere.
    DrugSet* createDrugs(const std::string& fileName);
    // The table at its first placement, with a trigger box as large as its placement's scale.
    Laboratory* createLaboratory(const std::string& fileName);
    CCT* createPlayer(PhysX& physX);
};

// count distinct numbers in 0 .. bound - 1, in the order drawn with rand().
std::vector<int> pickDistinct(int bound, int count);

struct Decomposition {
    glm::vec3 scale = glm::vec3(0.0f);
    glm::quat rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    glm::vec3 translation = glm::vec3(0.0f);
};

// Scale, rotation and translation of an affine matrix, as glm::decompose finds them; a matrix
// whose [3][3] is zero or whose 3x3 part is singular leaves zeros and the identity.
Decomposition decomposeTransform(const glm::mat4& matrix);
