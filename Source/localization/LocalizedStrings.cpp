// Localized texts from the resources' strings tables.
#include "Source/localization/LocalizedStrings.hpp"

#include "Source/localization/TextFormat.hpp"
#include "platform/BundleInfo.hpp"
#include "platform/SystemLog.hpp"

#include <cstdlib>

namespace tavrel {

namespace {
constexpr const char* kFallbackLanguage = "en";
} // namespace

const LocalizedStrings& LocalizedStrings::shared() {
    // The environment is read-only in this program after start-up, so getenv is safe here.
    // Never destroyed: other threads may still build alerts while the process exits.
    static const auto* const strings = new LocalizedStrings(
        platform::BundleInfo::resourcesFolder().value_or(""),
        preferredLanguage(std::getenv("LC_ALL"),      // NOLINT(concurrency-mt-unsafe)
                          std::getenv("LC_MESSAGES"), // NOLINT(concurrency-mt-unsafe)
                          std::getenv("LANG")));      // NOLINT(concurrency-mt-unsafe)
    return *strings;
}

LocalizedStrings::LocalizedStrings(const std::string& resourcesFolder,
                                   const std::string& language) {
    if (resourcesFolder.empty()) {
        platform::systemLog("LocalizedStrings: no resources folder; the keys are shown");
        return;
    }
    std::vector<std::string> candidates{language};
    if (language != kFallbackLanguage) {
        candidates.emplace_back(kFallbackLanguage);
    }
    for (const std::string& candidate : candidates) {
        const std::string path = resourcesFolder + candidate + ".lproj/Localizable.strings";
        StringsFile::Parsed parsed = StringsFile::load(path);
        if (parsed.ok()) {
            table_ = std::move(parsed).value();
            return;
        }
        if (parsed.error().line > 0) {
            platform::systemLog("LocalizedStrings: " + path + ", line " +
                                std::to_string(parsed.error().line) + ": " +
                                parsed.error().message);
        }
    }
    platform::systemLog("LocalizedStrings: no strings table in " + resourcesFolder +
                        "; the keys are shown");
}

std::string LocalizedStrings::preferredLanguage(const char* lcAll, const char* lcMessages,
                                                const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') {
            continue;
        }
        std::string code;
        for (const char* c = value; *c != '\0' && *c != '_' && *c != '.' && *c != '@'; ++c) {
            const char lower = static_cast<char>(*c | 0x20);
            if (lower < 'a' || lower > 'z') {
                return kFallbackLanguage;
            }
            code += lower;
        }
        return code.size() == 2 || code.size() == 3 ? code : kFallbackLanguage;
    }
    return kFallbackLanguage;
}

std::string LocalizedStrings::text(std::string_view key,
                                   const std::vector<std::string>& arguments) const {
    const auto found = table_.find(key);
    return formatText(found != table_.end() ? std::string_view(found->second) : key, arguments);
}

} // namespace tavrel
