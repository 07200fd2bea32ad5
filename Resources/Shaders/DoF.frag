#version 330 core
// Sharp near, blurred far; and as life drains the blur swallows everything and the edges of
// the view close in. All three targets have the window's size, so each is read whole at this
// pixel.
uniform sampler2D originalTexture;
uniform sampler2D depthTexture;
uniform sampler2D blurTexture;
uniform int actualLife;
uniform int totalLife;

in vec2 uv;

out vec4 fragColor;

const float nearPlane = 0.1; // the planes every camera of the game is built with
const float farPlane = 100.0;

void main() {
    ivec2 at = ivec2(gl_FragCoord.xy);
    vec3 sharp = texelFetch(originalTexture, at, 0).rgb;
    vec3 blurred = texelFetch(blurTexture, at, 0).rgb;
    float depth = texelFetch(depthTexture, at, 0).r;

    float lifeLeft = totalLife > 0 ? clamp(float(actualLife) / float(totalLife), 0.0, 1.0) : 0.0;
    float drained = 1.0 - lifeLeft;
    // Distance from the eye of the depth value; where nothing was drawn (depth 1) lies only the
    // empty sky and what overlays it, the inventory slots: those stay sharp.
    float distance = 2.0 * nearPlane * farPlane /
                     (farPlane + nearPlane - (depth * 2.0 - 1.0) * (farPlane - nearPlane));
    float far = depth < 1.0 ? smoothstep(30.0, 95.0, distance) * 0.6 : 0.0;
    float amount = clamp(far + drained * 1.25, 0.0, 1.0);
    vec3 colour = mix(sharp, blurred, amount);

    float edge = smoothstep(0.25, 0.75, length(uv - vec2(0.5)));
    colour *= 1.0 - edge * drained * 0.85;
    fragColor = vec4(colour, 1.0);
}
