// Localized texts: the strings-file parser, format directives, the choice of language, the
// shipped tables, and the alerts the uninstall flow builds from them.
#include "Source/Localization/LocalizedStrings.hpp"
#include "Source/Localization/StringsFile.hpp"
#include "Source/Localization/TextFormat.hpp"
#include "Source/UninstallAlert.hpp"
#include "platform/BundleInfo.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <gtest/gtest.h>

using tavrel::LocalizedStrings;
using tavrel::StringsFile;
using Table = tavrel::StringsFile::Table;

namespace {

// The text as UTF-16 with a byte-order mark.
std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string resources() {
    return tavrel::platform::BundleInfo::resourcesFolder().value_or("");
}

} // namespace

TEST(StringsFileTest, ReadsEveryFormOfEntryInBothEncodings) {
    struct Case {
        const char* name;
        std::string bytes;
        Table table;
    };
    const std::vector<Case> cases{
        {"every escape",
         R"("k" = "q\"b\\s\nn\tt\rr\U00e9\UD83D\UDE00\'!";)",
         {{"k", "q\"b\\s\nn\tt\rr\u00e9\U0001F600'!"}}},
        {"comments, bare words, a key alone, the later entry winning",
         "/* a\n comment */ bare.key_1 = $a+b/c:d-e; // to the end\n\"self\";\n"
         "\"k\"=\"1\";\"k\" = \"2\" ;",
         {{"bare.key_1", "$a+b/c:d-e"}, {"self", "self"}, {"k", "2"}}},
        {"nothing but blanks", " \n\t/**/ ", {}},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF\"a\" = \"\xC3\xA9\";", {{"a", "\u00e9"}}},
        {"UTF-16 little-endian",
         utf16(u"\"a\" = \"\u00e9\U0001F600\";", false),
         {{"a", "\u00e9\U0001F600"}}},
        {"UTF-16 big-endian", utf16(u"\"\u65e5\" = \"b\";", true), {{"\u65e5", "b"}}},
    };
    for (const Case& test : cases) {
        const StringsFile::Parsed parsed = StringsFile::parse(test.bytes);
        EXPECT_TRUE(parsed.ok()) << test.name << ": line " << parsed.errorLine << ": "
                                 << parsed.error;
        EXPECT_EQ(parsed.table, test.table) << test.name;
    }
}

TEST(StringsFileTest, MalformedInputNamesTheLineAndTheMistake) {
    struct Case {
        std::string bytes;
        std::size_t line;
        std::string error;
    };
    const std::vector<Case> cases{
        {"\"a\" = \"b\"\n\"c\" = \"d\";", 2,
         "expected \u201c;\u201d after the value of \u201ca\u201d"},
        {"\"a\" \"b\";", 1, "expected \u201c=\u201d or \u201c;\u201d after the key \u201ca\u201d"},
        {"\n= \"b\";", 2, "expected a key, found \u201c=\u201d"},
        {"\"a\" = ;", 1, "expected a value, found \u201c;\u201d"},
        {"\"a\" =", 1, "expected a value, found the end of the file"},
        {"\n\"a\" = \"b\n\n", 2, "a quoted string is not closed"},
        {"\"a\" = \"b\";\n/* open", 2, "a comment is not closed"},
        {R"("a" = "\q";)", 1, "unknown escape \\q"},
        {R"("a" = "\U12";)", 1, "\\U must be followed by four hexadecimal digits"},
        {R"("a" = "\UD800x";)", 1, "a \\U escape holds an unpaired UTF-16 surrogate"},
        {"\"a\" = \"b\";\n\n\"\xFF\" = \"c\";", 3, "not UTF-8 text, and no UTF-16 byte-order mark"},
        {"\"a\" = \"\xC0\xAF\";", 1, "not UTF-8 text, and no UTF-16 byte-order mark"},
        {std::string("\"\0a\0\"\0", 6), 1, "a NUL byte: UTF-16 text needs a byte-order mark"},
        {utf16(u"\"a\";", false) + "x", 1, "UTF-16 text with an odd number of bytes"},
        {utf16(u"\n\"\xDC00\";", true), 2, "an unpaired UTF-16 surrogate"},
        {utf16(std::u16string(u"\"\0\";", 4), false), 1, "a NUL character"},
        {R"("a" = "\U0000";)", 1, "a \\U escape holds a NUL character"},
    };
    for (const Case& test : cases) {
        const StringsFile::Parsed parsed = StringsFile::parse(test.bytes);
        EXPECT_EQ(parsed.error, test.error) << test.bytes;
        EXPECT_EQ(parsed.errorLine, test.line) << test.bytes;
        EXPECT_TRUE(parsed.table.empty()) << test.bytes;
    }
}

TEST(TextFormatTest, FillsDirectivesAndLeavesEverythingElseAsWritten) {
    struct Case {
        const char* format;
        std::vector<std::string> arguments;
        const char* expected;
    };
    const std::vector<Case> cases{
        {"%@ is running. Quit %@.", {"A", "A"}, "A is running. Quit A."},
        {"%2$@ before %1$@, %1$@ again", {"a", "b"}, "b before a, a again"},
        {"100%% sure", {}, "100% sure"},
        {"%@ and %@", {"a"}, "a and %@"},
        {"%3$@ %0$@ %12345$@", {"a"}, "%3$@ %0$@ %12345$@"},
        {"%d %s 50% %", {"a"}, "%d %s 50% %"},
        {"[%@]", {"%@ %1$@ %%"}, "[%@ %1$@ %%]"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(tavrel::formatText(test.format, test.arguments), test.expected) << test.format;
    }
}

TEST(LocalizedStringsTest, LanguageComesFromTheFirstLocaleVariableSet) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* language;
    };
    const std::vector<Case> cases{
        {nullptr, nullptr, "de_DE.UTF-8", "de"}, {"", "fr_CA@euro", "de_DE", "fr"},
        {"ja_JP.UTF-8", "fr", "de", "ja"},       {nullptr, nullptr, nullptr, "en"},
        {"C", "de_DE", nullptr, "en"},           {"POSIX", nullptr, nullptr, "en"},
        {"C.UTF-8", nullptr, nullptr, "en"},     {"../../tmp/x", nullptr, nullptr, "en"},
        {"EN_us", nullptr, nullptr, "en"},       {"fil_PH", nullptr, nullptr, "fil"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(LocalizedStrings::preferredLanguage(test.lcAll, test.lcMessages, test.lang),
                  test.language)
            << (test.lcAll ? test.lcAll : "-") << ' ' << (test.lcMessages ? test.lcMessages : "-")
            << ' ' << (test.lang ? test.lang : "-");
    }
}

TEST(LocalizedStringsTest, FallsBackToEnglishAndAMissingKeyShowsItself) {
    tavrel::testing::TemporaryFolder folder;
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

TEST(LocalizedStringsTest, EveryShippedTableHasEveryKeyAndNamesTheApplicationTwice) {
    const std::vector<std::string> keys{"main.button.cancel",
                                        "main.button.uninstall",
                                        "main.description",
                                        "main.title",
                                        "menu.title.log",
                                        "menu.title.open_log_folder",
                                        "message.process_is_running",
                                        "message.step_failed",
                                        "message.step_left_alone",
                                        "message.uninstall_failed",
                                        "message.uninstall_succeeded"};
    for (const std::string language : {"de", "en", "fr", "ja"}) {
        const auto parsed =
            StringsFile::load(resources() + language + ".lproj/Localizable.strings");
        ASSERT_TRUE(parsed.ok()) << language << ": line " << parsed.errorLine << ": "
                                 << parsed.error;
        std::vector<std::string> found;
        for (const auto& [key, text] : parsed.table) {
            found.push_back(key);
            if (key != "message.process_is_running" && !key.starts_with("message.step_")) {
                // A directive in a text without arguments would show as written.
                EXPECT_EQ(tavrel::formatText(text, {"X"}), tavrel::formatText(text, {}))
                    << language << ' ' << key;
            }
        }
        EXPECT_EQ(found, keys) << language;
        const std::string running = LocalizedStrings(resources(), language).processIsRunning("#");
        EXPECT_EQ(std::count(running.begin(), running.end(), '#'), 2)
            << language << ": " << running;
        EXPECT_EQ(running.find('%'), std::string::npos) << language << ": " << running;
    }
}

TEST(UninstallAlertTest, ListsEveryStepThatLeftSomethingInStepOrder) {
    using tavrel::StepReport;
    using tavrel::StepStatus;
    const LocalizedStrings strings(resources(), "en");
    tavrel::UninstallOutcome outcome{
        {StepReport{2, "launcher", StepStatus::switchedOff, {}, {}},
         StepReport{8, "/Applications/TAVREL.app", StepStatus::removed, {}, {}},
         StepReport{9, "/x/<b>Tavrel.app", StepStatus::leftInPlace, {}, {}},
         StepReport{10, "/h/Support", StepStatus::notFound, {}, {}}}};
    tavrel::Alert alert = tavrel::UninstallAlert::forOutcome(outcome, strings);
    EXPECT_EQ(alert.messageText, "Tavrel was not completely removed.");
    EXPECT_EQ(alert.style, tavrel::AlertStyle::warning);
    outcome.steps.push_back(StepReport{19, "/t/TAVREL.app", StepStatus::failed, "EPERM", "No."});
    outcome.steps.push_back(StepReport{20, "defaults", StepStatus::failed, "technical", ""});
    alert = tavrel::UninstallAlert::forOutcome(outcome, strings);
    EXPECT_EQ(alert.informativeText, "/x/<b>Tavrel.app is not a folder and was left alone.\n"
                                     "/t/TAVREL.app: No.\ndefaults: technical");
    EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});

    outcome.steps.erase(outcome.steps.begin() + 2, outcome.steps.end());
    alert = tavrel::UninstallAlert::forOutcome(outcome, strings);
    EXPECT_EQ(alert, (tavrel::Alert{"Tavrel has been removed from this account.",
                                    std::nullopt,
                                    {"OK"},
                                    tavrel::AlertStyle::informational,
                                    std::nullopt}));
}
