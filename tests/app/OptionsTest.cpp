#include <gtest/gtest.h>

#include <vector>

#include "app/Options.h"

namespace {

WindowOptions scan(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "morbane");
    return scanOptions(static_cast<int>(arguments.size()), arguments.data());
}

} // namespace

TEST(Options, NoArgumentsMeanFullScreenAtSixtyHertz) {
    const WindowOptions options = scan({});
    EXPECT_TRUE(options.fullScreen);
    EXPECT_EQ(options.refreshRate, 60);
    EXPECT_FALSE(options.unknownOption);
}

TEST(Options, WindowSizeAndRefreshRateCombine) {
    WindowOptions options = scan({"-d", "1280", "720", "-r", "75"});
    EXPECT_FALSE(options.fullScreen);
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_EQ(options.refreshRate, 75);

    options = scan({"-r", "75"});
    EXPECT_TRUE(options.fullScreen);
    EXPECT_EQ(options.refreshRate, 75);

    // A later option of the same kind overrides the earlier one.
    options = scan({"-d", "800", "600", "-d", "1024", "768"});
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 768);
}

TEST(Options, UnknownArgumentRestoresDefaultsAndStops) {
    WindowOptions options = scan({"-x"});
    EXPECT_TRUE(options.unknownOption);
    EXPECT_TRUE(options.fullScreen);

    options = scan({"-r", "75", "-d", "1024", "768", "--window", "-d", "640", "480"});
    EXPECT_TRUE(options.unknownOption);
    EXPECT_TRUE(options.fullScreen);
    EXPECT_EQ(options.refreshRate, 60);
    EXPECT_EQ(options.width, 1024); // read before the unknown argument, then ignored

    // Options compare whole and case-sensitively; a glued value is not recognised.
    EXPECT_TRUE(scan({"-D", "800", "600"}).unknownOption);
    EXPECT_TRUE(scan({"-r75"}).unknownOption);
}

TEST(Options, BadValueStopsTheScanSilently) {
    WindowOptions options = scan({"-d", "800", "wide"});
    EXPECT_FALSE(options.unknownOption);
    EXPECT_TRUE(options.fullScreen);
    EXPECT_EQ(options.width, 800);
    EXPECT_EQ(options.height, 0);

    // A failed read keeps what was there and ends the scan before later options.
    options = scan({"-r", "fast", "-d", "800", "600"});
    EXPECT_EQ(options.refreshRate, 60);
    EXPECT_TRUE(options.fullScreen);

    // An option without its value at the end.
    options = scan({"-d", "800", "600", "-r"});
    EXPECT_FALSE(options.fullScreen);
    EXPECT_EQ(options.refreshRate, 60);
}

TEST(Options, WindowSidesOutsideOneTo16384FailLikeBadValues) {
    for (const std::vector<const char*>& sides : {std::vector<const char*>{"-640", "480"},
                                                  {"0", "480"},
                                                  {"16385", "480"},
                                                  {"2147483647", "2147483647"},
                                                  {"99999999999", "480"},
                                                  {"640", "-480"},
                                                  {"640", "0"},
                                                  {"640", "70000"}}) {
        const WindowOptions options = scan({"-d", sides[0], sides[1], "-r", "75"});
        EXPECT_TRUE(options.fullScreen) << sides[0] << " " << sides[1];
        EXPECT_FALSE(options.unknownOption);
        EXPECT_EQ(options.refreshRate, 60); // the scan stopped
        EXPECT_EQ(options.height, 0);
    }
    const WindowOptions options = scan({"-d", "1", "16384"});
    EXPECT_FALSE(options.fullScreen);
    EXPECT_EQ(options.width, 1);
    EXPECT_EQ(options.height, 16384);
}

TEST(Options, ValuesReadLikeStreamExtraction) {
    int32_t value = 7;
    EXPECT_TRUE(readInteger("  42", value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(readInteger("-5", value));
    EXPECT_EQ(value, -5);
    EXPECT_TRUE(readInteger("+12px", value)); // stops at the first non-digit
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(readInteger("px12", value));
    EXPECT_FALSE(readInteger("", value));
    EXPECT_EQ(value, 12);
}

TEST(Options, CentredPositionHalvesLikeIntegers) {
    EXPECT_EQ(centredPosition(1920, 800), 560);
    EXPECT_EQ(centredPosition(1080, 600), 240);
    EXPECT_EQ(centredPosition(1081, 601), 240); // 540 - 300
}
