#include "app/Console.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {

// A literal, not a std::string, so labels work even while other globals are initialised.
constexpr char kDots[] = ".....................................";
constexpr size_t kDotCount = sizeof kDots - 1; // 37

// A background job that touches its terminal gets SIGTTIN or SIGTTOU and stops for good.
bool consoleCanAnswer() {
    return isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) == getpgrp();
}

} // namespace

std::string labelText(const std::string& label) {
    const size_t dotCount = label.size() < kDotCount ? kDotCount - label.size() : 0;
    return "\t\t" + label + " " + std::string(kDots, dotCount);
}

void logLabel(const std::string& label) {
    std::cout << labelText(label) << std::flush;
}

void logOk() {
    std::cout << "OK!" << std::endl;
}

void pauseConsole() {
    if (!consoleCanAnswer()) {
        return;
    }
    std::cout << "Press any key to continue . . . " << std::flush;
    termios saved{};
    const bool haveTerminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveTerminal) {
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    char key = 0;
    const ssize_t got = read(STDIN_FILENO, &key, 1);
    (void)got;
    if (haveTerminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    std::cout << std::endl;
}

void fatalError(const std::string& message) {
    std::cout << message << std::endl;
    pauseConsole();
    std::exit(1);
}
