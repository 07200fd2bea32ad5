#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Fatal paths run in a fresh copy of the test binary, never in a fork that shares
    // the parent's X connection or GL context.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The games the tests start play into OpenAL Soft's null output; capturing tests choose
    // their own.
    setenv("ALSOFT_CONF", MORBANE_SOURCE_DIR "/tests/support/quiet-alsoft.conf", 1);
    return RUN_ALL_TESTS();
}
