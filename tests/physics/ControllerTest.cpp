// The player's capsule on small worlds built here: walking, the fixed step, the steering and
// camera that go with it, and the triggers it touches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>

#include <btBulletCollisionCommon.h>

#include <glm/gtc/matrix_transform.hpp>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "gameplay/Camera.h"
#include "physics/PhysXTrigger.h"

namespace {

glm::vec3 walkOver(CollisionMesh* level, const glm::vec3& start, const glm::vec3& velocity,
                   int steps) {
    TestWorld world(start, level);
    world.walk(velocity, steps);
    return world.foot();
}

void expectWithin(const glm::vec3& v, const glm::vec3& lo, const glm::vec3& hi) {
    EXPECT_TRUE(glm::all(glm::greaterThanEqual(v, lo)) && glm::all(glm::lessThanEqual(v, hi)))
        << "at " << v.x << ' ' << v.y << ' ' << v.z;
}

void expectNear(const glm::vec3& v, const glm::vec3& expected, float tolerance = 1e-3f) {
    expectWithin(v, expected - tolerance, expected + tolerance);
}

// Held back on the ground line z = 0 somewhere between x = lo and hi.
void expectStopped(const glm::vec3& foot, float lo, float hi) {
    expectWithin(foot, {lo, -1e-3f, -1e-3f}, {hi, 1e-3f, 1e-3f});
}

// A slope of the given angle rising along +x from x = 2 to height 3, then a lip up to a plateau.
CollisionMesh* ramp(float degrees, float lip = 0.0f) {
    const float top = 2.0f + 3.0f / std::tan(glm::radians(degrees));
    auto* mesh = addQuad(new CollisionMesh(), {2, 0, -10}, {top, 3, -10}, {top, 3, 10}, {2, 0, 10});
    addQuad(mesh, {top, 3, -10}, {top, 3 + lip, -10}, {top, 3 + lip, 10}, {top, 3, 10});
    return addQuad(mesh, {top, 3 + lip, -10}, {top + 20, 3 + lip, -10}, {top + 20, 3 + lip, 10},
                   {top, 3 + lip, 10});
}

// A level and where walking along +x over it for two seconds from the origin ends.
struct Reach {
    CollisionMesh* level;
    glm::vec3 lo, hi;
};

Reach onTop(CollisionMesh* level, float top) {
    return {level, {19.9f, top - 1e-3f, -1e-3f}, {20 + 1e-3f, top + 1e-3f, 1e-3f}};
}

Reach heldAt(CollisionMesh* level, float x0, float x1, float y0 = -1e-3f, float y1 = 1e-3f) {
    return {level, {x0, y0, -1e-3f}, {x1, y1, 1e-3f}};
}

using Log = std::vector<std::string>;

// Logs every report it gets as its name and where the player now is.
struct Recorder final : PhysXTrigger {
    std::string name;
    Log* log;

    Recorder(const std::string& theName, Log* theLog) : name(theName), log(theLog) {}

    void react() override {
        inside = !inside;
        log->push_back(name + (inside ? " in" : " out"));
    }
};

struct TriggerWorld : TestWorld {
    Log log;
    std::deque<Recorder> recorders; // never move: the triggers point at their names

    btCollisionObject* addSphere(const std::string& name, const glm::vec3& centre) {
        Recorder& recorder = recorders.emplace_back(name, &log);
        physX.triggers[name] = &recorder;
        return addTrigger(physX, new btSphereShape(1.0f), centre, glm::quat(1, 0, 0, 0),
                          recorder.name);
    }
    // One step with the player's foot put down at x.
    Log standAt(float x) {
        placeFoot(glm::vec3(x, 0, 0));
        walk(glm::vec3(0), 1);
        return std::exchange(log, {});
    }
};

} // namespace

TEST(Controller, FallsAtNinePointEightStandsStillAndWalksTenUnitsPerSecond) {
    TestWorld world(glm::vec3(0, 20, 0));
    world.walk(glm::vec3(0), 30);
    EXPECT_NEAR(world.foot().y, 20 - 4.9f, 1e-3f); // no faster for falling longer
    world.walk(glm::vec3(0), 150);
    const glm::dvec3 settled = world.player->controller->getPosition();
    EXPECT_NEAR(settled.y, 3.05, 1e-3); // the foot on the ground
    world.walk(glm::vec3(0), 600);
    EXPECT_EQ(world.player->controller->getPosition(), settled);

    world.walk(glm::vec3(-6, 0, 8), 60);
    expectNear(world.foot(), {-6, 0, 8});
}

TEST(Controller, StopsShortOfWallsAndSlidesAlongThem) {
    // Walked into at 45 degrees, the tangential part goes on at full speed.
    const float diagonal = 10.0f / std::sqrt(2.0f);
    expectWithin(walkOver(box({3, 0, -50}, {4, 10, 50}), {0, 0, 0}, {diagonal, 0, diagonal}, 90),
                 {2.44f, -1e-3f, 1.5f * diagonal - 0.02f}, {2.5f, 1e-3f, 1.5f * diagonal + 0.02f});
    // A wall without thickness holds at any speed, from either side.
    for (const float speed : {10.0f, 300.0f, 3000.0f}) {
        for (const float side : {-1.0f, 1.0f}) {
            CollisionMesh* wall =
                addQuad(new CollisionMesh(), {3, 0, -5}, {3, 10, -5}, {3, 10, 5}, {3, 0, 5});
            const float stop = side < 0 ? 2.44f : 3.5f; // the radius and the contact offset off
            expectStopped(walkOver(wall, {3 + 3 * side, 0, 0}, {-side * speed, 0, 0}, 120), stop,
                          stop + 0.06f);
        }
    }
    // Started 0.2 inside a block, it is pushed out to the contact offset.
    expectStopped(walkOver(box({-1, 0, -1}, {1, 2, 1}), {1.3f, 0, 0}, {0, 0, 0}, 1), 1.5f, 1.56f);
}

TEST(Controller, ClimbsOnlyWhatTheStepOffsetAndTheSlopeLimitAllow) {
    const auto step = [](float height) { return box({2, 0, -5}, {30, height, 5}); };
    // From x = 2 on: what is climbed carries the foot to x = 20 on top, riding over a lip's edge
    // costs a little headway; held back by a lip too high, a slope too steep or a wall, the
    // capsule keeps still.
    const float lipAt = 2.0f + 3.0f / std::tan(glm::radians(30.0f));
    const Reach climbs[] = {onTop(step(0.10f), 0.10f),
                            onTop(step(0.25f), 0.25f),
                            heldAt(step(0.26f), 1.4f, 2),
                            heldAt(step(0.6f), 1.4f, 2),
                            onTop(ramp(20), 3),
                            onTop(ramp(44), 3),
                            heldAt(ramp(46), 1.4f, 2),
                            heldAt(ramp(60), 1.4f, 2),
                            onTop(ramp(40, 0.25f), 3.25f),
                            onTop(ramp(30, 0.10f), 3.10f),
                            heldAt(ramp(30, 0.26f), lipAt - 1, lipAt, 2.5f, 3),
                            heldAt(box({3, 0, -5}, {4, 10, 5}), 2.44f, 2.5f)};
    for (const Reach& c : climbs) {
        SCOPED_TRACE(&c - climbs);
        TestWorld world(glm::vec3(0.0f), c.level);
        world.walk({10, 0, 0}, 120);
        const glm::vec3 reached = world.foot();
        expectWithin(reached, c.lo, c.hi);
        for (int i = 0; i < 30 && c.hi.x < 19; ++i) {
            world.walk({10, 0, 0}, 1);
            expectNear(world.foot(), reached, 1e-4f);
        }
    }
    // Too steep to climb is not too steep to walk down, and nothing slides down it unwalked.
    const float plateau = 2.0f + 3.0f / std::tan(glm::radians(60.0f)) + 1.0f;
    expectNear(walkOver(ramp(60), {plateau, 3, 0}, {0, 0, 0}, 60), {plateau, 3, 0});
    expectStopped(walkOver(ramp(60), {plateau, 3, 0}, {-10, 0, 0}, 120), -20, 1);
}

TEST(Controller, SteersWhereThePlayerLooksAndCatchesUpAtMostEightStepsPerFrame) {
    gameState().skipFirstPitch = true;
    TestWorld world;
    CCT& player = *world.player;
    const auto steered = [&player](float yaw, float pitch, MoveKey key) {
        player.steer(LookAngles{yaw, pitch}, key);
        return glm::vec3(player.velocity);
    };
    // The first reading of the cursor is no look up or down.
    expectNear(steered(0, 60, MoveKey::Forward), {0, 0, -10});
    expectNear(steered(0, 60, MoveKey::Forward), {0, 0, -5});
    // Turned right by a quarter, forward is +x and right is +z; pitch slows W and S only.
    expectNear(steered(90, 0, MoveKey::Right), {0, 0, 10});
    expectNear(steered(90, 0, MoveKey::None), {0, 0, 0});
    expectNear(steered(90, -70, MoveKey::Back), {-10 * std::cos(glm::radians(70.0f)), 0, 0});
    expectNear(steered(90, 84, MoveKey::Left), {0, 0, -10});

    // The first frame carries the start-up: one step, nothing owed.
    player.steer(LookAngles{40, 20}, MoveKey::Forward);
    const glm::vec3 stride = glm::vec3(player.velocity) * kStepTime;
    world.frame(3.0f);
    EXPECT_EQ(world.physX.accumulator, 0.0f);
    expectNear(world.foot(), stride, 1e-5f);
    // A slow frame catches up eight steps at most and owes nothing beyond them. (What is owed
    // below a step shows in the even travel of the drawn eye, below.)
    for (const float slow : {0.05f, 0.5f, 30.0f}) {
        const glm::vec3 before = world.foot();
        world.frame(slow);
        const int steps = slow < 0.1f ? 3 : 8;
        expectNear(world.foot() - before, float(steps) * stride, 1e-4f);
        EXPECT_LT(world.physX.accumulator, kStepTime);
    }
    // The camera follows every step, 5 above the foot.
    const glm::vec3 eye = world.foot() + glm::vec3(0, 5, 0);
    EXPECT_EQ(glm::vec3(player.camera->position), eye);
    EXPECT_EQ(player.camera->view,
              lookRotation(LookAngles{40, 20}) * glm::translate(glm::mat4(1.0f), -eye));
}

// Walking at any display's rate, the eye drawn between the last two steps moves the same
// distance every frame, where the steps alone move it 0 or 1/6 unit a frame.
TEST(Controller, TheDrawnEyeTravelsEvenlyPerFrameAtEveryFrameRate) {
    for (const float rate : {165.0f, 144.0f, 120.0f, 75.0f, 60.0f, 50.0f, 30.0f}) {
        TestWorld world;
        world.player->steer(LookAngles{30, 0}, MoveKey::Forward);
        double sum = 0.0, squares = 0.0, n = 0.0;
        glm::vec3 last(0.0f);
        for (int frame = 0; frame < 2 * rate; ++frame) {
            world.frame(1.0f / rate);
            world.physX.placeEye();
            const double travel = glm::length(glm::vec3(world.player->camera->position) - last);
            last = glm::vec3(world.player->camera->position);
            if (frame > rate / 2) { // walking by then
                sum += travel, squares += travel * travel, n += 1.0;
            }
        }
        const double mean = sum / n;
        EXPECT_LT(std::sqrt(std::max(0.0, squares / n - mean * mean)) / mean, 0.05) << rate;
        EXPECT_NEAR(mean, 10.0 / rate, 1e-3 * mean) << rate << " frames a second";
    }
}

TEST(Triggers, EveryTouchFoundOrLostIsReportedOnceLossesFirst) {
    TriggerWorld world;
    world.addSphere("first", {5, 1, 0});
    world.addSphere("second", {5.5f, 1, 0});
    btCollisionObject* third = world.addSphere("third", {-10, 0.5f, 0});
    btCollisionObject* far = world.addSphere("far", {50, 1, 0});
    // Walked through in slow frames of eight steps each: every touch of every step counts.
    world.player->velocity = glm::vec4(10, 0, 0, 0);
    for (int frame = 0; frame < 13; ++frame) {
        world.frame(frame == 0 || frame == 12 ? kStepTime : 0.5f);
    }
    EXPECT_EQ(std::exchange(world.log, {}),
              (Log{"first in", "second in", "first out", "second out"}));
    EXPECT_NEAR(world.foot().x, 15.0f, 1e-3f); // triggers do not block
    EXPECT_EQ(world.standAt(5.25f), (Log{"first in", "second in"}));
    // The probe is the capsule at 0.8 its size, radius 0.4 with its lower centre 1.05 up: a
    // sphere at 0.5 is reached within sqrt(1.4^2 - 0.55^2) = 1.287 of it.
    EXPECT_EQ(world.standAt(-10 + 1.267f), (Log{"first out", "second out", "third in"}));
    EXPECT_EQ(world.standAt(-10 - 1.267f), Log{});
    EXPECT_EQ(world.standAt(-10 - 1.307f), Log{"third out"});
    EXPECT_EQ(world.standAt(-10 + 1.307f), Log{});
    EXPECT_EQ(world.standAt(-10), Log{"third in"});

    // Taken at the next call, even one too short for a step: the one the player stands in
    // reports the loss, the other goes quietly, and neither is found again.
    for (btCollisionObject* taken : {third, far}) {
        gameState().pendingActorRemoval = taken;
        world.frame(0.001f);
        EXPECT_EQ(gameState().pendingActorRemoval, nullptr);
    }
    EXPECT_EQ(world.physX.accumulator, 0.002f);
    EXPECT_EQ(std::exchange(world.log, {}), Log{"third out"});
    EXPECT_EQ(world.standAt(-10), Log{});
    EXPECT_EQ(world.standAt(50), Log{});
}
