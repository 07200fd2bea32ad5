#version 330 core
// Sharp near, blurred far; and as life drains the blur swallows everything and the edges of
// the view close in.
uniform sampler2D originalTexture;
uniform sampler2D depthTexture;
uniform sampler2D blurTexture;
uniform int actualLife;
uniform int totalLife;
uniform vec2 blurExtent;

in vec2 screen;
in vec2 uv;
in vec2 blurUv;

out vec4 fragColor;

const float nearPlane = 0.1; // the planes every camera of the game is built with
const float farPlane = 100.0;

float distanceAt(float depth) {
    float ndc = depth * 2.0 - 1.0;
    return 2.0 * nearPlane * farPlane / (farPlane + nearPlane - ndc * (farPlane - nearPlane));
}

void main() {
    vec3 sharp = texture(originalTexture, uv).rgb;
    // Not beyond the blurred picture's last texel: the rest of its target is stale.
    vec2 blurLast = blurExtent - 0.5 / vec2(textureSize(blurTexture, 0));
    vec3 blurred = textureLod(blurTexture, min(blurUv, blurLast), 0.0).rgb;
    float depth = texture(depthTexture, uv).r;

    float lifeLeft = totalLife > 0 ? clamp(float(actualLife) / float(totalLife), 0.0, 1.0) : 0.0;
    float drained = 1.0 - lifeLeft;
    // Where nothing was drawn (depth 1) lies only the empty sky and what overlays it, the
    // inventory slots: those stay sharp.
    float far = depth < 1.0 ? smoothstep(30.0, 95.0, distanceAt(depth)) * 0.6 : 0.0;
    float amount = clamp(far + drained * 1.25, 0.0, 1.0);
    vec3 colour = mix(sharp, blurred, amount);

    float edge = smoothstep(0.25, 0.75, length(screen - vec2(0.5)));
    colour *= 1.0 - edge * drained * 0.85;
    fragColor = vec4(colour, 1.0);
}
