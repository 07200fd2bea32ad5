#pragma once
// The collectable drugs and the laboratory table, as placed by the PhysXFactory.
// Their reactions (the game rules) live in gameplay/Reactions.cpp.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "assets/Scene.h"
#include "physics/PhysXTrigger.h"

class btCollisionObject;

struct Drug final : PhysXTrigger {
    btCollisionObject* actor = nullptr; // the trigger, owned by the physics world
    glm::mat4 transform = glm::mat4(1); // placement from the drug model file
    std::string name;                   // "Medicine2", "Sedative5": actor name and registry key
    std::string textureName;            // inventory icon of a Medicine, empty for a Sedative
    bool isMedicine = false;
    int32_t lifeBonus = 0; // life a Sedative restores, 0 to 19
    GlName texture = 0;    // icon texture of a Medicine

    void react() override;
};

struct Laboratory final : PhysXTrigger {
    Model* model = nullptr; // "Mixtable.dae", drawn through Scene::models which releases it
    btCollisionObject* actor = nullptr;
    std::string name; // "Labor"

    void react() override;
};

// The drugs still in play, in placement order, and what the renderer needs to draw them.
struct DrugSet {
    std::vector<glm::mat4> transforms; // one per entry of drugs, same order
    std::vector<Drug*> drugs;          // not owned
    Model* model = nullptr;            // the one shared drug model, owned

    void rebuildTransforms();
    Drug* findInside() const;
    void removeCollected();
};
