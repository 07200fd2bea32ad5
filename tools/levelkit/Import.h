#pragma once
// levelkit import: any model file Assimp reads, compiled into the game's convention (one mesh,
// one texture, one placement per child of the root) and added to a level's lists.
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct Placement {
    glm::vec3 at = glm::vec3(0.0f);
    float turn = 0.0f;     // degrees about the vertical, counter-clockwise seen from above
    bool onGround = false; // at.y is taken from the level's collision mesh below (x, z)
};

struct ImportOptions {
    std::string modelPath;
    std::string resources; // the level's Resources folder
    std::string name;      // without extension; from the model's file name when empty
    float scale = 1.0f;
    float fit = 0.0f;        // when above 0, the scale that makes the model this many units across
    bool zUp = false;        // the file has z up although its reader does not say so
    bool keepOrigin = false; // keep the file's origin rather than the base's centre
    bool replace = false;    // overwrite a model or image of that name that levelkit did not write
    std::vector<Placement> placements;
};

// The options of "levelkit import ..." (arguments after the subcommand); empty on success,
// else what is wrong with them.
std::string parseImportArguments(const std::vector<std::string>& arguments, ImportOptions& options);

// Writes the model, its texture and the list entries, printing what it did. 0, or 1 with the
// reason on standard error when the file cannot be brought into the game.
int runImport(const ImportOptions& options);
