#include <gtest/gtest.h>

#include "assets/NameList.h"
#include "support/Fatal.h"
#include "support/Sandbox.h"

using Names = std::vector<std::string>;

TEST(NameList, OneNamePerLineWhateverTheLineEnds) {
    Sandbox sandbox;
    sandbox.write("Resources/Textures/lf", "pills.png\nbottle.png\n");
    sandbox.write("Resources/Textures/nofinal", "pills.png\nbottle.png");
    sandbox.write("Resources/Textures/crlf", "pills.png\r\nbottle.png\r\n");
    sandbox.write("Resources/Textures/empty", "");
    const Names expected{"pills.png", "bottle.png"};
    EXPECT_EQ(readNameList("../Resources/Textures/", "lf"), expected);
    EXPECT_EQ(readNameList("../Resources/Textures/", "nofinal"), expected);
    EXPECT_EQ(readNameList("../Resources/Textures/", "crlf"), expected);
    EXPECT_TRUE(readNameList("../Resources/Textures/", "empty").empty());
}

TEST(NameList, TheTokenEndsAtTheFirstCharacterOutsideTheSet) {
    EXPECT_EQ(nameToken("level.dae  and more text"), "level.dae");
    EXPECT_EQ(nameToken("Sub/Dir_2/rock-big.OBJ\tcomment"), "Sub/Dir_2/rock-big.OBJ");
    // Every character from '.' to '_' is accepted, so these belong to the name.
    EXPECT_EQ(nameToken("a:b;c<d=e>f?g@h[i\\j]k^l_m"), "a:b;c<d=e>f?g@h[i\\j]k^l_m");
    EXPECT_EQ(nameToken("name,with,commas"), "name");
    EXPECT_EQ(nameToken(" leading.png"), "");
}

TEST(NameList, LongNamesStayWholeAndOddLinesAreSkipped) {
    Sandbox sandbox;
    const std::string longName = std::string(300, 'x') + ".png";
    sandbox.write("Resources/Meshes/Meshes", "\n" + longName + "\n   indented.obj\n\r\nrock.obj");
    EXPECT_EQ(readNameList("../Resources/Meshes/", "Meshes"), (Names{longName, "rock.obj"}));
}

TEST(NameList, MissingListStopsWithItsPath) {
    Sandbox sandbox;
    EXPECT_FATAL(readNameList("../Resources/Meshes/", "Meshes"),
                 "\nERROR READING FILE: ../Resources/Meshes/Meshes\n");
}
