#pragma once
// GL programs built from <folder><name>.vert and <folder><name>.frag. Every failure is fatal.
#include <string>

#include "assets/Scene.h"

extern const char* const kShaderFolder; // "../Resources/Shaders/"

struct ShaderProgram {
    GlName program = 0;
    GlName vertexShader = 0; // kept attached, deleted with the program
    GlName fragmentShader = 0;
};

ShaderProgram* createShaderProgram(const std::string& folder, const std::string& name);
void releaseShaderProgram(ShaderProgram* shader);

std::string readTextFile(const std::string& path);
GlName compileShader(const std::string& path, unsigned int type);
GlName linkProgram(GlName vertexShader, GlName fragmentShader);
