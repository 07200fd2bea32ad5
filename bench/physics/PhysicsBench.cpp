// The physics step on the shipped level while the player walks: microseconds per step (median
// and 95th percentile) and heap allocations per step, counted through operator new and
// Bullet's allocator hooks. Run on a display (xvfb-run): the factory loads the drug and table
// models into GL buffers.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <LinearMath/btAlignedAllocator.h>

#include "app/GameState.h"
#include "assets/Scene.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "bench/AllocationCount.h"

namespace {

void* countedBulletAlloc(size_t size) {
    countAllocation();
    return std::malloc(size);
}

void countedBulletFree(void* memory) {
    std::free(memory);
}

} // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::atoi(argv[1]) : 6000;
    // Before anything of Bullet's is made, so every block it takes is counted and freed alike.
    btAlignedAllocSetCustom(countedBulletAlloc, countedBulletFree);
    // "../Resources/" must be the repository's.
    if (chdir(MORBANE_SOURCE_DIR "/bench") != 0) {
        std::perror("chdir");
        return 1;
    }
    if (!glfwInit()) {
        std::fprintf(stderr, "glfwInit failed: is DISPLAY set?\n");
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(64, 64, "physics bench", nullptr, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no OpenGL 4.0 core context\n");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0); // frames as fast as they come, not paced by the display
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        return 1;
    }

    auto* physX = new PhysX();
    Scene scene;
    auto* factory = new PhysXFactory(*physX, 1920, 1080);
    srand(1);
    const size_t beforeBuild = heapAllocations();
    factory->build(*physX, scene);
    const size_t buildAllocations = heapAllocations() - beforeBuild; // shows the counters count
    gameState().skipFirstPitch = false;

    // Walk forward while turning slowly, so the walk crosses open floor, walls, steps and drugs.
    CCT* player = physX->player;
    LookAngles look;
    std::vector<double> micros;
    micros.reserve(steps);
    size_t measuredAllocations = 0;
    const int warmUp = 600;
    for (int i = 0; i < warmUp + steps; ++i) {
        look.yaw = 25.0f * static_cast<float>(i) / 60.0f;
        const MoveKey key = (i / 240) % 4 == 3 ? MoveKey::Back : MoveKey::Forward;
        player->steer(look, key);
        float frameTime = kStepTime;
        const size_t allocationsBefore = heapAllocations();
        const auto start = std::chrono::steady_clock::now();
        physX->step(frameTime);
        const auto end = std::chrono::steady_clock::now();
        if (i >= warmUp) {
            measuredAllocations += heapAllocations() - allocationsBefore;
            micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }
    std::sort(micros.begin(), micros.end());
    const glm::dvec3 at = player->controller->getFootPosition();
    std::printf("physics step, shipped level, %d steps walking\n", steps);
    std::printf("  median        %8.2f us\n", micros[micros.size() / 2]);
    std::printf("  95th pct      %8.2f us\n", micros[micros.size() * 95 / 100]);
    std::printf("  allocations   %8.3f per step (%zu in all)\n",
                static_cast<double>(measuredAllocations) / steps, measuredAllocations);
    std::printf("  (building the world took %zu allocations)\n", buildAllocations);
    std::printf("  walked to     (%.1f, %.1f, %.1f)\n", at.x, at.y, at.z);

    releaseScene(scene);
    delete factory;
    delete physX;
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
