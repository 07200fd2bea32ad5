#include "app/Startup.h"

int main(int argc, char** argv) {
    initialise(argc, argv);
    run();
    shutdown();
    return 0;
}
