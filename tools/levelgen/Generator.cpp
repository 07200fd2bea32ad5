#include "tools/levelgen/Generator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "tools/levelgen/Level.h"
#include "tools/levelgen/LevelMap.h"
#include "tools/levelgen/Sounds.h"
#include "tools/levelgen/Textures.h"

namespace {

[[noreturn]] void refuse(const std::string& what) {
    std::fprintf(stderr, "levelgen: %s\n", what.c_str());
    std::exit(1);
}

// Rules the game's loader relies on; checked here so a bad level is never written.
void checkModel(const ModelFile& file, const std::set<std::string>& textures) {
    const MeshData& mesh = file.mesh;
    if (mesh.indices.empty() || file.placements.empty()) {
        refuse(file.name + " has no triangles or no placement");
    }
    if (mesh.normals.size() != mesh.positions.size() || mesh.uvs.size() != mesh.positions.size()) {
        refuse(file.name + " lacks normals or texture coordinates");
    }
    if (!file.texture.empty() && textures.count(file.texture) == 0) {
        refuse(file.name + " names the unlisted texture " + file.texture);
    }
    if (infacingRepairWouldFlip(mesh)) {
        refuse(file.name + " would have its normals turned inside out by the importer");
    }
}

} // namespace

std::vector<std::string> generateResources(const std::string& resourceRoot,
                                           const std::string& mapPath) {
    namespace fs = std::filesystem;
    const std::string meshes = resourceRoot + "/Meshes/";
    const std::string textures = resourceRoot + "/Textures/";
    fs::create_directories(meshes);
    fs::create_directories(textures);
    std::vector<std::string> written;

    std::set<std::string> textureNames;
    std::string textureList;
    for (const NamedImage& texture : makeTextures()) {
        savePng(texture.image, textures + texture.name);
        written.push_back("Textures/" + texture.name);
        textureNames.insert(texture.name);
        textureList += texture.name + "\n";
    }
    writeTextFile(textures + "Textures", textureList);
    written.push_back("Textures/Textures");

    LevelLayout layout;
    std::vector<ModelFile> files = buildModels(layout);
    std::string meshList;
    for (const ModelFile& file : files) {
        checkModel(file, textureNames);
        bool obj = file.name.size() > 4 && file.name.compare(file.name.size() - 4, 4, ".obj") == 0;
        // The water's height is exact to the renderer's constant, so it keeps six decimals.
        writeTextFile(meshes + file.name, obj ? objText("water", file.mesh, 6) : colladaText(file));
        written.push_back("Meshes/" + file.name);
        if (file.listed) {
            meshList += file.name + "\n";
        }
    }
    writeTextFile(meshes + "collision.obj", collisionText(files));
    written.push_back("Meshes/collision.obj");
    writeTextFile(meshes + "Meshes", meshList);
    written.push_back("Meshes/Meshes");

    const std::string sounds = resourceRoot + "/Sounds/";
    fs::create_directories(sounds);
    std::string soundList;
    for (const NamedSound& sound : makeSounds()) {
        saveWav(sound.samples, sounds + sound.name);
        written.push_back("Sounds/" + sound.name);
        soundList += sound.name + "\n";
    }
    writeTextFile(sounds + "Sounds", soundList);
    written.push_back("Sounds/Sounds");

    if (!mapPath.empty()) {
        savePng(drawLevelMap(layout), mapPath);
    }
    return written;
}
