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

bool tryReadNameList(const std::string& path, std::vector<std::string>& names) {
    std::ifstream file(path);
    if (!file.is_open()) {
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        // Names of any length are kept whole; lines that do not start with one are skipped.
        std::string name = nameToken(line);
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return true;
}

std::vector<std::string> readNameList(const std::string& folder, const std::string& listName) {
    std::vector<std::string> names;
    if (!tryReadNameList(folder + listName, names)) {
        fatalError("\nERROR READING FILE: " + folder + listName);
    }
    return names;
}
