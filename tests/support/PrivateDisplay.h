#pragma once
// An Xvfb server of the test's own, so that end-to-end tests running side by side never see
// each other's windows or keys. While it lives, DISPLAY names it, for the game started from
// the test and for xdotool and xwininfo alike.
#include <string>
#include <sys/types.h>

struct PrivateDisplay {
    pid_t pid = -1;
    std::string name;     // ":N"
    std::string previous; // empty where there was none

    // A server that resets refuses connections for a moment whenever its last client leaves,
    // as an X server does by default; the tests' servers do not, unless they mean to.
    explicit PrivateDisplay(int width = 1920, int height = 1080, bool resets = false);
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool running() const { return !name.empty(); }
};
