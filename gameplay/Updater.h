#pragma once
// The per-frame game rules: life drains, ENTER takes a drug or cures, the steered controllable
// moves and the three special models come alive as life falls.
#include <glm/glm.hpp>

struct GLFWwindow;
struct Scene;
struct AnimatedModel;

// Life ratios at which the special models wake up.
constexpr float kTiltBelow = 0.7f;         // the two non-orbiting models tilt
constexpr float kOrbitBelow = 0.5f;        // the apparition shows and circles the player
constexpr float kOrbitClosesBelow = 0.05f; // its circle shrinks by one unit per second
constexpr float kOrbitHeight = 1.0f;       // above the player's centre, before the quarter turn
constexpr float kQuarterTurn = 1.5707964f;

struct Updater {
    float lifeTimer = 0.0f; // seconds towards the next loss of one life point
    GLFWwindow* window = nullptr;

    explicit Updater(GLFWwindow* window);
    void update(Scene& scene, float& frameTime);
};

// Life timer, defeat, then ENTER; lifeTimer must already hold this frame's time.
void applyRules(float& lifeTimer, Scene& scene);

// Moves one special model for the player's centre p, with life / total life as ratio.
void animateModel(AnimatedModel& animated, const glm::vec3& player, float frameTime, float ratio);
