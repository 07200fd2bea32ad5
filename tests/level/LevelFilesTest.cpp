// The shipped data files: the importer leaves them as authored and the generator makes exactly
// them.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "assets/NameList.h"
#include "support/Sandbox.h"
#include "tools/levelgen/Generator.h"
#include "tools/levelgen/MeshData.h"
#include "tools/levelgen/ModelFile.h"

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

TEST(LevelFiles, TheWaterMapsTileAndResourcesStayAFewMegabytes) {
    for (const std::string name : {"dudv.png", "normalmap.png"}) {
        FIBITMAP* image =
            FreeImage_Load(FIF_PNG, shippedPath("Resources/Textures/" + name).c_str(), 0);
        ASSERT_EQ(FreeImage_GetBPP(image), 24u) << name;
        unsigned w = FreeImage_GetWidth(image);
        ASSERT_EQ(FreeImage_GetHeight(image), w);
        // Across the wrap the picture changes no more than between neighbouring pixels.
        auto pixel = [&](unsigned x, unsigned y, int c) {
            return static_cast<int>(FreeImage_GetScanLine(image, static_cast<int>(y))[x * 3 + c]);
        };
        auto seam = [&](unsigned a, unsigned b, unsigned i, int c) {
            return std::abs(pixel(a, i, c) - pixel(b, i, c)) +
                   std::abs(pixel(i, a, c) - pixel(i, b, c));
        };
        double wrap = 0.0, inside = 0.0;
        for (unsigned i = 0; i < w; ++i) {
            for (int c = 0; c < 3; ++c) {
                wrap += seam(w - 1, 0, i, c);
                inside += seam(w / 2, w / 2 - 1, i, c);
            }
        }
        EXPECT_LE(wrap, 2.0 * inside + w) << name << " shows a seam when tiled";
        FreeImage_Unload(image);
    }
    uintmax_t bytes = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(shippedPath("Resources"))) {
        bytes += entry.is_regular_file() ? entry.file_size() : 0;
    }
    EXPECT_LT(bytes, 8u << 20);
}

TEST(LevelFiles, ImporterRepairTurnsNoShippedNormalAndTheGeneratorForeseesWhenItWould) {
    // The game asks Assimp to fix infacing normals; a bowl-shaped open mesh can fool that test
    // into turning the whole mesh inside out, which would light it from below.
    std::vector<std::string> models = listed("Meshes");
    models.insert(models.end(), {"waterplane.obj", "test.dae", "npcHead.dae", "rotfaces.dae",
                                 "drugs3.dae", "Mixtable.dae"});
    for (const std::string& name : models) {
        EXPECT_EQ(turnedNormals(shippedPath("Resources/Meshes/" + name)), 0u) << name;
    }
    // The generator's guard agrees with Assimp itself: a bowl is turned, a dome is not.
    Sandbox sandbox;
    for (float curve : {0.05f, -0.05f}) {
        MeshData grid;
        auto shape = [curve](float s, float t) {
            float x = 20.0f * t - 10.0f, z = 20.0f * s - 10.0f;
            return glm::vec3(x, curve * (x * x + z * z), z);
        };
        addSurface(grid, 16, 16, shape, UvRect());
        sandbox.write("shape.obj", objText("shape", grid, 4));
        bool turned = turnedNormals(sandbox.path("shape.obj")) > 0;
        EXPECT_EQ(infacingRepairWouldFlip(grid), turned) << curve;
        EXPECT_EQ(turned, curve > 0.0f) << curve;
    }
}

TEST(LevelFiles, TheGeneratorMakesExactlyTheShippedFiles) {
    Sandbox sandbox;
    std::string root = sandbox.path("generated");
    const std::vector<std::string> written = generateResources(root, sandbox.path("map.png"));
    for (const std::string& relative : written) {
        EXPECT_TRUE(readFile(root + "/" + relative) ==
                    readFile(shippedPath("Resources/" + relative)))
            << relative << " differs from what tools/levelgen makes (run make resources)";
    }
    EXPECT_TRUE(readFile(sandbox.path("map.png")) == readFile(shippedPath("docs/level-map.png")));
    // Nothing shipped beside the generated files but the shaders and the font.
    for (const char* folder : {"Meshes", "Textures", "Sounds"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(shippedPath(std::string("Resources/") + folder))) {
            std::string relative = std::string(folder) + "/" + entry.path().filename().string();
            EXPECT_THAT(written, Contains(relative)) << relative << " is not generated";
        }
    }
}
