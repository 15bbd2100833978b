// The window end to end: this program runs itself as the real application under a temporary
// home (in a sandbox with its own /Applications where the product is planted), drives it with
// the keyboard (see WindowDriver.hpp) and checks what it showed, removed and logged. Pictures of
// the window and of each alert are saved in the build folder.
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"
#include "tests/window/WindowDriver.hpp"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QtTest/QTest>
#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;
using tavrel::testing::ProcessRun;
using tavrel::testing::readFile;
using tavrel::testing::Sandbox;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

namespace {

const std::string kScreenshots = TAVREL_SCREENSHOTS;

std::string self() {
    return fs::read_symlink("/proc/self/exe").string();
}

QStringList lines(const std::string& text) {
    return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
}

// A temporary home, the product planted in it and in an Applications folder of its own.
struct Home {
    TemporaryFolder folder;
    TemporaryFolder applications;
    std::string path = folder.string() + "/my home";

    [[nodiscard]] std::string library(const std::string& rest) const {
        return path + "/Library/" + rest;
    }
    void plantProduct() const {
        writeFile(applications.path() / "TAVREL.app/Contents/MacOS/TAVREL", "bin");
        writeFile(library("Preferences/com.quillorchid.TavrelOSX.plist"), "x");
    }
    [[nodiscard]] bool productThere() const {
        return fs::exists(applications.path() / "TAVREL.app/Contents/MacOS/TAVREL");
    }
    [[nodiscard]] QStringList log() const {
        const fs::path folder = library("Logs/TavrelUninstaller");
        for (const auto& entry : fs::directory_iterator(folder)) {
            return lines(readFile(entry.path()));
        }
        return {};
    }
    [[nodiscard]] std::vector<std::string> environment(std::vector<std::string> extra = {}) const {
        fs::create_directories(path + "/run");
        fs::permissions(path + "/run", fs::perms::owner_all);
        extra.insert(extra.end(),
                     {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + path + "/run"});
        return tavrel::testing::homeEnvironment(path, extra);
    }
    // Runs the application with these driver actions, in a sandbox when one is given.
    [[nodiscard]] ProcessRun drive(const QStringList& actions, const std::vector<std::string>& env,
                                   const Sandbox* sandbox = nullptr,
                                   const std::string& program = self()) const {
        std::vector<std::string> argv{program, "--drive"};
        for (const QString& action : actions) {
            argv.push_back(action.toStdString());
        }
        return sandbox != nullptr ? sandbox->run(argv, env)
                                  : tavrel::testing::runProcess(argv, env);
    }
};

QString shot(const char* name) {
    return QString::fromStdString("shot:" + kScreenshots + "/" + name + ".png");
}

bool endsWithTerminate(const QStringList& log) {
    return !log.isEmpty() && log.last().endsWith("----- Terminate -----");
}

const QStringList kEnglishWindow{"window: Tavrel Uninstaller",
                                 "menu: Log > Open Log Folder (Ctrl+L)",
                                 "buttons: Cancel | Uninstall", "version: v" TAVREL_VERSION};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fs::create_directories(kScreenshots); }

    void titles_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("ownResources");
        QTest::addColumn<QStringList>("shows");
        QTest::newRow("English") << "" << false << kEnglishWindow;
        QTest::newRow("Japanese from LC_ALL over LANG")
            << "ja_JP.UTF-8" << false
            << QStringList{"window: Tavrel アンインストーラ",
                           "menu: ログ > ログフォルダを開く (Ctrl+L)",
                           "buttons: キャンセル | アンインストール", "version: v" TAVREL_VERSION};
        QTest::newRow("missing keys show themselves; version 2.0")
            << "" << true
            << QStringList{"window: main.title", "menu: Log > menu.title.open_log_folder (Ctrl+L)",
                           "buttons: main.button.cancel | Uninstall", "version: v2.0"};
    }
    void titles() {
        QFETCH(QString, locale);
        QFETCH(bool, ownResources);
        QFETCH(QStringList, shows);
        const Home home;
        std::string program = self();
        if (ownResources) {
            // A copy of the program finds the resources beside it: a table without some keys.
            const fs::path bundle = home.folder.path() / "bundle";
            fs::create_directories(bundle / "bin");
            fs::copy_file(program, bundle / "bin/app");
            program = (bundle / "bin/app").string();
            writeFile(bundle / "share/tavrel-uninstaller/en.lproj/Localizable.strings",
                      "\"main.button.uninstall\" = \"Uninstall\";\n\"menu.title.log\" = Log;\n");
            writeFile(bundle / "share/tavrel-uninstaller/Info.plist",
                      "<plist version=\"1.0\"><dict><key>CFBundleShortVersionString</key>"
                      "<string>2.0</string></dict></plist>");
        }
        const char* name = ownResources       ? "window-missing-keys"
                           : locale.isEmpty() ? "window"
                                              : "window-ja";
        const std::vector<std::string> language{"LANG=de_DE.UTF-8",
                                                "LC_ALL=" + locale.toStdString()};
        const ProcessRun run =
            home.drive({"window", shot(name), "Escape"},
                       home.environment(locale.isEmpty() ? std::vector<std::string>{} : language),
                       nullptr, program);
        QCOMPARE(lines(run.out), shows + QStringList{"exit: 0"});
        QVERIFY2(endsWithTerminate(home.log()), run.err.c_str());
    }

    void theRootFolderAsHomeIsRefused() {
        const ProcessRun run =
            tavrel::testing::runProcess({self(), "--drive", "window"}, {"HOME=/", "PATH=/bin"});
        QCOMPARE(run.status, 1);
        QCOMPARE(lines(run.out), QStringList{"exit: 1"});
        QVERIFY2(run.err.find("no usable home folder") != std::string::npos, run.err.c_str());
    }

    void uninstallSucceedsAndOKQuits() {
        requireSandbox();
        const Home home;
        home.plantProduct();
        const ProcessRun run = home.drive({"Return", "alert", shot("success"), "Return", "window"},
                                          home.environment(), sandbox(home).get());
        QCOMPARE(lines(run.out), (QStringList{"alert: window-modal information",
                                              "text: Tavrel has been removed from this account.",
                                              "button: OK (default)", "exit: 0"}));
        QVERIFY(!home.productThere());
        QVERIFY(!fs::exists(home.library("Preferences/com.quillorchid.TavrelOSX.plist")));
        QVERIFY2(endsWithTerminate(home.log()), run.err.c_str());
    }

    void aFailedStepIsListedAndUninstallRepeatsTheFlow() {
        requireSandbox();
        const Home home;
        home.plantProduct();
        auto box = sandbox(home);
        box->readOnly("/Applications/TAVREL.app");
        const ProcessRun run = home.drive({"Return", "alert", shot("failure"), "Return", "window",
                                           "Return", "alert", "Return", "Escape"},
                                          home.environment(), box.get());
        const QStringList failure{"alert: window-modal warning",
                                  "text: Tavrel was not completely removed.",
                                  "text: /Applications/TAVREL.app: \u201cTAVREL\u201d "
                                  "couldn\u2019t be removed: Read-only "
                                  "file system. (/Applications/TAVREL.app/Contents/MacOS/TAVREL)",
                                  "button: OK (default)"};
        QCOMPARE(lines(run.out), failure + kEnglishWindow + failure + QStringList{"exit: 0"});
        QVERIFY(home.productThere());
        QVERIFY(!fs::exists(home.library("Preferences/com.quillorchid.TavrelOSX.plist")));
        const QStringList log = home.log();
        QCOMPARE(log.filter("----- Remove App Bundle -----").size(), 4); // two whole runs
        QVERIFY(endsWithTerminate(log));
    }

    void aRunningApplicationIsNamedAndNothingIsRemoved_data() {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("iconFile");
        QTest::newRow("the main application, ICNS icon")
            << "com.quillorchid.TavrelOSX"
            << "<key>CFBundleName</key><string>Tavrel</string>"
            << "Tavrel.icns";
        QTest::newRow("only the authenticator, PNG icon")
            << "com.quillorchid.TavrelAuthenticator"
            << "<key>CFBundleDisplayName</key><string>Tavrel &lt;b>Authenticator&lt;/b></string>"
            << "Auth.png";
    }
    void aRunningApplicationIsNamedAndNothingIsRemoved() {
        requireSandbox();
        QFETCH(QString, identifier);
        QFETCH(QString, names);
        QFETCH(QString, iconFile);
        const Home home;
        home.plantProduct();
        const fs::path bundle = home.folder.path() / "Running.app/Contents";
        writeFile(bundle / "Info.plist",
                  "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>" +
                      identifier.toStdString() + "</string>" + names.toStdString() +
                      "<key>CFBundleIconFile</key><string>" + iconFile.toStdString() +
                      "</string></dict></plist>");
        writeFile(bundle / "Resources" / iconFile.toStdString(), icon(iconFile.endsWith(".icns")));
        fs::create_directories(bundle / "MacOS");
        fs::copy_file("/bin/sleep", bundle / "MacOS/app");
        // Started inside the sandbox: a process outside its user namespace cannot be inspected.
        const std::string script = "\"$1\" 60 & app=$!\n"
                                   "until [ \"$(readlink /proc/$app/exe)\" = \"$1\" ]; do :; done\n"
                                   "shift; \"$@\"; status=$?; kill $app; exit $status\n";
        const ProcessRun run = sandbox(home)->run(
            {"/bin/sh", "-c", script, "sh", (bundle / "MacOS/app").string(), self(), "--drive",
             "Return", "alert",
             shot(identifier.endsWith("OSX") ? "running" : "running-2").toStdString(), "Return",
             "Escape"},
            home.environment());
        const QString name = identifier.endsWith("OSX") ? "Tavrel" : "Tavrel <b>Authenticator</b>";
        QCOMPARE(lines(run.out),
                 (QStringList{"alert: window-modal application icon",
                              "text: " + name + " is running. Quit " + name + " and try again.",
                              "button: OK (default)", "exit: 0"}));
        QVERIFY(home.productThere());
        QVERIFY(home.log().filter("Remove").isEmpty());
        QVERIFY(endsWithTerminate(home.log()));
    }

    void openLogFolder_data() {
        QTest::addColumn<bool>("folderPossible");
        QTest::addColumn<QString>("answer");
        QTest::newRow("no log folder") << false << "Failed";
        QTest::newRow("xdg-open with a recording BROWSER") << true << "Success";
    }
    void openLogFolder() {
        QFETCH(bool, folderPossible);
        QFETCH(QString, answer);
        const Home home;
        const std::string record = home.folder.string() + "/opened";
        writeFile(home.folder.path() / "browser",
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" >>'" + record + "'\n");
        fs::permissions(home.folder.path() / "browser", fs::perms::owner_all);
        if (!folderPossible) {
            writeFile(home.path + "/Library", "a file where the Library folder would be");
        }
        const ProcessRun run = home.drive(
            {"menu", "Escape"}, home.environment({"BROWSER=" + home.folder.string() + "/browser"}));
        const QStringList said =
            lines(run.err).filter(QRegularExpression("\\] (----- Open|Success|Failed)"));
        QCOMPARE(said.size(), 2);
        QVERIFY(said[0].endsWith("] ----- Open Log Folder -----"));
        QVERIFY2(said[1].endsWith("] " + answer), qPrintable(said[1]));
        QCOMPARE(QString::fromStdString(readFile(record)),
                 QString::fromStdString(folderPossible ? home.library("Logs/TavrelUninstaller/\n")
                                                       : ""));
    }

private:
    static void requireSandbox() {
        if (const auto& reason = Sandbox::unavailableReason()) {
            QSKIP(reason->c_str());
        }
    }
    static std::unique_ptr<Sandbox> sandbox(const Home& home) {
        auto box = std::make_unique<Sandbox>();
        box->applications(home.applications.string());
        return box;
    }
    // A 128-pixel icon as PNG, or wrapped in an ICNS container.
    static std::string icon(bool icns) {
        QImage image(128, 128, QImage::Format_ARGB32);
        image.fill(Qt::darkCyan);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        image.save(&png, "PNG");
        const std::string data = png.data().toStdString();
        if (!icns) {
            return data;
        }
        const auto bigEndian = [](std::size_t value) {
            return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                               static_cast<char>(value >> 8), static_cast<char>(value)};
        };
        return "icns" + bigEndian(16 + data.size()) + "ic07" + bigEndian(8 + data.size()) + data;
    }
};

int main(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "--drive") {
        return tavrel::testing::driveWindow(argc, argv);
    }
    QCoreApplication application(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTest.moc"
