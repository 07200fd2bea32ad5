#pragma once
// Writes every generated data file of the game.
#include <string>
#include <vector>

// Writes Meshes/ (models, collision.obj, the "Meshes" list), Textures/ (images, the "Textures"
// list) and Sounds/ (sounds, the "Sounds" list) below resourceRoot, and the map seen from above
// to mapPath unless it is empty. Returns the written paths relative to resourceRoot (the map not
// included). Stops the process with a message when the level breaks a rule the game relies on.
std::vector<std::string> generateResources(const std::string& resourceRoot,
                                           const std::string& mapPath);
