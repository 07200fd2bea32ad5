#include <gtest/gtest.h>

#include <GL/glew.h>

#include "assets/ShaderProgram.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const char* const kVertex =
    "#version 330 core\nlayout(location = 0) in vec3 position;\nout vec3 colour;\n"
    "void main() { colour = position; gl_Position = vec4(position, 1.0); }\n";
const char* const kFragment = "#version 330 core\nin vec3 colour;\nout vec4 fragment;\n"
                              "void main() { fragment = vec4(colour, 1.0); }\n";

} // namespace

TEST(ShaderProgram, BuildsAndReleasesAProgramAndStopsWithThePathOrTheDriverLog) {
    Sandbox sandbox;
    sandbox.write("Resources/Shaders/Plain.frag", kFragment);
    // No context yet: reaching GL would crash instead of printing the message.
    EXPECT_FATAL(createShaderProgram(kShaderFolder, "Plain"),
                 "ERROR OPENING FILE: ../Resources/Shaders/Plain.vert\n");
    GlContext gl;
    sandbox.write("Resources/Shaders/Plain.vert", kVertex);
    ShaderProgram* shader = createShaderProgram(kShaderFolder, "Plain");
    EXPECT_TRUE(glIsShader(shader->vertexShader) && glIsShader(shader->fragmentShader));
    const GlName program = shader->program;
    releaseShaderProgram(shader);
    EXPECT_FALSE(glIsProgram(program));

    sandbox.write("Resources/Shaders/Gauss.vert", kVertex);
    sandbox.write("Resources/Shaders/Gauss.frag", "#version 330 core\nvoid main() { oops }\n");
    EXPECT_FATAL_OUTPUT(createShaderProgram(kShaderFolder, "Gauss"),
                        AllOf(StartsWith("ERROR COMPILING SHADER:../Resources/Shaders/Gauss.frag"),
                              HasSubstr("error"), testing::EndsWith("\n")));
}
