#version 330 core
// One filtered read: the blur's half-size picture (each texel the average of the 2x2 below it)
// and the stretch of a scaled picture onto the window.
uniform sampler2D source;
uniform vec2 extent;

in vec2 uv;

out vec4 fragColor;

void main() {
    // Nothing beyond the picture's last texel centre is read: the rest of the texture holds
    // what an earlier, larger frame left there.
    vec2 last = extent - 0.5 / vec2(textureSize(source, 0));
    fragColor = vec4(textureLod(source, min(uv, last), 0.0).rgb, 1.0);
}
