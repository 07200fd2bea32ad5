#pragma once
// What an X window shows right now, read back from the X server.
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // top row first, 3 bytes a pixel

    const unsigned char* at(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

// An empty picture when the window cannot be read.
Picture captureWindow(const std::string& windowId);

// Share of pixels whose brightest channel is at most threshold.
double darkShare(const Picture& picture, int threshold = 8);
// Mean absolute difference of two same-sized pictures over a rectangle, per channel value.
double meanDifference(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1);
