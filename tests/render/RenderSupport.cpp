#include "RenderSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include <FreeImage.h>
#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>

#include "assets/MeshLoader.h"

Camera cameraAt(const glm::vec3& eye, const glm::vec3& direction) {
    Camera camera;
    camera.setProjection(4.0f / 3.0f, 0.1f, 100.0f, 45.0f);
    camera.position = glm::vec4(eye, 1.0f);
    camera.view = glm::lookAt(eye, eye + direction, glm::vec3(0, 1, 0));
    return camera;
}

glm::vec3 lookDirection(float headingDegrees, float pitchDegrees) {
    const float heading = glm::radians(headingDegrees);
    const float pitch = glm::radians(pitchDegrees);
    return glm::vec3(std::sin(heading) * std::cos(pitch), std::sin(pitch),
                     -std::cos(heading) * std::cos(pitch));
}

Model* boxModel(const glm::vec3& lo, const glm::vec3& hi,
                const std::vector<glm::mat4>& placements) {
    Model* model = new Model;
    model->mesh = new Mesh;
    model->bounds = makeBoundingBox(hi, lo, glm::mat4(1.0f));
    model->instances = placements;
    return model;
}

void releaseBoxModel(Model* model) {
    delete model->mesh;
    delete model->bounds;
    delete model;
}

std::string boxObj(const std::string& name, const glm::vec3& lo, const glm::vec3& hi) {
    std::ostringstream out;
    out << "mtllib " << name << ".mtl\no " << name << "\n";
    for (int i = 0; i < 8; ++i) {
        out << "v " << ((i & 1) ? hi.x : lo.x) << ' ' << ((i & 2) ? hi.y : lo.y) << ' '
            << ((i & 4) ? hi.z : lo.z) << '\n';
    }
    out << "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
           "vn -1 0 0\nvn 1 0 0\nvn 0 -1 0\nvn 0 1 0\nvn 0 0 -1\nvn 0 0 1\nusemtl surface\n";
    const int faces[6][4] = {{1, 5, 7, 3}, {2, 4, 8, 6}, {1, 2, 6, 5},
                             {3, 7, 8, 4}, {1, 3, 4, 2}, {5, 6, 8, 7}};
    for (int f = 0; f < 6; ++f) {
        out << 'f';
        for (int k = 0; k < 4; ++k) {
            out << ' ' << faces[f][k] << '/' << (k + 1) << '/' << (f + 1);
        }
        out << '\n';
    }
    return out.str();
}

GlName solidTexture(const glm::vec3& colour) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 16; ++i) {
        const glm::ivec3 c(colour * 255.0f);
        pixels.insert(pixels.end(),
                      {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                       static_cast<unsigned char>(c.b), 255});
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

RenderSandbox::RenderSandbox(bool withFont) {
    linkShipped("Resources/Shaders");
    if (withFont) {
        write("Resources/Fonts/arial.ttf",
              readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    }
}

std::vector<unsigned char> readTexture(GlName texture, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels;
}

glm::ivec2 textureSize(GlName texture) {
    glm::ivec2 size(-1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.x);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.y);
    glBindTexture(GL_TEXTURE_2D, 0);
    return size;
}

glm::ivec4 pixelAt(const std::vector<unsigned char>& image, int width, int x, int y) {
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return glm::ivec4(image.at(at), image.at(at + 1), image.at(at + 2), image.at(at + 3));
}

int sharpness(const std::vector<unsigned char>& image, int width, int height) {
    int sharpest = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x + 1 < width * 3 / 4; ++x) {
            const glm::ivec4 step = pixelAt(image, width, x + 1, y) - pixelAt(image, width, x, y);
            sharpest = std::max({sharpest, std::abs(step.r), std::abs(step.g), std::abs(step.b)});
        }
    }
    return sharpest;
}

void keepPicture(const std::string& name, const std::vector<unsigned char>& image, int width,
                 int height) {
    const char* folder = std::getenv("MORBANE_FRAMES_DIR");
    if (folder == nullptr) {
        return;
    }
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y); // both bottom row first
        for (int x = 0; x < width; ++x) {
            const glm::ivec4 p = pixelAt(image, width, x, y);
            row[x * 3 + FI_RGBA_RED] = static_cast<BYTE>(p.r);
            row[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>(p.g);
            row[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(p.b);
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, (std::string(folder) + "/" + name + ".png").c_str(), 0);
    FreeImage_Unload(bitmap);
}
