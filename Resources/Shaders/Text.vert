#version 330 core
// One glyph quad in the 640 x 480 text space.
layout(location = 0) in vec4 vertex; // x, y, u, v

uniform mat4 projection;

out vec2 uv;

void main() {
    uv = vertex.zw;
    gl_Position = projection * vec4(vertex.xy, 0.0, 1.0);
}
