// The localized texts of the window, its alerts and the command line: looked up by key in the
// strings table "Localizable" of the user's language among the uninstaller's resources.
#pragma once

#include "Source/localization/StringsFile.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

class LocalizedStrings {
public:
    /// The process's texts: the table of the user's language (see preferredLanguage) in the
    /// uninstaller's resources folder. Made on first use and kept until the process ends.
    static const LocalizedStrings& shared();

    /// The table <resourcesFolder><language>.lproj/Localizable.strings, else the English one
    /// there, else none (every key shows itself). A table that is there but malformed is
    /// reported to the system log and passed over.
    LocalizedStrings(const std::string& resourcesFolder, const std::string& language);

    /// The language code of the first of LC_ALL, LC_MESSAGES and LANG that is set and not
    /// empty, in lower case ("de" from "de_DE.UTF-8"); "en" when none is, or when it names no
    /// language of two or three letters ("C", "POSIX", a path).
    static std::string preferredLanguage(const char* lcAll, const char* lcMessages,
                                         const char* lang);

    /// The text of `key` formatted with `arguments` (see formatText); the key itself when the
    /// table lacks it.
    [[nodiscard]] std::string text(std::string_view key,
                                   const std::vector<std::string>& arguments = {}) const;

    // One accessor per text of the application.
    [[nodiscard]] std::string mainTitle() const { return text("main.title"); }
    [[nodiscard]] std::string mainDescription() const { return text("main.description"); }
    [[nodiscard]] std::string cancelButton() const { return text("main.button.cancel"); }
    [[nodiscard]] std::string uninstallButton() const { return text("main.button.uninstall"); }
    [[nodiscard]] std::string logMenu() const { return text("menu.title.log"); }
    [[nodiscard]] std::string openLogFolderItem() const {
        return text("menu.title.open_log_folder");
    }
    [[nodiscard]] std::string uninstallSucceeded() const {
        return text("message.uninstall_succeeded");
    }
    [[nodiscard]] std::string uninstallFailed() const { return text("message.uninstall_failed"); }
    /// Why the window refuses to run: no usable home folder, and nothing was removed.
    [[nodiscard]] std::string noHomeFolder() const { return text("message.no_home_folder"); }
    /// The running application's message; the name is its first and its second argument.
    [[nodiscard]] std::string processIsRunning(const std::string& name) const {
        return text("message.process_is_running", {name, name});
    }
    /// One line of the failure alert: what is still there, and why.
    [[nodiscard]] std::string stepFailed(const std::string& subject,
                                         const std::string& reason) const {
        return text("message.step_failed", {subject, reason});
    }
    /// One line of the failure alert: something that is not the product's folder, left alone.
    [[nodiscard]] std::string stepLeftAlone(const std::string& subject) const {
        return text("message.step_left_alone", {subject});
    }

private:
    StringsFile::Table table_;
};

} // namespace tavrel
