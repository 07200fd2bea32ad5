#version 330 core
// The texture under the light its vertices worked out.
uniform sampler2D diffuse;

in vec2 uv;
in vec3 diffuseLight;
in vec3 specularLight;

out vec4 fragColor;

void main() {
    vec4 albedo = texture(diffuse, uv);
    fragColor = vec4(albedo.rgb * diffuseLight + specularLight, albedo.a);
}
