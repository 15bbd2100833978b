// The repeat filter that keeps the system log's terminal copy readable.
#include "platform/RepeatFilter.hpp"

#include <gtest/gtest.h>

using tavrel::platform::RepeatFilter;
using namespace std::chrono_literals;

TEST(RepeatFilterTest, ShowsEachKindOnceASecondWithTheCountOfThoseHeldBack) {
    RepeatFilter filter;
    const RepeatFilter::Clock::time_point start{};
    struct Step {
        std::chrono::milliseconds at;
        const char* line;
        std::optional<std::string> written;
    };
    const std::vector<Step> steps{
        {0ms, "open failed: a 09-517.log", "open failed: a 09-517.log"},
        {10ms, "open failed: a 09-530.log", std::nullopt}, // alike, so held back
        {20ms, "write failed", "write failed"},            // another kind
        {30ms, "open failed: a 09-540.log", std::nullopt},
        {999ms, "open failed: a 10-517.log", std::nullopt},
        {1000ms, "open failed: a 10-518.log",
         "open failed: a 10-518.log [3 similar lines not shown]"},
        {1500ms, "open failed: a 10-999.log", std::nullopt},
        {2100ms, "write failed", "write failed"},
        {2200ms, "open failed: b 11-000.log", "open failed: b 11-000.log"}, // b, not a
    };
    for (const Step& step : steps) {
        EXPECT_EQ(filter.pass(step.line, start + step.at), step.written) << step.line;
    }
    EXPECT_EQ(filter.finish(), std::vector<std::string>{"open failed: a 10-999.log"});
    EXPECT_TRUE(filter.finish().empty());
    EXPECT_EQ(RepeatFilter::likeness("x 12 y 3.4"), "x # y #.#");
}
