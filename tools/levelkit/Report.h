#pragma once
// What every levelkit command says about a model's size and place in the world.
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct Box {
    glm::vec3 min = glm::vec3(3.0e38f);
    glm::vec3 max = glm::vec3(-3.0e38f);
    bool empty() const { return min.x > max.x; }
    void add(const glm::vec3& p) {
        min = glm::min(min, p);
        max = glm::max(max, p);
    }
    void add(const Box& other) {
        if (!other.empty()) {
            add(other.min);
            add(other.max);
        }
    }
};

// The player's eye stands this high above the ground; sizes are told beside it.
constexpr float kEyeHeight = 5.0f;
// Across less than this or more than that, a model is most likely in the wrong units.
constexpr float kSmallestModel = 0.05f;
constexpr float kLargestModel = 500.0f;

// The box of the points, each moved by each placement.
Box placedBounds(const std::vector<glm::vec3>& points, const std::vector<glm::mat4>& placements);

// "x -1.5..2, y 0..3, z -4..-1"
std::string boundsText(const Box& box);

// "12.3 x 4.5 x 10 units (x, y, z), 0.9 times the player's eye height"
std::string sizeText(const Box& box);

// The warning for a model in the wrong units, or empty.
std::string sizeWarning(const Box& box);

// A number as the reports print it: up to two decimals, no trailing zeros.
std::string number(float value);

// The models the game loads by their own names besides those of the "Meshes" list: the water,
// the three that come to life, the drugs and the table, in the order the game loads them.
extern const char* const kFixedModels[6];
bool isFixedModel(const std::string& fileName);

// Appends name to the list file unless it is there already; false when it cannot be written.
// Sets added when it was appended.
bool addToList(const std::string& listPath, const std::string& name, bool& added);
