#version 330 core
// One point light with distance attenuation, plus a little light from the sky so that the
// parts of the level far from the lamp never turn black. Written for a software rasteriser:
// one square root, no pow, the sky direction already of unit length.
struct PointLight {
    vec3 position; // eye space
    vec3 ambColor;
    float constant;
    float linear;
    float quadratic;
};

uniform PointLight light;
uniform sampler2D diffuse;

in vec3 eyePosition;
in vec3 eyeNormal;
in vec2 uv;
flat in vec3 eyeUp; // a column of the rigid view, so of unit length

out vec4 fragColor;

void main() {
    vec4 albedo = texture(diffuse, uv);
    vec3 n = normalize(eyeNormal);
    vec3 toLight = light.position - eyePosition;
    float squared = max(dot(toLight, toLight), 1e-8);
    float inverse = inversesqrt(squared);
    float distance = squared * inverse;
    vec3 l = toLight * inverse;
    // A scene without a light sends all three terms as 0: no light then, rather than 1/0.
    float attenuation =
        1.0 / max(light.constant + light.linear * distance + light.quadratic * squared, 1e-4);

    float lambert = max(dot(n, l), 0.0);
    vec3 toEye = -eyePosition * inversesqrt(max(dot(eyePosition, eyePosition), 1e-8));
    vec3 halfway = l + toEye;
    float facing = max(dot(n, halfway), 0.0);
    // The cosine squared, then four squarings: its 32nd power.
    float cosine = facing * facing / max(dot(halfway, halfway), 1e-8);
    cosine *= cosine;
    cosine *= cosine;
    cosine *= cosine;
    cosine *= cosine;
    float shine = cosine * 0.2;
    // Faces turned to the sky get a little more of it than those turned to the ground.
    float sky = 0.28 + 0.1 * dot(n, eyeUp);

    vec3 lit = light.ambColor * (albedo.rgb * (sky + lambert * attenuation) + shine * attenuation);
    fragColor = vec4(lit, albedo.a);
}
