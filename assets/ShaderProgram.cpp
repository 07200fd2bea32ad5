#include "assets/ShaderProgram.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include <GL/glew.h>

#include "app/Console.h"

const char* const kShaderFolder = "../Resources/Shaders/";

std::string readTextFile(const std::string& path) {
    std::ifstream file(path);
    if (file.fail()) {
        fatalError("ERROR OPENING FILE: " + path);
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

GlName compileShader(const std::string& path, unsigned int type) {
    const std::string source = readTextFile(path);
    const GLuint shader = glCreateShader(type);
    if (shader == 0) {
        fatalError("ERROR CREATING SHADER HANDLE");
    }
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = 1;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 0) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
        glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        fatalError("ERROR COMPILING SHADER:" + path + log.data());
    }
    return shader;
}

GlName linkProgram(GlName vertexShader, GlName fragmentShader) {
    const GLuint program = glCreateProgram();
    if (program == 0) {
        fatalError("ERROR CREATING SHADER PROGRAM");
    }
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    GLint status = 1;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
        glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, log.data());
        fatalError(std::string("ERROR LINKING PROGRAM SHADER: ") + log.data());
    }
    return program;
}

ShaderProgram* createShaderProgram(const std::string& folder, const std::string& name) {
    // The vertex stage is read and compiled before the fragment file is even opened.
    const GlName vertexShader = compileShader(folder + name + ".vert", GL_VERTEX_SHADER);
    const GlName fragmentShader = compileShader(folder + name + ".frag", GL_FRAGMENT_SHADER);
    ShaderProgram* shader = new ShaderProgram;
    shader->vertexShader = vertexShader;
    shader->fragmentShader = fragmentShader;
    shader->program = linkProgram(vertexShader, fragmentShader);
    return shader;
}

void releaseShaderProgram(ShaderProgram* shader) {
    if (shader == nullptr) {
        return;
    }
    glDeleteProgram(shader->program);
    glDeleteShader(shader->vertexShader);
    glDeleteShader(shader->fragmentShader);
    delete shader;
}
