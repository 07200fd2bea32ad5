// What a frame works out before it draws: culling, the draw list, the mirrored camera, the
// waves, the blur weights and the render scale.
#include <memory>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/ext/matrix_relational.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "assets/MeshLoader.h"
#include "gameplay/Camera.h"
#include "physics/Drugs.h"
#include "render/Culling.h"
#include "render/PostProcessor.h"
#include "render/RenderScale.h"
#include "render/Water.h"

using testing::ElementsAre;
using testing::FloatEq;
using testing::Pointwise;

namespace {

glm::mat4 at(float x, float y, float z) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

// The game's projection (aspect 4:3) looking from eye along direction.
Camera cameraAt(const glm::vec3& eye, const glm::vec3& direction) {
    Camera camera;
    camera.setProjection(4.0f / 3.0f, 0.1f, 100.0f, 45.0f);
    camera.position = glm::vec4(eye, 1.0f);
    camera.view = glm::lookAt(eye, eye + direction, glm::vec3(0, 1, 0));
    return camera;
}

// At the origin looking down -z: at distance 10 the view reaches about 5.6 up and 7.4 aside.
const Camera kCamera = cameraAt(glm::vec3(0), glm::vec3(0, 0, -1));

// The folded weights and offsets for sigma 2, 3 and 6.
const BlurWeights kSigma2 = {{0.19947115f, 0.29701802f, 0.09175429f}, {0, 1.4073334f, 3.294215f}};
const BlurWeights kSigma3 = {{0.13298076f, 0.23227708f, 0.13532694f}, {0, 1.4584296f, 3.4039848f}};
const BlurWeights kSigma6 = {{0.06649038f, 0.12847048f, 0.11191889f}, {0, 1.4895849f, 3.4757135f}};

void expectWeights(const BlurWeights& blur, const BlurWeights& table) {
    EXPECT_THAT(blur.weights, Pointwise(FloatEq(), table.weights));
    EXPECT_THAT(blur.offsets, Pointwise(FloatEq(), table.offsets));
}

} // namespace

TEST(BuildDrawList, KeepsTheVisiblePlacementsPerModelInSceneOrderWithTheDrugsLast) {
    const std::unique_ptr<BoundingBox> box(
        makeBoundingBox(glm::vec3(1), glm::vec3(-1), at(0, 0, 0)));
    Mesh meshes[4];
    // The transform lifts every placement by 1; the list keeps the placements themselves.
    Model rocks{&meshes[0], at(0, 1, 0), box.get(), {at(0, 0, -10), at(60, 0, -10), at(2, 0, -20)}};
    Model hidden{&meshes[1], at(0, 0, 0), box.get(), {at(0, 0, -10)}, false};
    Model tree{&meshes[2], at(0, 0, 0), box.get(), {at(-3, 0, -15)}};
    // Drugs are culled by their own matrices; the shared transform only travels along.
    Model drug{&meshes[3], at(0, 500, 0), box.get(), {}};
    DrugSet drugs{{at(1, 0, -5), at(0, 0, 30)}, {}, &drug};
    Scene scene;
    scene.models = {&rocks, &hidden, &tree};
    scene.drugs = &drugs;

    DrawList list;
    buildDrawList(list, scene, kCamera);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_THAT(list.meshes, ElementsAre(&meshes[0], &meshes[2], &meshes[3]));
    EXPECT_THAT(list.instances(0), ElementsAre(at(0, 0, -10), at(2, 0, -20)));
    EXPECT_THAT(list.instances(1), ElementsAre(at(-3, 0, -15)));
    EXPECT_THAT(list.instances(2), ElementsAre(at(1, 0, -5)));
    EXPECT_THAT(list.entryTransforms, ElementsAre(at(0, 1, 0), at(0, 0, 0), at(0, 500, 0)));
    EXPECT_EQ(list.visibleCount, 4u);

    rocks.transform = at(0, 40, 0); // now the transform alone carries the rocks out of view
    buildDrawList(list, scene, kCamera);
    EXPECT_THAT(list.meshes, ElementsAre(&meshes[2], &meshes[3]));
    EXPECT_EQ(list.visibleCount, 2u);

    // An empty frame, then the first again: every list keeps its storage.
    const glm::mat4* placements = list.instances(0).data();
    buildDrawList(list, scene, cameraAt(glm::vec3(0, 0, 500), glm::vec3(0, 0, 1)));
    EXPECT_TRUE(list.entryTransforms.empty());
    EXPECT_GE(list.meshes.capacity(), 3u);
    rocks.transform = at(0, 1, 0);
    buildDrawList(list, scene, kCamera);
    EXPECT_EQ(list.instances(0).data(), placements);
}

TEST(MirrorCamera, MirrorsEyeAndPitchAboutTheWaterKeepingTheHeading) {
    // Heading north-east, 30 degrees down.
    Camera camera = cameraAt(glm::vec3(5, 20, -3), glm::vec3(1, -0.816497f, -1));
    mirrorCamera(camera, WATER_HEIGHT);
    const Camera mirrored = cameraAt(glm::vec3(5, 7.616658f, -3), glm::vec3(1, 0.816497f, -1));
    EXPECT_TRUE(glm::all(glm::equal(camera.view, mirrored.view, 1e-4f)));
    EXPECT_EQ(camera.position, glm::vec4(5, 20, -3, 1)) << "the water shader's eye stays";
}

TEST(WaterScissor, CoversWhereThePondShowsTheWholeTargetFromInsideAndNothingWhenAway) {
    // A flat 18-unit pond, 40 units ahead of a camera looking north.
    const std::unique_ptr<BoundingBox> pond(
        makeBoundingBox(glm::vec3(9, 0, 9), glm::vec3(-9, 0, -9), glm::mat4(1.0f)));
    const auto scissor = [&](const glm::vec3& eye, const glm::vec3& direction) {
        const Camera camera = cameraAt(eye, direction);
        return waterScissor(camera.projection * camera.view * at(0, 0, -40), *pond, 640, 480);
    };
    const glm::ivec4 ahead = scissor(glm::vec3(0, 5, 0), glm::vec3(0, 0, -1));
    EXPECT_TRUE(ahead.z > 100 && ahead.z < 640) << ahead.z;
    EXPECT_LT(ahead.y + ahead.w, 240) << "below the horizon";
    EXPECT_NEAR(ahead.x + ahead.z / 2, 320, 20) << "in the middle";
    EXPECT_EQ(scissor(glm::vec3(0, 5, -40), glm::vec3(0, -1, -1)), glm::ivec4(0, 0, 640, 480));
    EXPECT_EQ(scissor(glm::vec3(0, 5, 0), glm::vec3(0, 0, 1)).z, 0) << "behind the eye";
}

TEST(WaveOffset, GrowsByTheSpeedPerSecondAndWrapsAtOne) {
    EXPECT_FLOAT_EQ(advanceWaveOffset(0.0f, 0.02f, 1.0f), 0.02f);
    EXPECT_NEAR(advanceWaveOffset(0.99f, 0.02f, 1.0f), 0.01f, 1e-6f);
    EXPECT_NEAR(advanceWaveOffset(0.0f, 0.02f, 137.0f), 0.74f, 1e-4f) << "a long first frame";
}

TEST(BlurWeights, FollowTheFoldedTableAndSwitchOnlyWhenLifeMeetsSeventyTwoOrTwenty) {
    expectWeights(computeWeights(2.0), kSigma2);
    // A sedative lifting life from 20 to 30 keeps sigma 6 until life meets 72 again.
    const std::pair<float, const BlurWeights*> steps[] = {
        {100, &kSigma2}, {73, &kSigma2}, {72, &kSigma3}, {71, &kSigma3},
        {20, &kSigma6},  {30, &kSigma6}, {72, &kSigma3}, {120, &kSigma3}};
    BlurWeights blur = kSigma2;
    const BlurWeights* previous = &kSigma2;
    for (const auto& [life, table] : steps) {
        EXPECT_EQ(updateBlurWeights(blur, life, 100.0f, 2.0), table != previous) << life;
        expectWeights(blur, *table);
        previous = table;
    }
}

TEST(RenderScale, ReadsAutoOrAScaleInZeroToOneAndRefusesAnythingElse) {
    const std::pair<const char*, float> table[] = {
        {"", 0},      {"auto", 0},  {"0.5", 0.5f}, {"1", 1},     {"1e-3", 0.001f}, {"0", -1},
        {"-0.5", -1}, {"1.01", -1}, {"half", -1},  {"0.5x", -1}, {"nan", -1},      {"AUTO", -1}};
    for (const auto& [text, scale] : table) {
        ScaleSetting setting{false, 0.25f};
        EXPECT_EQ(parseRenderScale(text, setting), scale >= 0) << text;
        EXPECT_FLOAT_EQ(setting.automatic ? 0.0f : setting.scale, scale > 0 ? scale : 0.0f) << text;
    }
    // The whole window at 1, else even (whole 2x2 blocks for the blur) and at least 2.
    EXPECT_EQ(glm::ivec4(scaledSize(1919, 1.0f), scaledSize(1920, 1.0f / 3.0f),
                         scaledSize(801, 0.5f), scaledSize(600, 0.001f)),
              glm::ivec4(1919, 640, 400, 2));
}

TEST(RenderScale, SettlesOnTheLargestStepThatKeepsUpFollowsTheLoadAndClampsAtBothEnds) {
    // A machine whose frame costs fixed + perPixel x scale^2 seconds, 20 % either way at random
    // (or the given share), and every 500th frame one of two seconds (a hitch, a window moved).
    std::mt19937 random(18);
    int frames = 0;
    const auto play = [&](ScaleController& controller, float fixed, float perPixel, float seconds,
                          float jitter = 0.2f) {
        std::uniform_real_distribution<float> noise(1.0f - jitter, 1.0f + jitter);
        int changes = 0;
        for (float clock = 0.0f; clock < seconds;) {
            const float scale = currentScale(controller);
            const float frame =
                ++frames % 500 == 0 ? 2.0f : (fixed + perPixel * scale * scale) * noise(random);
            changes += adaptScale(controller, frame);
            clock += frame;
        }
        return changes;
    };
    ScaleController controller;
    EXPECT_EQ(play(controller, 0.002f, 0.010f, 30.0f), 0) << "a fast machine keeps the whole";

    // 68 ms at full size; 0.6 makes 30 ms, and 0.71 would make 38 ms.
    EXPECT_LE(play(controller, 0.008f, 0.060f, 3.0f), 2) << "straight down, not step by step";
    EXPECT_FLOAT_EQ(currentScale(controller), 0.6f);
    EXPECT_EQ(play(controller, 0.008f, 0.060f, 60.0f), 0) << "and there it stays";

    EXPECT_LE(play(controller, 0.2f, 0.3f, 5.0f), 2) << "however slow";
    EXPECT_FLOAT_EQ(currentScale(controller), kScaleSteps[kScaleStepCount - 1]);
    EXPECT_EQ(play(controller, 0.2f, 0.3f, 30.0f), 0);

    // The load goes: one step at a time back to the whole window, where it stays.
    EXPECT_EQ(play(controller, 0.002f, 0.010f, 30.0f), kScaleStepCount - 1);
    EXPECT_EQ(currentScale(controller), 1.0f);
    // At 30 Hz with vertical sync, 33.3 ms whatever the scale: no reason to step down.
    EXPECT_EQ(play(controller, 0.0333f, 0.0f, 30.0f, 0.02f), 0);
}
