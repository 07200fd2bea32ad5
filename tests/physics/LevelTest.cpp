// The shipped level with the real factory and controller: the player lands and stands, and a
// search over walks of the real capsule reaches every drug and the table, whose triggers then
// report the player when the walk is replayed through the physics step.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <queue>
#include <tuple>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <btBulletCollisionCommon.h>

#include "PhysicsWorlds.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

namespace {

constexpr int kStepsPerMove = 9; // 1.5 units at walking speed
constexpr float kLevelHalfSize = 57.6f;
constexpr int kMaxNodes = 20000;

struct Overlap : btCollisionWorld::ContactResultCallback {
    bool found = false;
    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override {
        found = found || point.getDistance() < 0.0f;
        return 0.0f;
    }
};

struct Node {
    glm::vec3 centre;
    int parent = -1;
    glm::vec3 velocity = glm::vec3(0.0f); // of the walk that led here
    int moves = 0;
};

class ShippedLevel : public testing::Test {
  protected:
    GlContext context;
    Sandbox sandbox{true};
    PhysX physX;
    Scene scene;
    CharacterController* controller = nullptr;

    void SetUp() override {
        gameState().skipFirstPitch = false;
        PhysXFactory factory(physX, 800, 600);
        srand(3);
        factory.build(physX, scene);
        controller = physX.player->controller;
    }
    void TearDown() override {
        releaseScene(scene);
        gameState().message.clear();
    }

    void stepFrames(const glm::vec3& velocity, int frames) {
        physX.player->velocity = glm::vec4(velocity, 0.0f);
        for (int i = 0; i < frames; ++i) {
            float frameTime = kStepTime;
            physX.step(frameTime);
        }
    }

    bool reaches(const glm::vec3& centre, btCollisionObject* trigger) {
        btTransform pose;
        pose.setIdentity();
        pose.setOrigin(btVector3(centre.x, centre.y, centre.z));
        physX.probe->setWorldTransform(pose);
        Overlap overlap;
        physX.world->contactPairTest(physX.probe, trigger, overlap);
        return overlap.found;
    }

    // Best-first search over walks of the real capsule, in eight directions, from start to a
    // place whose trigger probe touches the target; the walks to it, last first.
    std::vector<glm::vec3> searchWalks(const glm::vec3& start, btCollisionObject* target) {
        const btVector3 goal = target->getWorldTransform().getOrigin();
        std::vector<Node> nodes{Node{start}};
        std::map<std::tuple<int, int, int>, bool> seen;
        using Entry = std::pair<float, int>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
        open.push({0.0f, 0});
        while (!open.empty() && nodes.size() < size_t(kMaxNodes)) {
            const int index = open.top().second;
            open.pop();
            if (reaches(nodes[index].centre, target)) {
                std::vector<glm::vec3> walks;
                for (int i = index; nodes[i].parent >= 0; i = nodes[i].parent) {
                    walks.push_back(nodes[i].velocity);
                }
                return walks;
            }
            for (int direction = 0; direction < 8; ++direction) {
                const float angle = glm::radians(45.0f * direction);
                const glm::vec3 velocity(10.0f * std::cos(angle), 0.0f, 10.0f * std::sin(angle));
                controller->setPosition(nodes[index].centre);
                for (int i = 0; i < kStepsPerMove; ++i) {
                    controller->move((physX.gravity + velocity) * kStepTime, 0.01f, kStepTime);
                }
                const glm::vec3 end(controller->getPosition());
                const auto cell = std::make_tuple(int(std::floor(end.x)), int(std::floor(end.z)),
                                                  int(std::floor(end.y / 2.0f)));
                if (std::fabs(end.x) > kLevelHalfSize || std::fabs(end.z) > kLevelHalfSize ||
                    seen[cell]) {
                    continue;
                }
                seen[cell] = true;
                Node next{end, index, velocity, nodes[index].moves + 1};
                const float distance = glm::length(glm::vec2(end.x - goal.x(), end.z - goal.z()));
                open.push({next.moves * 1.5f + 2.0f * distance, int(nodes.size())});
                nodes.push_back(next);
            }
        }
        return {};
    }
};

} // namespace

TEST_F(ShippedLevel, ThePlayerLandsFromTheSpawnAndStands) {
    EXPECT_EQ(controller->getPosition(), glm::dvec3(0, 5, 0));
    stepFrames(glm::vec3(0), 120);
    const glm::dvec3 landed = controller->getFootPosition();
    EXPECT_LT(landed.y, 1.95);
    stepFrames(glm::vec3(0), 120);
    EXPECT_EQ(controller->getFootPosition(), landed);
    // Standing: the ground is the contact offset below the capsule.
    const SweepHit below =
        controller->sweep(glm::vec3(controller->getPosition()), glm::vec3(0.0f, -0.2f, 0.0f));
    ASSERT_TRUE(below.hit);
    EXPECT_NEAR(below.distance, 0.05f, 2e-3f);
}

TEST_F(ShippedLevel, HoldsOneDrugPerPlacementOfTheDrugFile) {
    Assimp::Importer importer;
    const aiScene* file = importer.ReadFile(shippedPath("Resources/Meshes/drugs3.dae"),
                                            aiProcess_FixInfacingNormals | aiProcess_FindInstances);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(scene.drugs->drugs.size(), file->mRootNode->mNumChildren);
    EXPECT_GE(scene.drugs->drugs.size(), 3u);
}

TEST_F(ShippedLevel, EveryDrugAndTheTableAreReachedOnFootAndReportThePlayer) {
    stepFrames(glm::vec3(0), 120);
    const glm::dvec3 spawn = controller->getPosition();
    std::vector<std::pair<std::string, PhysXTrigger*>> targets;
    std::vector<btCollisionObject*> actors;
    for (Drug* drug : scene.drugs->drugs) {
        targets.emplace_back(drug->name, drug);
        actors.push_back(drug->actor);
    }
    targets.emplace_back("Labor", physX.laboratory);
    actors.push_back(physX.laboratory->actor);

    for (size_t t = 0; t < targets.size(); ++t) {
        SCOPED_TRACE(targets[t].first);
        const std::vector<glm::vec3> walks = searchWalks(glm::vec3(spawn), actors[t]);
        ASSERT_FALSE(walks.empty()) << "no walk reaches it";

        // The same walks through the physics step: the trigger reports the player on the way.
        controller->setPosition(spawn);
        stepFrames(glm::vec3(0), 2);
        bool reported = false;
        for (auto walk = walks.rbegin(); walk != walks.rend() && !reported; ++walk) {
            for (int i = 0; i < kStepsPerMove && !reported; ++i) {
                stepFrames(*walk, 1);
                reported = targets[t].second->inside;
            }
        }
        stepFrames(glm::vec3(0), 1);
        EXPECT_TRUE(reported || targets[t].second->inside);
    }
}
