#version 330 core
// One direction of the separable Gaussian in five reads: the centre texel and the two on either
// side, each read whole. Reads further out would skip texels and draw stripes, and reads
// between texels cost four fetches each on a software rasteriser; so the folded pairs are
// unfolded into the curve's weights at one and two texels, and the outer tail is left out.
uniform sampler2D sceneTexture;
uniform int vertical;
uniform float offset[3];   // of the folded pairs, in texels
uniform float gaussian[3]; // their weights

out vec4 fragColor;

void main() {
    ivec2 at = ivec2(gl_FragCoord.xy);
    ivec2 step = vertical == 1 ? ivec2(0, 1) : ivec2(1, 0);
    ivec2 last = textureSize(sceneTexture, 0) - 1;
    // The pair at offset o between one and two texels holds (2 - o) of its weight at one texel
    // and (o - 1) at two.
    float one = (2.0 - offset[1]) * gaussian[1];
    float two = (offset[1] - 1.0) * gaussian[1];
    vec3 sum = texelFetch(sceneTexture, at, 0).rgb * gaussian[0] +
               (texelFetch(sceneTexture, min(at + step, last), 0).rgb +
                texelFetch(sceneTexture, max(at - step, ivec2(0)), 0).rgb) * one +
               (texelFetch(sceneTexture, min(at + 2 * step, last), 0).rgb +
                texelFetch(sceneTexture, max(at - 2 * step, ivec2(0)), 0).rgb) * two;
    fragColor = vec4(sum / max(gaussian[0] + 2.0 * (one + two), 0.0001), 1.0);
}
