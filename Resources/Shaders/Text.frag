#version 330 core
// The glyph's coverage, kept in the red channel, becomes the alpha of the text colour.
uniform sampler2D glyph; // unit 0
uniform vec3 textColor;

in vec2 uv;

out vec4 fragColor;

void main() {
    fragColor = vec4(textColor, texture(glyph, uv).r);
}
