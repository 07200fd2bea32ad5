#version 330 core
// The full-screen quad of the composite, reading the pictures from the lower left share of
// their targets.
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;

uniform vec2 extent;     // the share of the scene target that the scene fills
uniform vec2 blurExtent; // the share of the blur target that the blurred picture fills

out vec2 screen; // where on the screen, 0 to 1
out vec2 uv;
out vec2 blurUv;

void main() {
    screen = texCoord;
    uv = texCoord * extent;
    blurUv = texCoord * blurExtent;
    gl_Position = vec4(position, 0.0, 1.0);
}
