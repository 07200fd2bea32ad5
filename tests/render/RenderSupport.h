#pragma once
// What the renderer tests share: cameras, plain box models, a sandbox with the shipped shaders
// and a font, texture read-back, and the pictures a test looked at.
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "support/Sandbox.h"

// The game's projection (aspect 4:3) looking from eye along direction.
Camera cameraAt(const glm::vec3& eye, const glm::vec3& direction);
// Heading in degrees about y (0 = -z) and pitch in degrees (negative = down).
glm::vec3 lookDirection(float headingDegrees, float pitchDegrees);

// A model record of a box with placements; its Mesh has no GL objects, enough for culling.
Model* boxModel(const glm::vec3& lo, const glm::vec3& hi, const std::vector<glm::mat4>& placements);
void releaseBoxModel(Model* model);
// An OBJ file of one box with outward normals and the material "surface" of <name>.mtl.
std::string boxObj(const std::string& name, const glm::vec3& lo, const glm::vec3& hi);
// A 4 x 4 texture of one colour with its mipmaps.
GlName solidTexture(const glm::vec3& colour);

// Resources holding the shipped shaders and, unless told otherwise, DejaVu Sans as the font.
struct RenderSandbox : Sandbox {
    explicit RenderSandbox(bool withFont = true);
};

std::vector<unsigned char> readTexture(GlName texture, int width, int height); // RGBA
glm::ivec2 textureSize(GlName texture);
glm::ivec4 pixelAt(const std::vector<unsigned char>& image, int width, int x, int y);
// The largest step between horizontal neighbours of the left three quarters (clear of the
// slots), over every channel: high for thin lines, low once blurred.
int sharpness(const std::vector<unsigned char>& image, int width, int height);

// Keeps a picture as a PNG in $MORBANE_FRAMES_DIR, when that is set, for people to look at.
void keepPicture(const std::string& name, const std::vector<unsigned char>& image, int width,
                 int height);
