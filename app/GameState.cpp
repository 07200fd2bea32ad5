#include "app/GameState.h"

GameState& gameState() {
    static GameState state;
    return state;
}
