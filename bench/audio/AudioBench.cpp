// The sound's cost: start-up (device, context, every shipped sound decoded into a buffer, the
// sources) in milliseconds and the memory it keeps, then microseconds and heap allocations per
// frame of listening with every voice busy. Mixes into OpenAL Soft's null output, so it needs
// no sound card.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <vector>

#include "app/GameState.h"
#include "assets/Scene.h"
#include "audio/Audio.h"
#include "gameplay/Camera.h"
#include "physics/CCT.h"
#include "bench/AllocationCount.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long residentKilobytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * 4;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 20000;
    setenv("ALSOFT_CONF", MORBANE_SOURCE_DIR "/tests/support/quiet-alsoft.conf", 1);
    const std::string folder = MORBANE_SOURCE_DIR "/Resources/Sounds/";

    // The first start loads OpenAL Soft's configuration and threads; count it apart.
    const long residentBefore = residentKilobytes();
    const size_t heapBefore = mallinfo2().uordblks;
    Clock::time_point start = Clock::now();
    Audio* audio = createAudio(folder);
    const double first = millisecondsSince(start);
    const long resident = residentKilobytes() - residentBefore;
    const size_t heap = mallinfo2().uordblks - heapBefore;
    releaseAudio(audio);
    std::vector<double> starts;
    for (int run = 0; run < 9; ++run) {
        start = Clock::now();
        audio = createAudio(folder);
        starts.push_back(millisecondsSince(start));
        releaseAudio(audio);
    }
    std::printf("start-up: first %.1f ms, then median %.1f ms; kept: %ld KiB resident, %zu KiB "
                "heap\n",
                first, median(starts), resident, heap / 1024);

    // Low life with the player looking on: heart, whisper, two moaners and the pond all busy.
    Model shape;
    shape.bounds = new BoundingBox;
    shape.instances.push_back(glm::mat4(1.0f));
    Model water = shape;
    AnimatedModel apparition{&shape, 0.0f, 20.0f, 4.0f, true};
    AnimatedModel head{&shape, 0.0f, 20.0f, 4.0f, false};
    AnimatedModel faces = head;
    Camera camera;
    CCT player;
    player.camera = &camera;
    Scene scene;
    scene.player = &player;
    scene.water = &water;
    scene.animatedModels = {&apparition, &head, &faces};
    gameState().life = 20.0f;

    audio = createAudio(folder);
    std::vector<double> times;
    times.reserve(size_t(frames));
    size_t allocated = 0;
    for (int frame = 0; frame < frames; ++frame) {
        const size_t before = heapAllocations();
        start = Clock::now();
        updateAudio(*audio, scene, 0.016f);
        times.push_back(1000.0 * millisecondsSince(start));
        allocated += frame > 0 ? heapAllocations() - before : 0;
    }
    releaseAudio(audio);
    delete shape.bounds;
    std::sort(times.begin(), times.end());
    std::printf("frame: median %.2f us, 95th percentile %.2f us, slowest %.0f us, %zu allocations "
                "in %d frames\n",
                times[times.size() / 2], times[times.size() * 95 / 100], times.back(), allocated,
                frames - 1);
    return allocated == 0 ? 0 : 1;
}
