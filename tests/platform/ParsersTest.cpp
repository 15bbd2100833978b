// The small text formats the platform layer reads (information dictionaries, /proc stat files,
// os-release), on string literals.
#include "platform/PropertyList.hpp"
#include "platform/linux/OsRelease.hpp"
#include "platform/linux/ProcessStat.hpp"

#include <gtest/gtest.h>

using tavrel::platform::PropertyList;

TEST(PropertyListTest, TextAndNumberEntriesReadAsTextOthersAsNothing) {
    const auto list = PropertyList::parse(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
        "<key>text</key><string>1.2.0</string><key>empty</key><string></string>"
        "<key>integer</key><integer>45</integer><key>negative</key><integer>-3</integer>"
        "<key>real</key><real>1.5</real><key>whole real</key><real>2.0</real>"
        "<key>true</key><true/><key>date</key><date>2024-05-31T22:04:09Z</date>"
        "<key>list</key><array><string>a</string></array></dict></plist>");
    ASSERT_TRUE(list);
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected{
        {"text", "1.2.0"},        {"empty", ""},          {"integer", "45"},
        {"negative", "-3"},       {"real", "1.5"},        {"whole real", "2"},
        {"true", std::nullopt},   {"date", std::nullopt}, {"list", std::nullopt},
        {"absent", std::nullopt},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(list->string(key), value) << key;
    }
    for (const char* notADictionary :
         {"", "garbage", "<plist version=\"1.0\"><array/></plist>", "<plist><dict>"}) {
        EXPECT_FALSE(PropertyList::parse(notADictionary)) << notADictionary;
    }
}

TEST(ProcessStatTest, StartTimeIsTheTwentySecondFieldAfterTheCommandName) {
    // Fields 3 to 21 hold 3..21 here, so field 22 reads 22 unless the count is off by one.
    const std::string tail = " S 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24\n";
    const std::vector<std::pair<std::string, std::optional<unsigned long long>>> cases{
        {"1 (sleep)" + tail, 22},
        {"1 (a) b) c)" + tail, 22}, // a name with parentheses and spaces of its own
        {"1 (x) S 4 5", std::nullopt},
        {"no parenthesis 3 4", std::nullopt},
        {"1 (x) S 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 -1 2", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(tavrel::platform::linux_proc::startTime(text), expected) << text;
    }
}

TEST(OsReleaseTest, PrettyNameLosesItsQuotingAndEscapes) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='single'", "single"},
        {"PRETTY_NAME=\"a \\\"b\\\" \\\\c\"", "a \"b\" \\c"},
        {"PRETTY_NAME=plain", "plain"},
        {"NAME=only", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(tavrel::platform::linux_proc::prettyName(text), expected) << text;
    }
}
