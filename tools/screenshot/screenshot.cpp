// Saves what an X window shows (the whole screen by default) as a PNG.
// Usage: screenshot <out.png> [window id]
#include <cstdio>
#include <cstdlib>

#include <FreeImage.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <out.png> [window id]\n", argv[0]);
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "screenshot: cannot open the display\n");
        return 1;
    }
    const Window window = argc > 2 ? static_cast<Window>(std::strtoul(argv[2], nullptr, 0))
                                   : DefaultRootWindow(display);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        std::fprintf(stderr, "screenshot: no such window\n");
        XCloseDisplay(display);
        return 1;
    }
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "screenshot: cannot read the window\n");
        XCloseDisplay(display);
        return 1;
    }
    FIBITMAP* bitmap = FreeImage_Allocate(attributes.width, attributes.height, 24);
    for (int y = 0; y < attributes.height; ++y) {
        // FreeImage stores rows bottom-up.
        BYTE* row = FreeImage_GetScanLine(bitmap, attributes.height - 1 - y);
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[x * 3 + FI_RGBA_RED] = static_cast<BYTE>((pixel & image->red_mask) >> 16);
            row[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>((pixel & image->green_mask) >> 8);
            row[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(pixel & image->blue_mask);
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, argv[1], 0);
    FreeImage_Unload(bitmap);
    XDestroyImage(image);
    XCloseDisplay(display);
    if (!saved) {
        std::fprintf(stderr, "screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
