#pragma once
// The player's capsule: a kinematic collide-and-slide mover on the world's sweep tests.
// It walks up steps no higher than the step offset and slopes no steeper than the slope limit,
// slides along walls and keeps the contact offset between itself and everything it touches.
#include <glm/glm.hpp>

class btCollisionWorld;
class btCapsuleShape;
class btCollisionObject;

struct CapsuleDesc {
    glm::dvec3 position = glm::dvec3(0.0, 5.0, 0.0); // capsule centre
    float radius = 0.5f;
    float height = 5.0f; // between the two hemisphere centres
    float contactOffset = 0.05f;
    float stepOffset = 0.25f;
    float slopeLimit = 0.70710677f; // cosine of the steepest walkable slope
};

// What one sweep met.
struct SweepHit {
    bool hit = false;
    float distance = 0.0f;                     // along the sweep, to the touch
    glm::vec3 normal = glm::vec3(0.0f);        // the touched face's normal, towards the capsule
    glm::vec3 contactNormal = glm::vec3(0.0f); // the touch's own normal, against the motion
    glm::vec3 point = glm::vec3(0.0f);         // where it touched
    const btCollisionObject* object = nullptr;
};

class CharacterController {
  public:
    btCollisionWorld* world = nullptr; // not owned
    btCapsuleShape* shape = nullptr;   // owned, swept for every pass
    btCollisionObject* body = nullptr; // owned, outside the world: the depenetration probe
    CapsuleDesc desc;
    glm::vec3 centre = glm::vec3(0.0f);
    // What the last move landed on; steps are measured from it, not from the capsule's bottom.
    bool grounded = false;
    SweepHit ground;

    CharacterController(btCollisionWorld* world, const CapsuleDesc& desc);
    ~CharacterController();
    CharacterController(const CharacterController&) = delete;
    CharacterController& operator=(const CharacterController&) = delete;

    // Moves by displacement: an up pass of the step offset when walking, a side pass of up to
    // ten slides, a down pass, then out of any penetration.
    void move(const glm::vec3& displacement, float minDistance, float elapsedTime);

    glm::dvec3 getPosition() const;     // capsule centre
    glm::dvec3 getFootPosition() const; // contact offset + radius + height / 2 below the centre
    void setPosition(const glm::dvec3& position);
    void setFootPosition(const glm::dvec3& position);
    double footOffset() const;

    // The closest hit of the capsule swept from a centre along motion.
    SweepHit sweep(const glm::vec3& from, const glm::vec3& motion) const;
    // Moves along motion, stopping the contact offset short of a touch.
    void advance(const glm::vec3& motion, SweepHit* hit);
    // The side pass: up to ten slides, each keeping the tangential part of the rest.
    void slide(const glm::vec3& motion, float minDistance);
    // How high a touched point stands above the ground just beside it, on the side given (a
    // horizontal direction); a drop deeper than the step offset counts as a wall.
    float heightAboveGround(const glm::vec3& point, const glm::vec3& side) const;
    // How high a landing stands above the ground the move started from, that ground's slope
    // carried on to where it landed; footRise when the move started from no ground.
    float landingStep(const SweepHit& landing, const glm::vec3& start, float footRise) const;
    // Pushes the capsule out of any penetration of the level.
    void pushOut();
};
