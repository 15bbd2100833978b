#include "tests/command/CommandTest.hpp"

namespace tavrel::testing {

void expectDocumented(const Json& object, const std::string& kind) {
    // The README's field list: the fields of each kind of object in the report, each with the
    // JSON types it may have, then what its items are; a trace's fields follow its kind.
    static const Json documented = Json::parse(R"({
      "report": {"tool": "string", "version": "string", "user": "string", "home": "string null",
                 "dryRun": "boolean", "error": "string null", "steps": "array step",
                 "exitStatus": "number"},
      "step": {"step": "number", "title": "string", "found": "object seen",
               "results": "array result", "remaining": "object seen"},
      "seen": {"traces": "array trace", "unavailable": "string null"},
      "result": {"subject": "string", "status": "string", "error": "string null",
                 "reason": "string null"},
      "keychainItems": {"kind": "string", "name": "string", "items": "number"},
      "launcher": {"kind": "string", "name": "string"},
      "loginItem": {"kind": "string", "name": "string"},
      "defaults": {"kind": "string", "name": "string"},
      "process": {"kind": "string", "name": "string", "pid": "number"},
      "path": {"kind": "string", "name": "string", "bytes": "number null", "files": "number null"},
      "allUsers": {"tool": "string", "version": "string", "allUsers": "boolean",
                   "dryRun": "boolean", "error": "string null", "accounts": "array account",
                   "shared": "object shared", "exitStatus": "number"},
      "account": {"user": "string", "uid": "number null", "home": "string null",
                  "outcome": "string", "error": "string null", "keychainLookedAt": "boolean null",
                  "remains": "array remain", "report": "object null report"},
      "shared": {"error": "string null", "remains": "array remain", "steps": "array step"},
      "remain": {"step": "number", "kind": "string", "name": "string", "reason": "string null"}})");
    ASSERT_TRUE(object.is_object() && documented.contains(kind)) << kind << ": " << object;
    const Json& fields = documented[kind];
    EXPECT_EQ(object.size(), fields.size()) << kind << ": a documented field is missing";
    for (const auto& [name, value] : object.items()) {
        ASSERT_TRUE(fields.contains(name)) << kind << ": undocumented field " << name;
        const std::string type = fields.value(name, "");
        EXPECT_NE((type + " ").find(std::string(value.type_name()) + " "), std::string::npos)
            << kind << ": " << name << " is " << value.type_name();
        const std::string inner = type.substr(type.rfind(' ') + 1);
        if (value.is_object()) {
            expectDocumented(value, inner);
        }
        for (const Json& item : value.is_array() ? value : Json::array()) {
            expectDocumented(item, inner == "trace" ? item.value("kind", "?") : inner);
        }
    }
}

std::string install(const fs::path& prefix) {
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share");
    fs::copy_file(TAVREL_UNINSTALL, prefix / "bin/tavrel-uninstall");
    fs::copy(TAVREL_RESOURCES, prefix / "share/tavrel-uninstaller", fs::copy_options::recursive);
    return (prefix / "bin/tavrel-uninstall").string();
}

fs::path plantApplication(const fs::path& bundle) {
    writeFile(bundle / "Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
              "<string>com.quillorchid.TavrelOSX</string><key>CFBundleName</key>"
              "<string>Tavrel</string></dict></plist>");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file("/bin/sleep", bundle / "Contents/MacOS/Tavrel");
    return bundle / "Contents/MacOS/Tavrel";
}

std::vector<std::pair<std::string, std::string>> CommandTest::planted() const {
    return {{"/Applications/TAVREL.app", "Contents/MacOS/TAVREL"},
            {"/Applications/Tavrel.app", "Contents/Info.plist"},
            {library("Application Support/com.quillorchid.TavrelOSX"), "db"},
            {library("Preferences/com.quillorchid.TavrelOSX.plist"), ""},
            {library("Preferences/com.quillorchid.TavrelAuthenticator.plist"), ""},
            {library("Preferences/com.quillorchid.tavrel.macos.plist"), ""},
            {library("Containers/com.quillorchid.TavrelOSX.FinderSync"), "Data/file"},
            {library("Containers/com.quillorchid.TavrelOSXLauncher"), "Data/file"},
            {library("Containers/com.quillorchid.tavrel.macos"), "Data/file"},
            {library("Group Containers/group.com.quillorchid.TavrelOSX"), "file"},
            {library("Group Containers/group.com.quillorchid.tavrel.macos"), "file"},
            {trashItem_, "Contents/Info.plist"}};
}

void CommandTest::plantEverything() const {
    for (const auto& [path, inside] : planted()) {
        writeFile(inside.empty() ? onHost(path) : onHost(path) / inside, "x");
    }
    writeFile(trash_ / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
    writeFile(autostart_, "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\n");
    writeFile(loginItem_, "[Desktop Entry]\nName=Tavrel\nExec=tavrel\n");
    writeFile(defaults_ / "settings", "x");
}

ProcessRun CommandTest::uninstall(const Lines& arguments, Sandbox sandbox, Output output,
                                  Lines command) const {
    command.insert(command.end(), arguments.begin(), arguments.end());
    return sandbox.applications(applications_.string())
        .run(command, homeEnvironment(home_), output);
}

} // namespace tavrel::testing
