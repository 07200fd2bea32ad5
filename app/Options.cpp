#include "app/Options.h"

#include <cstring>
#include <sstream>

bool readInteger(const char* text, int32_t& value) {
    if (text == nullptr) {
        return false;
    }
    std::istringstream in(text);
    int32_t read = 0;
    if (!(in >> read)) {
        return false;
    }
    value = read;
    return true;
}

bool readWindowSide(const char* text, int32_t& value) {
    // GLFW asserts on negative sizes and X cannot create windows beyond 16 bits; keep far
    // inside what the driver's framebuffers take.
    int32_t side = 0;
    if (!readInteger(text, side) || side < 1 || side > kMaxWindowSide) {
        return false;
    }
    value = side;
    return true;
}

WindowOptions scanOptions(int argc, const char* const argv[]) {
    WindowOptions options;
    int i = 1;
    while (i < argc) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "-r") == 0) {
            if (i + 1 >= argc || !readInteger(argv[i + 1], options.refreshRate)) {
                break;
            }
            i += 2;
        } else if (std::strcmp(argument, "-d") == 0) {
            if (i + 1 >= argc || !readWindowSide(argv[i + 1], options.width)) {
                break;
            }
            if (i + 2 >= argc || !readWindowSide(argv[i + 2], options.height)) {
                break;
            }
            options.fullScreen = false;
            i += 3;
        } else {
            options.unknownOption = true;
            options.refreshRate = 60;
            options.fullScreen = true;
            break;
        }
    }
    return options;
}

int32_t centredPosition(int32_t modeSize, int32_t windowSize) {
    return static_cast<int32_t>(modeSize * 0.5) - windowSize / 2;
}

int32_t swapIntervalFrom(const char* value) {
    if (value == nullptr || *value == '\0' || std::strcmp(value, "1") == 0) {
        return 1;
    }
    return std::strcmp(value, "0") == 0 ? 0 : -1;
}
