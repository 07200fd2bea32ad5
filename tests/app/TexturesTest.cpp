#include <gtest/gtest.h>

#include <FreeImage.h>
#include <GL/glew.h>
#include <glm/glm.hpp>

#include "app/GameState.h"
#include "assets/Textures.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"
#include "support/TopDownImages.h"

namespace {

// A small PNG whose left half is red and right half blue, its bottom row green too, written with
// FreeImage (whose first scanline is the bottom one).
void writeImage(const Sandbox& sandbox, const std::string& name, int width, int height) {
    FIBITMAP* image = FreeImage_Allocate(width, height, 32);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < width; ++x) {
            row[x * 4 + FI_RGBA_RED] = x < width / 2 ? 255 : 0;
            row[x * 4 + FI_RGBA_GREEN] = y == 0 ? 255 : 0;
            row[x * 4 + FI_RGBA_BLUE] = x < width / 2 ? 0 : 255;
            row[x * 4 + FI_RGBA_ALPHA] = 255;
        }
    }
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image, sandbox.path("Resources/Textures/" + name).c_str()));
    FreeImage_Unload(image);
}

} // namespace

TEST(Textures, ListedImagesFillASortedTableWithMipmapsATwiceListedNameKeepsOneAndBadOnesStop) {
    gameState() = GameState{};
    Sandbox sandbox;
    sandbox.write("Resources/Textures/Textures", "pills.png\nbottle.png\npills.png\n");
    writeImage(sandbox, "pills.png", 16, 8);
    writeImage(sandbox, "bottle.png", 4, 4);
    GlContext gl;
    loadTextures();

    const TextureTable& table = gameState().textureTable;
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.begin()->first, "bottle.png");
    // The second upload of pills.png has no owner in the table, so it must not stay alive.
    int alive = 0;
    for (GLuint name = 1; name < 16; ++name) {
        alive += glIsTexture(name) ? 1 : 0;
    }
    EXPECT_EQ(alive, 2);

    glBindTexture(GL_TEXTURE_2D, table.at("pills.png"));
    glm::ivec2 widths(0); // of the first and the last mipmap level
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &widths[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 4, GL_TEXTURE_WIDTH, &widths[1]);
    EXPECT_EQ(widths, glm::ivec2(16, 1));
    // Colours arrive in RGBA order: the left texel red, the right texel blue; v = 0 is the
    // image's bottom edge.
    std::vector<unsigned char> texels(16 * 8 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(glm::ivec4(texels[0], texels[1], texels[2], texels[7 * 16 * 4 + 1]),
              glm::ivec4(255, 255, 0, 0));
    EXPECT_EQ(glm::ivec2(texels[15 * 4], texels[15 * 4 + 2]), glm::ivec2(0, 255));
    releaseTextures();
    gameState() = GameState{};

    // A missing or unreadable image, or an empty or missing list, stops the game.
    sandbox.write("Resources/Textures/Textures", "pills.png\nghost.png\n");
    sandbox.write("Resources/Textures/notes.png", "this is not a picture");
    EXPECT_FATAL(loadTextures(), "TEXTURE FILE ../Resources/Textures/ghost.png NOT FOUND\n");
    sandbox.write("Resources/Textures/Textures", "notes.png\n");
    EXPECT_FATAL(loadTextures(), "TEXTURE FILE ../Resources/Textures/notes.png NOT FOUND\n");
    sandbox.write("Resources/Textures/Textures", "\n");
    EXPECT_FATAL(loadTextures(), "ERROR\n");
    std::remove(sandbox.path("Resources/Textures/Textures").c_str());
    EXPECT_FATAL(loadTextures(), "\nERROR READING FILE: ../Resources/Textures/Textures\n");
}

TEST(Textures, EveryFormatArrivesTheRightWayUpWhateverOrderItsRowsAreStoredIn) {
    Sandbox sandbox;
    GlContext gl;
    const char* const names[] = {"plain.dds", "dxt1.dds", "topleft.tga", "topdown.bmp"};
    for (int kind = 0; kind < 4; ++kind) {
        sandbox.write("Resources/Textures/" + std::string(names[kind]),
                      topRedImage(static_cast<TopDown>(kind)));
        GLuint texture = loadTexture(kTextureFolder, names[kind]);
        glBindTexture(GL_TEXTURE_2D, texture);
        std::vector<unsigned char> texels(4 * 4 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        // v = 0 is the picture's bottom edge (blue), v = 1 its top (red).
        EXPECT_EQ(glm::ivec4(texels[0], texels[2], texels[12 * 4], texels[12 * 4 + 2]),
                  glm::ivec4(0, 255, 255, 0))
            << names[kind];
        glDeleteTextures(1, &texture);
    }
    EXPECT_TRUE(gl.takeErrors().empty());
}
