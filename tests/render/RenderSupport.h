#pragma once
// What the renderer tests share: cameras framed by eye and direction, plain model records,
// a sandbox holding the shipped shaders and a font, and texture read-back.
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "support/Sandbox.h"

// The game's own projection (aspect 4:3 unless given) looking from eye along direction.
Camera cameraAt(const glm::vec3& eye, const glm::vec3& direction, float aspect = 4.0f / 3.0f);

// Direction of a heading (degrees about y, 0 = -z) and pitch (degrees, negative = down).
glm::vec3 lookDirection(float headingDegrees, float pitchDegrees);

// A model record of an axis-aligned box with the given placements; mesh is a record of its
// own with no GL objects, enough for culling.
Model* boxModel(const glm::vec3& lo, const glm::vec3& hi, const std::vector<glm::mat4>& placements);
void releaseBoxModel(Model* model);

// A sandbox whose Resources hold the shipped shaders and a TrueType font as the game's font.
struct RenderSandbox : Sandbox {
    explicit RenderSandbox(bool withFont = true);
};

// Level 0 of a texture as RGBA bytes, bottom row first.
std::vector<unsigned char> readTexture(GlName texture, int width, int height);
// Width and height of level 0 of a texture.
glm::ivec2 textureSize(GlName texture);
// The RGBA of pixel (x, y) of an image read with readPixels or readTexture.
glm::ivec4 pixelAt(const std::vector<unsigned char>& image, int width, int x, int y);

// An OBJ file of one box (six quads with outward normals) whose material names the texture.
std::string boxObj(const std::string& name, const glm::vec3& lo, const glm::vec3& hi,
                   const std::string& texture);
// The material file the box's "mtllib <name>.mtl" line asks for.
std::string materialFile(const std::string& texture);
// A 4 x 4 texture of one colour with its mipmaps, as the loader would upload it.
GlName solidTexture(const glm::vec3& colour);

// Keeps a picture the tests looked at as a PNG in $MORBANE_FRAMES_DIR, when that is set.
void keepPicture(const std::string& name, const std::vector<unsigned char>& image, int width,
                 int height);
