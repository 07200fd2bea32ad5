#pragma once
// Runs a statement that must end the process through the fatal path, in a child process,
// and checks its exit status 1 and exactly what it wrote to standard output.
#include <string>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Death tests read the child's standard error, so the child's standard output goes there too.
#define EXPECT_FATAL_OUTPUT(statement, matcher)                                                    \
    EXPECT_EXIT(                                                                                   \
        {                                                                                          \
            dup2(STDERR_FILENO, STDOUT_FILENO);                                                    \
            statement;                                                                             \
        },                                                                                         \
        ::testing::ExitedWithCode(1), matcher)

#define EXPECT_FATAL(statement, expectedOutput)                                                    \
    EXPECT_FATAL_OUTPUT(statement, ::testing::Eq(std::string(expectedOutput)))
