// The game rules that run when the player walks into or out of a drug or the laboratory table.
#include "app/GameState.h"
#include "physics/Drugs.h"

namespace {
constexpr uint32_t kMedicineNeeded = 3;
}

void Drug::react() {
    inside = !inside;
    GameState& state = gameState();
    if (inside) {
        state.message = name;
    } else if (!state.message.empty()) {
        // Leaving any drug clears whatever is shown.
        state.message.clear();
    }
}

void Laboratory::react() {
    inside = !inside;
    GameState& state = gameState();
    if (!inside) {
        state.message.clear();
        return;
    }
    if (state.medicineCount >= kMedicineNeeded) {
        state.message = "MIX";
        // Arming, not toggling: a second visit must not disarm the cure while "MIX" shows.
        state.readyToMix = true;
    } else {
        state.message = "NOT ENOUGH MEDICINE";
    }
}
