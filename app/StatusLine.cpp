#include "app/StatusLine.h"

#include <cstdio>
#include <iostream>

#include "app/GameState.h"

std::string statusLine(const GameState& state, float frameTime) {
    std::string line;
    char number[64];
    if (state.showFrameTime) {
        std::snprintf(number, sizeof number, "FR: %f", static_cast<double>(frameTime));
        line += number;
    }
    if (state.showMeshCount) {
        std::snprintf(number, sizeof number, "; NM: %d", state.meshCount);
        line += number;
    }
    return line;
}

void printStatus(float& statusTimer, float& frameTime) {
    const GameState& state = gameState();
    if (!state.showFrameTime && !state.showMeshCount) {
        return;
    }
    statusTimer += frameTime;
    if (statusTimer < 1.0f) {
        return;
    }
    std::cout << statusLine(state, frameTime) << std::endl;
    statusTimer -= 1.0f;
}
