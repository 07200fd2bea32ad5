#version 330 core
// One direction of the separable Gaussian: the centre and two folded pairs, five reads. The
// source is sampled linearly, so a read between two texels weighs both as the folded pair
// needs; spreading the taps wider would skip texels and draw stripes.
uniform sampler2D sceneTexture;
uniform int vertical;
uniform float offset[3];   // in texels
uniform float gaussian[3]; // weights of the same taps
uniform float width;
uniform float height;

in vec2 uv;

out vec4 fragColor;

void main() {
    vec2 texel = vertical == 1 ? vec2(0.0, 1.0 / height) : vec2(1.0 / width, 0.0);
    vec2 near = texel * offset[1];
    vec2 far = texel * offset[2];
    vec3 sum = texture(sceneTexture, uv).rgb * gaussian[0] +
               (texture(sceneTexture, uv + near).rgb + texture(sceneTexture, uv - near).rgb) *
                   gaussian[1] +
               (texture(sceneTexture, uv + far).rgb + texture(sceneTexture, uv - far).rgb) *
                   gaussian[2];
    // The nine taps cut the wider curves short; dividing by their sum keeps the brightness.
    float total = gaussian[0] + 2.0 * (gaussian[1] + gaussian[2]);
    fragColor = vec4(sum / max(total, 0.0001), 1.0);
}
