#include "support/GameProcess.h"

#include "app/Console.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// In the child: becomes a session leader with the terminal as its controlling terminal and
// returns as a job in a process group of its own, reading the terminal; the leader waits and
// ends with the job's status.
void becomeJob(const char* terminal, bool foreground) {
    setsid();
    const int slave = open(terminal, O_RDWR);
    if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) {
        _exit(127);
    }
    const pid_t job = fork();
    if (job == 0) {
        setpgid(0, 0);
        dup2(slave, STDIN_FILENO);
        close(slave);
        return;
    }
    setpgid(job, job);
    if (foreground) {
        tcsetpgrp(slave, job);
    }
    int status = 0;
    while (waitpid(job, &status, WUNTRACED) < 0 && errno == EINTR) {
    }
    if (WIFSTOPPED(status)) {
        kill(job, SIGKILL);
        _exit(GameProcess::kStopped);
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

} // namespace

GameProcess::GameProcess(const std::vector<std::string>& arguments,
                         const std::string& workDirectory, const std::string& binary, Stdin input) {
    // Everything exec needs is built before fork: the child may not allocate.
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::abort();
    }
    std::string terminal;
    if (input != Stdin::null) {
        terminalFd = posix_openpt(O_RDWR | O_NOCTTY);
        if (terminalFd < 0 || grantpt(terminalFd) != 0 || unlockpt(terminalFd) != 0) {
            std::abort();
        }
        terminal = ptsname(terminalFd);
    }
    pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (input != Stdin::null) {
            close(terminalFd);
            becomeJob(terminal.c_str(), input == Stdin::foregroundJob);
        } else {
            dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        }
        if (chdir(workDirectory.c_str()) == 0) {
            execv(binary.c_str(), argv.data());
        }
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
    for (const int fd : {outputFd, terminalFd}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void GameProcess::readAvailable(double timeoutSeconds) {
    pollfd entry{outputFd, POLLIN, 0};
    if (outputFd < 0 || poll(&entry, 1, static_cast<int>(timeoutSeconds * 1000)) <= 0) {
        return;
    }
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(outputFd, buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(got));
    }
    if (got == 0) {
        close(outputFd);
        outputFd = -1;
    }
}

bool GameProcess::waitFor(const std::string& text, double timeoutSeconds, bool wholeLines) {
    const std::string wanted = wholeLines ? text + "\n" : text;
    const Clock::time_point start = Clock::now();
    for (;;) {
        for (size_t found = output.find(wanted, searchFrom); found != std::string::npos;
             found = output.find(wanted, found + 1)) {
            if (!wholeLines || found == 0 || output[found - 1] == '\n') {
                searchFrom = found + wanted.size();
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
    waitFor(std::string(1, '\0'), seconds); // text the game never prints
}

bool GameProcess::waitForExit(double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        readAvailable(0.05);
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
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

bool GameProcess::started() {
    if (waitFor(okLine("PHYSXFACTORY"), 90.0)) { // llvmpipe under the sanitizers starts slowly
        runCommand("timeout 10 xdotool search --sync --name '^Morbane$' 2>/dev/null", &window);
        window = window.substr(0, window.find('\n'));
    }
    return !window.empty();
}

int GameProcess::quit() {
    pressKey(window, "Escape");
    return waitForExit(60.0) ? exitStatus : -1;
}

std::string okLine(const std::string& label) {
    return labelText(label) + "OK!\n";
}

std::string startTranscript(const std::string& windowLine) {
    return "INITIALIZING LIBRARIES:\n" + okLine("GLFW") + windowLine + okLine("GLEW") +
           "INITIALIZING GAME:\n" + okLine("UPDATER") + okLine("FACTORY") + okLine("RENDERER") +
           okLine("SCENE") + okLine("PHYSX") + okLine("PHYSXFACTORY");
}

std::string shutdownTranscript() {
    return "CLEANING UP GAME:\n" + okLine("GAME") + okLine("PHYSX:") + "CLEANING UP LIBRARIES:\n" +
           okLine("WINDOW") + okLine("GLFW");
}

int runCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::string discarded;
    std::string& text = output != nullptr ? *output : discarded;
    text.clear();
    char buffer[1024];
    for (size_t got = 0; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        text.append(buffer, got);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void pressKey(const std::string& windowId, const std::string& keysym, double holdSeconds) {
    runCommand("xdotool windowfocus --sync " + windowId + " 2>/dev/null; xdotool keydown " +
               keysym + "; sleep " + std::to_string(holdSeconds) + "; xdotool keyup " + keysym);
}

WindowGeometry windowGeometry(const std::string& windowId) {
    std::string text;
    runCommand(windowId == "-root" ? "xwininfo -root" : "xwininfo -id " + windowId, &text);
    auto field = [&text](const char* name) {
        const size_t at = text.find(name);
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen(name));
    };
    return {field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
            field("Height:")};
}
