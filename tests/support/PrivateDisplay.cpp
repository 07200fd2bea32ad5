#include "support/PrivateDisplay.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

PrivateDisplay::PrivateDisplay(int width, int height, bool resets) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return;
    }
    const std::string fd = std::to_string(pipeFds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", resets ? static_cast<char*>(nullptr) : "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd entry{pipeFds[0], POLLIN, 0};
    while (poll(&entry, 1, 20000) > 0) {
        char c = 0;
        if (read(pipeFds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    close(pipeFds[0]);
    if (number.empty()) {
        return;
    }
    name = ":" + number;
    const char* current = std::getenv("DISPLAY");
    previous = current != nullptr ? current : "";
    setenv("DISPLAY", name.c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
    if (running()) { // a server that never started changed nothing
        previous.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", previous.c_str(), 1);
    }
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}
