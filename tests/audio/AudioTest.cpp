// The sound subsystem in process, on real OpenAL Soft and libsndfile: each test drives the game
// state as the rules would and analyses the mix captured by the wave backend.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <sndfile.h>

#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "assets/Scene.h"
#include "audio/Audio.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Updater.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"
#include "physics/PhysicsWorlds.h"
#include "support/Capture.h"
#include "support/Sandbox.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kWindow = 0.01; // seconds of mix per loudness value

// A sound folder holding the shipped list but only some of the shipped sounds.
struct Listening {
    Sandbox sandbox;
    std::string wav = sandbox.path("mix.wav");
    Audio* audio = nullptr;
    Clock::time_point opened, last;

    explicit Listening(const std::vector<std::string>& sounds, bool dry = false) {
        captureSoundTo(sandbox.root, wav, dry);
        sandbox.copyShipped("Resources/Sounds/Sounds");
        for (const std::string& sound : sounds) {
            sandbox.linkShipped("Resources/Sounds/" + sound);
        }
        gameState() = GameState{};
    }
    ~Listening() {
        releaseAudio(audio);
        gameState() = GameState{};
    }

    // Returns what the opening printed.
    std::string open() {
        testing::internal::CaptureStdout();
        opened = last = Clock::now();
        audio = createAudio("../Resources/Sounds/");
        return testing::internal::GetCapturedStdout();
    }
    double now() const { return std::chrono::duration<double>(Clock::now() - opened).count(); }

    // Frames of about 10 ms (or frame) for the given seconds, each with its real frame time, as
    // the main loop runs them; before each frame's sound the caller may move the game on.
    void play(
        const Scene& scene, double seconds, const std::function<void(float)>& rules = [](float) {},
        int frame = 10) {
        const double end = now() + seconds;
        while (now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(frame));
            const Clock::time_point time = Clock::now();
            const float frameTime = std::chrono::duration<float>(time - last).count();
            last = time;
            rules(frameTime);
            updateAudio(*audio, scene, frameTime);
        }
    }
    Capture close() {
        releaseAudio(audio);
        audio = nullptr;
        return readCapture(wav);
    }
};

} // namespace

// On an OpenAL without reverb the game plays dry and says so.
TEST(Audio, HeartQuickensAndSwellsAsLifeFallsWhileMissingSoundsAndEffectsAreReported) {
    Listening listening({"heartbeat.wav", "flatline.wav"}, true);
    listening.sandbox.write("Resources/Sounds/chime.wav", "not a sound");
    const std::string console = listening.open();
    // One line per sound that is missing or unreadable, none for those that load.
    for (int s = 0; s < kSoundCount; ++s) {
        const std::string line = std::string("CANNOT READ ../Resources/Sounds/") + kSoundFiles[s];
        EXPECT_EQ(console.find("AUDIO: " + line + "\n") == std::string::npos,
                  s == HeartbeatSound || s == FlatlineSound);
    }
    EXPECT_NE(console.find("AUDIO: NO EFFECTS (ALC_EXT_EFX), PLAYING DRY\n"), std::string::npos);
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), kSoundCount - 1);

    Scene scene; // no camera, no player: the heart needs neither
    GameState& state = gameState();
    // The last phase is the defeat; the one before it runs at 14 frames a second.
    const float lives[] = {80.0f, 70.0f, 40.0f, 10.0f, 0.0f};
    const double lengths[] = {1.2, 3.4, 2.4, 2.4, 1.5};
    double starts[5] = {};
    for (int phase = 0; phase < 5; ++phase) {
        state.life = lives[phase];
        state.gameOver = phase == 4;
        starts[phase] = listening.now();
        listening.play(
            scene, lengths[phase], [](float) {}, phase == 3 ? 70 : 10);
    }
    const Capture mix = listening.close();
    ASSERT_GT(mix.left.size(), (starts[4] + 1.0) * mix.rate);

    const std::vector<float> loud = loudness(mix, kWindow);
    const std::vector<double> beats = onsets(loud, kWindow, 0.01f, 0.3);
    // The file's clock starts when the device does: the first beat at 70 % sets the offset.
    ASSERT_FALSE(beats.empty());
    const double lag = beats.front() - starts[1];
    ASSERT_NEAR(lag, 0.0, 0.3) << "the first beat came before life fell to 70 %";
    double rates[4] = {}, peaks[4] = {};
    for (int phase = 0; phase < 4; ++phase) {
        const double from = starts[phase] + lag, to = starts[phase + 1] + lag;
        std::vector<double> intervals;
        for (size_t b = 1; b < beats.size(); ++b) {
            if (beats[b - 1] > from + 0.05 && beats[b] < to) {
                intervals.push_back(beats[b] - beats[b - 1]);
            }
        }
        for (size_t w = size_t(from / kWindow) + 1; (w + 1) * kWindow < to; ++w) {
            peaks[phase] = std::max(peaks[phase], double(loud[w]));
        }
        rates[phase] = intervals.empty() ? 0.0 : 60.0 / median(intervals);
        if (phase == 3 && intervals.size() > 2) { // after the beat queued at the last rate
            const auto [low, high] = std::minmax_element(intervals.begin() + 1, intervals.end());
            EXPECT_LT(*high - *low, 0.025) << "beats fall on frames";
        }
    }
    EXPECT_LT(peaks[0], 0.002) << "no beat above 70 %";
    EXPECT_NEAR(rates[1], 60.0, 5.0);
    EXPECT_GT(rates[2], rates[1] + 20.0);
    EXPECT_NEAR(rates[3], 130.0, 12.0);
    EXPECT_GT(peaks[3], 1.8 * peaks[1]);

    // Defeat: the heart stops and a flat tone of about 880 Hz sounds instead.
    const double defeat = starts[4] + lag;
    EXPECT_LT(beats.back(), defeat + 0.2) << "a beat after the end";
    EXPECT_NEAR(crossingRate(mix.left, mix.rate, defeat + 0.3, defeat + 1.3), 1760.0, 150.0);
}

TEST(Audio, StepsComeTwiceASecondOnlyWhileThePlayerWalksOnTheGround) {
    Listening listening({"step1.wav", "step2.wav", "step3.wav", "step4.wav"});
    TestWorld world(glm::vec3(0.0f, 14.0f, 0.0f)); // high above the ground plane
    Scene scene;
    scene.player = world.player;
    listening.open();
    // Walking from the start: first through the air, then on the ground, then standing.
    double landed = -1.0, stopped = -1.0;
    world.player->velocity = glm::vec4(10.0f, 0.0f, 0.0f, 0.0f);
    listening.play(scene, 4.5, [&](float frameTime) {
        world.frame(frameTime);
        if (landed < 0.0 && world.foot().y < 0.1f) {
            landed = listening.now();
        }
        if (stopped < 0.0 && landed > 0.0 && listening.now() > landed + 2.0) {
            stopped = listening.now();
            world.player->velocity = glm::vec4(0.0f);
        }
    });
    const Capture mix = listening.close();
    ASSERT_GT(landed, 1.0);
    ASSERT_GT(stopped, 0.0);

    const std::vector<double> steps = onsets(loudness(mix, kWindow), kWindow, 0.02f, 0.2);
    ASSERT_GE(steps.size(), 4u);
    EXPECT_LE(steps.size(), 5u);
    EXPECT_GT(steps.front(), landed - 0.2) << "a step while falling";
    EXPECT_LT(steps.back(), stopped + 0.1);
    for (size_t s = 1; s < steps.size(); ++s) {
        EXPECT_NEAR(steps[s] - steps[s - 1], 0.5, 0.1) << s;
    }
}

// After Tab the listener is the free camera, here left of the pond where the player has it on
// the left.
TEST(Audio, ThePondLapsWhereItIsAndTheFacesMoanFromTiltToTheEndHeardFromTheActiveCamera) {
    Listening listening({"pond.wav", "moan.wav"});
    // The water on the left, the faces on the right, close by.
    const std::unique_ptr<BoundingBox> box(
        makeBoundingBox(glm::vec3(1), glm::vec3(-1), glm::mat4(1)));
    Model water{nullptr, glm::mat4(1), box.get(), {glm::translate(glm::mat4(1), {-12, 0, 0})}};
    Model head{nullptr, glm::mat4(1), nullptr, {glm::translate(glm::mat4(1), {4, 0, 0})}};
    Model faces{nullptr, glm::mat4(1), nullptr, {glm::translate(glm::mat4(1), {5, 0, -1})}};
    AnimatedModel tilting[2] = {{&head, 0.0f, 20.0f, 4.0f, false},
                                {&faces, 0.0f, 20.0f, 4.0f, false}};
    Camera eye, flying; // a fresh camera's eye is at the origin, looking down -z
    flying.view = glm::lookAt(glm::vec3(-24, 0, 0), glm::vec3(-24, 0, -1), glm::vec3(0, 1, 0));
    CCT player;
    player.camera = &eye;
    FreeCamera freeCamera;
    freeCamera.camera = &flying;
    Scene scene;
    scene.player = &player;
    scene.freeCamera = &freeCamera;
    scene.water = &water;
    scene.animatedModels = {&tilting[0], &tilting[1]};
    listening.open();
    listening.play(scene, 1.5);
    gameState().life = 69.0f;
    const double tilt = listening.now();
    listening.play(scene, 1.5);
    gameState().gameOver = true; // the faces fall silent mid-moan, the pond laps on
    const double end = listening.now();
    listening.play(scene, 1.0);
    gameState().freeCamera = true;
    const double tab = listening.now();
    listening.play(scene, 1.0);
    const Capture mix = listening.close();

    EXPECT_GT(rms(mix.left, mix.rate, 0.8, 1.4), 0.003);
    EXPECT_LT(balance(mix, 0.8, 1.4), -0.4);
    EXPECT_GT(balance(mix, tilt + 0.6, tilt + 1.1), 0.3);
    EXPECT_GT(rms(mix.right, mix.rate, tilt + 0.6, tilt + 1.1),
              4.0 * rms(mix.right, mix.rate, 0.8, 1.4));
    EXPECT_LT(balance(mix, end + 0.3, end + 0.8), -0.5);
    EXPECT_GT(rms(mix.left, mix.rate, end + 0.3, end + 0.8), 0.003);
    EXPECT_GT(balance(mix, tab + 0.3, tab + 0.8), 0.5);
}

TEST(Audio, PickUpsTheTableAndTheCureEachHaveTheirSound) {
    Listening listening({"gulp.wav", "chime.wav", "buzz.wav", "shimmer.wav", "relief.wav"});
    ScreenQuad slots[3];
    Drug sedative, medicine;
    medicine.isMedicine = true;
    DrugSet drugs{{}, {&sedative, &medicine}, nullptr};
    Laboratory table;
    Scene scene;
    scene.drugs = &drugs;
    GameState& state = gameState();
    state.inventorySlots = {&slots[0], &slots[1], &slots[2]};
    state.medicineCount = 2;
    listening.open();

    // Through the rules and the table's own reaction, as the physics step would call it.
    const auto pressEnter = [&] {
        state.enterPressed = true;
        float noTime = 0.0f;
        applyRules(noTime, scene);
    };
    // The table is left in silence before the medicine is taken, and entered again.
    const std::function<void()> events[] = {
        [&] { table.react(); }, [&] { sedative.inside = true, pressEnter(); },
        [&] { table.react(), medicine.inside = true, pressEnter(); }, [&] { table.react(); },
        pressEnter};
    std::vector<double> times;
    listening.play(scene, 0.5);
    for (const auto& event : events) {
        times.push_back(listening.now());
        event();
        listening.play(scene, times.size() == 3 ? 3.5 : 1.5); // the chime rings out
    }
    EXPECT_EQ(state.message, "YOU CURED YOURSELF!");
    const Capture mix = listening.close();

    const std::vector<double> heard = onsets(loudness(mix, kWindow), kWindow, 0.02f, 1.2, 2.0f);
    ASSERT_EQ(heard.size(), times.size());
    double pitch[5] = {};
    for (size_t e = 0; e < times.size(); ++e) {
        EXPECT_NEAR(heard[e] - heard[0], times[e] - times[0], 0.25) << "event " << e;
        pitch[e] = crossingRate(mix.left, mix.rate, heard[e], heard[e] + 0.25);
    }
    // The chime rings on in the night's air: 30 dB below its loudest no sooner than half a second
    // after its file ends.
    const std::vector<float> loud = loudness(mix, 0.05);
    SF_INFO chime = {};
    sf_close(sf_open(shippedPath("Resources/Sounds/chime.wav").c_str(), SFM_READ, &chime));
    size_t quiet = size_t(heard[2] / 0.05);
    const float loudest = *std::max_element(&loud[quiet], &loud[quiet + 10]);
    while (quiet + 1 < loud.size() && loud[quiet] >= loudest * 0.0316f) {
        quiet += 1;
    }
    const double tail = quiet * 0.05 - heard[2] - double(chime.frames) / chime.samplerate;
    EXPECT_GE(tail, 0.5);
    // The refusal is dull: no louder than the bell over its first 400 ms.
    EXPECT_LE(blockLoudness(mix, heard[0], heard[0] + 0.4)[0],
              blockLoudness(mix, heard[2], heard[2] + 0.4)[0]);
    // The buzz and the gulp are low, the chime and the shimmer high.
    EXPECT_LT(pitch[0], 400.0);
    EXPECT_LT(pitch[1], 600.0);
    EXPECT_GT(pitch[2], 2000.0);
    EXPECT_GT(pitch[3], 800.0);
}

// ALSA and OpenAL Soft both complain of the missing card, but only where ALSOFT_LOGLEVEL asks.
TEST(Audio, WithoutADeviceTheGameSaysSoOnceAndPlaysSilent) {
    Sandbox sandbox;
    captureSoundTo(sandbox.root, "");
    unsetenv("ALSOFT_LOGLEVEL");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Audio* audio = createAudio("../Resources/Sounds/");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "AUDIO: NO OUTPUT DEVICE\n");
    Scene scene;
    updateAudio(*audio, scene, 0.1f);
    releaseAudio(audio);
}

// A short game on every shipped sound, in the proportions of a whole one: the night alone at the
// spawn, a walk to the pond's shore, the heart and the faces from 60 % of life, the apparition
// circling from 40 %, a medicine, and the end while the heart beats fast.
TEST(Audio, AWholeGameKeepsHeadroomANightThatNeverRepeatsAPondThatNearsAndEndsWithoutAClick) {
    bool listed = false;
    Listening listening(readSoundList(shippedPath("Resources/Sounds/"), listed));
    TestWorld world;
    const glm::vec3 pondCentre(-30.0f, 0.0f, 29.0f); // as the level lays it out, water 9 across
    const std::unique_ptr<BoundingBox> disc(
        makeBoundingBox(glm::vec3(9, 0, 9), glm::vec3(-9, 0, -9), glm::mat4(1)));
    Model water{nullptr, glm::mat4(1), disc.get(), {glm::translate(glm::mat4(1), pondCentre)}};
    Model apparition{nullptr, glm::mat4(1), nullptr, {glm::mat4(1)}, false};
    Model head{nullptr, glm::mat4(1), nullptr, {glm::translate(glm::mat4(1), {-20, 0, 20})}};
    Model faces{nullptr, glm::mat4(1), nullptr, {glm::translate(glm::mat4(1), {-40, 0, 15})}};
    AnimatedModel animated[3] = {
        {&apparition, 0, 0, 0, true}, {&head, 0, 20, 4, false}, {&faces, 0, 20, 4, false}};
    CCT& player = *world.player;
    Camera& eye = *player.camera;
    Scene scene;
    scene.player = &player;
    scene.water = &water;
    scene.animatedModels = {&animated[0], &animated[1], &animated[2]};
    GameState& state = gameState();
    listening.open();
    // Each phase: until when, the life, and the walk (none, towards the pond, or round it).
    const float phases[][3] = {{18, 100, 0}, {22, 100, 1}, {26, 100, 0}, {30, 60, 2},
                               {34, 40, 0},  {38, 40, 2},  {41, 10, 0},  {44, 0, 0}};
    double shore = 0.0, end = 0.0;
    for (const auto& phase : phases) {
        const int walk = int(phase[2]);
        state.life = phase[1];
        state.gameOver = state.life <= 0.0f;
        apparition.visible = state.life < 50.0f && !state.gameOver;
        state.medicineCount = phase[0] > 37.0f ? 1 : 0;
        end = state.gameOver ? listening.now() : end;
        listening.play(scene, phase[0] - listening.now(), [&](float frameTime) {
            const glm::vec3 foot = world.foot(), toPond = pondCentre - foot;
            const float distance = glm::length(glm::vec2(toPond.x, toPond.z));
            glm::vec3 heading = walk == 2 ? glm::cross(toPond, glm::vec3(0, 1, 0)) : toPond;
            heading = glm::normalize(glm::vec3(heading.x, 0.0f, heading.z));
            const bool walking = walk == 2 || (walk == 1 && distance > 10.0f);
            shore = walk == 1 && !walking && shore == 0.0 ? listening.now() : shore;
            player.velocity = glm::vec4(walking ? 11.0f * heading : glm::vec3(0.0f), 0.0f);
            world.frame(frameTime);
            const glm::vec3 at = world.foot() + glm::vec3(0.0f, 5.0f, 0.0f);
            eye.view = glm::lookAt(at, at + heading, glm::vec3(0.0f, 1.0f, 0.0f));
            const float turn = float(listening.now());
            apparition.transform = glm::translate(
                glm::mat4(1), at + 6.0f * glm::vec3(std::cos(turn), 0, std::sin(turn)));
        });
    }
    const Capture mix = listening.close();
    ASSERT_GT(shore, 18.0);
    ASSERT_GT(mix.left.size(), size_t(43.0 * mix.rate));

    const double whole = integratedLoudness(mix, 0.0, 44.0), peak = truePeak(mix, 0.0, 44.0);
    const std::vector<double> night = blockLoudness(mix, 1.0, 18.0);
    double repeat = -1.0;
    for (size_t lag = 15; lag <= 100; ++lag) {
        repeat = std::max(repeat, autocorrelation(night, lag));
    }
    const double atSpawn = integratedLoudness(mix, 10.0, 18.0);
    const double atShore = integratedLoudness(mix, shore + 0.5, 26.0);
    // The largest step between samples as the heart and the apparition fall silent, against
    // the largest of the second before.
    const auto largestStep = [&](double from, double to) {
        float step = 0.0f;
        for (size_t i = size_t(from * mix.rate); i < size_t(to * mix.rate); ++i) {
            step = std::max({step, std::fabs(mix.left[i + 1] - mix.left[i]),
                             std::fabs(mix.right[i + 1] - mix.right[i])});
        }
        return double(step);
    };
    const double cut = largestStep(end - 0.05, end + 0.25);
    const double before = largestStep(end - 1.2, end - 0.2);
    EXPECT_NEAR(whole, -18.0, 2.0);
    EXPECT_LE(peak, -1.0);
    EXPECT_LT(repeat, 0.5);
    EXPECT_GT(atShore, atSpawn + 3.0);
    EXPECT_LE(cut, before);
}
