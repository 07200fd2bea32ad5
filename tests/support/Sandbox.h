#pragma once
// A throw-away folder laid out like an installed game: <root>/Resources/... and <root>/work.
// While it lives, <root>/work is the working directory, so "../Resources/" resolves inside it.
#include <string>

struct Sandbox {
    std::string root;
    std::string previousDirectory;

    // With shipped set, <root>/Resources is a link to the repository's own Resources folder.
    explicit Sandbox(bool shipped = false);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string path(const std::string& relative) const;
    // The same, with its folders made.
    std::string prepared(const std::string& relative) const;
    // Writes a file below the root, creating its folders.
    void write(const std::string& relative, const std::string& content) const;
    // Links a file or folder of the repository (same relative path) into the sandbox.
    void linkShipped(const std::string& relative) const;
    // Copies a shipped file into the sandbox, so a test may change the copy.
    void copyShipped(const std::string& relative) const;
};

// Absolute path of a file in the repository.
std::string shippedPath(const std::string& relative);
std::string readFile(const std::string& path);
