#version 330 core
// One direction of the separable Gaussian in five reads: the centre texel and the two on either
// side, each read whole (the targets sample the nearest texel, and the reads land on texel
// centres). Reads further out would skip texels and draw stripes, and reads between texels
// cost four fetches each on a software rasteriser; so the folded pairs are unfolded into the
// curve's weights at one and two texels, and the outer tail is left out.
uniform sampler2D sceneTexture;
uniform int vertical;
uniform float offset[3];   // of the folded pairs, in texels
uniform float gaussian[3]; // their weights
uniform float width;
uniform float height;

in vec2 uv;

out vec4 fragColor;

void main() {
    vec2 step = vertical == 1 ? vec2(0.0, 1.0 / height) : vec2(1.0 / width, 0.0);
    // The pair at offset o between one and two texels holds (2 - o) of its weight at one texel
    // and (o - 1) at two.
    float one = (2.0 - offset[1]) * gaussian[1];
    float two = (offset[1] - 1.0) * gaussian[1];
    vec3 sum = texture(sceneTexture, uv).rgb * gaussian[0] +
               (texture(sceneTexture, uv + step).rgb + texture(sceneTexture, uv - step).rgb) * one +
               (texture(sceneTexture, uv + 2.0 * step).rgb +
                texture(sceneTexture, uv - 2.0 * step).rgb) * two;
    fragColor = vec4(sum / max(gaussian[0] + 2.0 * (one + two), 0.0001), 1.0);
}
