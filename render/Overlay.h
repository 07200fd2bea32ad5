#pragma once
// The inventory slots: flat screen quads drawn on top of everything with the "Color" program.
#include <cstdint>

#include "assets/Scene.h"

struct GameState;
struct ShaderProgram;

struct OverlayShader {
    ShaderProgram* program = nullptr; // owned, "Color"
    int32_t transparencyLocation = -1;

    OverlayShader();
    ~OverlayShader();
    OverlayShader(const OverlayShader&) = delete;
    OverlayShader& operator=(const OverlayShader&) = delete;

    // One slot with its picture, without depth testing; depth testing is on again afterwards.
    void drawSlot(const ScreenQuad& slot, bool transparency);
};

// The first medicineCount slots, one per collected medicine.
void drawInventory(OverlayShader& shader, const GameState& state);
