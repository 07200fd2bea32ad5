#pragma once
#include <optional>
#include <string>

// The Game owns every subsystem, builds them in a fixed order and frees them in another.
struct GLFWwindow;
struct Window;
struct Factory;
struct Updater;
struct Renderer;
struct Scene;
struct PhysX;
struct PhysXFactory;
struct Audio;

struct Game {
    Factory* factory = nullptr; // owned, like every pointer here but window
    Updater* updater = nullptr;
    Renderer* renderer = nullptr;
    Scene* scene = nullptr;
    GLFWwindow* window = nullptr;
    PhysX* physics = nullptr;
    PhysXFactory* physXFactory = nullptr;
    Audio* audio = nullptr;   // listens to the game; silent where sound failed
    float statusTimer = 0.0f; // seconds towards the next console status line
    int width = 0;
    int height = 0;
    bool paused = false;     // held while the window is away
    std::string heldMessage; // the message that "PAUSED" stands in for

    // A layout seed replaces the calendar time, so tests can play a known drug layout.
    explicit Game(const Window& window, std::optional<unsigned> layoutSeed = std::nullopt);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One pass of the main loop after events were polled: advance, drawing, sound, status line.
    // While the window is away nothing advances and frameTime becomes 0.
    void frame(float& frameTime);
    // Pauses or resumes as the window went away or came back.
    void followFocus(float& frameTime);
    // Physics and rules, which stand still once the game is over.
    void advance(float& frameTime);
    void printStatus(float& frameTime);
};
