#pragma once
// Plain-text lists naming the textures and models to load, one file name per line.
#include <string>
#include <vector>

// The name at the start of a line: the longest run of accepted characters (a to z, the hyphen,
// and every character from '.' to '_' in ASCII order). Empty when the line starts otherwise.
std::string nameToken(const std::string& line);

// Reads the list at path into names: one name per line that starts with a name, in file order.
// False when the file cannot be opened; the caller decides whether that is fatal.
bool tryReadNameList(const std::string& path, std::vector<std::string>& names);

// Reads folder + listName; a list that cannot be opened stops the game.
std::vector<std::string> readNameList(const std::string& folder, const std::string& listName);
