#include <gtest/gtest.h>

#include <FreeImage.h>
#include <GL/glew.h>

#include "app/GameState.h"
#include "assets/Textures.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

namespace {

// A small PNG whose left half is red and right half blue, its bottom row green too, written with
// FreeImage (whose first scanline is the bottom one).
void writeImage(const Sandbox& sandbox, const std::string& name, int width, int height) {
    FIBITMAP* image = FreeImage_Allocate(width, height, 32);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            row[x * 4 + FI_RGBA_RED] = left ? 255 : 0;
            row[x * 4 + FI_RGBA_GREEN] = y == 0 ? 255 : 0;
            row[x * 4 + FI_RGBA_BLUE] = left ? 0 : 255;
            row[x * 4 + FI_RGBA_ALPHA] = 255;
        }
    }
    const std::string path = sandbox.path("Resources/Textures/" + name);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

class Textures : public testing::Test {
  protected:
    void SetUp() override { gameState() = GameState{}; }
    void TearDown() override {
        releaseTextures();
        gameState() = GameState{};
    }
};

} // namespace

TEST_F(Textures, ListedImagesFillASortedTableWithMipmaps) {
    Sandbox sandbox;
    sandbox.write("Resources/Textures/Textures", "pills.png\nbottle.png\n");
    writeImage(sandbox, "pills.png", 16, 8);
    writeImage(sandbox, "bottle.png", 4, 4);
    GlContext gl;
    loadTextures();

    const TextureTable& table = gameState().textureTable;
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.begin()->first, "bottle.png");
    const GlName pills = table.at("pills.png");
    EXPECT_NE(pills, table.at("bottle.png"));

    glBindTexture(GL_TEXTURE_2D, pills);
    GLint width = 0;
    GLint lastLevelWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 4, GL_TEXTURE_WIDTH, &lastLevelWidth);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(lastLevelWidth, 1); // the whole mipmap chain exists

    // Colours arrive in RGBA order: the left texel red, the right texel blue.
    std::vector<unsigned char> texels(16 * 8 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[0], 255);
    EXPECT_EQ(texels[2], 0);
    EXPECT_EQ(texels[15 * 4 + 0], 0);
    EXPECT_EQ(texels[15 * 4 + 2], 255);
    // v = 0 is the image's bottom edge.
    EXPECT_EQ(texels[1], 255);
    EXPECT_EQ(texels[7 * 16 * 4 + 1], 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(gl.takeErrors().empty());
}

TEST_F(Textures, ANameListedTwiceLeavesOneTextureAlive) {
    Sandbox sandbox;
    sandbox.write("Resources/Textures/Textures", "pills.png\npills.png\n");
    writeImage(sandbox, "pills.png", 4, 4);
    GlContext gl;
    loadTextures();
    ASSERT_EQ(gameState().textureTable.size(), 1u);
    // The second upload has no owner in the table, so it must not stay alive.
    int alive = 0;
    for (GLuint name = 1; name < 16; ++name) {
        alive += glIsTexture(name) ? 1 : 0;
    }
    EXPECT_EQ(alive, 1);
}

TEST_F(Textures, AMissingOrUnreadableImageStopsWithItsPath) {
    Sandbox sandbox;
    sandbox.write("Resources/Textures/Textures", "pills.png\nghost.png\n");
    sandbox.write("Resources/Textures/notes.png", "this is not a picture");
    writeImage(sandbox, "pills.png", 4, 4);
    GlContext gl;
    EXPECT_FATAL(loadTextures(), "TEXTURE FILE ../Resources/Textures/ghost.png NOT FOUND\n");
    sandbox.write("Resources/Textures/Textures", "notes.png\n");
    EXPECT_FATAL(loadTextures(), "TEXTURE FILE ../Resources/Textures/notes.png NOT FOUND\n");
}

TEST_F(Textures, AnEmptyListOrAMissingListStops) {
    Sandbox sandbox;
    sandbox.write("Resources/Textures/Textures", "\n");
    GlContext gl;
    EXPECT_FATAL(loadTextures(), "ERROR\n");
    std::remove(sandbox.path("Resources/Textures/Textures").c_str());
    EXPECT_FATAL(loadTextures(), "\nERROR READING FILE: ../Resources/Textures/Textures\n");
}
