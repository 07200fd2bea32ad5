#include "physics/PhysXFactory.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include <btBulletCollisionCommon.h>

#include "app/Console.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "gameplay/Camera.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/CollisionMesh.h"
#include "physics/Drugs.h"
#include "physics/PhysX.h"

namespace {

constexpr int kMedicineCount = 3;
constexpr int kLifeBonusRange = 20;
constexpr float kDrugRadius = 1.0f;
constexpr float kEyeHeight = 5.0f;
const char* const kMedicineIcons[kMedicineCount] = {"shot2.png", "pills.png", "bottle.png"};

} // namespace

PhysXFactory::PhysXFactory(PhysX& thePhysX, int32_t theWidth, int32_t theHeight)
    : physX(&thePhysX), world(thePhysX.world), width(theWidth), height(theHeight) {
    srand(static_cast<unsigned>(time(nullptr)));
}

void PhysXFactory::build(PhysX& target, Scene& scene) {
    cookLevel("../Resources/Meshes/", "collision.obj");
    addGroundPlane(target);

    DrugSet* drugSet = createDrugs("drugs3.dae");
    const TextureTable& textures = gameState().textureTable;
    for (Drug* drug : drugSet->drugs) {
        target.triggers[drug->name] = drug;
        if (drug->isMedicine) {
            const auto found = textures.find(drug->textureName);
            drug->texture = found == textures.end() ? 0 : found->second;
        }
    }
    scene.drugs = drugSet;

    Laboratory* laboratory = createLaboratory("Mixtable.dae");
    target.triggers[laboratory->name] = laboratory;
    scene.models.push_back(laboratory->model);

    CCT* player = createPlayer(target);
    target.player = player;
    scene.player = player;
}

void PhysXFactory::cookLevel(const std::string& folder, const std::string& fileName) {
    cookCollisionMesh(*physX, loadCollisionMesh(folder, fileName));
}

DrugSet* PhysXFactory::createDrugs(const std::string& fileName) {
    Model* model = loadModel(fileName);
    const std::vector<glm::mat4> placements = model->instances;
    const int count = static_cast<int>(placements.size());
    // Three Medicines must find a place each, or the draw below would never end.
    if (count < kMedicineCount) {
        releaseModel(model);
        fatalError("NOT ENOUGH DRUG PLACEMENTS IN " + fileName);
    }
    auto* drugSet = new DrugSet();
    drugSet->model = model;

    const std::vector<int> chosen = pickDistinct(count, kMedicineCount);
    int medicine = kMedicineCount - 1; // numbered and given icons counting down
    for (int i = 0; i < count; ++i) {
        auto* drug = new Drug();
        physX->drugs.push_back(drug);
        if (std::find(chosen.begin(), chosen.end(), i) != chosen.end()) {
            drug->name = "Medicine" + std::to_string(medicine);
            drug->isMedicine = true;
            drug->textureName = kMedicineIcons[medicine];
            --medicine;
        } else {
            drug->name = "Sedative" + std::to_string(i);
            drug->lifeBonus = rand() % kLifeBonusRange;
        }
        drug->transform = placements[i];
        // The sphere keeps its radius whatever the placement's scale.
        const Decomposition pose = decomposeTransform(placements[i]);
        drug->actor = addTrigger(*physX, new btSphereShape(kDrugRadius), pose.translation,
                                 pose.rotation, drug->name);
        drugSet->drugs.push_back(drug);
    }
    drugSet->rebuildTransforms();
    return drugSet;
}

Laboratory* PhysXFactory::createLaboratory(const std::string& fileName) {
    // The loader refuses a file without a placement, so the first one is always there.
    Model* model = loadModel(fileName);
    auto* laboratory = new Laboratory();
    physX->laboratory = laboratory;
    laboratory->model = model;
    laboratory->name = "Labor";
    const Decomposition pose = decomposeTransform(model->instances.front());
    // A mirroring placement decomposes into negative scales; the box is as large either way.
    const glm::vec3 half = glm::abs(pose.scale);
    laboratory->actor = addTrigger(*physX, new btBoxShape(btVector3(half.x, half.y, half.z)),
                                   pose.translation, pose.rotation, laboratory->name);
    return laboratory;
}

CCT* PhysXFactory::createPlayer(PhysX& target) {
    auto* player = new CCT();
    target.player = player;
    player->controller = new CharacterController(target.world, CapsuleDesc());
    player->look = makeMouseLook(width, height);

    player->camera = new Camera();
    const glm::vec3 foot(player->controller->getFootPosition());
    player->eye = glm::vec3(foot.x, foot.y + kEyeHeight, foot.z);
    player->previousEye = player->eye;
    player->camera->setView(player->eye, glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const float nearPlane = 0.1f;
    const float farPlane = 100.0f;
    const float fieldOfView = 45.0f;
    player->camera->setProjection(aspect, nearPlane, farPlane, fieldOfView);
    return player;
}

std::vector<int> pickDistinct(int bound, int count) {
    std::vector<int> picked;
    while (static_cast<int>(picked.size()) < count) {
        const int r = rand() % bound;
        if (std::find(picked.begin(), picked.end(), r) == picked.end()) {
            picked.push_back(r);
        }
    }
    return picked;
}

Decomposition decomposeTransform(const glm::mat4& matrix) {
    Decomposition result;
    // Exactly-zero and near-singular matrices are refused with glm's own tolerance.
    const float epsilon = std::numeric_limits<float>::epsilon();
    if (std::fabs(matrix[3][3]) < epsilon) {
        return result;
    }
    const glm::mat4 local = matrix / matrix[3][3];
    glm::vec3 column[3] = {glm::vec3(local[0]), glm::vec3(local[1]), glm::vec3(local[2])};
    if (std::fabs(glm::determinant(glm::mat3(column[0], column[1], column[2]))) < epsilon) {
        return result;
    }
    result.translation = glm::vec3(local[3]);

    // Gram-Schmidt in column order.
    glm::vec3 scale;
    scale.x = glm::length(column[0]);
    column[0] /= scale.x;
    column[1] -= column[0] * glm::dot(column[0], column[1]);
    scale.y = glm::length(column[1]);
    column[1] /= scale.y;
    column[2] -= column[0] * glm::dot(column[0], column[2]);
    column[2] -= column[1] * glm::dot(column[1], column[2]);
    scale.z = glm::length(column[2]);
    column[2] /= scale.z;
    // A mirroring placement comes out as negative scales and a proper rotation.
    if (glm::dot(column[0], glm::cross(column[1], column[2])) < 0.0f) {
        scale = -scale;
        for (glm::vec3& c : column) {
            c = -c;
        }
    }
    result.scale = scale;
    result.rotation = glm::quat_cast(glm::mat3(column[0], column[1], column[2]));
    return result;
}
