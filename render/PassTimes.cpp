#include "render/PassTimes.h"

#include <GL/glew.h>

const char* passName(Pass pass) {
    static const char* const names[kPassCount] = {"culling",     "reflection", "refraction", "main",
                                                  "water+slots", "post",       "text"};
    return names[static_cast<size_t>(pass)];
}

void startPasses(PassTimes* times) {
    if (times != nullptr) {
        glFinish();
        times->mark = std::chrono::steady_clock::now();
    }
}

void endPass(PassTimes* times, Pass pass) {
    if (times == nullptr) {
        return;
    }
    glFinish();
    const auto now = std::chrono::steady_clock::now();
    times->milliseconds[static_cast<size_t>(pass)] +=
        std::chrono::duration<double, std::milli>(now - times->mark).count();
    times->mark = now;
}
