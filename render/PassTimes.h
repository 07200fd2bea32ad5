#pragma once
// Where a frame's time goes, for the frame benchmark. With a record attached, the renderer
// finishes the GL work after each pass (glFinish) and adds the pass's wall time; the game
// attaches none, and then nothing is finished early.
#include <array>
#include <chrono>

enum class Pass { Culling, Reflection, Refraction, Main, Water, Post, Text, Count };
constexpr size_t kPassCount = static_cast<size_t>(Pass::Count);

struct PassTimes {
    std::array<double, kPassCount> milliseconds{}; // summed over the frames timed
    std::chrono::steady_clock::time_point mark;
};

const char* passName(Pass pass);
// Both do nothing without a record.
void startPasses(PassTimes* times);
void endPass(PassTimes* times, Pass pass);
