#pragma once
// Every image named in "../Resources/Textures/Textures", uploaded once into the TextureTable.
#include <string>

#include "assets/Scene.h"

extern const char* const kTextureFolder; // "../Resources/Textures/"

// Fills gameState().textureTable; fatal when the list is missing or names nothing.
void loadTextures();

struct FIBITMAP;

// The image at path as 32-bit pixels, bottom row first, the way every texture is uploaded; null
// when FreeImage cannot read it. The caller unloads it.
FIBITMAP* readImage(const std::string& path);

// One image with a full mipmap chain; fatal when it cannot be loaded.
GlName loadTexture(const std::string& folder, const std::string& name);

// Deletes the GL texture of every table entry (the names stay).
void releaseTextures();
