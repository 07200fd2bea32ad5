// The main loop's work per frame (physics step, rules, render, swap) in a visible single-sample
// window like the game's, at several window sizes and fixed viewpoints, against the presentation
// floor of this machine: the same window cleared, covered by one full-screen pass with one
// filtered read, and swapped. The game runs twice: with the render scale automatic, as it
// starts, after it has settled at the spawn, and at scale 1. Floor and game frames alternate in
// rounds, so all meet the same load. A last set of frames finishes the GL work after each pass
// (glFinish) to show where the time goes; those frames are slower than the free-running ones.
//
// Run from a folder beside Resources (a build folder at the repository root will do):
//   xvfb-run -a -s "-screen 0 1920x1080x24" ./bench/render/frame_bench [frames] [WxH ...]
// "--floor WxH" times only the floor of that size.
// With "--pictures <folder>" first it times nothing and saves what each viewpoint shows, and a
// few close looks at the water and the props, as PNG files to look at.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <FreeImage.h>
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/Game.h"
#include "app/GameState.h"
#include "app/Window.h"
#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Updater.h"
#include "physics/PhysX.h"
#include "render/PassTimes.h"
#include "render/Renderer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Viewpoint {
    const char* name;
    bool player; // the player's own view where the game starts
    glm::vec3 eye;
    glm::vec3 target;
};

const Viewpoint kViewpoints[] = {
    {"spawn", true, glm::vec3(0), glm::vec3(0)},
    {"pond", false, glm::vec3(-30, 24, 48), glm::vec3(-30, 14, 29)},
    {"laboratory", false, glm::vec3(4, 7, -12), glm::vec3(0, 3, -21)},
    {"whole level", false, glm::vec3(45, 55, 45), glm::vec3(-5, 0, -5)},
};
constexpr size_t kViewpointCount = sizeof(kViewpoints) / sizeof(kViewpoints[0]);

// Close looks for the pictures only: the shore, the tank's bands, the grass underfoot.
const Viewpoint kCloseLooks[] = {
    {"shore", false, glm::vec3(-22, 19, 38), glm::vec3(-30, 13.8f, 29)},
    {"tank", false, glm::vec3(-4, 7, -9), glm::vec3(-12, 7, -17)},
    {"grass", false, glm::vec3(10, 6, 8), glm::vec3(14, 1, 0)},
};
constexpr int kRounds = 3;

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Processor time of the whole process, the driver's rasteriser threads included: on a machine
// shared with other work it grows far less with the load than the wall clock does.
double processMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double sinceCpu(double& mark) {
    const double now = processMilliseconds();
    const double ms = now - mark;
    mark = now;
    return ms;
}

double since(Clock::time_point& mark) {
    const Clock::time_point now = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - mark).count();
    mark = now;
    return ms;
}

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// The floor's pass: a full-screen triangle from the vertex index, one filtered read.
const char* const kFloorVertex = R"(#version 330 core
out vec2 uv;
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1)) - 1.0;
    uv = corner * 0.5 + 0.5;
    gl_Position = vec4(corner, 0.0, 1.0);
})";
const char* const kFloorFragment = R"(#version 330 core
uniform sampler2D source;
in vec2 uv;
out vec4 colour;
void main() {
    colour = texture(source, uv);
})";

struct Floor {
    GLuint program = 0, vertexShader = 0, fragmentShader = 0, vertexArray = 0, texture = 0;
};

Floor createFloor(int width, int height) {
    Floor floor;
    floor.vertexShader = compile(GL_VERTEX_SHADER, kFloorVertex);
    floor.fragmentShader = compile(GL_FRAGMENT_SHADER, kFloorFragment);
    floor.program = glCreateProgram();
    glAttachShader(floor.program, floor.vertexShader);
    glAttachShader(floor.program, floor.fragmentShader);
    glLinkProgram(floor.program);
    glGenVertexArrays(1, &floor.vertexArray);
    const std::vector<unsigned char> grey(static_cast<size_t>(width) * height * 4, 100);
    glGenTextures(1, &floor.texture);
    glBindTexture(GL_TEXTURE_2D, floor.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 grey.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return floor;
}

void releaseFloor(Floor& floor) {
    glDeleteTextures(1, &floor.texture);
    glDeleteVertexArrays(1, &floor.vertexArray);
    glDeleteProgram(floor.program);
    glDeleteShader(floor.vertexShader);
    glDeleteShader(floor.fragmentShader);
    floor = Floor();
}

// Cleared, covered by one pass that reads the texture once per pixel, swapped.
void floorFrame(const Floor& floor, GLFWwindow* window) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glUseProgram(floor.program);
    glBindVertexArray(floor.vertexArray);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, floor.texture);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glfwSwapBuffers(window);
}

// One pass of the main loop, as the game runs it, with the camera held at the viewpoint.
// With the render scale automatic it hears the frame time as the game's loop tells it.
void gameFrame(Game& game, const Viewpoint& viewpoint, float frameTime) {
    game.renderer->noteFrameTime(frameTime);
    GameState& state = gameState();
    state.life = state.totalLife; // the level never ends while it is measured
    state.freeCamera = !viewpoint.player;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwPollEvents();
    game.physics->step(frameTime);
    game.updater->update(*game.scene, frameTime);
    if (!viewpoint.player) {
        Camera& camera = *game.scene->freeCamera->camera;
        camera.position = glm::vec4(viewpoint.eye, 1.0f);
        camera.view = glm::lookAt(viewpoint.eye, viewpoint.target, glm::vec3(0, 1, 0));
    }
    game.renderer->render(*game.scene);
    glfwSwapBuffers(game.window);
}

void savePicture(const std::string& path, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    FIBITMAP* bitmap =
        FreeImage_ConvertFromRawBits(pixels.data(), width, height, width * 4, 32, FI_RGBA_RED_MASK,
                                     FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, false);
    FreeImage_Save(FIF_PNG, bitmap, path.c_str());
    FreeImage_Unload(bitmap);
}

// The frame times of one way of running the game, per viewpoint and over all.
struct Timings {
    std::vector<double> view[kViewpointCount], viewCpu[kViewpointCount], all, allCpu;
    float scale[kViewpointCount] = {}; // at the end of the viewpoint's frames
    int visible[kViewpointCount] = {};
};

void useScale(Renderer& renderer, bool automatic) {
    renderer.scaleSetting = ScaleSetting{automatic, 1.0f};
    renderer.renderScale = automatic ? currentScale(renderer.scaleController) : 1.0f;
}

// A round of frames per viewpoint; the first frame of a view is not timed.
void timeRound(Game& game, Timings& timings, int frames) {
    for (size_t v = 0; v < kViewpointCount; ++v) {
        float frameTime = 1.0f / 60.0f;
        Clock::time_point mark = Clock::now();
        double cpuMark = processMilliseconds();
        for (int i = 0; i <= frames; ++i) {
            gameFrame(game, kViewpoints[v], frameTime);
            const double ms = since(mark), cpu = sinceCpu(cpuMark);
            frameTime = static_cast<float>(ms / 1000.0);
            if (i > 0) {
                timings.view[v].push_back(ms);
                timings.all.push_back(ms);
                timings.viewCpu[v].push_back(cpu);
                timings.allCpu.push_back(cpu);
            }
        }
        timings.scale[v] = game.renderer->renderScale;
        timings.visible[v] = gameState().meshCount;
    }
}

// Frames at the spawn, hearing their own times, until the scale has held for three seconds.
double settleScale(Game& game) {
    const Clock::time_point start = Clock::now();
    Clock::time_point changed = start, mark = start;
    float frameTime = 1.0f / 60.0f, scale = game.renderer->renderScale;
    while (Clock::now() - changed < std::chrono::seconds(3) &&
           Clock::now() - start < std::chrono::seconds(30)) {
        gameFrame(game, kViewpoints[0], frameTime);
        frameTime = static_cast<float>(since(mark) / 1000.0);
        if (game.renderer->renderScale != scale) {
            scale = game.renderer->renderScale;
            changed = Clock::now();
        }
    }
    return std::chrono::duration<double>(changed - start).count();
}

void printTimings(const char* name, const Timings& timings, double floorMs, double floorCpuMs) {
    std::printf("%s\n%-12s %6s %10s %8s %10s %10s %10s\n", name, "viewpoint", "scale", "median ms",
                "ratio", "cpu ms", "cpu ratio", "visible");
    for (size_t v = 0; v < kViewpointCount; ++v) {
        const double ms = median(timings.view[v]), cpu = median(timings.viewCpu[v]);
        std::printf("%-12s %6.2f %10.1f %8.2f %10.1f %10.2f %10d\n", kViewpoints[v].name,
                    timings.scale[v], ms, ms / floorMs, cpu, cpu / floorCpuMs, timings.visible[v]);
    }
    const double ms = median(timings.all), cpu = median(timings.allCpu);
    std::printf("%-12s %6s %10.1f %8.2f %10.1f %10.2f\n", "all views", "", ms, ms / floorMs, cpu,
                cpu / floorCpuMs);
}

// glFinish after every pass: the sum is above the free-running frame.
void printPasses(Game& game, int frames) {
    for (const Viewpoint& viewpoint : kViewpoints) {
        PassTimes times;
        game.renderer->passTimes = &times;
        double stepMs = 0.0, swapMs = 0.0;
        for (int i = 0; i < frames; ++i) {
            GameState& state = gameState();
            state.life = state.totalLife;
            state.freeCamera = !viewpoint.player;
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glFinish();
            Clock::time_point mark = Clock::now();
            float frameTime = 1.0f / 60.0f;
            game.physics->step(frameTime);
            game.updater->update(*game.scene, frameTime);
            stepMs += since(mark);
            if (!viewpoint.player) {
                Camera& camera = *game.scene->freeCamera->camera;
                camera.position = glm::vec4(viewpoint.eye, 1.0f);
                camera.view = glm::lookAt(viewpoint.eye, viewpoint.target, glm::vec3(0, 1, 0));
            }
            game.renderer->render(*game.scene);
            mark = Clock::now();
            glfwSwapBuffers(game.window);
            swapMs += since(mark);
        }
        game.renderer->passTimes = nullptr;
        std::printf("%-12s %6.2f", viewpoint.name, game.renderer->renderScale);
        for (double ms : times.milliseconds) {
            std::printf(" %11.1f", ms / frames);
        }
        std::printf(" %11.1f %11.1f\n", stepMs / frames, swapMs / frames);
    }
}

void timeSize(Game& game, const Floor& floor, GLFWwindow* window, int frames) {
    useScale(*game.renderer, true);
    const double settledAfter = settleScale(game);
    const float settled = game.renderer->renderScale;
    Timings automatic, whole;
    std::vector<double> floorTimes, floorCpu;
    const int perRound = std::max(1, frames / kRounds);
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point mark = Clock::now();
        double cpuMark = processMilliseconds();
        floorFrame(floor, window);
        since(mark);
        sinceCpu(cpuMark);
        for (int i = 0; i < perRound; ++i) {
            floorFrame(floor, window);
            floorTimes.push_back(since(mark));
            floorCpu.push_back(sinceCpu(cpuMark));
        }
        useScale(*game.renderer, true);
        timeRound(game, automatic, perRound);
        useScale(*game.renderer, false);
        timeRound(game, whole, perRound);
    }
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    const double floorMs = median(floorTimes), floorCpuMs = median(floorCpu);
    std::printf("\n%dx%d, %d samples, %d frames per viewpoint in %d rounds\n", game.width,
                game.height, samples, perRound * kRounds, kRounds);
    std::printf("presentation floor %.1f ms, cpu %.1f ms; scale auto settled at the spawn on "
                "%.2f after %.1f s\n",
                floorMs, floorCpuMs, settled, settledAfter);
    printTimings("scale auto:", automatic, floorMs, floorCpuMs);
    printTimings("scale 1:", whole, floorMs, floorCpuMs);

    std::printf("per pass, glFinish-separated, ms (mean of %d frames each):\n%-12s %6s", perRound,
                "viewpoint", "scale");
    for (size_t p = 0; p < kPassCount; ++p) {
        std::printf(" %11s", passName(static_cast<Pass>(p)));
    }
    std::printf(" %11s %11s\n", "step+rules", "swap");
    game.renderer->renderScale = settled;
    printPasses(game, perRound);
    useScale(*game.renderer, false);
    printPasses(game, perRound);
    std::fflush(stdout);
}

void runSize(int width, int height, int frames, const char* pictures) {
    const std::string w = std::to_string(width), h = std::to_string(height);
    const char* const arguments[] = {"frame_bench", "-d", w.c_str(), h.c_str()};
    Window* window = new Window(4, arguments);
    glfwSwapInterval(0); // frames as fast as they come, not paced by the display
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        std::exit(1);
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    gameState() = GameState();
    Game* game = new Game(*window, 1u);
    Floor floor = createFloor(width, height);
    const Viewpoint& spawn = kViewpoints[0];
    if (pictures != nullptr) {
        std::vector<Viewpoint> looks(std::begin(kViewpoints), std::end(kViewpoints));
        looks.insert(looks.end(), std::begin(kCloseLooks), std::end(kCloseLooks));
        for (const Viewpoint& look : looks) {
            for (int i = 0; i < 3; ++i) {
                gameFrame(*game, look, 1.0f / 60.0f);
            }
            // The frame once more, read back before the swap.
            GameState& state = gameState();
            state.freeCamera = !look.player;
            if (!look.player) {
                Camera& camera = *game->scene->freeCamera->camera;
                camera.view = glm::lookAt(look.eye, look.target, glm::vec3(0, 1, 0));
            }
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            game->renderer->render(*game->scene);
            savePicture(std::string(pictures) + "/" + look.name + "-" + w + "x" + h + ".png", width,
                        height);
            glfwSwapBuffers(game->window);
        }
        frames = 0;
    }
    // Let the player settle on the ground and the driver compile its shader variants.
    for (int i = 0; i < 20; ++i) {
        gameFrame(*game, spawn, 1.0f / 60.0f);
        floorFrame(floor, window->handle);
    }
    if (frames > 0) {
        timeSize(*game, floor, window->handle, frames);
    }
    releaseFloor(floor);
    delete game;
    delete window;
    gameState() = GameState();
}

// Only the floor, for scripts that time the game themselves.
void timeFloor(int width, int height) {
    const std::string w = std::to_string(width), h = std::to_string(height);
    const char* const arguments[] = {"frame_bench", "-d", w.c_str(), h.c_str()};
    Window* window = new Window(4, arguments);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        std::exit(1);
    }
    Floor floor = createFloor(width, height);
    std::vector<double> times, cpuTimes;
    Clock::time_point mark = Clock::now();
    double cpuMark = processMilliseconds();
    for (int i = 0; i < 60; ++i) {
        floorFrame(floor, window->handle);
        times.push_back(since(mark));
        cpuTimes.push_back(sinceCpu(cpuMark));
    }
    times.erase(times.begin(), times.begin() + 10); // the driver's first frames
    cpuTimes.erase(cpuTimes.begin(), cpuTimes.begin() + 10);
    std::printf("presentation floor %.1f ms, cpu %.1f ms\n", median(times), median(cpuTimes));
    releaseFloor(floor);
    delete window;
}

} // namespace

int main(int argc, char** argv) {
    glm::ivec2 floorSize(0);
    if (argc == 3 && std::string(argv[1]) == "--floor" &&
        std::sscanf(argv[2], "%dx%d", &floorSize.x, &floorSize.y) == 2 && glfwInit()) {
        timeFloor(floorSize.x, floorSize.y);
        glfwTerminate();
        return 0;
    }
    const char* pictures = nullptr;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--pictures") {
        pictures = argv[2];
        first = 3;
    }
    const int frames = argc > first ? std::max(kRounds, std::atoi(argv[first])) : 30;
    std::vector<std::pair<int, int>> sizes;
    for (int i = first + 1; i < argc; ++i) {
        int width = 0, height = 0;
        if (std::sscanf(argv[i], "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
            sizes.emplace_back(width, height);
        }
    }
    if (sizes.empty()) {
        sizes = {{1920, 1080}, {1280, 720}, {800, 600}, {640, 480}};
    }
    if (!glfwInit()) {
        std::fprintf(stderr, "glfwInit failed: is DISPLAY set?\n");
        return 1;
    }
    std::printf("frame benchmark: medians of the frame time between swaps; ratio = frame / "
                "floor of the same size in the same run\n");
    for (const auto& [width, height] : sizes) {
        runSize(width, height, frames, pictures);
    }
    glfwTerminate();
    return 0;
}
