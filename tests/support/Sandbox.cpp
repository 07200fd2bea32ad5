#include "support/Sandbox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

std::string shippedPath(const std::string& relative) {
    return std::string(MORBANE_SOURCE_DIR) + "/" + relative;
}

std::string readFile(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

Sandbox::Sandbox(bool shipped) {
    char pattern[] = "/tmp/morbane-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    root = pattern;
    fs::create_directories(root + "/work");
    shipped ? linkShipped("Resources") : void(fs::create_directories(root + "/Resources"));
    previousDirectory = fs::current_path().string();
    fs::current_path(root + "/work");
}

Sandbox::~Sandbox() {
    std::error_code ignored;
    fs::current_path(previousDirectory, ignored);
    fs::remove_all(root, ignored);
}

std::string Sandbox::path(const std::string& relative) const {
    return root + "/" + relative;
}

std::string Sandbox::prepared(const std::string& relative) const {
    fs::create_directories(fs::path(path(relative)).parent_path());
    return path(relative);
}

void Sandbox::write(const std::string& relative, const std::string& content) const {
    std::ofstream(prepared(relative), std::ios::binary | std::ios::trunc) << content;
}

void Sandbox::linkShipped(const std::string& relative) const {
    fs::create_symlink(shippedPath(relative), prepared(relative));
}

void Sandbox::copyShipped(const std::string& relative) const {
    fs::copy(shippedPath(relative), prepared(relative), fs::copy_options::recursive);
}
