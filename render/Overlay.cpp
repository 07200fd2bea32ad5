#include "render/Overlay.h"

#include <GL/glew.h>

#include "app/GameState.h"
#include "assets/ShaderProgram.h"

OverlayShader::OverlayShader() {
    program = createShaderProgram(kShaderFolder, "Color");
    transparencyLocation = glGetUniformLocation(program->program, "transparency");
}

OverlayShader::~OverlayShader() {
    releaseShaderProgram(program);
    program = nullptr;
}

void OverlayShader::drawSlot(const ScreenQuad& slot, bool transparency) {
    glUseProgram(program->program);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, slot.texture);
    glBindVertexArray(slot.vertexArray);
    glUniform1i(transparencyLocation, transparency ? 1 : 0);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glEnable(GL_DEPTH_TEST);
    glUseProgram(0);
}

void drawInventory(OverlayShader& shader, const GameState& state) {
    // A count beyond the slots that exist draws the slots there are.
    for (uint32_t i = 0; i < state.medicineCount && i < state.inventorySlots.size(); ++i) {
        shader.drawSlot(*state.inventorySlots[i], state.transparency);
    }
}
