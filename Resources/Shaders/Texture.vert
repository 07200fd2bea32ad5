#version 330 core
// Lit, textured, instanced level geometry. The light is worked out per vertex: the level is
// finely meshed, and a software rasteriser shades ten times more pixels than it transforms
// vertices.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 3) in vec4 instance0; // the four columns of the placement matrix
layout(location = 4) in vec4 instance1;
layout(location = 5) in vec4 instance2;
layout(location = 6) in vec4 instance3;

struct PointLight {
    vec3 position; // eye space
    vec3 ambColor;
    float constant;
    float linear;
    float quadratic;
};

uniform PointLight light;
uniform mat4 transformation;
uniform mat4 view;
uniform mat4 projection;
uniform vec4 plane; // the water passes keep one side of it

out vec2 uv;
out vec3 diffuseLight;  // multiplies the texture
out vec3 specularLight; // added to it

// The inverse transpose up to a positive factor, which normalize removes: three cross products
// instead of an inverse per vertex. Placements may scale unevenly or mirror.
mat3 normalMatrix(mat3 m) {
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    return dot(m[0], cofactor[0]) < 0.0 ? -cofactor : cofactor;
}

void main() {
    mat4 placement = mat4(instance0, instance1, instance2, instance3);
    vec4 world = placement * (transformation * vec4(position, 1.0));
    gl_ClipDistance[0] = dot(world, plane);
    vec4 eye = view * world;
    uv = texCoord;
    gl_Position = projection * eye;

    vec3 worldNormal = normalMatrix(mat3(placement)) * (normalMatrix(mat3(transformation)) * normal);
    vec3 n = normalize(mat3(view) * worldNormal);
    vec3 toLight = light.position - eye.xyz;
    float squared = max(dot(toLight, toLight), 1e-8);
    float inverse = inversesqrt(squared);
    vec3 l = toLight * inverse;
    // A scene without a light sends all three terms as 0: no light then, rather than 1/0.
    float attenuation = 1.0 / max(light.constant + light.linear * squared * inverse +
                                      light.quadratic * squared, 1e-4);
    float lambert = max(dot(n, l), 0.0);
    vec3 halfway = normalize(l + normalize(-eye.xyz));
    float shine = pow(max(dot(n, halfway), 0.0), 32.0) * 0.2;
    // Faces turned to the sky get a little more of it than those turned to the ground; the
    // view is rigid, so its up column has unit length.
    float sky = 0.28 + 0.1 * dot(n, view[1].xyz);
    diffuseLight = light.ambColor * (sky + lambert * attenuation);
    specularLight = light.ambColor * shine * attenuation;
}
