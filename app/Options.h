#pragma once
// The command line: "-r <rate>" and "-d <width> <height>"; anything else restores the defaults.
#include <cstdint>

struct WindowOptions {
    bool fullScreen = true;
    int32_t refreshRate = 60; // Hz, full screen only
    int32_t width = 0;
    int32_t height = 0;
    bool unknownOption = false; // the scan met an argument it does not know and restored defaults
};

// Reads one integer as formatted stream extraction does; value is left untouched on failure.
bool readInteger(const char* text, int32_t& value);

// A window side: an integer from 1 to kMaxWindowSide, else it counts as a value that fails.
constexpr int32_t kMaxWindowSide = 16384;
bool readWindowSide(const char* text, int32_t& value);

WindowOptions scanOptions(int argc, const char* const argv[]);

// Top-left corner that centres a window of the given size on a monitor mode.
int32_t centredPosition(int32_t modeSize, int32_t windowSize);

// The swap interval that MORBANE_VSYNC asks for: "0" turns vsync off, "1", an empty value or
// none keeps it on; -1 for anything else.
int32_t swapIntervalFrom(const char* value);
