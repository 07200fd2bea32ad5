#version 330 core
// One direction of the separable Gaussian in five linear reads: the centre and the two folded
// pairs either side. The blur targets are half the window and hold the scene at half the size
// it was drawn at, so every pass reads a picture of the size it draws.
uniform sampler2D sceneTexture;
uniform int vertical;
uniform float width; // of the picture, in texels
uniform float height;
uniform vec2 extent; // the share of the targets that the picture fills

in vec2 uv;
flat in vec3 tapWeight;
flat in vec2 tapOffset;

out vec4 fragColor;

vec3 read(vec2 at, vec2 last) {
    return textureLod(sceneTexture, min(at, last), 0.0).rgb;
}

void main() {
    vec2 size = extent / vec2(width, height); // of one texel
    // Reads stop at the picture's last texel, as they stop at the texture's edge.
    vec2 last = extent - 0.5 * size;
    vec2 texel = vertical == 1 ? vec2(0.0, size.y) : vec2(size.x, 0.0);
    vec2 near = texel * tapOffset.x;
    vec2 far = texel * tapOffset.y;
    vec3 sum = read(uv, last) * tapWeight.x +
               (read(uv + near, last) + read(uv - near, last)) * tapWeight.y +
               (read(uv + far, last) + read(uv - far, last)) * tapWeight.z;
    fragColor = vec4(sum, 1.0);
}
