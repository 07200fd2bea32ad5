#pragma once
// Console reporting shared by every subsystem: progress labels and the one fatal exit.
#include <string>

// Two tabs, the label, a blank and dots up to a fixed column; the caller finishes with "OK!".
void logLabel(const std::string& label);

// The text logLabel writes, without writing it (labels longer than 37 characters get no dots).
std::string labelText(const std::string& label);

// Writes "OK!" and a line break.
void logOk();

// Waits for a key with a prompt, but only when standard input is a terminal and this process is
// in its foreground process group, so neither a script nor a background job ever blocks.
void pauseConsole();

// Writes the message and a line break, pauses, and exits with status 1.
[[noreturn]] void fatalError(const std::string& message);
