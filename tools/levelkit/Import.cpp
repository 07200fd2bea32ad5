#include "tools/levelkit/Import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>

#include "assets/MeshLoader.h"
#include "assets/Textures.h"
#include "physics/CollisionMesh.h"
#include "tools/levelgen/ModelFile.h"
#include "tools/levelkit/Collision.h"
#include "tools/levelkit/Report.h"

namespace {

// Triangles and normals made here, where every mesh of the file is at hand; the game's own
// reading of the result then has nothing left to repair.
constexpr unsigned int kReadFlags = aiProcess_Triangulate | aiProcess_GenSmoothNormals;
// Each plain colour becomes a square of this many pixels in the model's texture, so that the
// smaller mipmap levels still hold it.
constexpr int kSwatchSize = 8;
// Images packed side by side are scaled to squares of at most this size.
constexpr int kLargestCell = 512;

struct MeshAt {
    const aiMesh* mesh;
    glm::mat4 matrix; // the node's full transformation
};

// What one material looks like: an image (a file path, or "*N" for one embedded in the model)
// or, without one, its diffuse colour.
struct Look {
    std::string image;
    glm::vec3 colour = glm::vec3(0.8f);
};

struct Dropped {
    int cameras = 0;
    int lights = 0;
    int emptyNodes = 0;
    int pointsAndLines = 0;
};

glm::mat4 toGlm(const aiMatrix4x4& m) {
    glm::mat4 result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            result[column][row] = m[row][column];
        }
    }
    return result;
}

void collectMeshes(const aiScene& scene, const aiNode& node, const glm::mat4& parent,
                   std::vector<MeshAt>& meshes, Dropped& dropped) {
    const glm::mat4 matrix = parent * toGlm(node.mTransformation);
    for (unsigned int i = 0; i < node.mNumMeshes; ++i) {
        if (node.mMeshes[i] < scene.mNumMeshes) {
            meshes.push_back({scene.mMeshes[node.mMeshes[i]], matrix});
        }
    }
    if (node.mNumMeshes == 0 && node.mNumChildren == 0 && &node != scene.mRootNode) {
        ++dropped.emptyNodes;
    }
    for (unsigned int c = 0; c < node.mNumChildren; ++c) {
        collectMeshes(scene, *node.mChildren[c], matrix, meshes, dropped);
    }
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool fileExists(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        std::fclose(file);
    }
    return file != nullptr;
}

bool folderExists(const std::string& path) {
    DIR* folder = opendir(path.c_str());
    if (folder != nullptr) {
        closedir(folder);
    }
    return folder != nullptr;
}

// Exporters write texture paths as they were on the artist's machine: absolute, with
// backslashes, in another case. The image is looked for beside the model, by name.
std::string findImage(const std::string& modelFolder, std::string written) {
    std::replace(written.begin(), written.end(), '\\', '/');
    while (written.rfind("./", 0) == 0) {
        written.erase(0, 2);
    }
    if (fileExists(modelFolder + written)) {
        return modelFolder + written;
    }
    const std::string bare = written.substr(written.find_last_of('/') + 1);
    if (DIR* folder = opendir(modelFolder.empty() ? "." : modelFolder.c_str())) {
        std::string found;
        while (dirent* entry = readdir(folder)) {
            if (lowerCase(entry->d_name) == lowerCase(bare)) {
                found = modelFolder + entry->d_name;
                break;
            }
        }
        closedir(folder);
        return found;
    }
    return {};
}

Look lookOf(const aiScene& scene, const aiMesh& mesh, const std::string& modelFolder,
            std::set<std::string>& missing) {
    Look look;
    const aiMaterial* material = scene.mMaterials[mesh.mMaterialIndex];
    aiColor4D colour;
    if (aiGetMaterialColor(material, AI_MATKEY_COLOR_DIFFUSE, &colour) == AI_SUCCESS) {
        look.colour = glm::clamp(glm::vec3(colour.r, colour.g, colour.b), 0.0f, 1.0f);
    }
    aiString path;
    if (aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS ||
        path.length == 0) {
        return look;
    }
    const std::string written = path.C_Str();
    if (scene.GetEmbeddedTexture(written.c_str()) != nullptr) {
        look.image = written;
    } else {
        look.image = findImage(modelFolder, written);
        if (look.image.empty()) {
            missing.insert(written);
        }
    }
    return look;
}

// An embedded image: a whole file in memory (PNG, JPEG, ...) or raw texels, top row first.
FIBITMAP* readEmbedded(const aiTexture& texture) {
    if (texture.mHeight == 0) {
        FIMEMORY* memory = FreeImage_OpenMemory(
            reinterpret_cast<BYTE*>(const_cast<aiTexel*>(texture.pcData)), texture.mWidth);
        const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, 0);
        FIBITMAP* image =
            format == FIF_UNKNOWN ? nullptr : FreeImage_LoadFromMemory(format, memory, 0);
        FreeImage_CloseMemory(memory);
        FIBITMAP* pixels = image == nullptr ? nullptr : FreeImage_ConvertTo32Bits(image);
        FreeImage_Unload(image);
        return pixels;
    }
    const int width = static_cast<int>(texture.mWidth);
    const int height = static_cast<int>(texture.mHeight);
    FIBITMAP* pixels = FreeImage_Allocate(width, height, 32);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(pixels, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const aiTexel& texel = texture.pcData[y * width + x];
            row[x * 4 + FI_RGBA_RED] = texel.r;
            row[x * 4 + FI_RGBA_GREEN] = texel.g;
            row[x * 4 + FI_RGBA_BLUE] = texel.b;
            row[x * 4 + FI_RGBA_ALPHA] = texel.a;
        }
    }
    return pixels;
}

// One look's pixels at their own size: the image as it is, or a square of the colour.
FIBITMAP* readLook(const aiScene& scene, const Look& look) {
    if (look.image.empty()) {
        FIBITMAP* pixels = FreeImage_Allocate(kSwatchSize, kSwatchSize, 32);
        const glm::vec3 c = glm::round(look.colour * 255.0f);
        RGBQUAD colour = {static_cast<BYTE>(c.b), static_cast<BYTE>(c.g), static_cast<BYTE>(c.r),
                          255};
        FreeImage_FillBackground(pixels, &colour);
        return pixels;
    }
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(look.image.c_str())) {
        return readEmbedded(*embedded);
    }
    return readImage(look.image);
}

// Several looks side by side in squares of one size, each image stretched to fill its own.
FIBITMAP* paintAtlas(std::vector<FIBITMAP*>& looks, int& cellSize) {
    cellSize = kSwatchSize;
    for (FIBITMAP* look : looks) {
        cellSize = std::max<int>(
            cellSize,
            std::min<int>(kLargestCell, static_cast<int>(std::max(FreeImage_GetWidth(look),
                                                                  FreeImage_GetHeight(look)))));
    }
    FIBITMAP* atlas = FreeImage_Allocate(cellSize * static_cast<int>(looks.size()), cellSize, 32);
    for (size_t k = 0; k < looks.size(); ++k) {
        FIBITMAP* cell = FreeImage_Rescale(looks[k], cellSize, cellSize, FILTER_BILINEAR);
        FreeImage_Paste(atlas, cell, static_cast<int>(k) * cellSize, 0, 256);
        FreeImage_Unload(cell);
    }
    return atlas;
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool usable(const glm::vec3& v) {
    const float squared = glm::dot(v, v);
    return squared > 0.0f && std::isfinite(squared);
}

// Every triangle of every mesh at its node's transformation; texture coordinates from the mesh
// when the model is textured, else the centre of the mesh's colour square.
void mergeMeshes(const std::vector<MeshAt>& meshes, const std::vector<int>& cellOf,
                 const std::vector<Look>& cells, int cellSize, MeshData& merged, Dropped& dropped) {
    const float count = static_cast<float>(cells.size());
    // Half a texel in from each cell's edge, so that filtering does not reach the neighbour.
    const float margin = 0.5f / static_cast<float>(cellSize);
    for (size_t m = 0; m < meshes.size(); ++m) {
        const aiMesh& mesh = *meshes[m].mesh;
        const glm::mat4& matrix = meshes[m].matrix;
        const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(matrix)));
        // A mirroring transformation turns the faces' winding round.
        const bool mirrored = glm::determinant(glm::mat3(matrix)) < 0.0f;
        const uint32_t first = static_cast<uint32_t>(merged.positions.size());
        for (unsigned int i = 0; i < mesh.mNumVertices; ++i) {
            const aiVector3D& p = mesh.mVertices[i];
            merged.positions.push_back(glm::vec3(matrix * glm::vec4(p.x, p.y, p.z, 1.0f)));
            glm::vec3 normal(0.0f);
            if (mesh.HasNormals()) {
                normal = normalMatrix *
                         glm::vec3(mesh.mNormals[i].x, mesh.mNormals[i].y, mesh.mNormals[i].z);
            }
            merged.normals.push_back(usable(normal) ? glm::normalize(normal) : glm::vec3(0.0f));
            glm::vec2 uv(0.0f);
            if (mesh.HasTextureCoords(0)) {
                uv = glm::vec2(mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y);
            }
            const float cell = static_cast<float>(cellOf[m]);
            if (cells[cellOf[m]].image.empty()) {
                uv = glm::vec2((cell + 0.5f) / count, 0.5f);
            } else if (cells.size() > 1) {
                uv = margin + glm::clamp(uv, 0.0f, 1.0f) * (1.0f - 2.0f * margin);
                uv.x = (cell + uv.x) / count;
            }
            merged.uvs.push_back(uv);
        }
        for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3) {
                ++dropped.pointsAndLines;
                continue;
            }
            // Faces that name a vertex the mesh lacks, or one at infinity, are not drawable.
            if (!std::all_of(face.mIndices, face.mIndices + 3, [&](unsigned int k) {
                    return k < mesh.mNumVertices && finite(merged.positions[first + k]);
                })) {
                continue;
            }
            merged.indices.push_back(first + face.mIndices[0]);
            merged.indices.push_back(first + face.mIndices[mirrored ? 2 : 1]);
            merged.indices.push_back(first + face.mIndices[mirrored ? 1 : 2]);
        }
    }
}

void transformMesh(MeshData& mesh, const glm::mat4& matrix) {
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(matrix)));
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        mesh.positions[i] = glm::vec3(matrix * glm::vec4(mesh.positions[i], 1.0f));
        if (usable(mesh.normals[i])) {
            mesh.normals[i] = glm::normalize(normalMatrix * mesh.normals[i]);
        }
    }
}

// The turn that brings the file's up axis to y, as far as the file or the user says which it is.
// COLLADA, 3DS and glTF readers already turn their scenes in the root node.
glm::mat4 upTurn(const aiScene& scene, bool zUp) {
    int32_t axis = zUp ? 2 : 1;
    int32_t sign = 1;
    if (!zUp && scene.mMetaData != nullptr) {
        scene.mMetaData->Get("UpAxis", axis);
        scene.mMetaData->Get("UpAxisSign", sign);
    }
    const float quarter = glm::radians(90.0f) * static_cast<float>(sign < 0 ? -1 : 1);
    if (axis == 2) {
        return glm::rotate(glm::mat4(1.0f), -quarter, glm::vec3(1, 0, 0));
    }
    if (axis == 0) {
        return glm::rotate(glm::mat4(1.0f), quarter, glm::vec3(0, 0, 1));
    }
    return glm::mat4(1.0f);
}

bool parseFloat(const std::string& text, float& value) {
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool validName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '_';
    });
}

// The model file's name without folder and extension, in characters the name lists accept.
std::string nameFromPath(const std::string& path) {
    std::string stem = path.substr(path.find_last_of('/') + 1);
    stem = stem.substr(0, stem.find('.'));
    for (char& c : stem) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') {
            c = '-';
        }
    }
    return stem;
}

// ", 2 cameras" or nothing.
std::string counted(int count, const std::string& what) {
    return count == 0 ? "" : ", " + std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

int refuse(const std::string& reason) {
    std::fprintf(stderr, "levelkit import: %s\n", reason.c_str());
    return 1;
}

void warn(const std::string& text) {
    std::printf("  warning: %s\n", text.c_str());
}

const char kSignature[] = "Written by levelkit import from ";

// A model that levelkit wrote before may be written again; anything else of that name is the
// level's own and stays.
std::string nameClash(const ImportOptions& options) {
    const std::string model = options.resources + "/Meshes/" + options.name + ".dae";
    const std::string image = options.resources + "/Textures/" + options.name + ".png";
    std::ifstream in(model, std::ios::binary);
    std::string head(256, '\0');
    in.read(&head[0], static_cast<std::streamsize>(head.size()));
    if (!options.replace &&
        (in.gcount() > 0 ? head.find(kSignature) == std::string::npos : fileExists(image))) {
        return (in.gcount() > 0 ? model : image) +
               " is there already and levelkit did not write it: choose another --name, or "
               "--replace it";
    }
    return {};
}

// Heights for the placements that stand on the ground: the highest surface of the level's
// collision mesh at their x and z. The reason it cannot be done, or empty.
std::string placeOnGround(const std::string& resources, std::vector<Placement>& placements) {
    if (std::none_of(placements.begin(), placements.end(),
                     [](const Placement& p) { return p.onGround; })) {
        return {};
    }
    std::string reason;
    CollisionMesh* collision = readCollisionMesh(resources + "/Meshes/collision.obj", reason);
    if (collision == nullptr) {
        return "--at X ground Z stands on " + resources +
               "/Meshes/collision.obj, which cannot be read (" + reason +
               "): run levelkit collision first";
    }
    for (Placement& placement : placements) {
        if (placement.onGround &&
            !groundBelow(*collision, glm::vec3(placement.at.x, 1.0e6f, placement.at.z),
                         placement.at.y)) {
            reason = "no ground in collision.obj at x " + number(placement.at.x) + ", z " +
                     number(placement.at.z);
        }
    }
    releaseCollisionMesh(collision);
    return reason;
}

// The look of every part, each distinct one once, and which one each mesh has; the reason the
// parts cannot share one image, or empty.
std::string collectLooks(const aiScene& scene, const std::vector<MeshAt>& meshes,
                         const std::string& modelPath, std::vector<Look>& cells,
                         std::vector<int>& cellOf, std::set<std::string>& missing) {
    const size_t slash = modelPath.find_last_of('/');
    const std::string modelFolder =
        slash == std::string::npos ? "" : modelPath.substr(0, slash + 1);
    for (const MeshAt& at : meshes) {
        const Look look = lookOf(scene, *at.mesh, modelFolder, missing);
        auto same = std::find_if(cells.begin(), cells.end(), [&look](const Look& other) {
            return look.image.empty() ? other.image.empty() && other.colour == look.colour
                                      : other.image == look.image;
        });
        cellOf.push_back(static_cast<int>(same - cells.begin()));
        if (same == cells.end()) {
            cells.push_back(look);
        }
    }
    // An image that repeats across its part cannot share the texture with others.
    for (size_t m = 0; m < meshes.size() && cells.size() > 1; ++m) {
        const aiMesh& mesh = *meshes[m].mesh;
        const std::string& image = cells[static_cast<size_t>(cellOf[m])].image;
        for (unsigned int i = 0;
             !image.empty() && mesh.HasTextureCoords(0) && i < mesh.mNumVertices; ++i) {
            const aiVector3D& uv = mesh.mTextureCoords[0][i];
            if (uv.x < -0.01f || uv.x > 1.01f || uv.y < -0.01f || uv.y > 1.01f) {
                return modelPath + ": the image " + image +
                       " repeats across its part, so it cannot be packed with the model's other "
                       "images and colours into one: bake them into one image in the modeller";
            }
        }
    }
    return {};
}

// The merged mesh made whole and brought into the game's frame: normals where the file has
// none, y up, the size asked for and the origin at the base's centre. Its box.
Box finishMesh(MeshData& mesh, const aiScene& scene, const ImportOptions& options) {
    // Vertices that no face uses any more must not stretch the model's size.
    for (glm::vec3& position : mesh.positions) {
        if (!finite(position)) {
            position = mesh.positions[mesh.indices[0]];
        }
    }
    // Normals the file lacks, or gives as zero (as many STL files do), are made as the game
    // makes them.
    if (std::any_of(mesh.normals.begin(), mesh.normals.end(),
                    [](const glm::vec3& n) { return !usable(n); })) {
        const std::vector<glm::vec3> smooth = smoothNormals(mesh.positions, mesh.indices);
        for (size_t i = 0; i < smooth.size(); ++i) {
            if (!usable(mesh.normals[i])) {
                mesh.normals[i] = smooth[i];
            }
        }
    }
    transformMesh(mesh, upTurn(scene, options.zUp));
    Box box = placedBounds(mesh.positions, {glm::mat4(1.0f)});
    const glm::vec3 across = box.max - box.min;
    const float largest = std::max(across.x, std::max(across.y, across.z));
    const float scale =
        options.fit > 0.0f && largest > 0.0f ? options.fit / largest : options.scale;
    transformMesh(mesh, glm::scale(glm::mat4(1.0f), glm::vec3(scale)));
    box = placedBounds(mesh.positions, {glm::mat4(1.0f)});
    // The origin goes to the centre of the model's base, so that --at is where it stands.
    if (!options.keepOrigin) {
        const glm::vec3 base((box.min.x + box.max.x) / 2, box.min.y, (box.min.z + box.max.z) / 2);
        transformMesh(mesh, glm::translate(glm::mat4(1.0f), -base));
        box = placedBounds(mesh.positions, {glm::mat4(1.0f)});
    }
    return box;
}

} // namespace

std::string parseImportArguments(const std::vector<std::string>& arguments,
                                 ImportOptions& options) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const size_t left = arguments.size() - i - 1;
        if (word == "--name" && left >= 1) {
            options.name = arguments[++i];
            if (!validName(options.name)) {
                return "--name takes letters, digits, '-' and '_' only: " + options.name;
            }
        } else if (word == "--scale" && left >= 1) {
            if (!parseFloat(arguments[++i], options.scale) || options.scale <= 0.0f) {
                return "--scale takes a number above 0, not " + arguments[i];
            }
        } else if (word == "--fit" && left >= 1) {
            if (!parseFloat(arguments[++i], options.fit) || options.fit <= 0.0f) {
                return "--fit takes a size above 0, not " + arguments[i];
            }
        } else if (word == "--at" && left >= 3) {
            Placement placement;
            for (int axis = 0; axis < 3; ++axis) {
                if (axis == 1 && arguments[i + 1] == "ground") {
                    placement.onGround = true;
                    ++i;
                } else if (!parseFloat(arguments[++i], placement.at[axis])) {
                    return "--at takes X, Y (a number or ground) and Z, not " + arguments[i];
                }
            }
            options.placements.push_back(placement);
        } else if (word == "--turn" && left >= 1) {
            if (options.placements.empty()) {
                return "--turn follows the --at it turns";
            }
            if (!parseFloat(arguments[++i], options.placements.back().turn)) {
                return "--turn takes degrees, not " + arguments[i];
            }
        } else if (word == "--z-up") {
            options.zUp = true;
        } else if (word == "--replace") {
            options.replace = true;
        } else if (word == "--keep-origin") {
            options.keepOrigin = true;
        } else if (word.rfind("--", 0) == 0) {
            return "unknown option or missing values: " + word;
        } else {
            positional.push_back(word);
        }
    }
    if (positional.size() != 2) {
        return "it takes a model file and a Resources folder";
    }
    options.modelPath = positional[0];
    options.resources = positional[1];
    if (options.name.empty()) {
        options.name = nameFromPath(options.modelPath);
    }
    if (options.placements.empty()) {
        options.placements.push_back(Placement{});
    }
    return {};
}

int runImport(const ImportOptions& options) {
    for (const char* folder : {"/Meshes", "/Textures"}) {
        if (!folderExists(options.resources + folder)) {
            return refuse(options.resources + " has no folder " + (folder + 1) +
                          ": give the level's Resources folder");
        }
    }
    std::vector<Placement> placements = options.placements;
    const std::string unplaced = placeOnGround(options.resources, placements);
    if (!unplaced.empty()) {
        return refuse(unplaced);
    }
    const std::string clash = nameClash(options);
    if (!clash.empty()) {
        return refuse(clash);
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(options.modelPath, kReadFlags);
    if (scene == nullptr) {
        return refuse(options.modelPath + ": Assimp cannot read it: " + importer.GetErrorString());
    }
    if (scene->mRootNode == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0) {
        return refuse(options.modelPath + ": Assimp reads it as incomplete: it holds no mesh");
    }
    std::vector<MeshAt> meshes;
    Dropped dropped;
    dropped.cameras = static_cast<int>(scene->mNumCameras);
    dropped.lights = static_cast<int>(scene->mNumLights);
    collectMeshes(*scene, *scene->mRootNode, glm::mat4(1.0f), meshes, dropped);
    if (meshes.empty()) {
        return refuse(options.modelPath + ": no node of the file holds a mesh");
    }

    std::vector<Look> cells;
    std::vector<int> cellOf;
    std::set<std::string> missing;
    const std::string mixed =
        collectLooks(*scene, meshes, options.modelPath, cells, cellOf, missing);
    if (!mixed.empty()) {
        return refuse(mixed);
    }
    ModelFile file;
    file.name = options.name + ".dae";
    file.texture = options.name + ".png";
    file.up = UpAxis::Y;
    std::vector<FIBITMAP*> looks;
    for (const Look& cell : cells) {
        looks.push_back(readLook(*scene, cell));
    }
    const auto unreadable = std::find(looks.begin(), looks.end(), nullptr);
    FIBITMAP* pixels = nullptr;
    int cellSize = kSwatchSize;
    if (unreadable == looks.end()) {
        pixels = looks.size() == 1 ? FreeImage_Clone(looks[0]) : paintAtlas(looks, cellSize);
    }
    for (FIBITMAP* look : looks) {
        FreeImage_Unload(look);
    }
    if (pixels == nullptr) {
        return refuse(options.modelPath + ": FreeImage cannot read its image " +
                      cells[static_cast<size_t>(unreadable - looks.begin())].image);
    }
    size_t imageCount = 0;
    for (const Look& cell : cells) {
        imageCount += cell.image.empty() ? 0 : 1;
    }
    std::string imageNote = counted(static_cast<int>(imageCount), "image") +
                            counted(static_cast<int>(cells.size() - imageCount), "plain colour");
    imageNote = cells.size() == 1 && imageCount == 1 ? cells[0].image : imageNote.substr(2);
    mergeMeshes(meshes, cellOf, cells, cellSize, file.mesh, dropped);
    if (file.mesh.indices.empty()) {
        FreeImage_Unload(pixels);
        return refuse(options.modelPath +
                      ": it has no triangle to draw, only points or lines or faces at infinity");
    }
    const Box box = finishMesh(file.mesh, *scene, options);
    // The table's placement scale is its trigger box's half-size: the model goes into the cube
    // from -1 to 1 and the placement scales it back.
    glm::mat4 fit(1.0f);
    if (file.name == "Mixtable.dae") {
        const glm::vec3 centre = (box.min + box.max) * 0.5f;
        const glm::vec3 half = glm::max((box.max - box.min) * 0.5f, glm::vec3(0.01f));
        transformMesh(file.mesh, glm::scale(glm::mat4(1.0f), 1.0f / half) *
                                     glm::translate(glm::mat4(1.0f), -centre));
        fit = glm::translate(glm::mat4(1.0f), centre) * glm::scale(glm::mat4(1.0f), half);
    }
    for (const Placement& placement : placements) {
        file.placements.push_back(glm::rotate(glm::translate(glm::mat4(1.0f), placement.at),
                                              glm::radians(placement.turn), glm::vec3(0, 1, 0)) *
                                  fit);
    }

    const std::string meshesFolder = options.resources + "/Meshes/";
    const std::string texturesFolder = options.resources + "/Textures/";
    const bool saved = FreeImage_Save(FIF_PNG, pixels, (texturesFolder + file.texture).c_str());
    FreeImage_Unload(pixels);
    if (!saved) {
        return refuse("cannot write " + texturesFolder + file.texture);
    }
    std::string text = colladaText(file);
    const std::string generated = "Generated by tools/levelgen: edit the generator, not this file.";
    text.replace(text.find(generated), generated.size(),
                 kSignature + options.modelPath.substr(options.modelPath.find_last_of('/') + 1) +
                     ".");
    writeTextFile(meshesFolder + file.name, text);

    std::printf("%s -> %s%s: %zu triangles from %zu mesh%s, texture %s (%s)\n",
                options.modelPath.c_str(), meshesFolder.c_str(), file.name.c_str(),
                file.mesh.indices.size() / 3, meshes.size(), meshes.size() == 1 ? "" : "es",
                file.texture.c_str(), imageNote.c_str());
    const std::string leftOut = counted(dropped.cameras, "camera") +
                                counted(dropped.lights, "light") +
                                counted(dropped.emptyNodes, "empty node") +
                                counted(dropped.pointsAndLines, "point or line");
    if (!leftOut.empty()) {
        std::printf("  left out:%s\n", leftOut.substr(1).c_str());
    }
    for (const std::string& path : missing) {
        warn("the image " + path + " is not beside the model; its parts are drawn in their colour");
    }
    std::printf("  size %s\n", sizeText(box).c_str());
    if (!sizeWarning(box).empty()) {
        warn(sizeWarning(box));
    }
    for (size_t i = 0; i < file.placements.size(); ++i) {
        const Placement& placement = placements[i];
        std::printf("  placement %zu at (%s, %s, %s) turned %s: %s\n", i + 1,
                    number(placement.at.x).c_str(), number(placement.at.y).c_str(),
                    number(placement.at.z).c_str(), number(placement.turn).c_str(),
                    boundsText(placedBounds(file.mesh.positions, {file.placements[i]})).c_str());
    }
    if (infacingRepairWouldFlip(file.mesh)) {
        warn("the game's normal repair will turn this mesh inside out and light it from behind: "
             "close the surface or give its rim an outward lean");
    }
    if (file.name == "drugs3.dae" && file.placements.size() < 3) {
        warn("drugs3.dae needs at least three placements, one for each medicine");
    }
    bool added = false;
    if (!isFixedModel(file.name)) {
        if (!addToList(meshesFolder + "Meshes", file.name, added)) {
            return refuse("cannot write " + meshesFolder + "Meshes");
        }
        std::printf("  %s %s the Meshes list\n", file.name.c_str(),
                    added ? "added to" : "already in");
    }
    if (!addToList(texturesFolder + "Textures", file.texture, added)) {
        return refuse("cannot write " + texturesFolder + "Textures");
    }
    std::printf("  %s %s the Textures list\n", file.texture.c_str(),
                added ? "added to" : "already in");
    return 0;
}
