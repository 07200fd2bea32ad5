#include "physics/CharacterController.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include <btBulletCollisionCommon.h>

#include "physics/PhysX.h"

namespace {

constexpr int kSideSlides = 10;
constexpr int kPushOutPasses = 4;
// Sweeps report a touch up to a millimetre early, so heights are compared with this slack.
constexpr float kHeightTolerance = 0.002f;
// A touch whose normal is this close to the triangle's face lies on the face, not on an edge.
constexpr float kOnFace = 0.99f;
constexpr float kTiny = 1e-6f;
// The ground beside a touched point is probed this far to the capsule's side of it, from this
// much above it.
constexpr float kBeside = 0.001f;
constexpr float kGroundProbeSlack = 0.01f;

btVector3 toBullet(const glm::vec3& v) {
    return btVector3(v.x, v.y, v.z);
}

glm::vec3 toGlm(const btVector3& v) {
    return glm::vec3(v.x(), v.y(), v.z());
}

// The normal of the touched triangle as the mesh stores it, or of the plane; null vector when the
// shape has no face to speak of.
glm::vec3 surfaceNormal(const btCollisionObject* object,
                        const btCollisionWorld::LocalShapeInfo* info) {
    const btCollisionShape* shape = object->getCollisionShape();
    const btMatrix3x3& basis = object->getWorldTransform().getBasis();
    if (shape->getShapeType() == STATIC_PLANE_PROXYTYPE) {
        return toGlm(basis * static_cast<const btStaticPlaneShape*>(shape)->getPlaneNormal());
    }
    if (shape->getShapeType() != TRIANGLE_MESH_SHAPE_PROXYTYPE || info == nullptr) {
        return glm::vec3(0.0f);
    }
    const btStridingMeshInterface* mesh =
        static_cast<const btBvhTriangleMeshShape*>(shape)->getMeshInterface();
    const unsigned char* vertexBase = nullptr;
    const unsigned char* indexBase = nullptr;
    int vertexCount = 0;
    int vertexStride = 0;
    int indexStride = 0;
    int faceCount = 0;
    PHY_ScalarType vertexType = PHY_FLOAT;
    PHY_ScalarType indexType = PHY_INTEGER;
    mesh->getLockedReadOnlyVertexIndexBase(&vertexBase, vertexCount, vertexType, vertexStride,
                                           &indexBase, indexStride, faceCount, indexType,
                                           info->m_shapePart);
    // Every mesh of the world is cooked from float vertices and 32-bit indices.
    assert(vertexType == PHY_FLOAT && indexType == PHY_INTEGER);
    assert(info->m_triangleIndex >= 0 && info->m_triangleIndex < faceCount);
    const auto* triangle =
        reinterpret_cast<const uint32_t*>(indexBase + info->m_triangleIndex * indexStride);
    glm::vec3 corner[3];
    for (int i = 0; i < 3; ++i) {
        const auto* v = reinterpret_cast<const float*>(vertexBase + triangle[i] * vertexStride);
        corner[i] = glm::vec3(v[0], v[1], v[2]);
    }
    mesh->unLockReadOnlyVertexBase(info->m_shapePart);
    const glm::vec3 normal = glm::cross(corner[1] - corner[0], corner[2] - corner[0]);
    const float length = glm::length(normal);
    if (length < kTiny) {
        return glm::vec3(0.0f);
    }
    return toGlm(basis * toBullet(normal / length));
}

// The closest touch of a sweep against the level; triggers and anything else without contact
// response are passed through.
struct ClosestSweep : btCollisionWorld::ConvexResultCallback {
    glm::vec3 motion = glm::vec3(0.0f);
    SweepHit result;

    ClosestSweep() {
        m_collisionFilterGroup = kPlayerGroup;
        m_collisionFilterMask = kLevelGroup;
    }

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        if (!ConvexResultCallback::needsCollision(proxy)) {
            return false;
        }
        return static_cast<const btCollisionObject*>(proxy->m_clientObject)->hasContactResponse();
    }

    btScalar addSingleResult(btCollisionWorld::LocalConvexResult& hit,
                             bool normalInWorldSpace) override {
        m_closestHitFraction = hit.m_hitFraction;
        const btCollisionObject* object = hit.m_hitCollisionObject;
        glm::vec3 contact = toGlm(normalInWorldSpace ? hit.m_hitNormalLocal
                                                     : object->getWorldTransform().getBasis() *
                                                           hit.m_hitNormalLocal);
        // The contact normal faces the capsule, against the motion.
        if (glm::dot(contact, motion) > 0.0f) {
            contact = -contact;
        }
        glm::vec3 face = surfaceNormal(object, hit.m_localShapeInfo);
        if (glm::dot(face, face) < kTiny) {
            face = contact;
        } else if (glm::dot(face, contact) < 0.0f) {
            face = -face; // triangles collide on both sides
        }
        result.hit = true;
        result.distance = hit.m_hitFraction * glm::length(motion);
        result.normal = face;
        result.contactNormal = contact;
        result.point = toGlm(hit.m_hitPointLocal);
        result.object = object;
        return hit.m_hitFraction;
    }
};

// Finds the deepest penetration of the capsule into the level.
struct DeepestContact : btCollisionWorld::ContactResultCallback {
    const btCollisionObject* self = nullptr;
    float depth = 0.0f;
    glm::vec3 push = glm::vec3(0.0f); // unit direction out of the deepest contact

    DeepestContact() {
        m_collisionFilterGroup = kPlayerGroup;
        m_collisionFilterMask = kLevelGroup;
    }

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        if (!ContactResultCallback::needsCollision(proxy)) {
            return false;
        }
        return static_cast<const btCollisionObject*>(proxy->m_clientObject)->hasContactResponse();
    }

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* first, int,
                             int, const btCollisionObjectWrapper*, int, int) override {
        const float distance = point.getDistance();
        if (distance >= 0.0f || -distance <= depth) {
            return 0.0f;
        }
        depth = -distance;
        // The normal points from the second object towards the first.
        const float towardsSelf = first->getCollisionObject() == self ? 1.0f : -1.0f;
        push = towardsSelf * toGlm(point.m_normalWorldOnB);
        return 0.0f;
    }
};

} // namespace

CharacterController::CharacterController(btCollisionWorld* theWorld, const CapsuleDesc& theDesc)
    : world(theWorld), desc(theDesc) {
    shape = new btCapsuleShape(desc.radius, desc.height);
    body = new btCollisionObject();
    body->setCollisionShape(shape);
    setPosition(desc.position);
}

CharacterController::~CharacterController() {
    delete body;
    delete shape;
}

double CharacterController::footOffset() const {
    return static_cast<double>(desc.contactOffset) + desc.radius + desc.height * 0.5;
}

glm::dvec3 CharacterController::getPosition() const {
    return glm::dvec3(centre);
}

glm::dvec3 CharacterController::getFootPosition() const {
    return glm::dvec3(centre.x, centre.y - footOffset(), centre.z);
}

void CharacterController::setPosition(const glm::dvec3& position) {
    centre = glm::vec3(position);
    grounded = false;
}

void CharacterController::setFootPosition(const glm::dvec3& position) {
    centre = glm::vec3(position.x, position.y + footOffset(), position.z);
    grounded = false;
}

SweepHit CharacterController::sweep(const glm::vec3& from, const glm::vec3& motion) const {
    ClosestSweep callback;
    callback.motion = motion;
    btTransform start;
    start.setIdentity();
    start.setOrigin(toBullet(from));
    btTransform end = start;
    end.setOrigin(toBullet(from + motion));
    world->convexSweepTest(shape, start, end, callback, 0.0f);
    return callback.result;
}

void CharacterController::advance(const glm::vec3& motion, SweepHit* hitOut) {
    const float length = glm::length(motion);
    const glm::vec3 direction = motion / length;
    // The sweep reaches the contact offset further, so the capsule never ends a pass closer
    // than that to what lies ahead.
    const SweepHit hit = sweep(centre, direction * (length + desc.contactOffset));
    if (!hit.hit) {
        centre += motion;
    } else {
        centre += direction * std::min(length, std::max(0.0f, hit.distance - desc.contactOffset));
    }
    if (hitOut != nullptr) {
        *hitOut = hit;
    }
}

void CharacterController::slide(const glm::vec3& motion, float minDistance) {
    glm::vec3 remaining = motion;
    for (int slide = 0; slide < kSideSlides; ++slide) {
        const float length = glm::length(remaining);
        if (length <= minDistance) {
            return;
        }
        const glm::vec3 before = centre;
        SweepHit hit;
        advance(remaining, &hit);
        if (!hit.hit) {
            return;
        }
        remaining -= centre - before;
        glm::vec3 normal = hit.normal;
        // On an edge the faces' slopes say nothing; its height above the ground before it does.
        const bool onFace = glm::dot(hit.normal, hit.contactNormal) > kOnFace;
        const bool steep = onFace && hit.normal.y < desc.slopeLimit;
        // Nothing the lower hemisphere's centre passes over is a step, whatever lies below it.
        const bool tooHigh =
            hit.point.y > centre.y - desc.height * 0.5f ||
            heightAboveGround(hit.point, hit.contactNormal) > desc.stepOffset + kHeightTolerance;
        if (steep || tooHigh) {
            // A wall: slide along it, never up it.
            normal.y = 0.0f;
            if (glm::dot(normal, normal) < kTiny) {
                normal = glm::vec3(hit.contactNormal.x, 0.0f, hit.contactNormal.z);
            }
            if (glm::dot(normal, normal) < kTiny) {
                return;
            }
            normal = glm::normalize(normal);
        } else if (!onFace) {
            // A low edge: ride over it the way the capsule's round bottom meets it.
            normal = hit.contactNormal;
        }
        // Keep the tangential part of what is left.
        remaining -= normal * glm::dot(remaining, normal);
    }
}

float CharacterController::heightAboveGround(const glm::vec3& point, const glm::vec3& side) const {
    const glm::vec3 flat(side.x, 0.0f, side.z);
    const float length = glm::length(flat);
    const glm::vec3 beside = length > kTiny ? point + flat * (kBeside / length) : point;
    const float depth = desc.stepOffset + kGroundProbeSlack;
    const btVector3 from = toBullet(beside + glm::vec3(0.0f, kGroundProbeSlack, 0.0f));
    const btVector3 to = toBullet(beside - glm::vec3(0.0f, depth, 0.0f));
    btCollisionWorld::ClosestRayResultCallback ray(from, to);
    ray.m_collisionFilterGroup = kPlayerGroup;
    ray.m_collisionFilterMask = kLevelGroup;
    world->rayTest(from, to, ray);
    if (!ray.hasHit()) {
        return depth;
    }
    return point.y - ray.m_hitPointWorld.y();
}

float CharacterController::landingStep(const SweepHit& landing, const glm::vec3& start,
                                       float footRise) const {
    if (glm::dot(landing.normal, landing.contactNormal) <= kOnFace) {
        // An edge stands as high as it rises above the ground on the side the capsule came from.
        return heightAboveGround(landing.point, start - landing.point);
    }
    if (!grounded) {
        return footRise;
    }
    // A face, against the ground the move started from: a walkable slope carries on as a plane,
    // anything else as level ground.
    const bool onFace = glm::dot(ground.normal, ground.contactNormal) > kOnFace;
    const glm::vec3 slope =
        onFace && ground.normal.y >= desc.slopeLimit ? ground.normal : glm::vec3(0, 1, 0);
    const glm::vec3 offset = landing.point - ground.point;
    const float carried = ground.point.y - (slope.x * offset.x + slope.z * offset.z) / slope.y;
    return landing.point.y - std::max(carried, ground.point.y);
}

void CharacterController::pushOut() {
    for (int pass = 0; pass < kPushOutPasses; ++pass) {
        btTransform pose;
        pose.setIdentity();
        pose.setOrigin(toBullet(centre));
        body->setWorldTransform(pose);
        DeepestContact callback;
        callback.self = body;
        world->contactTest(body, callback);
        if (callback.depth <= 0.0f) {
            return;
        }
        // Out to the contact offset, where every other pass leaves the capsule too.
        centre += callback.push * (callback.depth + desc.contactOffset);
    }
}

void CharacterController::move(const glm::vec3& displacement, float minDistance, float) {
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const float rise = std::max(displacement.y, 0.0f);
    const float fall = std::max(-displacement.y, 0.0f);
    const glm::vec3 side(displacement.x, 0.0f, displacement.z);
    const bool walking = glm::length(side) > kTiny;
    const glm::vec3 start = centre;

    // The first try steps up by the step offset while walking; a landing that is steep or too
    // high sends the move back to the start, to be redone without the step.
    SweepHit landing;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool stepping = walking && attempt == 0;
        centre = start;
        landing = SweepHit();

        const float upDistance = rise + (stepping ? desc.stepOffset : 0.0f);
        if (upDistance > minDistance) {
            advance(up * upDistance, nullptr);
        }
        const float lifted = std::max(0.0f, centre.y - start.y - rise);

        if (walking) {
            slide(side, minDistance);
        }

        const float downDistance = fall + lifted;
        if (downDistance > minDistance) {
            advance(-up * downDistance, &landing);
        }
        if (!stepping || !landing.hit) {
            break;
        }
        const bool onFace = glm::dot(landing.normal, landing.contactNormal) > kOnFace;
        const bool steep = onFace && landing.normal.y < desc.slopeLimit;
        const bool tooHigh = landingStep(landing, start, centre.y - start.y - rise) >
                             desc.stepOffset + kHeightTolerance;
        if (!steep && !tooHigh) {
            break;
        }
    }
    grounded = landing.hit;
    ground = landing;
    pushOut();
}
