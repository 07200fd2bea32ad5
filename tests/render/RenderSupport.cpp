#include "RenderSupport.h"

#include <cmath>

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>

#include "assets/MeshLoader.h"

Camera cameraAt(const glm::vec3& eye, const glm::vec3& direction, float aspect) {
    Camera camera;
    camera.setProjection(aspect, 0.1f, 100.0f, 45.0f);
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
    GLint width = -1;
    GLint height = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
    return glm::ivec2(width, height);
}

glm::ivec4 pixelAt(const std::vector<unsigned char>& image, int width, int x, int y) {
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return glm::ivec4(image[at], image[at + 1], image[at + 2], image[at + 3]);
}
