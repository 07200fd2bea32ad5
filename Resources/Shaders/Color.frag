#version 330 core
// The slot's picture; faded while transparency is on, so the slots do not shout over the level.
uniform sampler2D picture; // unit 0
uniform int transparency;

in vec2 uv;

out vec4 fragColor;

void main() {
    vec4 colour = texture(picture, uv);
    if (transparency == 1) {
        colour.rgb = mix(colour.rgb, vec3(dot(colour.rgb, vec3(0.299, 0.587, 0.114))), 0.3) * 0.7;
        colour.a *= 0.7;
    }
    fragColor = colour;
}
