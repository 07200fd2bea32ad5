// levelcheck [RESOURCE_FOLDER]: imports every model file the game loads, the way the game does,
// and prints each one's vertices, triangles and placements, or why the game would refuse it.
// The folder defaults to the game's own "../Resources". Exit status 1 when any file is refused.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "assets/MeshLoader.h"
#include "assets/NameList.h"
#include "physics/CollisionMesh.h"

namespace {

// The files the game loads besides those of the mesh list, in the order it loads them.
const char* const kFixedModels[] = {"waterplane.obj", "test.dae",   "npcHead.dae",
                                    "rotfaces.dae",   "drugs3.dae", "Mixtable.dae"};
// Three medicines need a placement each, or the game stops at start-up.
constexpr size_t kDrugPlacementsNeeded = 3;

void printRefusal(const std::string& name, const std::string& reason) {
    std::printf("%-24s REFUSED: %s\n", name.c_str(), reason.c_str());
}

// One line per drawn model; false when the game would stop on it.
bool checkModel(const std::string& name, const std::set<std::string>& textures) {
    const std::string reason = tryImportModel(name);
    if (!reason.empty()) {
        printRefusal(name, reason);
        return false;
    }
    const MeshLoader& loader = meshLoader();
    std::printf("%-24s %8zu vertices %8zu triangles %4zu placements", name.c_str(),
                loader.positions.size(), loader.indices.size() / 3, loader.instances.size());
    if (!loader.diffuseName.empty()) {
        const bool listed = textures.count(loader.diffuseName) != 0;
        std::printf("  texture %s%s", loader.diffuseName.c_str(),
                    listed ? "" : " (not in the texture list: drawn untextured)");
    }
    std::printf("\n");
    if (name == "drugs3.dae" && loader.instances.size() < kDrugPlacementsNeeded) {
        printRefusal(name, "fewer than three placements, one for each medicine");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: levelcheck [RESOURCE_FOLDER]\n");
        return 2;
    }
    const std::string resources = std::string(argc == 2 ? argv[1] : "../Resources") + "/";
    MeshLoader& loader = meshLoader();
    loader.folder = resources + "Meshes/";

    const std::vector<std::string> textureList = readNameList(resources + "Textures/", "Textures");
    const std::set<std::string> textures(textureList.begin(), textureList.end());
    std::vector<std::string> models = readNameList(loader.folder, "Meshes");
    models.insert(models.end(), std::begin(kFixedModels), std::end(kFixedModels));

    size_t refused = 0;
    for (const std::string& name : models) {
        refused += checkModel(name, textures) ? 0 : 1;
    }
    std::string reason;
    CollisionMesh* collision = readCollisionMesh(loader.folder + "collision.obj", reason);
    if (collision == nullptr) {
        printRefusal("collision.obj", reason);
        ++refused;
    } else {
        std::printf("%-24s %8u vertices %8u triangles    raw coordinates, not drawn\n",
                    "collision.obj", collision->vertexCount, collision->triangleCount);
        releaseCollisionMesh(collision);
    }
    std::printf("%zu files, %zu refused\n", models.size() + 1, refused);
    return refused == 0 ? 0 : 1;
}
