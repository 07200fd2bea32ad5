#version 330 core
// One direction of the separable Gaussian in five linear reads: the centre and the two folded
// pairs either side. The blur targets are half the window; the first pass reads the scene's
// half-size level, so every pass reads a picture of its own target's size.
uniform sampler2D sceneTexture;
uniform int vertical;
uniform float width; // of the target drawn into
uniform float height;

in vec2 uv;
flat in vec3 tapWeight;
flat in vec2 tapOffset;

out vec4 fragColor;

void main() {
    vec2 texel = vertical == 1 ? vec2(0.0, 1.0 / height) : vec2(1.0 / width, 0.0);
    vec2 near = texel * tapOffset.x;
    vec2 far = texel * tapOffset.y;
    vec3 sum = texture(sceneTexture, uv).rgb * tapWeight.x +
               (texture(sceneTexture, uv + near).rgb + texture(sceneTexture, uv - near).rgb) *
                   tapWeight.y +
               (texture(sceneTexture, uv + far).rgb + texture(sceneTexture, uv - far).rgb) *
                   tapWeight.z;
    fragColor = vec4(sum, 1.0);
}
