#pragma once
// What an X window shows right now, read back through the screenshot tool.
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb; // 3 bytes a pixel
};

// An empty picture when the window cannot be read.
Picture captureWindow(const std::string& windowId);

// Mean absolute difference of two pictures of one size, 0 to 255; 255 when the sizes differ.
double meanDifference(const Picture& a, const Picture& b);

// Share of pixels whose brightest channel is at most threshold.
double darkShare(const Picture& picture, int threshold = 8);
