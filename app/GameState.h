#pragma once
// The one process-wide record of play and debug state, shared by every subsystem.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ScreenQuad;
class btCollisionObject;

// Texture file name (as listed, no folder) to GL texture name.
using TextureTable = std::map<std::string, uint32_t>;

struct GameState {
    uint32_t medicineCount = 0; // medicines collected, also the filled inventory slots
    bool wireframe = false;
    bool gameOver = false;
    bool readyToMix = false;
    bool freeCamera = false;
    bool showMeshCount = false;
    bool showFrameTime = false;
    bool enterPressed = false;
    bool transparency = true;
    float totalLife = 100.0f;
    float life = 100.0f;
    int32_t meshCount = 0; // instances drawn in the last frame
    bool skipFirstPitch = true;
    int32_t mipmapMode = 2; // 0 off, 1 linear between levels, 2 nearest level
    bool linearFiltering = true;
    std::string message;                     // the line of text shown on screen
    std::vector<ScreenQuad*> inventorySlots; // top to bottom; released by the Game's teardown
    btCollisionObject* pendingActorRemoval = nullptr; // not owned
    TextureTable textureTable;
    bool away = false; // the window is iconified or lost the keyboard focus: play holds
};

// Built on first use and kept until the process exits.
GameState& gameState();
