// The shipped data files: they load in the game, the importer leaves them as authored, the
// generator makes exactly them, and the collision mesh is the drawn geometry.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LevelGeometry.h"
#include "app/GameState.h"
#include "assets/Factory.h"
#include "assets/MeshLoader.h"
#include "assets/NameList.h"
#include "assets/Scene.h"
#include "assets/Textures.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"
#include "tools/levelgen/Generator.h"
#include "tools/levelgen/MeshData.h"
#include "tools/levelgen/ModelFile.h"

using testing::IsEmpty;

namespace {

std::vector<std::string> listed(const std::string& folder, const std::string& list) {
    return readNameList(shippedPath("Resources/" + folder + "/"), list);
}

// Every model file the game reads, the level's list first.
std::vector<std::string> everyModel() {
    std::vector<std::string> names = listed("Meshes", "Meshes");
    for (const char* name : {"waterplane.obj", "test.dae", "npcHead.dae", "rotfaces.dae",
                             "drugs3.dae", "Mixtable.dae"}) {
        names.push_back(name);
    }
    return names;
}

} // namespace

TEST(LevelFiles, TheGameLoadsEveryListedTextureAndModelWithItsDiffuseTexture) {
    GlContext gl;
    Sandbox sandbox(true);
    gameState() = GameState{};
    std::vector<std::string> textures = listed("Textures", "Textures");
    for (const char* name : {"shot2.png", "pills.png", "bottle.png", "dudv.png", "normalmap.png"}) {
        EXPECT_NE(std::find(textures.begin(), textures.end(), name), textures.end()) << name;
    }
    testing::internal::CaptureStdout();
    Factory factory(1280, 720);
    Scene scene;
    factory.loadScene(scene);
    testing::internal::GetCapturedStdout();

    std::vector<std::string> names = listed("Meshes", "Meshes");
    ASSERT_GE(names.size(), 4u);
    ASSERT_EQ(scene.models.size(), names.size() + 3);
    names.insert(names.end(), {"test.dae", "npcHead.dae", "rotfaces.dae"});
    for (size_t i = 0; i < names.size(); ++i) {
        const Model* model = scene.models[i];
        EXPECT_NE(model->mesh->texture, 0u) << names[i] << " names no listed texture";
        EXPECT_GT(model->mesh->buffers->indexCount, 0u) << names[i];
        EXPECT_EQ(model->instances.size(), readPlacements(meshPath(names[i])).size()) << names[i];
    }
    ASSERT_NE(scene.water, nullptr);
    EXPECT_EQ(scene.water->instances.size(), 1u);
    for (const char* name : {"drugs3.dae", "Mixtable.dae"}) {
        Model* model = loadModel(name);
        EXPECT_NE(model->mesh->texture, 0u) << name;
        releaseModel(model);
    }
    releaseScene(scene);
    for (ScreenQuad* slot : gameState().inventorySlots) {
        releaseScreenQuad(slot);
    }
    releaseTextures();
    gameState() = GameState{};
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
}

TEST(LevelFiles, TexturesArePowerOfTwoSquaresAndTheWaterMapsTile) {
    for (const std::string& name : listed("Textures", "Textures")) {
        std::string path = shippedPath("Resources/Textures/" + name);
        FIBITMAP* image = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
        ASSERT_NE(image, nullptr) << name;
        unsigned w = FreeImage_GetWidth(image), h = FreeImage_GetHeight(image);
        EXPECT_EQ(w, h) << name;
        EXPECT_TRUE(w >= 64 && w <= 512 && (w & (w - 1)) == 0) << name << " is " << w;
        if (name == "dudv.png" || name == "normalmap.png") {
            // Across the wrap the picture changes no more than between neighbouring pixels.
            FIBITMAP* rgb = FreeImage_ConvertTo24Bits(image);
            auto channel = [&](unsigned x, unsigned y, int c) {
                return static_cast<int>(FreeImage_GetScanLine(rgb, static_cast<int>(y))[x * 3 + c]);
            };
            double wrap = 0.0, inside = 0.0;
            for (unsigned i = 0; i < w; ++i) {
                for (int c = 0; c < 3; ++c) {
                    wrap += std::abs(channel(w - 1, i, c) - channel(0, i, c)) +
                            std::abs(channel(i, h - 1, c) - channel(i, 0, c));
                    inside += std::abs(channel(w / 2, i, c) - channel(w / 2 - 1, i, c)) +
                              std::abs(channel(i, h / 2, c) - channel(i, h / 2 - 1, c));
                }
            }
            EXPECT_LT(wrap, 2.0 * inside + w) << name << " shows a seam when tiled";
            FreeImage_Unload(rgb);
        }
        FreeImage_Unload(image);
    }
}

TEST(LevelFiles, ImporterRepairLeavesEveryNormalAsAuthored) {
    // The game asks Assimp to fix infacing normals; a bowl-shaped open mesh can fool that test
    // into turning the whole mesh inside out, which would light it from below.
    for (const std::string& name : everyModel()) {
        Assimp::Importer plain, repaired;
        const aiScene* a = plain.ReadFile(meshPath(name), 0);
        const aiScene* b = repaired.ReadFile(meshPath(name), 0x00102000);
        ASSERT_TRUE(a && b) << name;
        const aiMesh* ma = a->mMeshes[a->mRootNode->mChildren[0]->mMeshes[0]];
        const aiMesh* mb = b->mMeshes[b->mRootNode->mChildren[0]->mMeshes[0]];
        ASSERT_TRUE(ma->HasNormals() && ma->HasTextureCoords(0)) << name;
        ASSERT_EQ(ma->mNumVertices, mb->mNumVertices) << name;
        unsigned flipped = 0;
        for (unsigned v = 0; v < ma->mNumVertices; ++v) {
            flipped += (ma->mNormals[v] - mb->mNormals[v]).Length() > 1e-4f ? 1u : 0u;
        }
        EXPECT_EQ(flipped, 0u) << name;
        for (unsigned f = 0; f < ma->mNumFaces; ++f) {
            EXPECT_EQ(ma->mFaces[f].mNumIndices, 3u) << name;
        }
    }
}

TEST(LevelFiles, GeneratorForeseesWhichMeshesTheImporterTurnsInsideOut) {
    // The generator's guard against the repair above must agree with Assimp itself: a bowl
    // (normals leaning inwards at the rim) is turned, a dome is not.
    Sandbox sandbox;
    for (float curve : {0.05f, -0.05f}) {
        MeshData grid;
        addSurface(
            grid, 16, 16,
            [curve](float s, float t) {
                float x = 20.0f * t - 10.0f, z = 20.0f * s - 10.0f;
                return glm::vec3(x, curve * (x * x + z * z), z);
            },
            UvRect());
        std::string name = curve > 0.0f ? "bowl.obj" : "dome.obj";
        sandbox.write(name, objText("shape", grid, 4));
        Assimp::Importer plain, repaired;
        const aiScene* a = plain.ReadFile(sandbox.path(name), 0);
        const aiScene* b = repaired.ReadFile(sandbox.path(name), 0x00102000);
        ASSERT_TRUE(a && b);
        bool turned = (a->mMeshes[0]->mNormals[0] - b->mMeshes[0]->mNormals[0]).Length() > 1e-3f;
        EXPECT_EQ(infacingRepairWouldFlip(grid), turned) << name;
        EXPECT_EQ(turned, curve > 0.0f) << name;
    }
}

TEST(LevelFiles, TheGeneratorMakesExactlyTheShippedFiles) {
    Sandbox sandbox;
    std::string root = sandbox.path("generated");
    std::vector<std::string> written = generateResources(root, sandbox.path("map.png"));
    std::set<std::string> generated(written.begin(), written.end());
    for (const std::string& relative : written) {
        EXPECT_TRUE(readFile(root + "/" + relative) ==
                    readFile(shippedPath("Resources/" + relative)))
            << relative << " differs from what tools/levelgen makes (run make resources)";
    }
    EXPECT_TRUE(readFile(sandbox.path("map.png")) == readFile(shippedPath("docs/level-map.png")));
    // Nothing shipped beside the generated files but the shaders and the font.
    for (const char* folder : {"Meshes", "Textures"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(shippedPath(std::string("Resources/") + folder))) {
            std::string relative = std::string(folder) + "/" + entry.path().filename().string();
            EXPECT_EQ(generated.count(relative), 1u) << relative << " is not generated";
        }
    }
}

namespace {

bool sameCorners(const Triangle& p, const Triangle& q, float tolerance) {
    const glm::vec3 a[3] = {p.a, p.b, p.c};
    const glm::vec3 b[3] = {q.a, q.b, q.c};
    for (const glm::vec3& corner : a) {
        bool found = false;
        for (const glm::vec3& other : b) {
            found = found || glm::length(corner - other) < tolerance;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

using Cell = std::tuple<long, long, long>;

Cell cellOf(const Triangle& t) {
    glm::vec3 c = (t.a + t.b + t.c) / 3.0f * 20.0f;
    return Cell(std::lround(c.x), std::lround(c.y), std::lround(c.z));
}

} // namespace

TEST(LevelFiles, CollisionMeshIsExactlyTheDrawnLevel) {
    // No invisible walls (collision without a drawing) and no holes (drawing without collision).
    std::vector<Triangle> drawn;
    for (const std::string& name : listed("Meshes", "Meshes")) {
        std::vector<Triangle> part = readTriangles(meshPath(name), true);
        drawn.insert(drawn.end(), part.begin(), part.end());
    }
    const std::vector<Triangle>& collision = shippedCollision().triangles;
    ASSERT_GT(collision.size(), 1000u);
    std::map<Cell, std::vector<size_t>> byCell;
    for (size_t i = 0; i < collision.size(); ++i) {
        byCell[cellOf(collision[i])].push_back(i);
    }
    std::vector<bool> used(collision.size(), false);
    size_t holes = 0;
    for (const Triangle& t : drawn) {
        if (glm::length(t.normal()) < 1e-5f) {
            continue; // no area: nothing to stand on or bump into
        }
        auto [cx, cy, cz] = cellOf(t);
        bool matched = false;
        for (long dx = -1; dx <= 1 && !matched; ++dx) {
            for (long dy = -1; dy <= 1 && !matched; ++dy) {
                for (long dz = -1; dz <= 1 && !matched; ++dz) {
                    auto found = byCell.find(Cell(cx + dx, cy + dy, cz + dz));
                    if (found == byCell.end()) {
                        continue;
                    }
                    for (size_t i : found->second) {
                        if (!used[i] && sameCorners(t, collision[i], 2e-3f)) {
                            used[i] = matched = true;
                            break;
                        }
                    }
                }
            }
        }
        holes += matched ? 0u : 1u;
    }
    size_t invisible = 0;
    for (size_t i = 0; i < collision.size(); ++i) {
        invisible += used[i] || glm::length(collision[i].normal()) < 1e-5f ? 0u : 1u;
    }
    EXPECT_EQ(holes, 0u) << "drawn triangles the player would pass through";
    EXPECT_EQ(invisible, 0u) << "collision triangles nobody can see";
}
