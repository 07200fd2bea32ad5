#include "support/WindowCapture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <FreeImage.h>

#include "support/GameProcess.h"

Picture captureWindow(const std::string& windowId) {
    // A file of this capture's own: windows on the private displays of tests running side by
    // side get the same ids, so a name made from the id alone is shared between them.
    char path[] = "/tmp/morbane-capture-XXXXXX.png";
    const int fd = mkstemps(path, 4);
    if (fd < 0) {
        return {};
    }
    close(fd);
    const bool saved = runCommand(screenshotCommand(windowId, path)) == 0;
    const Picture picture = saved ? readPicture(path) : Picture{};
    std::remove(path);
    return picture;
}

std::string screenshotCommand(const std::string& windowId, const std::string& path) {
    return std::string(MORBANE_SCREENSHOT_TOOL) + " " + path + " " + windowId;
}

Picture readPicture(const std::string& path) {
    Picture picture;
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str());
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
