#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RenderSupport.h"
#include "app/GameState.h"
#include "render/PostProcessor.h"
#include "render/RenderTarget.h"
#include "render/Renderer.h"
#include "support/Fatal.h"
#include "support/GlContext.h"

using testing::IsEmpty;

namespace {

GLint levelParameter(GlName texture, GLenum name) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

glm::ivec4 viewport() {
    glm::ivec4 value(-1);
    glGetIntegerv(GL_VIEWPORT, &value[0]);
    return value;
}

bool complete(GlName framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    const bool status = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return status;
}

} // namespace

TEST(TextureFilter, FollowsTheFilteringAndMipmapToggles) {
    GlContext gl;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const struct {
        int mipmapMode;
        bool linear;
        GLint mag;
        GLint min;
    } table[] = {
        {2, true, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST},
        {2, false, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST},
        {1, true, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR},
        {1, false, GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR},
        {0, true, GL_LINEAR, GL_LINEAR},
        {0, false, GL_NEAREST, GL_LINEAR},
    };
    GameState state;
    for (const auto& row : table) {
        state.mipmapMode = row.mipmapMode;
        state.linearFiltering = row.linear;
        applyTextureFilter(state);
        GLint mag = -1;
        GLint min = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        EXPECT_EQ(mag, row.mag) << row.mipmapMode << " " << row.linear;
        EXPECT_EQ(min, row.min) << row.mipmapMode << " " << row.linear;
    }
    glDeleteTextures(1, &texture);
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
}

TEST(Targets, AFullHdWindowGetsFullHdSceneAndBlurTargetsAndFixedWaterTargets) {
    GlContext gl(1920, 1080);
    RenderSandbox sandbox;
    glViewport(0, 0, 10, 10);
    Renderer renderer(1920, 1080);
    EXPECT_EQ(viewport(), glm::ivec4(0, 0, 1920, 1080));
    for (const RenderTarget* target : {renderer.sceneTarget, renderer.postProcessor->blurTarget,
                                       renderer.postProcessor->verticalTarget}) {
        EXPECT_EQ(textureSize(target->colourTexture), glm::ivec2(1920, 1080));
        EXPECT_EQ(textureSize(target->depthTexture), glm::ivec2(1920, 1080));
        EXPECT_EQ(levelParameter(target->colourTexture, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        EXPECT_GT(levelParameter(target->depthTexture, GL_TEXTURE_DEPTH_SIZE), 0);
        EXPECT_TRUE(complete(target->framebuffer));
    }
    const WaterTargets& water = *renderer.waterTargets;
    for (const GlName texture :
         {water.reflectionTexture, water.refractionTexture, water.refractionDepthTexture}) {
        EXPECT_EQ(textureSize(texture), glm::ivec2(640, 480));
    }
    EXPECT_GE(levelParameter(water.refractionDepthTexture, GL_TEXTURE_DEPTH_SIZE), 24);
    EXPECT_TRUE(complete(water.reflectionFramebuffer));
    EXPECT_TRUE(complete(water.refractionFramebuffer));

    // Each water pass draws at 640 x 480 and hands the whole window back.
    bindReflectionTarget(water);
    EXPECT_EQ(viewport(), glm::ivec4(0, 0, 640, 480));
    bindWindow(water);
    EXPECT_EQ(viewport(), glm::ivec4(0, 0, 1920, 1080));
    bindRefractionTarget(water);
    EXPECT_EQ(viewport(), glm::ivec4(0, 0, 640, 480));
    bindWindow(water);
    EXPECT_EQ(viewport(), glm::ivec4(0, 0, 1920, 1080));
    EXPECT_THAT(gl.takeErrors(), IsEmpty());
}

TEST(Targets, ATargetTheDriverRejectsIsFatal) {
    GlContext gl;
    EXPECT_FATAL(RenderTarget(0, 0), "FRAMEBUFFER NOT COMPLETE\n");
}
