// levelgen RESOURCES [MAP.png]: regenerates the game's models, images and lists.
// levelgen --icon ICON.png: writes the game's icon.
#include <cstdio>
#include <string>

#include <FreeImage.h>

#include "tools/levelgen/Generator.h"
#include "tools/levelgen/Icon.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: levelgen RESOURCE_FOLDER [MAP_PNG] | levelgen --icon PNG\n");
        return 1;
    }
    FreeImage_Initialise(FALSE);
    if (std::string(argv[1]) == "--icon" && argc == 3) {
        savePng(gameIcon(256), argv[2]);
        FreeImage_DeInitialise();
        return 0;
    }
    std::vector<std::string> files = generateResources(argv[1], argc == 3 ? argv[2] : "");
    FreeImage_DeInitialise();
    std::printf("levelgen: wrote %zu files into %s\n", files.size(), argv[1]);
    return 0;
}
