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

// The inverse transpose up to a positive factor, which the fragment's normalize removes: three
// cross products instead of an inverse per vertex. Placements may scale unevenly or mirror.
mat3 normalMatrix(mat3 m) {
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    return dot(m[0], cofactor[0]) < 0.0 ? -cofactor : cofactor;
}

void main() {
    mat4 placement = mat4(instance0, instance1, instance2, instance3);
    vec4 world = placement * (transformation * vec4(position, 1.0));
    gl_ClipDistance[0] = dot(world, plane);
    vec4 eye = view * world;
    eyePosition = eye.xyz;
    vec3 worldNormal = normalMatrix(mat3(placement)) * (normalMatrix(mat3(transformation)) * normal);
    eyeNormal = mat3(view) * worldNormal;
    eyeUp = view[1].xyz;
    uv = texCoord;
    gl_Position = projection * eye;
}
