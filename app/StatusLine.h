#pragma once
// The once-a-second console line with the frame time and the drawn-instance count (F2, F8).
#include <cstddef>

struct GameState;

// Writes "FR: 0.016667; NM: 42" into line, either half missing when its toggle is off.
void formatStatusLine(const GameState& state, float frameTime, char* line, size_t size);

// Advances the timer and prints the line when a second has completed; the timer is reduced,
// not reset, so the lines keep their rhythm.
void printStatus(float& statusTimer, float& frameTime);
