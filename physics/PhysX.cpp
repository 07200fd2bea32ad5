#include "physics/PhysX.h"

#include <algorithm>

#include <btBulletCollisionCommon.h>

#include "app/Console.h"
#include "app/GameState.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/CollisionMesh.h"
#include "physics/Drugs.h"
#include "physics/PhysXTrigger.h"
#include "gameplay/Camera.h"

namespace {

constexpr float kMinMoveDistance = 0.01f;
// The probe that finds triggers is the capsule shrunk as the kinematic actor of the original
// controller was, so a drug is reached as late as it always was.
constexpr float kProbeScale = 0.8f;

// Any touch with a negative distance means the two overlap.
struct Overlap : btCollisionWorld::ContactResultCallback {
    bool found = false;

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override {
        if (point.getDistance() < 0.0f) {
            found = true;
        }
        return 0.0f;
    }
};

bool contains(const std::vector<btCollisionObject*>& list, const btCollisionObject* object) {
    return std::find(list.begin(), list.end(), object) != list.end();
}

void erase(std::vector<btCollisionObject*>& list, const btCollisionObject* object) {
    list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

btTransform pose(const glm::vec3& position, const glm::quat& rotation) {
    return btTransform(btQuaternion(rotation.x, rotation.y, rotation.z, rotation.w),
                       btVector3(position.x, position.y, position.z));
}

} // namespace

PhysX::PhysX() {
    configuration = new btDefaultCollisionConfiguration();
    dispatcher = new btCollisionDispatcher(configuration);
    broadphase = new btDbvtBroadphase();
    world = new btCollisionWorld(dispatcher, broadphase, configuration);

    const CapsuleDesc capsule;
    probeShape = new btCapsuleShape(capsule.radius * kProbeScale, capsule.height * kProbeScale);
    probe = new btCollisionObject();
    probe->setCollisionShape(probeShape);
}

PhysX::~PhysX() {
    logLabel("PHYSX:");
    if (player != nullptr) {
        delete player->controller;
        delete player->camera;
        delete player;
    }
    for (Drug* drug : drugs) {
        delete drug;
    }
    delete laboratory;
    for (btCollisionObject* object : objects) {
        if (object->getBroadphaseHandle() != nullptr) {
            world->removeCollisionObject(object);
        }
        delete object;
    }
    for (btCollisionShape* shape : shapes) {
        delete shape;
    }
    for (btStridingMeshInterface* mesh : meshInterfaces) {
        delete mesh;
    }
    for (CollisionMesh* mesh : meshes) {
        releaseCollisionMesh(mesh);
    }
    delete probe;
    delete probeShape;
    delete world;
    delete broadphase;
    delete dispatcher;
    delete configuration;
    logOk();
}

void PhysX::step(float& frameTime) {
    removePendingActor();
    // The first frame carries the whole start-up; the world starts from rest instead of racing
    // through it.
    accumulator += stepped ? frameTime : std::min(frameTime, kStepTime);
    stepped = true;
    for (int i = 0; i < kMaxStepsPerCall && accumulator >= kStepTime - kStepSlack; ++i) {
        accumulator -= kStepTime;
        fixedStep();
    }
    // A frame too slow to catch up with lets the rest go rather than owe it to later frames.
    if (accumulator >= kStepTime - kStepSlack) {
        accumulator = 0.0f;
    }
    accumulator = std::max(accumulator, 0.0f); // the slack may overdraw by a hair
}

float PhysX::stepFraction() const {
    return std::clamp(accumulator / kStepTime, 0.0f, 1.0f);
}

void PhysX::placeEye() {
    if (player != nullptr) {
        player->placeCamera(stepFraction());
    }
}

void PhysX::fixedStep() {
    updateTriggers();
    if (player == nullptr) {
        return;
    }
    const glm::vec3 velocity(player->velocity);
    player->controller->move((gravity + velocity) * kStepTime, kMinMoveDistance, kStepTime);
    player->followCamera();
}

void PhysX::updateTriggers() {
    if (player == nullptr) {
        return;
    }
    btTransform probePose;
    probePose.setIdentity();
    const glm::dvec3 centre = player->controller->getPosition();
    probePose.setOrigin(btVector3(static_cast<float>(centre.x), static_cast<float>(centre.y),
                                  static_cast<float>(centre.z)));
    probe->setWorldTransform(probePose);

    touchingNow.clear();
    for (btCollisionObject* trigger : triggerObjects) {
        Overlap overlap;
        world->contactPairTest(probe, trigger, overlap);
        if (overlap.found) {
            touchingNow.push_back(trigger);
        }
    }
    // Every pair reacts, losses first, so a drug entered while another is left keeps its name
    // on screen.
    for (btCollisionObject* trigger : touching) {
        if (!contains(touchingNow, trigger)) {
            react(*this, trigger);
        }
    }
    for (btCollisionObject* trigger : touchingNow) {
        if (!contains(touching, trigger)) {
            react(*this, trigger);
        }
    }
    touching.swap(touchingNow);
}

void PhysX::removePendingActor() {
    GameState& state = gameState();
    btCollisionObject* actor = state.pendingActorRemoval;
    if (actor == nullptr) {
        return;
    }
    state.pendingActorRemoval = nullptr;
    // A trigger taken while the player stands in it reports the loss first, so its inside flag
    // and its name on screen do not outlive it.
    if (contains(touching, actor)) {
        erase(touching, actor);
        react(*this, actor);
    }
    erase(triggerObjects, actor);
    if (actor->getBroadphaseHandle() != nullptr) {
        world->removeCollisionObject(actor);
    }
}

void react(PhysX& physX, const btCollisionObject* trigger) {
    const std::string* name = triggerName(trigger);
    if (name == nullptr) {
        return;
    }
    const auto found = physX.triggers.find(*name);
    if (found != physX.triggers.end()) {
        found->second->react();
    }
}

btCollisionObject* addStaticObject(PhysX& physX, btCollisionShape* shape, const glm::vec3& position,
                                   const glm::quat& rotation) {
    physX.shapes.push_back(shape);
    auto* object = new btCollisionObject();
    object->setCollisionShape(shape);
    object->setWorldTransform(pose(position, rotation));
    object->setCollisionFlags(object->getCollisionFlags() | btCollisionObject::CF_STATIC_OBJECT);
    physX.objects.push_back(object);
    physX.world->addCollisionObject(object, kLevelGroup, btBroadphaseProxy::AllFilter);
    return object;
}

btCollisionObject* addGroundPlane(PhysX& physX) {
    return addStaticObject(physX, new btStaticPlaneShape(btVector3(0.0f, 1.0f, 0.0f), 0.0f),
                           glm::vec3(0.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
}

btCollisionObject* addTrigger(PhysX& physX, btCollisionShape* shape, const glm::vec3& position,
                              const glm::quat& rotation, const std::string& name) {
    physX.shapes.push_back(shape);
    auto* object = new btCollisionObject();
    object->setCollisionShape(shape);
    object->setWorldTransform(pose(position, rotation));
    object->setCollisionFlags(object->getCollisionFlags() | btCollisionObject::CF_STATIC_OBJECT |
                              btCollisionObject::CF_NO_CONTACT_RESPONSE);
    object->setUserPointer(const_cast<std::string*>(&name));
    physX.objects.push_back(object);
    physX.triggerObjects.push_back(object);
    // Room for every trigger at once, so the step never grows these lists.
    physX.touching.reserve(physX.triggerObjects.size());
    physX.touchingNow.reserve(physX.triggerObjects.size());
    physX.world->addCollisionObject(object, kTriggerGroup, kPlayerGroup);
    return object;
}

const std::string* triggerName(const btCollisionObject* object) {
    if (object == nullptr || object->hasContactResponse()) {
        return nullptr;
    }
    return static_cast<const std::string*>(object->getUserPointer());
}
