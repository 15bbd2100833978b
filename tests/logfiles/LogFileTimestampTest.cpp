// Log file names and lines carry their time in UTC, read back exactly, and never leak one
// second's text into the next.
#include "logging/detail/LogFileTimestamp.hpp"

#include "logging/LogFileFormatterDefault.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"

#include <gtest/gtest.h>

namespace tavrel::logging {
namespace {

using namespace std::chrono;

TEST(LogFileTimestampTest, FileNamesAndLinesAreWrittenAndReadInUtc) {
    const auto time = sys_days{2024y / May / 31} + 22h + 4min + 9s + 517ms;
    EXPECT_EQ(LogFileTimestamp::fileNameText(time), "2024-05-31--22-04-09-517");
    EXPECT_EQ(LogFileTimestamp::fromLogFileName("com.x 2024-05-31--22-04-09-517.log"), time);
    EXPECT_EQ(LogFileTimestamp::parseFileNameText("2024-02-29--23-59-59-999"),
              sys_days{2024y / February / 29} + 23h + 59min + 59s + 999ms);
    for (const char* bad :
         {"2024-02-30--00-00-00-000", "2024-13-01--00-00-00-000", "2024-05-31--24-00-00-000",
          "2024-05-31-22-04-09-517", "2024-05-31--22-04-09-51x", "", "2 2024-05-31--22-04-09-517",
          "2999-01-01--00-00-00-000" /* beyond the clock */}) {
        EXPECT_FALSE(LogFileTimestamp::parseFileNameText(bad)) << bad;
    }
    // The numbered names of taken names have no readable timestamp.
    EXPECT_FALSE(LogFileTimestamp::fromLogFileName("com.x 2024-05-31--22-04-09-517 2.log"));

    // The formatter keeps the text of the second; it must not leak into the next second or day.
    LogFileFormatterDefault formatter;
    for (const auto& [later, line] : {std::pair{0ms, "2024/05/31 22:04:09:517  x"},
                                      std::pair{milliseconds(1s), "2024/05/31 22:04:10:517  x"},
                                      std::pair{milliseconds(2h), "2024/06/01 00:04:09:517  x"}}) {
        EXPECT_EQ(formatter.formatLogMessage(*testing::makeRecord("x", time + later)), line);
    }
}

} // namespace
} // namespace tavrel::logging
