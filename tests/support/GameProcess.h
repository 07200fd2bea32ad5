#pragma once
// The real game binary run as a child process on the test display, its console read back,
// and real X input sent to it with xdotool.
#include <string>
#include <sys/types.h>
#include <vector>

// Where the game's standard input comes from: /dev/null, or a pseudo-terminal of a session of
// its own, as an interactive shell runs a foreground or a background job.
enum class Stdin { null, foregroundJob, backgroundJob };

struct GameProcess {
    // The exit status of a job that stopped (on SIGTTIN or SIGTTOU) instead of ending.
    static constexpr int kStopped = 200;

    pid_t pid = -1; // the game, or the session leader that waits for it on a terminal
    int outputFd = -1;
    int terminalFd = -1; // the terminal's master side: what is written there is typed
    std::string output;  // standard output and standard error, as read so far
    size_t searchFrom = 0;
    int exitStatus = -1;

    // Starts the game (or another program that becomes it, such as its installed launcher) in
    // the working directory.
    GameProcess(const std::vector<std::string>& arguments, const std::string& workDirectory,
                const std::string& binary = MORBANE_BINARY, Stdin input = Stdin::null);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Waits until text appears after the previous match; with wholeLines, text must be one or
    // more whole lines (given without the final line break).
    bool waitFor(const std::string& text, double timeoutSeconds, bool wholeLines = false);
    // Reads for the given time, whatever comes.
    void readFor(double seconds);
    // Waits for the process to end; true with exitStatus set (128 + signal when killed).
    bool waitForExit(double timeoutSeconds);
    // Waits for the game's last start-up line and its window; true when both came.
    bool started();
    // ESC as a real key; the exit status, or -1 when the game did not end.
    int quit();
    std::string window; // the X window id, once started

  private:
    void readAvailable(double timeoutSeconds);
};

// The console lines of a start, up to PHYSXFACTORY, and of the clean-up after ESC.
std::string okLine(const std::string& label);
std::string startTranscript(const std::string& windowLine = okLine("WINDOW"));
std::string shutdownTranscript();

// Runs a shell command; returns its exit status and fills output with its standard output.
int runCommand(const std::string& command, std::string* output = nullptr);
// Presses one key (an X keysym name such as "Escape" or "F1") with XTEST, holding it down for
// the given time before releasing it.
void pressKey(const std::string& windowId, const std::string& keysym, double holdSeconds = 0.0);

struct WindowGeometry {
    int x = -1, y = -1, width = -1, height = -1;
};
// "-root" names the whole screen.
WindowGeometry windowGeometry(const std::string& windowId);
