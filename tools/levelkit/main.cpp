// levelkit: a level maker's tools. "import" compiles any model file into the game's convention,
// "collision" builds collision.obj from the drawn level, "check" reads everything the game loads.
// Run as "levelcheck", it is "levelkit check".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/levelkit/Check.h"
#include "tools/levelkit/Collision.h"
#include "tools/levelkit/Import.h"

namespace {

const char* const kUsage =
    "usage: levelkit import MODEL RESOURCES [--name NAME] [--scale S | --fit SIZE] [--z-up]\n"
    "                       [--keep-origin] [--replace] [--at X Y|ground Z [--turn DEGREES]]...\n"
    "       levelkit collision RESOURCES\n"
    "       levelkit check [RESOURCES]     (RESOURCES defaults to ../Resources)\n";

int usage(const std::string& problem) {
    std::fprintf(stderr, "levelkit: %s\n%s", problem.c_str(), kUsage);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    const char* program = std::strrchr(argv[0], '/');
    if (std::strcmp(program == nullptr ? argv[0] : program + 1, "levelcheck") == 0) {
        words.insert(words.begin(), "check");
    }
    if (words.empty()) {
        return usage("which command?");
    }
    const std::string command = words.front();
    words.erase(words.begin());
    if (command == "import") {
        ImportOptions options;
        const std::string problem = parseImportArguments(words, options);
        return problem.empty() ? runImport(options) : usage("import: " + problem);
    }
    if (command == "collision" && words.size() == 1) {
        return runCollision(words[0]);
    }
    if (command == "check" && words.size() <= 1) {
        return runCheck(words.empty() ? "../Resources" : words[0]);
    }
    return usage("cannot make sense of \"" + command + "\" with " + std::to_string(words.size()) +
                 " arguments");
}
