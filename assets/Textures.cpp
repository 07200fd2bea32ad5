#include "assets/Textures.h"

#include <FreeImage.h>
#include <GL/glew.h>

#include "app/Console.h"
#include "app/GameState.h"
#include "assets/NameList.h"

const char* const kTextureFolder = "../Resources/Textures/";

void loadTextures() {
    TextureTable& table = gameState().textureTable;
    for (const std::string& name : readNameList(kTextureFolder, "Textures")) {
        const GlName texture = loadTexture(kTextureFolder, name);
        if (!table.emplace(name, texture).second) {
            // A name listed twice keeps its first texture; the second upload is not wanted.
            glDeleteTextures(1, &texture);
        }
    }
    if (table.empty()) {
        fatalError("ERROR");
    }
}

FIBITMAP* readImage(const std::string& path) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    FIBITMAP* image = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, path.c_str(), 0);
    if (image == nullptr) {
        return nullptr;
    }
    FIBITMAP* pixels = FreeImage_ConvertTo32Bits(image);
    FreeImage_Unload(image);
    return pixels;
}

GlName loadTexture(const std::string& folder, const std::string& name) {
    const std::string path = folder + name;
    FIBITMAP* pixels = readImage(path);
    if (pixels == nullptr) {
        fatalError("TEXTURE FILE " + path + " NOT FOUND");
    }
    const GLsizei width = static_cast<GLsizei>(FreeImage_GetWidth(pixels));
    const GLsizei height = static_cast<GLsizei>(FreeImage_GetHeight(pixels));

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 FreeImage_GetBits(pixels));
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);

    FreeImage_Unload(pixels);
    return texture;
}

void releaseTextures() {
    for (const auto& entry : gameState().textureTable) {
        glDeleteTextures(1, &entry.second);
    }
}
