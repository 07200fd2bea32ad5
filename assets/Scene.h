#pragma once
// The records of everything that is drawn, and the Scene that holds them.
// Plain data with public fields; GL names are kept as plain integers so that gameplay code
// can read these records without including GL headers.
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

struct FreeCamera;
struct CCT;
struct DrugSet;

using GlName = uint32_t;

struct MeshBuffers {
    GlName vertexArray = 0;    // records the attribute layout and the index buffer
    GlName positionBuffer = 0; // attribute 0, 3 floats
    GlName normalBuffer = 0;   // attribute 1, 3 floats
    GlName texCoordBuffer = 0; // attribute 2, 2 floats
    GlName indexBuffer = 0;    // 32-bit indices, 3 per triangle
    GlName instanceBuffer = 0; // one matrix per drawn instance, attributes 3 to 6
    uint32_t indexCount = 0;
    std::vector<glm::mat4> uploadedInstances; // what instanceBuffer holds now
};

struct Mesh {
    MeshBuffers* buffers = nullptr; // owned
    GlName texture = 0;             // diffuse texture from the TextureTable, or 0
};

// The eight corners of the mesh's axis-aligned box, in model space, w = 1.
// Order: (min x, max y, max z), (max x, max y, max z), (min x, min y, max z), (max x, min y, max
// z),
//        (min x, max y, min z), (max x, max y, min z), (min x, min y, min z), (max x, min y, min
//        z).
struct BoundingBox {
    glm::vec4 corners[8];
};

// One imported model file: one mesh drawn once per placement.
struct Model {
    Mesh* mesh = nullptr;               // owned
    glm::mat4 transform = glm::mat4(1); // model matrix, animated for the special models
    BoundingBox* bounds = nullptr;      // owned
    std::vector<glm::mat4> instances;   // root transformation x child transformation, per child
    bool visible = true;
};

struct ScreenQuad {
    GlName vertexArray =
        0; // attribute 0: 2 floats position, attribute 1: 2 floats texture coordinate
    GlName positionBuffer = 0;
    GlName texCoordBuffer = 0;
    GlName indexBuffer = 0; // six indices, two triangles
    GlName texture = 0;     // what the quad shows
};

struct Light {
    glm::vec3 position = glm::vec3(0); // world space
    float constant = 0.0f;
    float linear = 0.0f;
    float quadratic = 0.0f;
    glm::vec3 ambColor = glm::vec3(0);
};

struct AnimatedModel {
    Model* model = nullptr;    // shared with Scene::models, not owned
    float angle = 0.0f;        // radians
    float angularSpeed = 0.0f; // degrees per second
    float orbitRadius = 0.0f;
    bool orbits = false; // circles the player rather than tilting
};

struct Scene {
    std::vector<Model*> models; // the mesh list's models, the three special models, the table
    std::vector<Light*> lights; // the renderer uses the first
    FreeCamera* freeCamera = nullptr;
    CCT* player = nullptr;            // owned by the physics side
    DrugSet* drugs = nullptr;         // owned; its Drug records belong to the physics side
    ScreenQuad* screenQuad = nullptr; // full screen, for post-processing
    Model* water = nullptr;           // drawn by the water pass only
    std::vector<AnimatedModel*> animatedModels; // test.dae, npcHead.dae, rotfaces.dae
};

// Releases everything the Scene owns (GL objects included) and leaves it empty.
void releaseScene(Scene& scene);
