#include "support/WindowCapture.h"

#include <algorithm>
#include <cstdlib>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

Picture captureWindow(const std::string& windowId) {
    Picture picture;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return picture;
    }
    const Window window = static_cast<Window>(std::strtoul(windowId.c_str(), nullptr, 0));
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes)) {
        XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                                  AllPlanes, ZPixmap);
        if (image != nullptr) {
            picture.width = attributes.width;
            picture.height = attributes.height;
            picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
            unsigned char* out = picture.rgb.data();
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    const unsigned long pixel = XGetPixel(image, x, y);
                    *out++ = static_cast<unsigned char>((pixel & image->red_mask) >> 16);
                    *out++ = static_cast<unsigned char>((pixel & image->green_mask) >> 8);
                    *out++ = static_cast<unsigned char>(pixel & image->blue_mask);
                }
            }
            XDestroyImage(image);
        }
    }
    XCloseDisplay(display);
    return picture;
}

double darkShare(const Picture& picture, int threshold) {
    if (picture.rgb.empty()) {
        return 0.0;
    }
    size_t dark = 0;
    for (size_t i = 0; i < picture.rgb.size(); i += 3) {
        const int brightest = std::max({picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]});
        dark += brightest <= threshold ? 1 : 0;
    }
    return static_cast<double>(dark) / (picture.rgb.size() / 3);
}

double meanDifference(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) {
        return 0.0;
    }
    double total = 0.0;
    size_t count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            for (int c = 0; c < 3; ++c) {
                total += std::abs(a.at(x, y)[c] - b.at(x, y)[c]);
                ++count;
            }
        }
    }
    return count == 0 ? 0.0 : total / count;
}
