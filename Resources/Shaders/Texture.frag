#version 330 core
// One point light with distance attenuation, plus a little light from the sky so that the
// parts of the level far from the lamp never turn black.
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
flat in vec3 eyeUp;

out vec4 fragColor;

void main() {
    vec4 albedo = texture(diffuse, uv);
    vec3 n = normalize(eyeNormal);
    vec3 toLight = light.position - eyePosition;
    float distance = length(toLight);
    vec3 l = toLight / max(distance, 0.0001);
    float attenuation =
        1.0 / (light.constant + light.linear * distance + light.quadratic * distance * distance);

    float lambert = max(dot(n, l), 0.0);
    vec3 toEye = normalize(-eyePosition);
    float shine = pow(max(dot(n, normalize(l + toEye)), 0.0), 32.0) * 0.2;
    // Faces turned to the sky get a little more of it than those turned to the ground.
    float sky = 0.28 + 0.1 * dot(n, normalize(eyeUp));

    vec3 lit = albedo.rgb * light.ambColor * (sky + lambert * attenuation) +
               light.ambColor * shine * attenuation;
    fragColor = vec4(lit, albedo.a);
}
