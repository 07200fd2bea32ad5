// The main loop's work per frame (physics step, rules, render, swap) in a visible window with 4x
// multisampling like the game's, at several window sizes and fixed viewpoints, against the floor
// of this machine: the same window only cleared and swapped, plus three full-screen passes that
// each read five texels, as the blur and the composite must. Floor and game frames alternate in
// rounds, so both meet the same load. A last set of frames finishes the GL work after each pass
// (glFinish) to show where the time goes; those frames are slower than the free-running ones.
//
// Run from a folder beside Resources (a build folder at the repository root will do):
//   xvfb-run -a -s "-screen 0 1920x1080x24" ./bench/render/frame_bench [frames] [WxH ...]
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

// The floor's passes: a full-screen triangle from the vertex index, five reads of a texture.
const char* const kFloorVertex = R"(#version 330 core
out vec2 uv;
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1)) - 1.0;
    uv = corner * 0.5 + 0.5;
    gl_Position = vec4(corner, 0.0, 1.0);
})";
const char* const kFloorFragment = R"(#version 330 core
uniform sampler2D source;
uniform vec2 step;
in vec2 uv;
out vec4 colour;
void main() {
    colour = (texture(source, uv) + texture(source, uv + step) + texture(source, uv - step) +
              texture(source, uv + 2.0 * step) + texture(source, uv - 2.0 * step)) * 0.2;
})";

struct Floor {
    GLuint program = 0, vertexShader = 0, fragmentShader = 0, vertexArray = 0;
    GLuint textures[2] = {0, 0};
    GLuint framebuffers[2] = {0, 0};
    GLint stepLocation = -1;
};

Floor createFloor(int width, int height) {
    Floor floor;
    floor.vertexShader = compile(GL_VERTEX_SHADER, kFloorVertex);
    floor.fragmentShader = compile(GL_FRAGMENT_SHADER, kFloorFragment);
    floor.program = glCreateProgram();
    glAttachShader(floor.program, floor.vertexShader);
    glAttachShader(floor.program, floor.fragmentShader);
    glLinkProgram(floor.program);
    floor.stepLocation = glGetUniformLocation(floor.program, "step");
    glGenVertexArrays(1, &floor.vertexArray);
    glGenTextures(2, floor.textures);
    glGenFramebuffers(2, floor.framebuffers);
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, floor.textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, floor.framebuffers[i]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               floor.textures[i], 0);
        glClearColor(0.3f, 0.4f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    return floor;
}

void releaseFloor(Floor& floor) {
    glDeleteFramebuffers(2, floor.framebuffers);
    glDeleteTextures(2, floor.textures);
    glDeleteVertexArrays(1, &floor.vertexArray);
    glDeleteProgram(floor.program);
    glDeleteShader(floor.vertexShader);
    glDeleteShader(floor.fragmentShader);
    floor = Floor();
}

// Cleared, two passes from texture to texture, one onto the window, swapped.
void floorFrame(const Floor& floor, GLFWwindow* window, int width, int height) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glUseProgram(floor.program);
    glBindVertexArray(floor.vertexArray);
    glActiveTexture(GL_TEXTURE0);
    const GLuint targets[3] = {floor.framebuffers[1], floor.framebuffers[0], 0};
    const GLuint sources[3] = {floor.textures[0], floor.textures[1], floor.textures[0]};
    for (int pass = 0; pass < 3; ++pass) {
        glBindFramebuffer(GL_FRAMEBUFFER, targets[pass]);
        glBindTexture(GL_TEXTURE_2D, sources[pass]);
        glUniform2f(floor.stepLocation, pass == 0 ? 0.0f : 1.0f / static_cast<float>(width),
                    pass == 0 ? 1.0f / static_cast<float>(height) : 0.0f);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glfwSwapBuffers(window);
}

// One pass of the main loop, as the game runs it, with the camera held at the viewpoint.
void gameFrame(Game& game, const Viewpoint& viewpoint, float frameTime) {
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
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
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
        floorFrame(floor, window->handle, width, height);
    }

    std::vector<double> floorTimes, floorCpu;
    std::vector<double> viewTimes[kViewpointCount], viewCpu[kViewpointCount];
    std::vector<double> allTimes, allCpu;
    const int perRound = std::max(1, frames / kRounds);
    for (int round = 0; round < kRounds && frames > 0; ++round) {
        Clock::time_point mark = Clock::now();
        double cpuMark = processMilliseconds();
        floorFrame(floor, window->handle, width, height);
        since(mark);
        sinceCpu(cpuMark);
        for (int i = 0; i < perRound; ++i) {
            floorFrame(floor, window->handle, width, height);
            floorTimes.push_back(since(mark));
            floorCpu.push_back(sinceCpu(cpuMark));
        }
        for (size_t v = 0; v < kViewpointCount; ++v) {
            float frameTime = 1.0f / 60.0f;
            gameFrame(*game, kViewpoints[v], frameTime); // the first frame of a view is not timed
            since(mark);
            sinceCpu(cpuMark);
            for (int i = 0; i < perRound; ++i) {
                gameFrame(*game, kViewpoints[v], frameTime);
                const double ms = since(mark);
                const double cpu = sinceCpu(cpuMark);
                frameTime = static_cast<float>(ms / 1000.0);
                viewTimes[v].push_back(ms);
                allTimes.push_back(ms);
                viewCpu[v].push_back(cpu);
                allCpu.push_back(cpu);
            }
        }
    }
    if (frames == 0) {
        releaseFloor(floor);
        delete game;
        delete window;
        gameState() = GameState();
        return;
    }
    const double floorMs = median(floorTimes), floorCpuMs = median(floorCpu);
    std::printf("\n%dx%d, %d samples, %d frames per viewpoint in %d rounds\n", width, height,
                samples, perRound * kRounds, kRounds);
    std::printf("%-12s %10s %8s %10s %10s %10s\n", "viewpoint", "median ms", "ratio", "cpu ms",
                "cpu ratio", "visible");
    for (size_t v = 0; v < kViewpointCount; ++v) {
        gameFrame(*game, kViewpoints[v], 1.0f / 60.0f);
        std::printf("%-12s %10.1f %8.2f %10.1f %10.2f %10d\n", kViewpoints[v].name,
                    median(viewTimes[v]), median(viewTimes[v]) / floorMs, median(viewCpu[v]),
                    median(viewCpu[v]) / floorCpuMs, gameState().meshCount);
    }
    std::printf("%-12s %10.1f %8.2f %10.1f %10.2f\n", "all views", median(allTimes),
                median(allTimes) / floorMs, median(allCpu), median(allCpu) / floorCpuMs);
    std::printf("%-12s %10.1f %8s %10.1f\n", "floor", floorMs, "", floorCpuMs);

    // glFinish after every pass: the sum is above the free-running frame.
    std::printf("per pass, glFinish-separated, ms (median view of %d frames each):\n", perRound);
    std::printf("%-12s", "viewpoint");
    for (size_t p = 0; p < kPassCount; ++p) {
        std::printf(" %11s", passName(static_cast<Pass>(p)));
    }
    std::printf(" %11s %11s\n", "step+rules", "swap");
    for (const Viewpoint& viewpoint : kViewpoints) {
        PassTimes times;
        game->renderer->passTimes = &times;
        double stepMs = 0.0, swapMs = 0.0;
        for (int i = 0; i < perRound; ++i) {
            GameState& state = gameState();
            state.life = state.totalLife;
            state.freeCamera = !viewpoint.player;
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glFinish();
            Clock::time_point mark = Clock::now();
            float frameTime = 1.0f / 60.0f;
            game->physics->step(frameTime);
            game->updater->update(*game->scene, frameTime);
            stepMs += since(mark);
            if (!viewpoint.player) {
                Camera& camera = *game->scene->freeCamera->camera;
                camera.position = glm::vec4(viewpoint.eye, 1.0f);
                camera.view = glm::lookAt(viewpoint.eye, viewpoint.target, glm::vec3(0, 1, 0));
            }
            game->renderer->render(*game->scene);
            mark = Clock::now();
            glfwSwapBuffers(game->window);
            swapMs += since(mark);
        }
        game->renderer->passTimes = nullptr;
        std::printf("%-12s", viewpoint.name);
        for (double ms : times.milliseconds) {
            std::printf(" %11.1f", ms / perRound);
        }
        std::printf(" %11.1f %11.1f\n", stepMs / perRound, swapMs / perRound);
    }
    std::fflush(stdout);

    releaseFloor(floor);
    delete game;
    delete window;
    gameState() = GameState();
}

} // namespace

int main(int argc, char** argv) {
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
