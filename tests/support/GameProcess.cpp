#include "support/GameProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

std::string gameBinaryPath() {
    return MORBANE_BINARY;
}

GameProcess::GameProcess(const std::string& binary, const std::vector<std::string>& arguments,
                         const std::string& workDirectory,
                         const std::vector<std::string>& environment) {
    // Everything exec needs is built before fork: the child may not allocate.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // The extra entries come first, since the first of two equal names is the one read.
    std::vector<char*> envp;
    for (const std::string& entry : environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        envp.push_back(*entry);
    }
    envp.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::perror("pipe");
        std::abort();
    }
    pid = fork();
    if (pid == 0) {
        const int nullFd = open("/dev/null", O_RDONLY);
        dup2(nullFd, STDIN_FILENO);
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (chdir(workDirectory.c_str()) != 0) {
            _exit(126);
        }
        execve(binary.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(pipeFds[1]);
    outputFd = pipeFds[0];
    fcntl(outputFd, F_SETFL, fcntl(outputFd, F_GETFL) | O_NONBLOCK);
}

GameProcess::~GameProcess() {
    if (pid > 0 && exitStatus < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (outputFd >= 0) {
        close(outputFd);
    }
}

void GameProcess::readAvailable(double timeoutSeconds) {
    if (outputFd < 0) {
        return;
    }
    pollfd entry{outputFd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(timeoutSeconds * 1000)) <= 0) {
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(outputFd, buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0) {
            close(outputFd);
            outputFd = -1;
        }
        return;
    }
}

bool GameProcess::waitFor(const std::string& text, double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        const size_t found = output.find(text, searchFrom);
        if (found != std::string::npos) {
            searchFrom = found + text.size();
            return true;
        }
        if (secondsSince(start) > timeoutSeconds || outputFd < 0) {
            return false;
        }
        readAvailable(0.05);
    }
}

bool GameProcess::waitForLines(const std::string& lines, double timeoutSeconds) {
    const std::string text = lines + "\n";
    const Clock::time_point start = Clock::now();
    for (;;) {
        for (size_t found = output.find(text, searchFrom); found != std::string::npos;
             found = output.find(text, found + 1)) {
            if (found == 0 || output[found - 1] == '\n') {
                searchFrom = found + text.size();
                return true;
            }
        }
        if (secondsSince(start) > timeoutSeconds || outputFd < 0) {
            return false;
        }
        readAvailable(0.05);
    }
}

void GameProcess::readFor(double seconds) {
    const Clock::time_point start = Clock::now();
    while (secondsSince(start) < seconds && outputFd >= 0) {
        readAvailable(0.05);
    }
}

bool GameProcess::waitForExit(double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        readAvailable(0.05);
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            while (outputFd >= 0) {
                readAvailable(0.2);
            }
            return true;
        }
        if (secondsSince(start) > timeoutSeconds) {
            return false;
        }
    }
}

int runCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::string text;
    char buffer[1024];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, got);
    }
    const int status = pclose(pipe);
    if (output != nullptr) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string findWindow(const std::string& title, double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    do {
        std::string ids;
        if (runCommand("xdotool search --name '^" + title + "$' 2>/dev/null", &ids) == 0 &&
            !ids.empty()) {
            std::istringstream in(ids);
            std::string first;
            in >> first;
            return first;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (secondsSince(start) < timeoutSeconds);
    return {};
}

void pressKey(const std::string& windowId, const std::string& keysym) {
    runCommand("xdotool windowfocus --sync " + windowId + " 2>/dev/null; xdotool key " + keysym);
}

void holdKey(const std::string& windowId, const std::string& keysym, double seconds) {
    runCommand("xdotool windowfocus --sync " + windowId + " 2>/dev/null; xdotool keydown " +
               keysym + "; sleep " + std::to_string(seconds) + "; xdotool keyup " + keysym);
}

WindowGeometry windowGeometry(const std::string& windowId) {
    std::string text;
    // "-root" names the whole screen; anything else is a window id.
    runCommand(windowId == "-root" ? "xwininfo -root" : "xwininfo -id " + windowId, &text);
    WindowGeometry geometry;
    auto field = [&text](const char* name) {
        const size_t at = text.find(name);
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen(name));
    };
    geometry.x = field("Absolute upper-left X:");
    geometry.y = field("Absolute upper-left Y:");
    geometry.width = field("Width:");
    geometry.height = field("Height:");
    return geometry;
}
