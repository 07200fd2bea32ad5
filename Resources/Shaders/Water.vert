#version 330 core
// The water plane, placed by its one instance matrix.
layout(location = 0) in vec3 position;
layout(location = 3) in vec4 instance0;
layout(location = 4) in vec4 instance1;
layout(location = 5) in vec4 instance2;
layout(location = 6) in vec4 instance3;

uniform mat4 view;
uniform mat4 projection;
uniform vec3 cameraPos; // world space

out vec4 clipSpace;
out vec2 waveUV;
out vec3 toCamera;

const float tiling = 0.04; // one du/dv tile every 25 units, whatever the mesh's own mapping

void main() {
    vec4 world = mat4(instance0, instance1, instance2, instance3) * vec4(position, 1.0);
    clipSpace = projection * view * world;
    waveUV = world.xz * tiling;
    toCamera = cameraPos - world.xyz;
    gl_Position = clipSpace;
}
