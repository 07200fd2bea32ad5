#include <gtest/gtest.h>

#include "app/Console.h"
#include "support/Fatal.h"

TEST(Console, LabelsPadTheirDotsToOneColumnAndAFatalErrorEndsTheLine) {
    EXPECT_EQ(labelText("PHYSXFACTORY"), "\t\tPHYSXFACTORY " + std::string(25, '.'));
    EXPECT_EQ(labelText("GLFW").size(), 2u + 38u);
    // A label of the full width gets no dots, and a longer one does not break the line.
    EXPECT_EQ(labelText(std::string(37, 'X')), "\t\t" + std::string(37, 'X') + " ");
    EXPECT_EQ(labelText(std::string(40, 'X')), "\t\t" + std::string(40, 'X') + " ");
    // A fatal error ends an open label line, prints the message and exits with 1.
    EXPECT_FATAL(fatalError("PHYSX: SCENE IS NULL"), "PHYSX: SCENE IS NULL\n");
    EXPECT_FATAL(
        {
            logLabel("GLEW");
            fatalError("ERROR");
        },
        labelText("GLEW") + "ERROR\n");
}
