#include "tools/levelkit/Check.h"

#include <cstdio>
#include <fstream>
#include <set>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/gtc/matrix_access.hpp>

#include "assets/MeshLoader.h"
#include "assets/NameList.h"
#include "assets/Textures.h"
#include "physics/CollisionMesh.h"
#include "tools/levelkit/Collision.h"
#include "tools/levelkit/Report.h"

namespace {

// Three medicines need a placement each, or the game stops at start-up.
constexpr size_t kDrugPlacementsNeeded = 3;
const glm::vec3 kSpawn(0.0f, 5.0f, 0.0f);
// A drug's trigger sphere has radius 1 and the player's capsule reaches a little above the eye.
constexpr float kHighestDrug = 3.0f;
// The table's trigger box should sit on the floor; this much gap or overlap is unseen.
constexpr float kTableGap = 0.5f;
// Drawn level and collision mesh are taken as one when their ground plans mostly overlap.
constexpr float kLeastOverlap = 0.5f;

struct LevelReport {
    size_t files = 0;
    size_t refused = 0;
    size_t warnings = 0;
    Box drawn; // of the listed models, where the game draws them
    std::vector<glm::vec3> drugs;
    std::vector<glm::mat4> tables;
};

void printRefusal(LevelReport& report, const std::string& name, const std::string& reason) {
    std::printf("%-24s REFUSED: %s\n", name.c_str(), reason.c_str());
    ++report.refused;
}

void printWarning(LevelReport& report, const std::string& text) {
    std::printf("  warning: %s\n", text.c_str());
    ++report.warnings;
}

// What the game silently makes of a file beyond its first mesh and its root's children.
void checkConvention(LevelReport& report, const std::string& path) {
    Assimp::Importer importer;
    std::string reason;
    const aiScene* scene = importScene(importer, path, reason);
    if (scene == nullptr) {
        return;
    }
    const aiNode* root = scene->mRootNode;
    unsigned int withoutMesh = 0;
    bool grandchildren = false;
    for (unsigned int c = 0; c < root->mNumChildren; ++c) {
        withoutMesh += root->mChildren[c]->mNumMeshes == 0 ? 1 : 0;
        grandchildren = grandchildren || root->mChildren[c]->mNumChildren > 0;
    }
    if (scene->mNumMeshes > 1) {
        printWarning(report, std::to_string(scene->mNumMeshes) +
                                 " meshes in the file: the game draws only one (levelkit "
                                 "import merges them)");
    }
    if (withoutMesh > 0) {
        printWarning(report, std::to_string(withoutMesh) + " of " +
                                 std::to_string(root->mNumChildren) +
                                 " children of the root have no mesh (a camera, a light, a "
                                 "group): each still draws the mesh once more");
    }
    if (grandchildren) {
        printWarning(report, "nodes below the root's children play no part: their meshes and "
                             "transformations are ignored");
    }
}

// One line per model, its place in the world and what it breaks; false when the game would
// stop on it.
bool checkModel(LevelReport& report, const std::string& name, const std::set<std::string>& textures,
                bool listed) {
    ++report.files;
    const std::string reason = tryImportModel(name);
    if (!reason.empty()) {
        printRefusal(report, name, reason);
        return false;
    }
    const MeshLoader& loader = meshLoader();
    std::printf("%-24s %8zu vertices %8zu triangles %4zu placements", name.c_str(),
                loader.positions.size(), loader.indices.size() / 3, loader.instances.size());
    if (!loader.diffuseName.empty()) {
        const bool known = textures.count(loader.diffuseName) != 0;
        std::printf("  texture %s%s", loader.diffuseName.c_str(),
                    known ? "" : " (not in the texture list: drawn untextured)");
    }
    std::printf("\n");
    // The water's height is fixed, and the special models move: their place says little.
    if (name != "waterplane.obj") {
        const Box world = placedBounds(loader.positions, loader.instances);
        std::printf("  in the world: %s\n", boundsText(world).c_str());
        if (listed) {
            report.drawn.add(world);
        }
        const Box own = placedBounds(loader.positions, {glm::mat4(1.0f)});
        if (!sizeWarning(own).empty()) {
            printWarning(report, sizeWarning(own));
        }
    }
    checkConvention(report, loader.folder + name);
    if (name == "drugs3.dae") {
        for (const glm::mat4& placement : loader.instances) {
            report.drugs.push_back(glm::vec3(placement[3]));
        }
        if (loader.instances.size() < kDrugPlacementsNeeded) {
            printRefusal(report, name, "fewer than three placements, one for each medicine");
            return false;
        }
    }
    if (name == "Mixtable.dae" && !loader.instances.empty()) {
        report.tables.push_back(loader.instances.front());
    }
    return true;
}

// Every listed image read as the game reads it.
void checkTextures(LevelReport& report, const std::string& folder, std::set<std::string>& names) {
    std::vector<std::string> list;
    ++report.files;
    if (!tryReadNameList(folder + "Textures", list)) {
        printRefusal(report, "Textures", "the texture list cannot be read");
        return;
    }
    if (list.empty()) {
        printRefusal(report, "Textures",
                     "the texture list names no image (the game stops with "
                     "ERROR)");
    }
    for (const std::string& name : list) {
        if (!names.insert(name).second) {
            continue;
        }
        ++report.files;
        FIBITMAP* pixels = readImage(folder + name);
        if (pixels == nullptr) {
            printRefusal(report, name,
                         "FreeImage cannot read it, missing, truncated or of an unknown kind "
                         "(the game stops with TEXTURE FILE " +
                             folder + name + " NOT FOUND)");
            continue;
        }
        std::printf("%-24s %4u x %-4u pixels\n", name.c_str(), FreeImage_GetWidth(pixels),
                    FreeImage_GetHeight(pixels));
        FreeImage_Unload(pixels);
    }
}

// The shader programs the renderer builds; a missing source stops the game.
void checkShadersAndFont(LevelReport& report, const std::string& resources) {
    ++report.files;
    std::string missing;
    for (const char* program : {"Color", "DoF", "Gauss", "Text", "Texture", "Water"}) {
        for (const char* stage : {".vert", ".frag"}) {
            if (!std::ifstream(resources + "Shaders/" + program + stage)) {
                missing += std::string(missing.empty() ? "" : ", ") + program + stage;
            }
        }
    }
    if (!missing.empty()) {
        printRefusal(report, "Shaders", "missing " + missing);
    }
    if (!std::ifstream(resources + "Fonts/arial.ttf")) {
        printWarning(report, "no Fonts/arial.ttf: the game shows no on-screen text");
    }
}

float overlapShare(const Box& a, const Box& b) {
    const glm::vec2 low = glm::max(glm::vec2(a.min.x, a.min.z), glm::vec2(b.min.x, b.min.z));
    const glm::vec2 high = glm::min(glm::vec2(a.max.x, a.max.z), glm::vec2(b.max.x, b.max.z));
    const glm::vec2 overlap = glm::max(high - low, glm::vec2(0.0f));
    const glm::vec2 all = glm::max(glm::vec2(a.max.x, a.max.z), glm::vec2(b.max.x, b.max.z)) -
                          glm::min(glm::vec2(a.min.x, a.min.z), glm::vec2(b.min.x, b.min.z));
    return all.x * all.y > 0.0f ? overlap.x * overlap.y / (all.x * all.y) : 1.0f;
}

// Where the player starts and what must stand on the ground, measured on the collision mesh.
void checkGround(LevelReport& report, const CollisionMesh& collision) {
    const Box box = collisionBounds(collision);
    std::printf("  in the world: %s\n", boundsText(box).c_str());
    float ground = 0.0f;
    if (!groundBelow(collision, kSpawn, ground)) {
        printWarning(report, "nothing below the spawn (0, 5, 0): the player starts on the "
                             "invisible floor at y = 0");
    }
    size_t sunken = 0;
    for (size_t t = 0; t + 2 < collision.indices.size(); t += 3) {
        sunken += glm::max(collision.vertices[collision.indices[t]].y,
                           glm::max(collision.vertices[collision.indices[t + 1]].y,
                                    collision.vertices[collision.indices[t + 2]].y)) < 0.0f
                      ? 1
                      : 0;
    }
    if (sunken > 0) {
        printWarning(report, std::to_string(sunken) +
                                 " triangles lie wholly below the invisible floor at y = 0: "
                                 "there the player walks on air (raise the level above 0)");
    }
    if (!report.drawn.empty() && overlapShare(box, report.drawn) < kLeastOverlap) {
        printWarning(report, "the collision mesh (" + boundsText(box) + ") and the drawn level (" +
                                 boundsText(report.drawn) +
                                 ") are far apart: rebuild it with levelkit collision");
    }
    for (size_t i = 0; i < report.drugs.size(); ++i) {
        const glm::vec3& drug = report.drugs[i];
        const std::string where = "drug " + std::to_string(i) + " at (" + number(drug.x) + ", " +
                                  number(drug.y) + ", " + number(drug.z) + ")";
        if (!groundBelow(collision, drug, ground)) {
            printWarning(report, where + " has no ground below it");
        } else if (drug.y - ground > kHighestDrug) {
            printWarning(report, where + " floats " + number(drug.y - ground) +
                                     " above the ground: the player cannot reach it");
        }
    }
    for (const glm::mat4& table : report.tables) {
        const glm::vec3 centre(table[3]);
        const float bottom = centre.y - glm::length(glm::vec3(glm::column(table, 1)));
        if (!groundBelow(collision, centre, ground)) {
            printWarning(report, "the table has no ground below it");
        } else if (std::abs(bottom - ground) > kTableGap) {
            printWarning(report, "the table's box starts " + number(bottom - ground) +
                                     " above the ground at " + number(ground) +
                                     ": the player must be able to walk into it");
        }
    }
}

} // namespace

int runCheck(const std::string& resourcesFolder) {
    const std::string resources = resourcesFolder + "/";
    MeshLoader& loader = meshLoader();
    loader.folder = resources + "Meshes/";
    LevelReport report;

    checkShadersAndFont(report, resources);
    std::set<std::string> textures;
    checkTextures(report, resources + "Textures/", textures);
    std::vector<std::string> models;
    if (!tryReadNameList(loader.folder + "Meshes", models)) {
        ++report.files;
        printRefusal(report, "Meshes", "the mesh list cannot be read");
    }
    const size_t listed = models.size();
    models.insert(models.end(), std::begin(kFixedModels), std::end(kFixedModels));
    for (size_t i = 0; i < models.size(); ++i) {
        checkModel(report, models[i], textures, i < listed);
    }

    ++report.files;
    std::string reason;
    CollisionMesh* collision = readCollisionMesh(loader.folder + "collision.obj", reason);
    if (collision == nullptr) {
        printRefusal(report, "collision.obj", reason);
    } else {
        std::printf("%-24s %8u vertices %8u triangles    raw coordinates, not drawn\n",
                    "collision.obj", collision->vertexCount, collision->triangleCount);
        if (!cookable(*collision)) {
            printRefusal(report, "collision.obj", "it cannot be cooked (TM COOKING FAILED)");
        } else {
            checkGround(report, *collision);
        }
        releaseCollisionMesh(collision);
    }
    std::printf("%zu files, %zu refused, %zu warnings\n", report.files, report.refused,
                report.warnings);
    return report.refused == 0 ? 0 : 1;
}
