#version 330 core
// Lit, textured, instanced level geometry.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 3) in vec4 instance0; // the four columns of the placement matrix
layout(location = 4) in vec4 instance1;
layout(location = 5) in vec4 instance2;
layout(location = 6) in vec4 instance3;

uniform mat4 transformation;
uniform mat4 view;
uniform mat4 projection;
uniform vec4 plane; // the water passes keep one side of it

out vec3 eyePosition;
out vec3 eyeNormal;
out vec2 uv;
flat out vec3 eyeUp;

void main() {
    mat4 model = mat4(instance0, instance1, instance2, instance3) * transformation;
    vec4 world = model * vec4(position, 1.0);
    gl_ClipDistance[0] = dot(world, plane);
    mat4 modelView = view * model;
    vec4 eye = view * world;
    eyePosition = eye.xyz;
    // Placements may scale unevenly.
    eyeNormal = transpose(inverse(mat3(modelView))) * normal;
    eyeUp = mat3(view) * vec3(0.0, 1.0, 0.0);
    uv = texCoord;
    gl_Position = projection * eye;
}
