#include "app/Game.h"

#include <cstdlib>

#include "app/Console.h"
#include "app/GameState.h"
#include "app/StatusLine.h"
#include "app/Window.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "assets/Textures.h"
#include "audio/Audio.h"
#include "gameplay/Updater.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "render/Renderer.h"

Game::Game(const Window& theWindow, std::optional<unsigned> layoutSeed)
    : window(theWindow.handle), width(theWindow.width), height(theWindow.height) {
    logLabel("UPDATER");
    updater = new Updater(window);
    logOk();

    logLabel("FACTORY");
    factory = new Factory(width, height); // finishes its own line once the textures are in

    logLabel("RENDERER");
    renderer = new Renderer(width, height);
    logOk();

    logLabel("SCENE");
    scene = new Scene;
    factory->loadScene(*scene);
    logOk();
    audio = createAudio(); // no label: sound reports only what fails

    logLabel("PHYSX");
    physics = new PhysX;
    logOk();

    logLabel("PHYSXFACTORY");
    physXFactory = new PhysXFactory(*physics, width, height); // seeds the drug layout
    if (layoutSeed) {
        srand(*layoutSeed);
    }
    logOk();
    physXFactory->build(*physics, *scene);
}

Game::~Game() {
    releaseAudio(audio);
    audio = nullptr;
    logLabel("GAME");
    delete factory;
    factory = nullptr;
    window = nullptr;
    delete renderer;
    renderer = nullptr;
    releaseScene(*scene);
    delete scene;
    scene = nullptr;
    logOk();

    delete physics; // reports its own "PHYSX:" line
    physics = nullptr;
    delete physXFactory;
    physXFactory = nullptr;
    delete updater;
    updater = nullptr;

    GameState& state = gameState();
    for (ScreenQuad*& slot : state.inventorySlots) {
        releaseScreenQuad(slot);
        slot = nullptr;
    }
    releaseTextures();
}

void Game::frame(float& frameTime) {
    followFocus(frameTime);
    // A paused frame's time says nothing about how fast frames are drawn.
    if (!paused) {
        renderer->noteFrameTime(frameTime);
    }
    advance(frameTime);
    // Drawn and heard from between the last two physics steps, so the eye moves evenly at any
    // frame rate.
    physics->placeEye();
    renderer->frameTime = frameTime;
    renderer->render(*scene);
    updateAudio(*audio, *scene, frameTime);
    printStatus(frameTime);
}

void Game::followFocus(float& frameTime) {
    GameState& state = gameState();
    if (state.away != paused) {
        paused = state.away;
        if (paused) {
            heldMessage.swap(state.message);
            state.message = "PAUSED";
        } else {
            state.message.swap(heldMessage);
            heldMessage.clear();
        }
        pauseAudio(*audio, paused);
    }
    if (paused) {
        frameTime = 0.0f;
    }
}

void Game::advance(float& frameTime) {
    if (!gameState().gameOver && !paused) {
        physics->step(frameTime);
        updater->update(*scene, frameTime);
    }
}

void Game::printStatus(float& frameTime) {
    ::printStatus(statusTimer, frameTime);
}
