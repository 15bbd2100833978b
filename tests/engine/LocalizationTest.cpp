// Localized texts: the strings-file parser, format directives, the choice of language, the
// shipped tables and the steps' titles.
#include "Source/app/UninstallAlert.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/localization/TextFormat.hpp"
#include "Source/run/StepTable.hpp"
#include "platform/BundleInfo.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using tavrel::LocalizedStrings;
using tavrel::StringsFile;

namespace {

// The text as UTF-16 with a byte-order mark.
std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const std::string pair{static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
        bytes += bigEndian ? pair : std::string{pair[1], pair[0]};
    }
    return bytes;
}

std::string resources() {
    return tavrel::platform::BundleInfo::resourcesFolder().value_or("");
}

} // namespace

TEST(StringsFileTest, ReadsEveryFormOfEntryInBothEncodingsAndNamesTheLineOfAMistake) {
    using Error = StringsFile::ParseError;
    using Table = StringsFile::Table;
    const std::vector<std::pair<std::string, StringsFile::Parsed>> cases{
        {R"("k" = "q\"b\\s\nn\tt\rr\U00e9\UD83D\UDE00\'!";)",
         Table{{"k", "q\"b\\s\nn\tt\rr\u00e9\U0001F600'!"}}},
        {"\xEF\xBB\xBF/* a\n comment */ bare.key_1 = $a+b/c:d-e; // to the end\n\"self\";\n"
         "\"k\"=\"1\";\"k\" = \"2\" ;",
         Table{{"bare.key_1", "$a+b/c:d-e"}, {"self", "self"}, {"k", "2"}}},
        {utf16(u"\"a\" = \"\u00e9\U0001F600\";", false), Table{{"a", "\u00e9\U0001F600"}}},
        {utf16(u"\"\u65e5\" = \"b\";", true), Table{{"\u65e5", "b"}}},
        {"\"a\" = \"b\"\n\"c\" = \"d\";",
         Error{2, "expected \u201c;\u201d after the value of \u201ca\u201d"}},
        {"\"a\" \"b\";",
         Error{1, "expected \u201c=\u201d or \u201c;\u201d after the key \u201ca\u201d"}},
        {"\n= \"b\";", Error{2, "expected a key, found \u201c=\u201d"}},
        {"\"a\" =", Error{1, "expected a value, found the end of the file"}},
        {"\n\"a\" = \"b\n\n", Error{2, "a quoted string is not closed"}},
        {"\"a\" = \"b\";\n/* open", Error{2, "a comment is not closed"}},
        {R"("a" = "\q";)", Error{1, "unknown escape \\q"}},
        {R"("a" = "\U12";)", Error{1, "\\U must be followed by four hexadecimal digits"}},
        {R"("a" = "\UD800x";)", Error{1, "a \\U escape holds an unpaired UTF-16 surrogate"}},
        {R"("a" = "\U0000";)", Error{1, "a \\U escape holds a NUL character"}},
        {"\"a\" = \"b\";\n\n\"\xC0\xAF\" = \"c\";",
         Error{3, "not UTF-8 text, and no UTF-16 byte-order mark"}},
        {std::string("\"\0a\0\"\0", 6),
         Error{1, "a NUL byte: UTF-16 text needs a byte-order mark"}},
        {utf16(u"\"a\";", false) + "x", Error{1, "UTF-16 text with an odd number of bytes"}},
        {utf16(u"\n\"\xDC00\";", true), Error{2, "an unpaired UTF-16 surrogate"}},
        {utf16(std::u16string(u"\"\0\";", 4), false), Error{1, "a NUL character"}},
    };
    for (const auto& [bytes, parsed] : cases) {
        EXPECT_EQ(StringsFile::parse(bytes), parsed) << bytes;
    }
}

TEST(TextFormatTest, FillsDirectivesAndLeavesEverythingElseAsWritten) {
    const std::vector<std::tuple<const char*, std::vector<std::string>, const char*>> cases{
        {"%@ is running. Quit %@.", {"A", "A"}, "A is running. Quit A."},
        {"%2$@ before %1$@, %1$@ again", {"a", "b"}, "b before a, a again"},
        {"100%% sure", {}, "100% sure"},
        {"%@ and %@", {"a"}, "a and %@"},
        {"%3$@ %0$@ %12345$@ %d 50% %", {"a"}, "%3$@ %0$@ %12345$@ %d 50% %"},
        {"[%@]", {"%@ %1$@ %%"}, "[%@ %1$@ %%]"},
    };
    for (const auto& [format, arguments, expected] : cases) {
        EXPECT_EQ(tavrel::formatText(format, arguments), expected) << format;
    }
}

TEST(LocalizedStringsTest, LanguageComesFromTheFirstLocaleVariableSet) {
    const std::vector<std::tuple<const char*, const char*, const char*, const char*>> cases{
        {nullptr, nullptr, "de_DE.UTF-8", "de"}, {"", "fr_CA@euro", "de_DE", "fr"},
        {"ja_JP.UTF-8", "fr", "de", "ja"},       {nullptr, nullptr, nullptr, "en"},
        {"C", "de_DE", nullptr, "en"},           {"POSIX", nullptr, nullptr, "en"},
        {"../../tmp/x", nullptr, nullptr, "en"}, {"EN_us", nullptr, nullptr, "en"},
    };
    const auto shown = [](const char* value) { return value != nullptr ? value : "(unset)"; };
    for (const auto& [lcAll, lcMessages, lang, language] : cases) {
        EXPECT_EQ(LocalizedStrings::preferredLanguage(lcAll, lcMessages, lang), language)
            << shown(lcAll) << ' ' << shown(lcMessages) << ' ' << shown(lang);
    }
}

TEST(LocalizedStringsTest, FallsBackToEnglishAndAMissingKeyShowsItself) {
    const tavrel::testing::TemporaryFolder folder;
    const std::string root = folder.string() + "/";
    tavrel::testing::writeFile(root + "en.lproj/Localizable.strings", "\"a\" = \"English\";");
    tavrel::testing::writeFile(root + "de.lproj/Localizable.strings", "\"a\" = \"Deutsch\";");
    tavrel::testing::writeFile(root + "xx.lproj/Localizable.strings", "\"a\" = \"broken\"");
    EXPECT_EQ(LocalizedStrings(root, "de").text("a"), "Deutsch");
    EXPECT_EQ(LocalizedStrings(root, "de").text("b.missing"), "b.missing");
    EXPECT_EQ(LocalizedStrings(root, "sv").text("a"), "English");
    EXPECT_EQ(LocalizedStrings(root, "xx").text("a"), "English");
    EXPECT_EQ(LocalizedStrings(root + "absent/", "de").text("a"), "a");
}

TEST(LocalizedStringsTest, EveryShippedTableHasTheEnglishKeysAndUsesEachArgument) {
    // How many arguments each text takes; the others take none.
    std::map<std::string, std::size_t> arguments{{"progress.step", 3}};
    for (const char* key : {"message.process_is_running", "message.step_failed",
                            "message.step_still_there", "message.step_cannot_look", "plan.size"}) {
        arguments[key] = 2;
    }
    for (const char* key :
         {"message.step_left_alone", "plan.items.one", "plan.items.other", "plan.files.one",
          "plan.files.other", "plan.process", "plan.cannot_look", "step.launcher",
          "step.login_item", "step.kill", "step.bundle", "step.application_support",
          "step.preferences", "step.containers", "step.group_containers", "step.trash"}) {
        arguments[key] = 1;
    }
    std::vector<std::string> english;
    for (const std::string language : {"en", "de", "fr", "ja"}) {
        SCOPED_TRACE(language);
        const auto parsed =
            StringsFile::load(resources() + language + ".lproj/Localizable.strings");
        ASSERT_TRUE(parsed.ok()) << "line " << parsed.error().line;
        std::vector<std::string> keys;
        for (const auto& [key, text] : *parsed) {
            keys.push_back(key);
            std::vector<std::string> values;
            for (std::size_t index = 1; index <= arguments[key]; ++index) {
                values.push_back("#" + std::to_string(index) + "#");
            }
            // Every argument shows, and no directive is left as written.
            const std::string shown = tavrel::formatText(text, values);
            for (const std::string& value : values) {
                EXPECT_NE(shown.find(value), std::string::npos) << key;
            }
            EXPECT_EQ(shown.find("%@"), std::string::npos) << key;
            EXPECT_EQ(shown.find("$@"), std::string::npos) << key;
        }
        english = english.empty() ? keys : english;
        EXPECT_EQ(keys, english);
    }
    EXPECT_EQ(english.size(), 42U);
}

// The command's run checks the rows themselves.
TEST(StepTableTest, RowsAreNumberedInOrderAndTheWindowTitlesThemAsTheCommandLineDoes) {
    const LocalizedStrings english(resources(), "en");
    for (const tavrel::Step& step : tavrel::StepTable::steps()) {
        EXPECT_EQ(&tavrel::StepTable::step(step.number), &step);
        EXPECT_EQ(tavrel::UninstallAlert::stepTitle(step, english), step.title);
    }
}
