#version 330 core
// A full-screen quad that reads the picture from the lower left share of a larger texture:
// the passes draw at the render scale into targets of the window's size.
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;

uniform vec2 extent; // the share of the source texture that holds the picture

out vec2 uv;

void main() {
    uv = texCoord * extent;
    gl_Position = vec4(position, 0.0, 1.0);
}
