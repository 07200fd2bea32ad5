#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include "Fixtures.h"
#include "app/GameState.h"
#include "assets/MeshLoader.h"
#include "support/Fatal.h"
#include "support/GlContext.h"
#include "support/Sandbox.h"

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

testing::AssertionResult matricesNear(const glm::mat4& actual, const glm::mat4& expected) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (std::abs(actual[c][r] - expected[c][r]) > 1e-5f) {
                return testing::AssertionFailure()
                       << "element [" << c << "][" << r << "] is " << actual[c][r] << ", expected "
                       << expected[c][r];
            }
        }
    }
    return testing::AssertionSuccess();
}

std::vector<float> flatten(const std::vector<FixtureVertex>& vertices) {
    std::vector<float> values;
    for (const FixtureVertex& v : vertices) {
        values.insert(values.end(), {v.position.x, v.position.y, v.position.z});
    }
    return values;
}

GLint attribute(GLuint index, GLenum property) {
    GLint value = -1;
    glGetVertexAttribiv(index, property, &value);
    return value;
}

size_t attributeOffset(GLuint index) {
    void* pointer = nullptr;
    glGetVertexAttribPointerv(index, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    return reinterpret_cast<size_t>(pointer);
}

const glm::mat4 kIdentity(1.0f);
// Where a Z_UP file's root puts everything: the -90 degree turn about x into Y-up.
const glm::mat4 kZUpRoot = glm::rotate(kIdentity, glm::radians(-90.0f), glm::vec3(1, 0, 0));

const char* const kQuadAndMoreObj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\n"
                                    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                                    "f 1/1/1 2/2/1 3/3/1 4/4/1\n"
                                    "f 1/1/1 2/2/1 3/3/1 4/4/1 5/1/1\n"
                                    "l 1/1 5/1\np 5/1\n";

class MeshImport : public testing::Test {
  protected:
    GlContext gl;
    Sandbox sandbox;

    void writeMesh(const std::string& name, const std::string& text) const {
        sandbox.write("Resources/Meshes/" + name, text);
    }
    void TearDown() override { EXPECT_THAT(gl.takeErrors(), IsEmpty()); }
};

TEST_F(MeshImport, EveryChildOfTheRootIsOnePlacementOfTheOneMesh) {
    const glm::mat4 placements[3] = {
        glm::translate(kIdentity, glm::vec3(1, 2, 3)),
        glm::rotate(glm::translate(kIdentity, glm::vec3(-4, 0, 5)), 0.5f, glm::vec3(0, 0, 1)),
        glm::scale(kIdentity, glm::vec3(2, 1, 0.5f)),
    };
    const DaeGeometry rock = triangleGeometry("rock", glm::vec3(0), glm::vec3(1, 1, 0));
    writeMesh("three.dae", colladaFile({rock},
                                       daeNode("a", placements[0], "rock") +
                                           daeNode("b", placements[1], "rock") +
                                           daeNode("c", placements[2], "rock"),
                                       true));
    Model* model = loadModel("three.dae");

    ASSERT_EQ(model->instances.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(matricesNear(model->instances[i], kZUpRoot * placements[i])) << "child " << i;
    }
    EXPECT_EQ(model->mesh->buffers->indexCount, 3u);
    EXPECT_TRUE(model->visible);
    EXPECT_TRUE(matricesNear(model->transform, kIdentity));
    releaseModel(model);
}

TEST_F(MeshImport, OnlyTheFirstChildsFirstMeshIsImportedButEveryChildPlacesIt) {
    const DaeGeometry small = triangleGeometry("small", glm::vec3(0), glm::vec3(1));
    const DaeGeometry big = triangleGeometry("big", glm::vec3(-10), glm::vec3(10));
    writeMesh("two.dae",
              colladaFile({big, small},
                          daeNode("first", kIdentity, "small") +
                              daeNode("second", glm::translate(kIdentity, glm::vec3(5)), "big"),
                          false));
    Model* model = loadModel("two.dae");

    EXPECT_EQ(model->instances.size(), 2u);
    EXPECT_EQ(model->bounds->corners[1], glm::vec4(1, 1, 1, 1));
    EXPECT_EQ(model->bounds->corners[6], glm::vec4(0, 0, 0, 1));
    EXPECT_THAT(readBuffer<float>(model->mesh->buffers->positionBuffer, 9),
                ElementsAreArray(flatten(small.vertices)));
    releaseModel(model);
}

TEST_F(MeshImport, BoundingBoxCornersComeInTheirFixedOrder) {
    // Spans x -1..2, y 0..3, z -5..-4.
    writeMesh("box.dae",
              colladaFile({triangleGeometry("box", glm::vec3(-1, 0, -5), glm::vec3(2, 3, -4))},
                          daeNode("box", glm::translate(kIdentity, glm::vec3(9)), "box"), true));
    Model* model = loadModel("box.dae");
    EXPECT_THAT(model->bounds->corners,
                ElementsAre(glm::vec4(-1, 3, -4, 1), glm::vec4(2, 3, -4, 1),
                            glm::vec4(-1, 0, -4, 1), glm::vec4(2, 0, -4, 1),
                            glm::vec4(-1, 3, -5, 1), glm::vec4(2, 3, -5, 1),
                            glm::vec4(-1, 0, -5, 1), glm::vec4(2, 0, -5, 1)));
    EXPECT_EQ(meshLoader().boxMin, glm::vec3(-1, 0, -5));
    EXPECT_EQ(meshLoader().boxMax, glm::vec3(2, 3, -4));
    releaseModel(model);

    BoundingBox* moved = makeBoundingBox(glm::vec3(2, 3, -4), glm::vec3(-1, 0, -5),
                                         glm::translate(kIdentity, glm::vec3(10, 0, 0)));
    EXPECT_EQ(moved->corners[0], glm::vec4(9, 3, -4, 1));
    EXPECT_EQ(moved->corners[7], glm::vec4(12, 0, -5, 1));
    delete moved;
}

TEST_F(MeshImport, DiffuseTextureIsFoundByItsBareNameOnly) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    TextureTable& table = gameState().textureTable;
    table["stone.png"] = texture;

    const std::string body = "usemtl stone\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                             "f 1/1/1 2/1/1 3/1/1\n";
    writeMesh("bare.mtl", "newmtl stone\nKd 1 1 1\nmap_Kd stone.png\n");
    writeMesh("folder.mtl", "newmtl stone\nKd 1 1 1\nmap_Kd Textures/stone.png\n");
    writeMesh("bare.obj", "mtllib bare.mtl\n" + body);
    writeMesh("folder.obj", "mtllib folder.mtl\n" + body);
    writeMesh("plain.obj", body);

    Model* bare = loadModel("bare.obj");
    EXPECT_EQ(bare->mesh->texture, texture);
    Model* folder = loadModel("folder.obj");
    EXPECT_EQ(meshLoader().diffuseName, "Textures/stone.png");
    EXPECT_EQ(folder->mesh->texture, 0u);
    Model* plain = loadModel("plain.obj");
    EXPECT_EQ(meshLoader().diffuseName, "");
    EXPECT_EQ(plain->mesh->texture, 0u);

    releaseModel(bare);
    releaseModel(folder);
    releaseModel(plain);
    table.clear();
    glDeleteTextures(1, &texture);
}

TEST_F(MeshImport, ASecondLoadLeavesTheFirstModelUntouched) {
    const DaeGeometry rock = triangleGeometry("rock", glm::vec3(1), glm::vec3(2));
    writeMesh("rock.dae",
              colladaFile({rock},
                          daeNode("a", kIdentity, "rock") + daeNode("b", kIdentity, "rock") +
                              daeNode("c", kIdentity, "rock"),
                          false));
    writeMesh("quad.obj", kQuadAndMoreObj);
    Model* first = loadModel("rock.dae");
    Model* second = loadModel("quad.obj");

    EXPECT_EQ(meshLoader().instances.size(), 1u);
    EXPECT_EQ(meshLoader().indices.size(), 15u);
    EXPECT_EQ(first->instances.size(), 3u);
    EXPECT_EQ(first->mesh->buffers->indexCount, 3u);
    EXPECT_THAT(readBuffer<float>(first->mesh->buffers->positionBuffer, 9),
                ElementsAreArray(flatten(rock.vertices)));
    EXPECT_THAT(readBuffer<uint32_t>(first->mesh->buffers->indexBuffer, 3), ElementsAre(0, 1, 2));
    EXPECT_NE(first->mesh->buffers->vertexArray, second->mesh->buffers->vertexArray);
    releaseModel(first);
    releaseModel(second);
}

TEST_F(MeshImport, PolygonsBecomeTriangleFansAndPointsAndLinesAreSkipped) {
    writeMesh("quad.obj", kQuadAndMoreObj);
    Model* model = loadModel("quad.obj");
    // The quad, then the pentagon, each fanned around its first corner; the line and the
    // point add nothing.
    const std::vector<uint32_t> fans = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 4, 7, 8};
    EXPECT_EQ(meshLoader().indices, fans);
    ASSERT_EQ(model->mesh->buffers->indexCount, fans.size());
    EXPECT_THAT(readBuffer<uint32_t>(model->mesh->buffers->indexBuffer, fans.size()),
                ElementsAreArray(fans));
    releaseModel(model);
}

TEST_F(MeshImport, VertexArrayRecordsTheInstancedLayoutAndReleaseDeletesIt) {
    writeMesh("quad.obj", kQuadAndMoreObj);
    Model* model = loadModel("quad.obj");
    const MeshBuffers buffers = *model->mesh->buffers;
    const MeshLoader& loader = meshLoader();

    glBindVertexArray(buffers.vertexArray);
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(static_cast<GLuint>(elements), buffers.indexBuffer);
    const GLuint sources[3] = {buffers.positionBuffer, buffers.normalBuffer,
                               buffers.texCoordBuffer};
    const GLint sizes[3] = {3, 3, 2};
    for (GLuint i = 0; i < 3; ++i) {
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE) << i;
        EXPECT_EQ(static_cast<GLuint>(attribute(i, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING)),
                  sources[i])
            << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_SIZE), sizes[i]) << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE), sizes[i] * 4) << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_DIVISOR), 0) << i;
        EXPECT_EQ(attributeOffset(i), 0u) << i;
    }
    for (GLuint i = 3; i < 7; ++i) {
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE) << i;
        EXPECT_EQ(static_cast<GLuint>(attribute(i, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING)),
                  buffers.instanceBuffer)
            << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_SIZE), 4) << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_TYPE), GL_FLOAT) << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), GL_FALSE) << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 64) << i;
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_DIVISOR), 1) << i;
        EXPECT_EQ(attributeOffset(i), (i - 3) * 16u) << i;
    }
    EXPECT_EQ(attribute(7, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);
    glBindVertexArray(0);

    // What went up is what the file holds, vertex for vertex.
    const size_t count = loader.positions.size();
    ASSERT_EQ(count, 12u);
    const std::vector<float> normals = readBuffer<float>(buffers.normalBuffer, count * 3);
    const std::vector<float> uvs = readBuffer<float>(buffers.texCoordBuffer, count * 2);
    for (size_t v = 0; v < count; ++v) {
        EXPECT_EQ(glm::vec3(normals[v * 3], normals[v * 3 + 1], normals[v * 3 + 2]),
                  loader.normals[v]);
        EXPECT_EQ(glm::vec2(uvs[v * 2], uvs[v * 2 + 1]), loader.texCoords[v]);
    }
    EXPECT_EQ(loader.normals[0], glm::vec3(0, 0, 1));
    EXPECT_EQ(loader.texCoords[2], glm::vec2(1, 1));
    EXPECT_EQ(loader.positions[3], glm::vec3(0, 1, 0));

    releaseModel(model);
    EXPECT_FALSE(glIsVertexArray(buffers.vertexArray));
    for (GLuint name : {buffers.positionBuffer, buffers.normalBuffer, buffers.texCoordBuffer,
                        buffers.indexBuffer, buffers.instanceBuffer}) {
        EXPECT_FALSE(glIsBuffer(name)) << name;
    }
}

TEST_F(MeshImport, ScreenQuadKeepsItsCornersAndIndexOrder) {
    const glm::vec2 positions[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -0.5f}};
    const glm::vec2 texCoords[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0.25f}};
    const uint32_t indices[6] = {0, 2, 1, 0, 3, 2};
    ScreenQuad* quad = createScreenQuad(positions, texCoords, indices);
    const ScreenQuad names = *quad;

    EXPECT_EQ(quad->texture, 0u);
    EXPECT_THAT(readBuffer<float>(quad->positionBuffer, 8),
                ElementsAre(-1, -1, -1, 1, 1, 1, 1, -0.5f));
    EXPECT_THAT(readBuffer<float>(quad->texCoordBuffer, 8),
                ElementsAre(0, 0, 0, 1, 1, 1, 1, 0.25f));
    EXPECT_THAT(readBuffer<uint32_t>(quad->indexBuffer, 6), ElementsAre(0, 2, 1, 0, 3, 2));

    glBindVertexArray(quad->vertexArray);
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(static_cast<GLuint>(elements), quad->indexBuffer);
    EXPECT_EQ(static_cast<GLuint>(attribute(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING)),
              quad->positionBuffer);
    EXPECT_EQ(static_cast<GLuint>(attribute(1, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING)),
              quad->texCoordBuffer);
    for (GLuint i = 0; i < 2; ++i) {
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_SIZE), 2);
        EXPECT_EQ(attribute(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 8);
    }
    EXPECT_EQ(attribute(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);
    glBindVertexArray(0);

    releaseScreenQuad(quad);
    EXPECT_FALSE(glIsVertexArray(names.vertexArray));
    EXPECT_FALSE(glIsBuffer(names.positionBuffer));
    EXPECT_FALSE(glIsBuffer(names.texCoordBuffer));
    EXPECT_FALSE(glIsBuffer(names.indexBuffer));
}

TEST_F(MeshImport, AMissingFileStopsWithItsPath) {
    EXPECT_FATAL(loadModel("test.dae"),
                 "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/test.dae\n");
}

TEST_F(MeshImport, FilesWithoutOneDrawableMeshStopWithTheLoadMessage) {
    const DaeGeometry rock = triangleGeometry("rock", glm::vec3(0), glm::vec3(1));
    DaeGeometry lines = rock;
    lines.primitive = "lines";
    lines.indices = {0, 1, 1, 2};
    const char* const flatPly = "ply\nformat ascii 1.0\nelement vertex 3\n"
                                "property float x\nproperty float y\nproperty float z\n"
                                "property float nx\nproperty float ny\nproperty float nz\n"
                                "property float s\nproperty float t\n"
                                "element face 1\nproperty list uchar int vertex_indices\n"
                                "end_header\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n"
                                "0 1 0 0 0 1 0 1\n3 0 1 2\n";
    const std::vector<std::pair<std::string, std::string>> files = {
        // The mesh hangs on the root itself: no child to place it.
        {"flat.ply", flatPly},
        // The first child only groups; its mesh is a grandchild.
        {"nested.dae",
         colladaFile({rock}, daeNode("group", kIdentity, "", daeNode("rock", kIdentity, "rock")),
                     true)},
        {"nonormals.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n"},
        {"nouvs.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n"},
        {"lines.dae", colladaFile({lines}, daeNode("wire", kIdentity, "rock"), true)},
        {"broken.dae", "<COLLADA version=\"1.4.1\"><library_geometries>"},
        {"empty.obj", ""},
    };
    for (const auto& file : files) {
        writeMesh(file.first, file.second);
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        EXPECT_FATAL(loadModel(file.first),
                     "FEHLER BEIM LADEN DER MESH ../Resources/Meshes/" + file.first + "\n");
    }
}

} // namespace
