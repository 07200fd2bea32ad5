#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/Options.h"

// Each line: the arguments, then full screen, width, height, refresh rate and unknown option.
TEST(Options, ScanCombinesOverridesAndStopsAtTheFirstBadOrUnknownArgument) {
    struct Case {
        std::vector<const char*> arguments;
        bool fullScreen;
        int32_t width, height, refreshRate;
        bool unknown;
    };
    const Case cases[] = {
        {{}, true, 0, 0, 60, false},
        {{"-d", "1280", "720", "-r", "75"}, false, 1280, 720, 75, false},
        {{"-r", "75"}, true, 0, 0, 75, false},
        {{"-d", "800", "600", "-d", "1024", "768"}, false, 1024, 768, 60, false},
        // Unknown: the defaults come back, though sizes read before it stay in the record.
        {{"-x"}, true, 0, 0, 60, true},
        {{"-r", "75", "-d", "1024", "768", "-w", "-d", "640", "480"}, true, 1024, 768, 60, true},
        // A bad or missing value ends the scan silently, keeping what was read.
        {{"-d", "800", "wide"}, true, 800, 0, 60, false},
        {{"-r", "fast", "-d", "800", "600"}, true, 0, 0, 60, false},
        {{"-d", "800", "600", "-r"}, false, 800, 600, 60, false},
        // Window sides outside 1 to 16384 count as bad values.
        {{"-d", "1", "16384"}, false, 1, 16384, 60, false},
        {{"-d", "-640", "480", "-r", "75"}, true, 0, 0, 60, false},
        {{"-d", "16385", "480", "-r", "75"}, true, 0, 0, 60, false},
        {{"-d", "99999999999", "480", "-r", "75"}, true, 0, 0, 60, false},
        {{"-d", "640", "-480", "-r", "75"}, true, 640, 0, 60, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = c.arguments;
        argv.insert(argv.begin(), "morbane");
        const WindowOptions o = scanOptions(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(std::tie(o.fullScreen, o.width, o.height, o.refreshRate, o.unknownOption),
                  std::tie(c.fullScreen, c.width, c.height, c.refreshRate, c.unknown))
            << testing::PrintToString(std::vector<std::string>(argv.begin(), argv.end()));
    }
}

TEST(Options, CentringHalvesLikeIntegers) {
    EXPECT_EQ(centredPosition(1920, 800), 560);
    EXPECT_EQ(centredPosition(1081, 601), 240); // 540 - 300
}
