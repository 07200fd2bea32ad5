#include <gtest/gtest.h>

#include "app/Console.h"

TEST(Console, LabelsPadTheirDotsToOneColumn) {
    EXPECT_EQ(labelText("PHYSXFACTORY"), "\t\tPHYSXFACTORY " + std::string(25, '.'));
    EXPECT_EQ(labelText("GLFW").size(), 2u + 38u);
    // A label of the full width gets no dots, and a longer one does not break the line.
    EXPECT_EQ(labelText(std::string(37, 'X')), "\t\t" + std::string(37, 'X') + " ");
    EXPECT_EQ(labelText(std::string(40, 'X')), "\t\t" + std::string(40, 'X') + " ");
}
