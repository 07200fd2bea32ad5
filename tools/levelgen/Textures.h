#pragma once
// Every image of the game, painted from seeded noise and simple shapes.
#include <string>
#include <vector>

#include "tools/levelgen/Image.h"

struct NamedImage {
    std::string name; // file name in the texture folder
    Image image;
};

std::vector<NamedImage> makeTextures();
