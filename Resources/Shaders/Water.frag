#version 400 core
// Reflection and refraction looked up where the water lies on screen, rippled by the du/dv map,
// mixed by the angle of view, lit by the sky above and softened where the bottom comes close.
uniform sampler2D reflection; // unit 0, drawn by the mirrored camera
uniform sampler2D refraction; // unit 1
uniform sampler2D dudvMap;    // unit 2
uniform sampler2D normalMap;  // unit 3
uniform sampler2D depthMap;   // unit 4, depth of the refraction pass
uniform float offset;         // wave movement, 0..1
uniform mat4 projection;

in vec4 clipSpace;
in vec2 waveUV;
in vec3 toCamera;

out vec4 fragColor;

const float waveStrength = 0.015;
const float shoreWidth = 3.0; // depth in units over which the shore fades in
const vec3 waterTint = vec3(0.05, 0.22, 0.26);
const vec3 nightSky = vec3(0.09, 0.12, 0.18);
// The lamp stands far below the mesa's pond, so the water takes its light from the sky: a
// low moon behind the laboratory.
const vec3 toMoon = vec3(-0.3162, 0.6325, -0.7071);
const vec3 moonlight = vec3(0.75, 0.8, 0.9);

// Distance from the eye of a depth-buffer value, from the projection in use.
float distanceAt(float depth) {
    return projection[3][2] / (depth * 2.0 - 1.0 + projection[2][2]);
}

void main() {
    vec2 screen = clipSpace.xy / clipSpace.w * 0.5 + 0.5;
    // The mirrored camera looks up the right way round, so its picture is upside down here.
    vec2 reflectUV = vec2(screen.x, 1.0 - screen.y);
    vec2 refractUV = screen;

    // The four nearest texels, not their blend: where the refraction pass drew nothing (depth
    // cleared to 1) lies no water bottom but bank that the clip plane cut away, and the water
    // there is clear, not deep. The target is coarser than the screen, so the shallowest of
    // the four stands for the bottom.
    vec4 bottoms = textureGather(depthMap, refractUV);
    float bottom = min(min(bottoms.x, bottoms.y), min(bottoms.z, bottoms.w));
    float cleared = max(max(bottoms.x, bottoms.y), max(bottoms.z, bottoms.w));
    float depth = distanceAt(bottom) - distanceAt(gl_FragCoord.z);
    float shore = cleared < 1.0 ? clamp(depth / shoreWidth, 0.0, 1.0) : 0.0;

    vec2 ripple = texture(dudvMap, vec2(waveUV.x + offset, waveUV.y)).rg * 0.1;
    ripple = waveUV + vec2(ripple.x, ripple.y + offset);
    vec2 distortion = (texture(dudvMap, ripple).rg * 2.0 - 1.0) * waveStrength * shore;

    reflectUV = clamp(reflectUV + distortion, 0.001, 0.999);
    refractUV = clamp(refractUV + distortion, 0.001, 0.999);
    // Where nothing is mirrored the night sky shows.
    vec3 reflected = max(texture(reflection, reflectUV).rgb, nightSky);
    vec3 refracted = texture(refraction, refractUV).rgb;

    vec3 n = texture(normalMap, ripple).rbg;
    vec3 normal = normalize(vec3(n.x * 2.0 - 1.0, n.y * 3.0, n.z * 2.0 - 1.0));

    vec3 eye = normalize(toCamera);
    // Looking straight down shows the bottom, looking along the surface shows the sky.
    float seeThrough = pow(clamp(dot(eye, vec3(0.0, 1.0, 0.0)), 0.0, 1.0), 0.7);
    vec3 colour = mix(reflected, refracted, seeThrough);
    colour = mix(colour, waterTint, 0.2) + waterTint * 0.3 * max(dot(normal, toMoon), 0.0);

    vec3 bounce = reflect(-toMoon, normal);
    float facing = max(dot(bounce, eye), 0.0);
    float highlight = (pow(facing, 60.0) * 0.8 + pow(facing, 8.0) * 0.08) * shore;
    fragColor = vec4(colour + moonlight * highlight, shore);
}
