#include "assets/NameList.h"

#include <fstream>

#include "app/Console.h"

namespace {

bool accepted(char c) {
    return (c >= 'a' && c <= 'z') || c == '-' || (c >= '.' && c <= '_');
}

} // namespace

std::string nameToken(const std::string& line) {
    size_t length = 0;
    while (length < line.size() && accepted(line[length])) {
        ++length;
    }
    return line.substr(0, length);
}

std::vector<std::string> readNameList(const std::string& folder, const std::string& listName) {
    std::ifstream file(folder + listName);
    if (!file.is_open()) {
        fatalError("\nERROR READING FILE: " + folder + listName);
    }
    std::vector<std::string> names;
    std::string line;
    while (std::getline(file, line)) {
        // Names of any length are kept whole; lines that do not start with one are skipped.
        std::string name = nameToken(line);
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}
