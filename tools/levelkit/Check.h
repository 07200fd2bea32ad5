#pragma once
// levelkit check: everything the game loads from a Resources folder, read the way the game reads
// it, with what the game would stop on and what it would silently get wrong.
#include <string>

// Prints one report line per file and the warnings; 1 when the game would stop on any file.
int runCheck(const std::string& resourcesFolder);
