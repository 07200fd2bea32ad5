#version 330 core
// The full-screen quad of the blur passes. The curve comes as a 9-tap Gaussian over a picture
// 480 lines high, folded into three taps; the picture blurred has its own number of lines, so
// the curve is unfolded, laid over its texels and folded again for linear reads that
// skip no texel. Done once per corner here, not once per pixel.
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;

uniform float offset[3];   // of the folded pairs, in texels of a 480-line picture
uniform float gaussian[3]; // their weights
uniform float height;      // of the picture drawn, in texels
uniform vec2 extent;       // the share of the targets that the picture fills

out vec2 uv;
flat out vec3 tapWeight;  // centre and the two pairs, summing to one
flat out vec2 tapOffset;  // of the two pairs, in the target's texels

void main() {
    uv = texCoord * extent;
    gl_Position = vec4(position, 0.0, 1.0);

    float curve[6];
    curve[0] = gaussian[0];
    curve[1] = gaussian[1] * (2.0 - offset[1]);
    curve[2] = gaussian[1] * (offset[1] - 1.0);
    curve[3] = gaussian[2] * (4.0 - offset[2]);
    curve[4] = gaussian[2] * (offset[2] - 3.0);
    curve[5] = 0.0;
    float taps[5];
    for (int d = 0; d < 5; ++d) {
        float at = min(float(d) * 480.0 / height, 5.0);
        int below = min(int(at), 4);
        taps[d] = mix(curve[below], curve[below + 1], at - float(below));
    }
    vec2 pairs = vec2(taps[1] + taps[2], taps[3] + taps[4]);
    tapOffset = vec2(pairs.x > 0.0 ? (taps[1] + 2.0 * taps[2]) / pairs.x : 1.0,
                     pairs.y > 0.0 ? (3.0 * taps[3] + 4.0 * taps[4]) / pairs.y : 3.0);
    tapWeight = vec3(taps[0], pairs) / max(taps[0] + 2.0 * (pairs.x + pairs.y), 0.0001);
}
