#include <gtest/gtest.h>

#include <GL/glew.h>

#include "assets/ShaderProgram.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

namespace {

const char* const kVertex =
    "#version 330 core\n"
    "layout(location = 0) in vec3 position;\n"
    "out vec3 colour;\n"
    "void main() { colour = position; gl_Position = vec4(position, 1.0); }\n";
const char* const kFragment = "#version 330 core\n"
                              "in vec3 colour;\n"
                              "out vec4 fragment;\n"
                              "void main() { fragment = vec4(colour, 1.0); }\n";
const char* const kFragmentWithAnotherType = "#version 330 core\n"
                                             "in vec4 colour;\n"
                                             "out vec4 fragment;\n"
                                             "void main() { fragment = colour; }\n";

} // namespace

TEST(ShaderProgram, BuildsAndReleasesAWorkingProgram) {
    Sandbox sandbox;
    sandbox.write("Resources/Shaders/Plain.vert", kVertex);
    sandbox.write("Resources/Shaders/Plain.frag", kFragment);
    GlContext gl;
    ShaderProgram* shader = createShaderProgram(kShaderFolder, "Plain");
    EXPECT_TRUE(glIsProgram(shader->program));
    EXPECT_TRUE(glIsShader(shader->vertexShader));
    EXPECT_TRUE(glIsShader(shader->fragmentShader));
    GLint attached = 0;
    glGetProgramiv(shader->program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    const GlName program = shader->program;
    releaseShaderProgram(shader);
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_TRUE(gl.takeErrors().empty());
}

TEST(ShaderProgram, MissingVertexFileStopsBeforeAnyGlObject) {
    Sandbox sandbox;
    sandbox.write("Resources/Shaders/Plain.frag", kFragment);
    // No context at all: reaching GL would crash instead of printing the message.
    EXPECT_FATAL(createShaderProgram(kShaderFolder, "Plain"),
                 "ERROR OPENING FILE: ../Resources/Shaders/Plain.vert\n");
}

TEST(ShaderProgram, MissingFragmentFileIsReportedAfterTheVertexStage) {
    Sandbox sandbox;
    sandbox.write("Resources/Shaders/Plain.vert", kVertex);
    GlContext gl;
    EXPECT_FATAL(createShaderProgram(kShaderFolder, "Plain"),
                 "ERROR OPENING FILE: ../Resources/Shaders/Plain.frag\n");
}

TEST(ShaderProgram, BrokenFragmentPrintsItsPathAndTheDriverLog) {
    Sandbox sandbox;
    sandbox.write("Resources/Shaders/Gauss.vert", kVertex);
    sandbox.write("Resources/Shaders/Gauss.frag", "#version 330 core\nvoid main() { oops }\n");
    GlContext gl;
    EXPECT_FATAL_OUTPUT(
        createShaderProgram(kShaderFolder, "Gauss"),
        testing::AllOf(
            testing::StartsWith("ERROR COMPILING SHADER:../Resources/Shaders/Gauss.frag"),
            testing::HasSubstr("error"), testing::EndsWith("\n")));
}

TEST(ShaderProgram, MismatchedStagesPrintTheLinkLogWithoutAPath) {
    Sandbox sandbox;
    sandbox.write("Resources/Shaders/Plain.vert", kVertex);
    sandbox.write("Resources/Shaders/Plain.frag", kFragmentWithAnotherType);
    GlContext gl;
    EXPECT_FATAL_OUTPUT(createShaderProgram(kShaderFolder, "Plain"),
                        testing::AllOf(testing::StartsWith("ERROR LINKING PROGRAM SHADER: "),
                                       testing::HasSubstr("colour"),
                                       testing::Not(testing::HasSubstr("Resources"))));
}
