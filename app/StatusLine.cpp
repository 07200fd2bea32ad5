#include "app/StatusLine.h"

#include <cstdio>
#include <iostream>

#include "app/GameState.h"

void formatStatusLine(const GameState& state, float frameTime, char* line, size_t size) {
    int used = 0;
    line[0] = '\0';
    if (state.showFrameTime) {
        used = std::snprintf(line, size, "FR: %f", static_cast<double>(frameTime));
    }
    if (state.showMeshCount && used >= 0 && static_cast<size_t>(used) < size) {
        std::snprintf(line + used, size - static_cast<size_t>(used), "; NM: %d", state.meshCount);
    }
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
    // A fixed buffer: the frame loop does not allocate.
    char line[96];
    formatStatusLine(state, frameTime, line, sizeof line);
    std::cout << line << std::endl;
    statusTimer -= 1.0f;
}
