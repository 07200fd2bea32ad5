#include "support/WindowCapture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <FreeImage.h>

#include "support/GameProcess.h"

Picture captureWindow(const std::string& windowId) {
    Picture picture;
    // Windows on the private displays of tests running side by side get the same ids, so the
    // file is named after this process too.
    const std::string path =
        "/tmp/morbane-capture-" + std::to_string(getpid()) + "-" + windowId + ".png";
    const std::string command = std::string(MORBANE_SCREENSHOT_TOOL) + " " + path + " " + windowId;
    FIBITMAP* image = runCommand(command) == 0 ? FreeImage_Load(FIF_PNG, path.c_str()) : nullptr;
    std::remove(path.c_str());
    if (image == nullptr) {
        return picture;
    }
    picture.width = static_cast<int>(FreeImage_GetWidth(image));
    picture.height = static_cast<int>(FreeImage_GetHeight(image));
    for (int y = 0; y < picture.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < picture.width * 3; x += 3) {
            picture.rgb.insert(picture.rgb.end(), {row[x + FI_RGBA_RED], row[x + FI_RGBA_GREEN],
                                                   row[x + FI_RGBA_BLUE]});
        }
    }
    FreeImage_Unload(image);
    return picture;
}

double darkShare(const Picture& picture, int threshold) {
    size_t dark = 0;
    for (size_t i = 0; i < picture.rgb.size(); i += 3) {
        dark += std::max({picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]}) <= threshold;
    }
    return picture.rgb.empty() ? 0.0 : static_cast<double>(dark) / (picture.rgb.size() / 3);
}

double meanDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) {
        return 255.0;
    }
    double sum = 0.0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        sum += std::abs(a.rgb[i] - b.rgb[i]);
    }
    return sum / a.rgb.size();
}
