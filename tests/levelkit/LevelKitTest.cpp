// levelkit run as a level maker runs it, on foreign model files (Assimp's own test models from
// Debian's assimp-testmodels, and small ones written here), its results read back with the
// game's own loaders.
#include <filesystem>
#include <sstream>

#include <FreeImage.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "assets/MeshLoader.h"
#include "assets/NameList.h"
#include "assets/Textures.h"
#include "physics/CollisionMesh.h"
#include "support/GameProcess.h"
#include "support/PrivateDisplay.h"
#include "support/Sandbox.h"
#include "support/TopDownImages.h"
#include "tools/levelgen/ModelFile.h"

using testing::AllOf;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

namespace {

const std::string kModels = "/usr/share/assimp/models/";

// Runs levelkit with the arguments, expecting the exit status; standard output and error.
std::string kit(const std::string& arguments, int status) {
    std::string output;
    EXPECT_EQ(runCommand(std::string(MORBANE_LEVELKIT) + " " + arguments + " 2>&1", &output),
              status)
        << arguments << "\n"
        << output;
    return output;
}

// The game's view of a model: its world box over every placement.
struct Loaded {
    size_t triangles = 0;
    size_t placements = 0;
    glm::vec3 min = glm::vec3(1e9f), max = glm::vec3(-1e9f);
    std::string texture;
};

Loaded load(const std::string& name) {
    Loaded result;
    EXPECT_EQ(tryImportModel(name), "") << name;
    const MeshLoader& loader = meshLoader();
    result.triangles = loader.indices.size() / 3;
    result.placements = loader.instances.size();
    result.texture = loader.diffuseName;
    for (const glm::mat4& placement : loader.instances) {
        for (const glm::vec3& p : loader.positions) {
            const glm::vec3 q(placement * glm::vec4(p, 1.0f));
            result.min = glm::min(result.min, q);
            result.max = glm::max(result.max, q);
        }
    }
    return result;
}

// The colour at texture coordinate uv of an image, as the game uploads it (rows from the bottom).
glm::ivec3 colourAt(const std::string& path, glm::vec2 uv) {
    FIBITMAP* image = readImage(path);
    if (image == nullptr) {
        ADD_FAILURE() << path;
        return glm::ivec3(-1);
    }
    const glm::ivec2 size(FreeImage_GetWidth(image), FreeImage_GetHeight(image));
    const glm::ivec2 texel = glm::min(glm::ivec2(uv * glm::vec2(size)), size - 1);
    const BYTE* pixel = FreeImage_GetScanLine(image, texel.y) + texel.x * 4;
    const glm::ivec3 colour(pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE]);
    FreeImage_Unload(image);
    return colour;
}

std::string triangleObj(float size) {
    const std::string s = std::to_string(size);
    return "v 0 0 0\nv " + s + " 0 0\nv 0 0 " + s + "\nf 1 2 3\n";
}

struct LevelKit : testing::Test {
    Sandbox sandbox;
    const std::string level = sandbox.path("Resources");
    void SetUp() override {
        sandbox.write("Resources/Meshes/Meshes", "ground.dae\n");
        sandbox.write("Resources/Textures/Textures", "rock.png\n");
        sandbox.linkShipped("Resources/Textures/rock.png");
        sandbox.linkShipped("Resources/Shaders");
        sandbox.linkShipped("Resources/Fonts");
        meshLoader().folder = level + "/Meshes/";
    }
    void write(const std::string& name, const std::string& text) const {
        sandbox.write("models/" + name, text);
    }
};

TEST_F(LevelKit, ImportBringsForeignFilesIntoTheGamesConventionWhereTheyAreWanted) {
    // Three parts in three plain colours, 100 units apart; a quad whose image the material names
    // with a folder, backslashes and another case, rows stored top down; a COLLADA group that
    // only moves the mesh node within it.
    write("parts.mtl", "newmtl red\nKd 1 0 0\nnewmtl green\nKd 0 1 0\nnewmtl blue\nKd 0 0 1\n");
    write("parts.obj", "mtllib parts.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 100 0 0\nv 101 0 0\n"
                       "v 100 1 0\nv 0 0 100\nv 1 0 100\nv 0 1 100\no a\nusemtl red\nf 1 2 3\n"
                       "o b\nusemtl green\nf 4 5 6\no c\nusemtl blue\nf 7 8 9\n");
    write("quad.mtl", "newmtl picture\nmap_Kd C:\\Art\\PIC.DDS\n");
    write("pic.dds", topRedImage(TopDown::dds));
    write("quad.obj", "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\n"
                      "vt 1 1\nvt 0 1\nusemtl picture\nf 1/1 2/2 3/3 4/4\n");
    ModelFile grouped{"", "x.png", UpAxis::Y, MeshData(), {glm::mat4(1.0f)}};
    addFlatTriangle(grouped.mesh, glm::vec3(0), glm::vec3(1, 0, 0), glm::vec3(0, 0, 1),
                    glm::vec2(0), glm::vec2(0), glm::vec2(0));
    grouped.placements[0][3] = glm::vec4(0, 0, 3, 1);
    std::string nested = colladaText(grouped);
    nested.insert(nested.find("<node"), "<node id=\"group\"><matrix>1 0 0 5 0 1 0 0 0 0 1 0 0 0 0 "
                                        "1</matrix>");
    write("nested.dae", nested.insert(nested.find("</visual_scene>"), "</node>"));
    write("huge.obj", triangleObj(1000.0f));

    struct Case {
        std::string arguments;
        size_t triangles, placements;
        glm::vec3 min, max; // in the world, over every placement
        std::string said;
    };
    const Case cases[] = {
        // A 3DS rock stands where it is put, not 24 units below: the reader's turn to y-up and
        // every node's transformation are baked in, the origin is the base's centre.
        {kModels + "3DS/fels.3ds --name rock3 --at 10 2 -5 --at 0 0 0 --turn 90",
         256 * 3,
         2,
         {-1.6f, 0.0f, -6.6f},
         {11.75f, 6.68f, 1.75f},
         "768 triangles from 1 mesh"},
        // The duck's camera and light are dropped: one placement, not three.
        {kModels + "Collada/duck.dae --at 0 0 0",
         4212,
         1,
         {-0.83f, 0, -0.58f},
         {0.83f, 1.54f, 0.58f},
         "left out: 1 camera, 1 light, 2 empty nodes"},
        // Every part of an engine, not its first part once per child of the root in one spot.
        {kModels + "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb --name engine --scale "
                   "0.01",
         121496,
         1,
         {-3.72f, 0, -1.34f},
         {3.72f, 2.73f, 1.34f},
         "from 115 meshes"},
        {sandbox.path("models/parts.obj"),
         3,
         1,
         {-50.5f, 0, -50},
         {50.5f, 1, 50},
         "3 plain colours"},
        {sandbox.path("models/quad.obj"), 2, 1, {-0.5f, 0, 0}, {0.5f, 1, 0}, "pic.dds"},
        {sandbox.path("models/nested.dae --keep-origin --at 1 0 0"),
         1,
         1,
         {6, 0, 3},
         {7, 0, 4},
         "1 mesh"},
        {sandbox.path("models/huge.obj --at 0 ground 0"),
         1,
         1,
         {-500, 1, -500},
         {500, 1, 500},
         "warning: it is 1000 units across, larger than the whole level: try --scale 0.01"},
        // The table fits into the cube from -1 to 1; its placement scales it back, so that the
        // trigger box is the model's box.
        {kModels + "glTF2/BoxTextured-glTF/BoxTextured.gltf --name Mixtable --replace --scale 3 "
                   "--at 0 ground -21",
         12,
         1,
         {-1.5f, 1, -22.5f},
         {1.5f, 4, -19.5f},
         "Mixtable.png added to the Textures list"},
    };
    // A flat ground at y = 1 for the last placements to stand on.
    sandbox.write("Resources/Meshes/collision.obj",
                  "v -900 1 -900\nv 900 1 -900\nv 900 1 900\nv -900 1 900\nf 1 2 3 4\n");
    for (const Case& c : cases) {
        const std::string said = kit("import " + c.arguments + " " + level, 0);
        EXPECT_THAT(said, HasSubstr(c.said)) << c.arguments;
        const std::string name = said.substr(said.rfind("/Meshes/") + 8);
        const Loaded got = load(name.substr(0, name.find(':')));
        EXPECT_EQ(glm::uvec2(got.triangles, got.placements), glm::uvec2(c.triangles, c.placements))
            << c.arguments;
        EXPECT_LT(glm::length(got.min - c.min) + glm::length(got.max - c.max), 0.05f)
            << c.arguments << " " << got.min.x << " " << got.min.y << " " << got.min.z << " "
            << got.max.x << " " << got.max.y << " " << got.max.z;
    }
    EXPECT_EQ(
        meshLoader().instances[0],
        glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0, 2.5f, -21)), glm::vec3(1.5f)));
    // Each part takes its own colour from the model's texture; the picture keeps its top up.
    const std::string textures = level + "/Textures/";
    ASSERT_EQ(tryImportModel("parts.dae"), "");
    const glm::vec2* uv = meshLoader().texCoords.data();
    EXPECT_THAT((std::vector<glm::ivec3>{colourAt(textures + "parts.png", uv[0]),
                                         colourAt(textures + "parts.png", uv[3]),
                                         colourAt(textures + "parts.png", uv[6])}),
                ElementsAre(glm::ivec3(255, 0, 0), glm::ivec3(0, 255, 0), glm::ivec3(0, 0, 255)));
    EXPECT_EQ(colourAt(textures + "quad.png", glm::vec2(0.5f, 0.9f)), glm::ivec3(255, 0, 0));
    EXPECT_EQ(colourAt(textures + "quad.png", glm::vec2(0.5f, 0.1f)), glm::ivec3(0, 0, 255));

    // Imported again: the files are rewritten, the lists name everything once.
    kit("import " + sandbox.path("models/quad.obj") + " " + level, 0);
    std::vector<std::string> meshes, images;
    ASSERT_TRUE(tryReadNameList(level + "/Meshes/Meshes", meshes));
    ASSERT_TRUE(tryReadNameList(textures + "Textures", images));
    EXPECT_THAT(meshes, ElementsAre("ground.dae", "rock3.dae", "duck.dae", "engine.dae",
                                    "parts.dae", "quad.dae", "nested.dae", "huge.dae"));
    EXPECT_EQ(images.size(), 9u);

    // The collision mesh is the listed level at its placements, the drugs left out.
    sandbox.write("Resources/Meshes/Meshes", "rock3.dae\nparts.dae\ndrugs3.dae\n");
    EXPECT_THAT(kit("collision " + level, 0), HasSubstr("drugs3.dae               left out"));
    std::string reason;
    CollisionMesh* collision = readCollisionMesh(level + "/Meshes/collision.obj", reason);
    ASSERT_NE(collision, nullptr) << reason;
    EXPECT_EQ(collision->triangleCount, 768u * 2 + 3);
    releaseCollisionMesh(collision);

    // What cannot become one model of the game is refused with the reason, and nothing is
    // written.
    write("points.obj", "v 0 0 0\nv 1 0 0\np 1\np 2\n");
    const std::string huge = sandbox.path("models/huge.obj ") + level;
    const std::pair<std::string, std::string> refusals[] = {
        {sandbox.path("models/points.obj ") + level, "it has no triangle to draw"},
        {sandbox.path("models/gone.obj ") + level, "Assimp cannot read it"},
        {kModels + "OBJ/spider.obj " + level, "repeats across its part"},
        {huge + " --name rock", "rock.png is there already and levelkit did not write it"},
        {huge + "/Meshes", "has no folder Meshes"},
        {huge + " --scale -1", "--scale takes a number above 0"},
        {huge + " --turn 5", "--turn follows the --at it turns"},
    };
    for (const auto& refusal : refusals) {
        EXPECT_THAT(kit("import " + refusal.first, 1), HasSubstr(refusal.second));
    }
    EXPECT_EQ(readFile(textures + "Textures").find("points"), std::string::npos);
}

TEST_F(LevelKit, CheckReportsWhatTheGameWouldStopOnAndWhatItWouldSilentlyGetWrong) {
    const std::string meshes = "Resources/Meshes/";
    sandbox.write("Resources/Textures/Textures", "rock.png\nmissing.png\ncut.png\n");
    sandbox.write("Resources/Textures/cut.png",
                  readFile(shippedPath("Resources/Textures/rock.png")).substr(0, 300));
    sandbox.write(meshes + "Meshes",
                  "two.obj\nlines.obj\noutside.ply\nhuge.obj\nduck.dae\nengine.glb\n");
    sandbox.write(meshes + "two.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\no a\nf 1 2 3\no b\nf 3 2 1\n");
    sandbox.write(meshes + "lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n");
    sandbox.write(meshes + "outside.ply",
                  "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                  "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
                  "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n");
    sandbox.write(meshes + "huge.obj", triangleObj(5000.0f));
    std::filesystem::create_symlink(kModels + "Collada/duck.dae",
                                    sandbox.path(meshes + "duck.dae"));
    std::filesystem::create_symlink(kModels +
                                        "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
                                    sandbox.path(meshes + "engine.glb"));
    for (const char* name : {"test.dae", "npcHead.dae", "rotfaces.dae", "waterplane.obj"}) {
        sandbox.linkShipped(meshes + name);
    }
    // The ground is a square at y = -1 far east; one drug floats 10 above it, the table's box
    // starts 3 above it.
    ModelFile drugs{"", "drug.png", UpAxis::Y, MeshData(), {}};
    addFlatTriangle(drugs.mesh, glm::vec3(0), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0), glm::vec2(0),
                    glm::vec2(0), glm::vec2(0));
    for (const glm::vec3& at : {glm::vec3(105, 0, 0), glm::vec3(105, 0, 1), glm::vec3(105, 9, 2)}) {
        drugs.placements.push_back(glm::translate(glm::mat4(1.0f), at));
    }
    sandbox.write(meshes + "drugs3.dae", colladaText(drugs));
    drugs.placements = {glm::translate(glm::mat4(1.0f), glm::vec3(105, 3, -2))};
    sandbox.write(meshes + "Mixtable.dae", colladaText(drugs));
    sandbox.write(meshes + "collision.obj",
                  "v 100 -1 -5\nv 110 -1 -5\nv 110 -1 5\nv 100 -1 5\nf 1 2 3 4\n");

    const std::string said = kit("check " + level, 1);
    EXPECT_THAT(said, AllOf(HasSubstr("missing.png              REFUSED: FreeImage cannot read "
                                      "it"),
                            HasSubstr("cut.png                  REFUSED: FreeImage cannot read it"),
                            HasSubstr("lines.obj                REFUSED: the mesh has no triangle"),
                            HasSubstr("outside.ply              REFUSED: a face names a vertex"),
                            HasSubstr("two.obj                         3 vertices        1 "
                                      "triangles    2 placements\n  in the world: x 0..1, y 0..1, "
                                      "z 0..0\n  warning: 2 meshes in the file"),
                            HasSubstr("warning: it is 5000 units across")));
    // A camera and a light beside the duck; an engine of 34 meshes in groups under groups.
    EXPECT_THAT(said, AllOf(HasSubstr("warning: 2 of 3 children of the root have no mesh"),
                            HasSubstr("engine.glb                    192 vertices      191 "
                                      "triangles    2 placements\n"),
                            HasSubstr("warning: 34 meshes in the file"),
                            HasSubstr("warning: nodes below the root's children play no part")));
    EXPECT_THAT(said, AllOf(HasSubstr("warning: nothing below the spawn (0, 5, 0)"),
                            HasSubstr("warning: 2 triangles lie wholly below the invisible floor"),
                            HasSubstr("and the drawn level (x -38.97..5000"),
                            HasSubstr("warning: drug 2 at (105, 9, 2) floats 10 above the ground"),
                            Not(HasSubstr("drug 1")),
                            HasSubstr("warning: the table's box starts 3 above the ground at -1"),
                            HasSubstr("4 refused, 11 warnings\n")));
    // Two drugs are one too few for three medicines.
    drugs.placements.resize(2);
    sandbox.write(meshes + "drugs3.dae", colladaText(drugs));
    EXPECT_THAT(kit("check " + level, 1),
                HasSubstr("drugs3.dae               REFUSED: fewer than three placements"));
    // The game's own level passes, and levelcheck is the same check.
    std::string shipped;
    EXPECT_EQ(runCommand("cd " + std::string(MORBANE_BUILD_DIR) + " && ./levelcheck", &shipped), 0);
    EXPECT_THAT(shipped, HasSubstr(" 0 refused, 0 warnings\n"));
}

// docs/level.md's walk-through, run command by command: every output it shows is what the
// commands print today, and the game starts on the level it makes and quits cleanly.
TEST(LevelDocument, TheWalkThroughRunsAsWrittenAndTheGamePlaysItsLevel) {
    Sandbox sandbox;
    const std::string work = sandbox.path("walk");
    std::string renewed;
    ASSERT_EQ(runCommand(shippedPath("tools/levelkit/walkthrough.sh") + " " + MORBANE_BUILD_DIR +
                             " " + work,
                         &renewed),
              0);
    EXPECT_EQ(renewed, readFile(shippedPath("docs/level.md")))
        << "docs/level.md is stale: cmake --build build --target leveldoc";

    const std::string play = "cd mylevel/run && ../../build/morbane ";
    const size_t at = renewed.find(play);
    ASSERT_NE(at, std::string::npos);
    std::vector<std::string> arguments;
    std::istringstream words(
        renewed.substr(at + play.size(), renewed.find('\n', at) - at - play.size()));
    for (std::string word; words >> word;) {
        arguments.push_back(word);
    }
    PrivateDisplay display; // no other test's window takes the focus and pauses it
    GameProcess game(arguments, work + "/mylevel/run");
    ASSERT_TRUE(game.started()) << game.output;
    game.readFor(1.0);
    EXPECT_EQ(game.quit(), 0) << game.output;
}

} // namespace
