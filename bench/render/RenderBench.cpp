// Drives the real renderer over the shipped level from fixed viewpoints and reports, per
// viewpoint: the frame time (median and 95th percentile, the GPU work finished), the CPU time
// of culling into the draw list, the draw calls and the heap allocations of a steady frame.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "assets/Textures.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"
#include "render/Renderer.h"
#include "bench/AllocationCount.h"

namespace {

struct Viewpoint {
    const char* name;
    glm::vec3 eye;
    glm::vec3 target;
};

// The spawn looking north, the pond on its mesa, the laboratory table, the whole level.
const Viewpoint kViewpoints[] = {
    {"spawn", glm::vec3(0, 6.2f, 0), glm::vec3(0, 5, -20)},
    {"pond", glm::vec3(-30, 24, 48), glm::vec3(-30, 14, 29)},
    {"laboratory", glm::vec3(4, 7, -12), glm::vec3(0, 3, -21)},
    {"whole level", glm::vec3(45, 55, 45), glm::vec3(-5, 0, -5)},
};

double milliseconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
    return values[at];
}

GLFWwindow* openWindow(int width, int height) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(width, height, "Morbane bench", nullptr, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no OpenGL 4.0 core context\n");
        std::exit(1);
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0); // frames as fast as they come, not paced by the display
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        std::exit(1);
    }
    glEnable(GL_DEPTH_TEST);
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    return window;
}

// One pass of the main loop's drawing, finished on the GPU so the time is the whole frame's.
void drawFrame(Renderer& renderer, Scene& scene) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.render(scene);
    glFinish();
}

void runResolution(int width, int height, int frames) {
    GLFWwindow* window = openWindow(width, height);
    GameState& state = gameState();
    state = GameState();

    // Built as the Game builds it: textures, renderer, scene, physics with drugs and table.
    Factory* factory = new Factory(width, height);
    Renderer* renderer = new Renderer(width, height);
    Scene* scene = new Scene;
    factory->loadScene(*scene);
    PhysX* physics = new PhysX;
    PhysXFactory* physXFactory = new PhysXFactory(*physics, width, height);
    physXFactory->build(*physics, *scene);
    state.freeCamera = true;
    Camera& camera = *scene->freeCamera->camera;

    std::printf("\n%dx%d, %d frames per viewpoint\n", width, height, frames);
    std::printf("%-12s %10s %10s %12s %8s %10s %12s\n", "viewpoint", "median ms", "p95 ms",
                "culling ms", "entries", "draws", "allocs/frame");
    for (const Viewpoint& viewpoint : kViewpoints) {
        camera.position = glm::vec4(viewpoint.eye, 1.0f);
        camera.view = glm::lookAt(viewpoint.eye, viewpoint.target, glm::vec3(0, 1, 0));
        for (int i = 0; i < 10; ++i) {
            drawFrame(*renderer, *scene);
        }
        std::vector<double> frameTimes;
        std::vector<double> cullTimes;
        frameTimes.reserve(frames);
        cullTimes.reserve(frames);
        long allocated = 0;
        for (int i = 0; i < frames; ++i) {
            auto start = std::chrono::steady_clock::now();
            renderer->buildDrawList(*scene);
            cullTimes.push_back(milliseconds(std::chrono::steady_clock::now() - start));

            const long before = heapAllocations();
            start = std::chrono::steady_clock::now();
            drawFrame(*renderer, *scene);
            const auto end = std::chrono::steady_clock::now();
            allocated += heapAllocations() - before;
            frameTimes.push_back(milliseconds(end - start));
        }
        // The main pass draws every entry, and so do the two water passes while the pond is in
        // view; then the water, the filled slots, the half-size picture, the two blur passes
        // and the composite (and its stretch when scaled), and one draw per message character.
        const size_t entries = renderer->drawList.size();
        const bool pond = isVisible(camera, *scene->water->bounds, scene->water->instances[0]);
        const size_t draws = (pond ? 3 : 1) * entries + 1 + state.medicineCount + 4 +
                             (renderer->renderScale < 1.0f) + state.message.size();
        std::printf("%-12s %10.2f %10.2f %12.4f %8zu %10zu %12.2f\n", viewpoint.name,
                    percentile(frameTimes, 0.5), percentile(frameTimes, 0.95),
                    percentile(cullTimes, 0.5), entries, draws,
                    static_cast<double>(allocated) / frames);
        std::fflush(stdout);
    }

    delete factory;
    delete renderer;
    releaseScene(*scene);
    delete scene;
    delete physics;
    delete physXFactory;
    for (ScreenQuad*& slot : state.inventorySlots) {
        releaseScreenQuad(slot);
        slot = nullptr;
    }
    releaseTextures();
    state = GameState();
    glfwDestroyWindow(window);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    if (!glfwInit()) {
        std::fprintf(stderr, "glfwInit failed: is DISPLAY set?\n");
        return 1;
    }
    runResolution(1280, 720, frames);
    runResolution(640, 480, frames);
    glfwTerminate();
    return 0;
}
