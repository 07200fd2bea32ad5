#version 330 core
// One direction of the separable Gaussian: the centre and two folded pairs, five reads.
uniform sampler2D sceneTexture;
uniform int vertical;
uniform float offset[3];   // in texels
uniform float gaussian[3]; // weights of the same taps
uniform float width;
uniform float height;

in vec2 uv;

out vec4 fragColor;

void main() {
    // The taps spread with the window, so the blur covers the same share of any screen.
    float spread = max(1.0, height / 480.0);
    vec2 texel = spread * (vertical == 1 ? vec2(0.0, 1.0 / height) : vec2(1.0 / width, 0.0));
    vec3 sum = texture(sceneTexture, uv).rgb * gaussian[0];
    float total = gaussian[0];
    for (int i = 1; i < 3; ++i) {
        vec2 step = texel * offset[i];
        sum += (texture(sceneTexture, uv + step).rgb + texture(sceneTexture, uv - step).rgb) *
               gaussian[i];
        total += 2.0 * gaussian[i];
    }
    // The nine taps cut the wider curves short; dividing by their sum keeps the brightness.
    fragColor = vec4(sum / max(total, 0.0001), 1.0);
}
