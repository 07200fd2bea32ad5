// levelgen RESOURCES [MAP.png]: regenerates the game's models, images and lists.
#include <cstdio>

#include <FreeImage.h>

#include "tools/levelgen/Generator.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: levelgen RESOURCE_FOLDER [MAP_PNG]\n");
        return 1;
    }
    FreeImage_Initialise(FALSE);
    std::vector<std::string> files = generateResources(argv[1], argc == 3 ? argv[2] : "");
    FreeImage_DeInitialise();
    std::printf("levelgen: wrote %zu files into %s\n", files.size(), argv[1]);
    return 0;
}
