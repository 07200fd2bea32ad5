// decomposeTransform against glm's own decomposition.
#include <gtest/gtest.h>

#include <random>

#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/matrix_decompose.hpp>

#include "physics/PhysXFactory.h"

namespace {

void expectAgrees(const glm::mat4& matrix) {
    glm::vec3 scale;
    glm::quat rotation;
    glm::vec3 translation;
    glm::vec3 skew;
    glm::vec4 perspective;
    ASSERT_TRUE(glm::decompose(matrix, scale, rotation, translation, skew, perspective));
    const Decomposition ours = decomposeTransform(matrix);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(ours.scale[i], scale[i], 1e-4f * std::fabs(scale[i]) + 1e-5f);
        EXPECT_NEAR(ours.translation[i], translation[i], 1e-4f);
    }
    // q and -q are the same turn.
    EXPECT_NEAR(std::fabs(glm::dot(ours.rotation, rotation)), 1.0f, 1e-4f);
    EXPECT_NEAR(glm::length(ours.rotation), 1.0f, 1e-5f);
}

} // namespace

TEST(Decompose, AgreesWithGlmOnPlacements) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> size(0.1f, 5.0f);
    for (int i = 0; i < 500; ++i) {
        const glm::vec3 axis = glm::normalize(glm::vec3(unit(random), unit(random), unit(random)));
        glm::mat4 m = glm::translate(glm::mat4(1.0f),
                                     glm::vec3(unit(random), unit(random), unit(random)) * 50.0f);
        m = glm::rotate(m, unit(random) * 3.14159f, axis);
        m = glm::scale(m, glm::vec3(size(random), size(random), size(random)));
        if (i % 5 == 0) {
            m[1] += m[0] * 0.3f * unit(random); // sheared
        }
        if (i % 7 == 0) {
            m[2] = -m[2]; // mirrored
        }
        if (i % 11 == 0) {
            m *= 2.0f; // [3][3] is not one
        }
        SCOPED_TRACE(i);
        expectAgrees(m);
    }
}

TEST(Decompose, SingularMatricesLeaveZerosAndTheIdentity) {
    glm::mat4 flat = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f, 0.0f, 1.0f));
    flat[3] = glm::vec4(5, 6, 7, 1);
    glm::mat4 noW = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    noW[3][3] = 0.0f;
    for (const glm::mat4& m : {glm::mat4(0.0f), flat, noW}) {
        const Decomposition d = decomposeTransform(m);
        EXPECT_EQ(d.scale, glm::vec3(0.0f));
        EXPECT_EQ(d.translation, glm::vec3(0.0f));
        EXPECT_EQ(d.rotation, glm::quat(1, 0, 0, 0));
    }
}
