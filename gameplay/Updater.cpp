#include "gameplay/Updater.h"

#include <algorithm>
#include <cmath>

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "assets/Scene.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Steering.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"

namespace {

void takeDrug(Scene& scene, GameState& state) {
    Drug* drug = scene.drugs != nullptr ? scene.drugs->findInside() : nullptr;
    if (drug == nullptr) {
        return;
    }
    drug->collected = true;
    state.pendingActorRemoval = drug->actor;
    if (!drug->isMedicine) {
        state.life += static_cast<float>(drug->lifeBonus);
    } else if (state.medicineCount < state.inventorySlots.size()) {
        // A level holds three medicines for three slots; a fourth would find no slot and is
        // taken without one.
        state.inventorySlots[state.medicineCount]->texture = drug->texture;
        state.medicineCount += 1;
    }
    scene.drugs->removeCollected();
}

glm::vec3 playerCentre(const Scene& scene) {
    if (scene.player == nullptr || scene.player->controller == nullptr) {
        return glm::vec3(0.0f);
    }
    return glm::vec3(scene.player->controller->getPosition());
}

} // namespace

Updater::Updater(GLFWwindow* gameWindow) : window(gameWindow) {}

void applyRules(float& lifeTimer, Scene& scene) {
    GameState& state = gameState();
    if (lifeTimer >= 1.0f) {
        // Reset, not reduced: a decrement takes one second plus up to one frame.
        state.life -= 1.0f;
        lifeTimer = 0.0f;
    }
    if (state.life <= 0.0f) {
        state.message = "YOU SUCCUMBED TO THE MORBANE!";
        state.gameOver = true;
        return;
    }
    if (!state.enterPressed) {
        return;
    }
    if (state.readyToMix) {
        state.message = "YOU CURED YOURSELF!";
        state.gameOver = true;
    } else {
        takeDrug(scene, state);
    }
    state.enterPressed = false;
}

void animateModel(AnimatedModel& animated, const glm::vec3& player, float frameTime, float ratio) {
    Model& model = *animated.model;
    if (animated.orbits) {
        if (ratio < kOrbitClosesBelow) {
            animated.orbitRadius = std::max(0.0f, animated.orbitRadius - frameTime);
        }
        if (ratio < kOrbitBelow) {
            animated.angle += animated.angularSpeed * frameTime * kDegToRad;
            const glm::mat4 turn =
                glm::rotate(glm::mat4(1.0f), animated.angle, glm::vec3(0.0f, 1.0f, 0.0f));
            glm::mat4 transform =
                glm::rotate(glm::mat4(1.0f), kQuarterTurn, glm::vec3(1.0f, 0.0f, 0.0f));
            transform = glm::translate(transform, player);
            transform = transform * turn;
            transform =
                glm::translate(transform, glm::vec3(animated.orbitRadius, kOrbitHeight, 0.0f));
            model.transform = transform * turn;
            model.visible = true;
        } else {
            model.visible = false;
            model.transform = glm::mat4(1.0f);
        }
        return;
    }
    if (ratio >= kTiltBelow) {
        model.transform = glm::mat4(1.0f);
        return;
    }
    const float horizontal = std::sqrt(player.x * player.x + player.z * player.z);
    if (horizontal == 0.0f) {
        // Straight above the origin there is no direction to tilt towards; keep the last one.
        return;
    }
    animated.angle = player.z / horizontal;
    model.transform = glm::rotate(glm::mat4(1.0f), animated.angle, glm::vec3(0.0f, 0.0f, 1.0f));
}

void Updater::update(Scene& scene, float& frameTime) {
    lifeTimer += frameTime;
    applyRules(lifeTimer, scene);

    GameState& state = gameState();
    // However the window opened and wherever the pointer was, play starts looking straight
    // ahead: both looks are measured from the cursor as it stands at the first update.
    if (scene.player != nullptr && !scene.player->look.started) {
        double x = 0.0;
        double y = 0.0;
        glfwGetCursorPos(window, &x, &y);
        startMouseLook(scene.player->look, x, y);
        if (scene.freeCamera != nullptr) {
            startMouseLook(scene.freeCamera->look, x, y);
        }
    }
    Controllable* steered = nullptr;
    if (state.freeCamera) {
        steered = scene.freeCamera;
    } else {
        steered = scene.player;
    }
    if (steered != nullptr && steered->active) {
        steered->update(window, frameTime);
    }

    const glm::vec3 player = playerCentre(scene);
    const float ratio = state.life / state.totalLife;
    for (AnimatedModel* animated : scene.animatedModels) {
        animateModel(*animated, player, frameTime, ratio);
    }
}
