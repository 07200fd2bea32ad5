#pragma once
// The game's physics world: static level geometry, the drug and laboratory triggers and the
// player's capsule, stepped at a fixed rate. Nothing but the player moves, so a collision world
// is all it takes.
#include <map>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

class btCollisionConfiguration;
class btCollisionDispatcher;
class btBroadphaseInterface;
class btCollisionWorld;
class btCollisionObject;
class btCollisionShape;
class btStridingMeshInterface;
struct CCT;
struct PhysXTrigger;
struct Drug;
struct Laboratory;
struct CollisionMesh;

// 1/60 s, bit pattern 0x3C888889.
constexpr float kStepTime = 1.0f / 60.0f;
// Catching up stops here: the world keeps real time down to 7.5 frames a second.
constexpr int kMaxStepsPerCall = 8;
// A frame this short of a whole number of steps pays for them all: 0.05 s is three steps, though
// three single-precision steps add up to a hair more.
constexpr float kStepSlack = 1e-6f;

// Collision groups (the values of Bullet's own filter bits).
constexpr int kLevelGroup = 2;    // level mesh and ground plane
constexpr int kTriggerGroup = 16; // drug spheres and the laboratory box
constexpr int kPlayerGroup = 32;  // the player's sweeps and trigger probe

struct PhysX {
    btCollisionConfiguration* configuration = nullptr;
    btCollisionDispatcher* dispatcher = nullptr;
    btBroadphaseInterface* broadphase = nullptr;
    btCollisionWorld* world = nullptr;
    CCT* player = nullptr;                         // owned, with its camera and controller
    std::map<std::string, PhysXTrigger*> triggers; // trigger name to its reaction
    float accumulator = 0.0f;                      // simulated-time debt, seconds
    bool stepped = false;                          // the first call has been made
    glm::vec3 gravity = glm::vec3(0.0f, -9.8f, 0.0f);

    // Owned here and freed by the destructor, whether still in the world or removed.
    std::vector<btCollisionObject*> objects;
    std::vector<btCollisionShape*> shapes;
    std::vector<btStridingMeshInterface*> meshInterfaces;
    std::vector<CollisionMesh*> meshes; // the triangle data the mesh shapes read
    std::vector<Drug*> drugs;
    Laboratory* laboratory = nullptr;

    // Trigger bookkeeping, reused every step so stepping never allocates.
    std::vector<btCollisionObject*> triggerObjects; // triggers still in the world
    std::vector<btCollisionObject*> touching;       // overlapped at the last step
    std::vector<btCollisionObject*> touchingNow;
    btCollisionShape* probeShape = nullptr; // the player's capsule scaled by 0.8
    btCollisionObject* probe = nullptr;

    PhysX();
    virtual ~PhysX();
    PhysX(const PhysX&) = delete;
    PhysX& operator=(const PhysX&) = delete;

    // Removes the pending actor, then runs the fixed steps of 1/60 s the frame pays for, at
    // most kMaxStepsPerCall; the time beyond them is dropped.
    void step(float& frameTime);
    // How far the time left in the accumulator reaches into the next step, 0 to 1.
    float stepFraction() const;
    // Puts the player's camera where its eye was that far between the last two steps.
    void placeEye();
    // One fixed step: triggers, the player's move and its camera.
    void fixedStep();
    // Tests every trigger against the player and reports each touch found and lost.
    void updateTriggers();
    void removePendingActor();
};

// Builders shared by the factory and the tests. The world owns what they create.
btCollisionObject* addStaticObject(PhysX& physX, btCollisionShape* shape, const glm::vec3& position,
                                   const glm::quat& rotation);
btCollisionObject* addGroundPlane(PhysX& physX);
// A trigger named by the text behind name, which must outlive the object and never move.
btCollisionObject* addTrigger(PhysX& physX, btCollisionShape* shape, const glm::vec3& position,
                              const glm::quat& rotation, const std::string& name);
// The registered name of a trigger object, or null for any other object.
const std::string* triggerName(const btCollisionObject* object);
// Calls the reaction registered under the trigger's name; unknown names are ignored.
void react(PhysX& physX, const btCollisionObject* trigger);
