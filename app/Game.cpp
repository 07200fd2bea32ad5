#include "app/Game.h"

#include <GLFW/glfw3.h>

#include "app/Console.h"
#include "app/GameState.h"
#include "app/StatusLine.h"
#include "app/Window.h"

Game::Game(const Window& theWindow)
    : window(theWindow.handle), width(theWindow.width), height(theWindow.height) {}

Game::~Game() {
    logLabel("GAME");
    window = nullptr;
    logOk();
}

void Game::frame(float& frameTime) {
    printStatus(frameTime);
}

void Game::printStatus(float& frameTime) {
    ::printStatus(statusTimer, frameTime);
}
