// The small text formats the platform layer reads, on string literals.
#include "platform/PropertyList.hpp"

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
