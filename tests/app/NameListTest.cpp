#include <gtest/gtest.h>

#include "assets/NameList.h"
#include "support/Fatal.h"
#include "support/Sandbox.h"

using Names = std::vector<std::string>;

TEST(NameList, OneWholeNamePerLineWhateverTheLineEndsSkippingOddLines) {
    Sandbox sandbox;
    const std::string longName = std::string(300, 'x') + ".png";
    const std::pair<const char*, std::string> lists[] = {
        {"lf", "pills.png\nbottle.png\n"},
        {"crlf", "pills.png\r\nbottle.png\r\n"},
        {"odd", "\n" + longName + "\r\n   indented.obj\n\r\nbottle.png"}, // no final end
    };
    for (const auto& [name, text] : lists) {
        sandbox.write(std::string("Resources/Textures/") + name, text);
        const Names expected{name == std::string("odd") ? longName : "pills.png", "bottle.png"};
        EXPECT_EQ(readNameList("../Resources/Textures/", name), expected) << name;
    }
    sandbox.write("Resources/Textures/empty", "");
    EXPECT_TRUE(readNameList("../Resources/Textures/", "empty").empty());
    EXPECT_FATAL(readNameList("../Resources/Meshes/", "Meshes"),
                 "\nERROR READING FILE: ../Resources/Meshes/Meshes\n");
}

TEST(NameList, TheTokenEndsAtTheFirstCharacterOutsideTheSet) {
    EXPECT_EQ(nameToken("Sub/Dir_2/rock-big.OBJ\tcomment"), "Sub/Dir_2/rock-big.OBJ");
    // Every character from '.' to '_' is accepted, so these belong to the name.
    EXPECT_EQ(nameToken("a:b;c<d=e>f?g@h[i\\j]k^l_m"), "a:b;c<d=e>f?g@h[i\\j]k^l_m");
    EXPECT_EQ(nameToken("name,with,commas and more"), "name");
    EXPECT_EQ(nameToken(" leading.png"), "");
}
