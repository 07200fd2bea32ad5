// The shipped data files: the importer leaves them as authored and the generator makes exactly
// them.
#include <filesystem>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "assets/NameList.h"
#include "support/Sandbox.h"
#include "tools/levelgen/Generator.h"

using testing::Contains;

namespace {

std::vector<std::string> listed(const std::string& folder) {
    return readNameList(shippedPath("Resources/" + folder + "/"), folder);
}

// How many normals the importer's infacing repair turns (the files hold one mesh each).
unsigned turnedNormals(const std::string& path) {
    Assimp::Importer plain, repaired;
    const aiScene* a = plain.ReadFile(path, 0);
    const aiScene* b = repaired.ReadFile(path, 0x00102000);
    if (!a || !b || a->mNumMeshes == 0 || !a->mMeshes[0]->HasNormals()) {
        ADD_FAILURE() << path;
        return 0;
    }
    unsigned turned = 0;
    for (unsigned v = 0; v < a->mMeshes[0]->mNumVertices; ++v) {
        turned += (a->mMeshes[0]->mNormals[v] - b->mMeshes[0]->mNormals[v]).Length() > 1e-4f;
    }
    return turned;
}

} // namespace

TEST(LevelFiles, ImporterRepairTurnsNoShippedNormal) {
    // The game asks Assimp to fix infacing normals; a bowl-shaped open mesh can fool that test
    // into turning the whole mesh inside out, which would light it from below.
    std::vector<std::string> models = listed("Meshes");
    models.insert(models.end(), {"waterplane.obj", "test.dae", "npcHead.dae", "rotfaces.dae",
                                 "drugs3.dae", "Mixtable.dae"});
    for (const std::string& name : models) {
        EXPECT_EQ(turnedNormals(shippedPath("Resources/Meshes/" + name)), 0u) << name;
    }
}

TEST(LevelFiles, TheGeneratorMakesExactlyTheShippedFilesAndNoMore) {
    Sandbox sandbox;
    std::string root = sandbox.path("generated");
    const std::vector<std::string> written = generateResources(root, sandbox.path("map.png"));
    for (const std::string& relative : written) {
        EXPECT_TRUE(readFile(root + "/" + relative) ==
                    readFile(shippedPath("Resources/" + relative)))
            << relative << " differs from what tools/levelgen makes (run make resources)";
    }
    EXPECT_TRUE(readFile(sandbox.path("map.png")) == readFile(shippedPath("docs/level-map.png")));
    uintmax_t bytes = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(shippedPath("Resources"))) {
        bytes += entry.is_regular_file() ? entry.file_size() : 0;
    }
    EXPECT_LT(bytes, 8u << 20) << "the resources are to stay a few megabytes";
    // Nothing shipped beside the generated files but the shaders and the font.
    for (const char* folder : {"Meshes", "Textures", "Sounds"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(shippedPath(std::string("Resources/") + folder))) {
            std::string relative = std::string(folder) + "/" + entry.path().filename().string();
            EXPECT_THAT(written, Contains(relative)) << relative << " is not generated";
        }
    }
}
