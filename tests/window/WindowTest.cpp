// The window end to end: this program runs itself as the real application in a sandbox, drives
// it with the keyboard (see the driver below) and checks what it showed, removed and logged.
// Pictures of the window, its plan, a run under way and each alert are saved in the build folder.
#include "Source/window/Application.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest/QTest>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

namespace fs = std::filesystem;
using tavrel::testing::ProcessRun;
using tavrel::testing::readFile;
using tavrel::testing::writeFile;

namespace {

// The driver: the application itself, with a timer in its event loop that acts on its widgets as
// a person at the keyboard would, 300 ms apart, and writes what it sees to standard output (the
// home folder shown as "~"). While the window is busy (looking for the product, or a run) an
// action waits, unless it starts with "!".
//   look          the open alert's modality and icon, its lines and its buttons; else the
//                 window's title, menu, buttons (" (busy)" if so), version and plan, a line each
//   Return/Escape presses the key in the open alert, else in the window
//   menu          presses Ctrl+L, the shortcut of the Open Log Folder item
//   trash         puts a copy of TAVREL.app in the Trash, making the Trash folder
//   SIGTERM       sends the program SIGTERM, as a session that ends does
//   close         closes the window, as its title bar's close button does (any other word)
//   shot:<path>   saves a picture of the open alert, else of the window
// A run says "run: ..." as it starts and as it ends (see RunWatch). At the end "exit: <status>",
// after "still open" if the actions left the window open.

QStringList& actions() {
    static QStringList list;
    return list;
}

void say(QString line) {
    std::cout << line.replace(qEnvironmentVariable("HOME"), "~").toStdString() << std::endl;
}

QMainWindow* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

void reportWindow(const QMainWindow* window) {
    const auto* item = window->findChild<QAction*>("openLogFolderMenuItem");
    const auto* cancel = window->findChild<QPushButton*>("cancelButton");
    const auto* uninstall = window->findChild<QPushButton*>("uninstallButton");
    const bool idle =
        cancel->isEnabled() && uninstall->isEnabled() && QApplication::overrideCursor() == nullptr;
    say("window: " + window->windowTitle());
    say("menu: " + window->findChild<QMenu*>("logMenu")->title() + " > " + item->text() + " (" +
        item->shortcut().toString() + ")");
    say("buttons: " + cancel->text() + " | " + uninstall->text() + (idle ? "" : " (busy)"));
    say("version: " + window->findChild<QLabel*>("versionLabel")->text());
    say("plan: " + window->findChild<QLabel*>("planHeading")->text());
    for (QTreeWidgetItemIterator row(window->findChild<QTreeWidget*>("planView")); *row; ++row) {
        say(((*row)->parent() == nullptr ? "  " : "    ") + (*row)->text(0) +
            ((*row)->text(1).isEmpty() ? "" : " | " + (*row)->text(1)));
    }
}

void reportAlert(const QMainWindow* window, const QMessageBox* box) {
    const bool sheet = window != nullptr && box->windowModality() == Qt::WindowModal &&
                       box->parentWidget() == window;
    const char* icon = box->icon() == QMessageBox::NoIcon    ? "application icon"
                       : box->icon() == QMessageBox::Warning ? "warning"
                                                             : "information";
    say(QString("alert: ") + (sheet ? "window-modal " : "") + icon);
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        // As a person reads it: markup rendered.
        const QString text =
            label->textFormat() != Qt::PlainText && Qt::mightBeRichText(label->text())
                ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                : label->text();
        for (const QString& line :
             text.split(QRegularExpression("[\n\u2028]"), Qt::SkipEmptyParts)) {
            say("text: " + line);
        }
    }
    for (const QAbstractButton* button : box->buttons()) {
        say("button: " + button->text() + (button == box->defaultButton() ? " (default)" : ""));
    }
}

void act(QMainWindow* window, QMessageBox* box, const QString& action) {
    QWidget* target = box != nullptr ? static_cast<QWidget*>(box) : window;
    if (box == nullptr && !window->isActiveWindow()) {
        // What a desktop does when an alert goes away; the offscreen platform has no desktop.
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window);
    }
    if (action == "look") {
        box != nullptr ? reportAlert(window, box) : reportWindow(window);
    } else if (action.startsWith("shot:")) {
        target->grab().save(action.mid(5));
    } else if (action == "Return" || action == "Escape") {
        QTest::keyClick(target, action == "Return" ? Qt::Key_Return : Qt::Key_Escape);
    } else if (box != nullptr) {
        say("an alert is open for: " + action);
    } else if (action == "menu") {
        QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
    } else if (action == "SIGTERM") {
        (void)std::raise(SIGTERM);
    } else if (action == "trash") {
        const fs::path trash = qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/Trash";
        writeFile(trash / "files/TAVREL.app/Contents/Info.plist", "trashed");
        writeFile(trash / "info/TAVREL.app.trashinfo", "[Trash Info]\nPath=/Applications/x\n");
    } else {
        window->close();
    }
}

// A run as a person sees it: as it starts, whether the window shows its buttons disabled and the
// busy cursor; as it ends, whether a 50 ms timer ticked about once per half second of the run or
// more. A window that waits for the run would tick once or twice; a loaded machine only slows it.
class RunWatch final : public QObject {
public:
    explicit RunWatch(QObject* application) : QObject(application) {
        application->installEventFilter(this);
        startTimer(50);
        // A run that ends by quitting has no turn of the loop left to say so in.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { changed(nullptr); });
    }

private:
    void timerEvent(QTimerEvent* /*event*/) override { ++ticks_; }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && object->objectName() == "uninstallButton") {
            auto* button = static_cast<QWidget*>(object);
            changed(button->isEnabled() ? nullptr : button->window());
        }
        return false;
    }
    // `window`: the run's window as it starts; none as it ends.
    void changed(const QWidget* window) {
        const auto now = std::chrono::steady_clock::now();
        if (window != nullptr && !started_) {
            const QCursor* cursor = QApplication::overrideCursor();
            say(QString("run: ") +
                (window->findChild<QWidget*>("cancelButton")->isEnabled() ? "Cancel enabled"
                                                                          : "buttons disabled") +
                (cursor != nullptr && cursor->shape() == Qt::BusyCursor ? ", busy cursor" : ""));
            started_ = now;
            ticks_ = 0;
        } else if (window == nullptr && started_) {
            say(std::chrono::milliseconds(500) * (ticks_ + 1) >= now - *started_
                    ? "run: responsive"
                    : "run: the window stood still");
            started_.reset();
        }
    }

    std::optional<std::chrono::steady_clock::time_point> started_; // while a run is under way
    long ticks_ = 0;
};

// One action per tick, on the open alert or else the window (an alert may come without one);
// the timer stands still while an action waits, and while the window is busy.
void performNext(QTimer* timer) {
    QMainWindow* window = mainWindow();
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    const bool busy = QApplication::overrideCursor() != nullptr;
    const bool urgent = !actions().isEmpty() && actions().first().startsWith('!');
    if ((window == nullptr && box == nullptr) || (busy && !urgent)) {
        return;
    }
    if (actions().isEmpty()) {
        // The actions should have ended it: say so, and end rather than hang the test.
        say("still open");
        QCoreApplication::exit(3);
        return;
    }
    timer->stop();
    act(window, box, actions().takeFirst().remove(QRegularExpression("^!")));
    timer->start();
}

int driveWindow(int argc, char** argv) {
    for (int index = 2; index < argc; ++index) {
        actions().append(QString::fromLocal8Bit(argv[index]));
    }
    qAddPreRoutine([] {
        auto* timer = new QTimer(QCoreApplication::instance());
        QObject::connect(timer, &QTimer::timeout, timer, [timer] { performNext(timer); });
        timer->start(300);
        new RunWatch(QCoreApplication::instance());
    });
    const int status = tavrel::window::runApplication(argc, argv);
    say("exit: " + QString::number(status));
    return status;
}

QStringList lines(const std::string& text) {
    return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
}

QString shot(const char* name) {
    return QString("shot:%1/%2.png").arg(TAVREL_SCREENSHOTS, name);
}

constexpr const char* kVersion = "version: v" TAVREL_VERSION;

QStringList englishWindow(const QStringList& plan = {"plan: Nothing of Tavrel was found on this "
                                                     "account."}) {
    return QStringList{"window: Tavrel Uninstaller", "menu: Log > Open Log Folder (Ctrl+L)",
                       "buttons: Cancel | Uninstall", kVersion} +
           plan;
}

// A run's end as a person sees it: the window-modal alert of that icon, with those texts.
QStringList ranThenAlert(const QString& icon, const QStringList& texts) {
    QStringList shows{"run: buttons disabled, busy cursor", "run: responsive",
                      "alert: window-modal " + icon};
    for (const QString& text : texts) {
        shows << "text: " + text;
    }
    return shows << "button: OK (default)";
}

// One start of the window, in a sandbox with its own processes and /Applications (the plan
// shows what is there, and a machine running other tests has helpers of theirs), where the
// product is planted and, where the case says so, a program is started first.
struct Case {
    QStringList environment{};   // "~" stands for the temporary home
    bool ownResources = false;   // a copy of the program with a thin table beside it
    QStringList plant{};         // see at(), or "entry:<name>", an autostart entry
    QStringList running{};       // a product application: id, name key, name, icon
    bool stubbornHelper = false; // brolt runs and ignores SIGTERM
    bool readOnlyBundle = false;
    QStringList actions{};
    QStringList shows{}; // then "exit: <exit>"
    int runs = 0;
    int exit = 0; // 1: the refusal, which makes and logs nothing
};

// Where a planted item lies outside the sandbox: a path under "~/" or "/Applications/", and
// "keep:" before it marks a neighbour that must stay.
fs::path at(QString item, const std::string& home, const std::string& applications) {
    item.remove(QRegularExpression("^keep:"));
    return item.startsWith("~/") ? home + item.mid(1).toStdString()
                                 : applications + item.mid(13).toStdString();
}

} // namespace

Q_DECLARE_METATYPE(Case)

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fs::create_directories(TAVREL_SCREENSHOTS); }

    void window_data() { // NOLINT(readability-identifier-naming): QtTest's name for the table
        QTest::addColumn<Case>("row");
        const QString noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent";
        const QStringList product{"/Applications/TAVREL.app/Contents/MacOS/TAVREL",
                                  "~/Library/Application Support/com.quillorchid.TavrelOSX/db",
                                  "~/Library/Preferences/com.quillorchid.TavrelOSX.plist",
                                  "entry:Tavrel"};
        const QStringList neighbours{
            "keep:/Applications/TAVREL.app.old/x", "keep:~/Library/Preferences/com.quillorchid.x",
            "keep:~/Library/Application Support/com.quillorchid.TavrelOSXX/db", "entry:Tavrel 2"};
        const QStringList plan{"plan: Found on this account:",
                               "  Remove login item Tavrel",
                               "    Tavrel",
                               "  Remove /Applications/TAVREL.app",
                               "    /Applications/TAVREL.app | 1.2 kB, 1 file",
                               "  Remove Application Support com.quillorchid.TavrelOSX",
                               QString("    ~/Library/Application Support/"
                                       "com.quillorchid.TavrelOSX | 1.2 kB, 1 file"),
                               "  Remove Preferences com.quillorchid.TavrelOSX.plist",
                               QString("    ~/Library/Preferences/"
                                       "com.quillorchid.TavrelOSX.plist | 1.2 kB, 1 file")};
        const QStringList bundleFailure{
            "/Applications/TAVREL.app: \u201cTAVREL\u201d couldn\u2019t be removed: Read-only file "
            "system. (/Applications/TAVREL.app/Contents/MacOS/TAVREL)",
            "/Applications/Tavrel.app is not a folder and was left alone."};
        const auto running = [](const QString& name) {
            return ranThenAlert("application icon",
                                {name + " is running. Quit " + name + " and try again."});
        };
        QTest::newRow("English; Open Log Folder hands the log folder to xdg-open; Escape quits")
            << Case{.environment = {noBus},
                    .actions = {"look", shot("window-en"), "menu", "Escape"},
                    .shows =
                        englishWindow({"plan: Found on this account:", "  Delete keychain items",
                                       "    Cannot be looked at: No keychain could be "
                                       "reached: run again in your desktop session, where "
                                       "your keyring runs."})};
        QTest::newRow("missing keys show themselves; version 2.0") << Case{
            .environment = {noBus},
            .ownResources = true,
            .actions = {"look", "Escape"},
            .shows = {"window: main.title", "menu: Log > menu.title.open_log_folder (Ctrl+L)",
                      "buttons: main.button.cancel | Uninstall", "version: v2.0",
                      "plan: plan.found", "  step.keychain", "    plan.cannot_look"}};
        QTest::newRow("no usable home folder: an alert in French, nothing logged or made")
            << Case{.environment = {"LANG=fr_FR.UTF-8", "HOME=~/missing"},
                    .actions = {"look", shot("no-home-folder"), "Return"},
                    .shows = {"alert: warning",
                              "text: Le désinstallateur de Tavrel ne trouve pas votre dossier "
                              "personnel (HOME doit désigner un dossier existant autre que « / ») "
                              "et ne peut donc pas savoir quoi supprimer. Rien n’a été supprimé.",
                              "button: OK (default)"},
                    .exit = 1};
        QTest::newRow("the plan lists the product, not its neighbours; a Trash copy made after "
                      "the window opened goes too; removed, and OK quits")
            << Case{.plant = product + neighbours,
                    .actions = {"look", shot("plan"), "trash", "Return", "look", shot("success"),
                                "Return"},
                    .shows =
                        englishWindow(plan) +
                        ranThenAlert("information", {"Tavrel has been removed from this account."}),
                    .runs = 1};
        QTest::newRow("the plan in Japanese; SIGTERM quits in order") << Case{
            .environment = {"LC_ALL=ja_JP.UTF-8"},
            .plant = {product[0]},
            .actions = {"look", shot("plan-ja"), "SIGTERM"},
            .shows = {"window: Tavrel アンインストーラ", "menu: ログ > ログフォルダを開く (Ctrl+L)",
                      "buttons: キャンセル | アンインストール", kVersion,
                      "plan: このアカウントで見つかった項目:", "  /Applications/TAVREL.app を削除",
                      "    /Applications/TAVREL.app | 1.2 KB、ファイル 1 個"}};
        QTest::newRow("steps fail: listed, the window stays and shows what is left, Uninstall "
                      "again repeats all; of two login items named Tavrel, one stays")
            << Case{.plant = {product[0], "entry:Tavrel", "entry:Tavrel"},
                    .readOnlyBundle = true,
                    .actions = {"Return", "look", shot("failure-login-item"), "Return", "look",
                                "Return", "look", shot("failure"), "Return", "Escape"},
                    .shows =
                        ranThenAlert("warning", QStringList{"Tavrel was not completely removed.",
                                                            "Remove login item Tavrel: Tavrel is "
                                                            "still there."} +
                                                    bundleFailure) +
                        englishWindow(QStringList{"plan: Still there after the run:"} +
                                      plan.mid(1, 4)) +
                        ranThenAlert("warning", QStringList{"Tavrel was not completely removed."} +
                                                    bundleFailure),
                    .runs = 2};
        QTest::newRow("a slow step: the window keeps answering, and closing it waits for the run")
            << Case{.stubbornHelper = true,
                    .actions = {"Return", "!shot:" + shot("run").mid(5), "!close"},
                    .shows = {"run: buttons disabled, busy cursor", "run: responsive"},
                    .runs = 1};
        QTest::newRow("the main application runs (ICNS icon)") << Case{
            .plant = product,
            .running = {"com.quillorchid.TavrelOSX", "CFBundleName", "Tavrel", "Tavrel.icns"},
            .actions = {"Return", "look", shot("running"), "Return", "Escape"},
            .shows = running("Tavrel")};
        QTest::newRow("nothing found; only the authenticator runs (PNG icon, a name with markup)")
            << Case{.running = {"com.quillorchid.TavrelAuthenticator", "CFBundleDisplayName",
                                "Tavrel &lt;i>Authenticator", "Auth.png"},
                    .actions = {"look", "Return", "look", "Escape", "Escape"},
                    .shows = englishWindow() + running("Tavrel <i>Authenticator")};
    }
    void window() {
        if (const auto& reason = tavrel::testing::Sandbox::unavailableReason()) {
            QSKIP(reason->c_str());
        }
        QFETCH(Case, row);
        const QString bus = qEnvironmentVariable("TAVREL_PRIVATE_KEYRING_BUS");
        QVERIFY2(!bus.isEmpty(), "run this test through tests/keychain/with-private-keyring.sh");
        // A temporary home whose path has a space, and an Applications folder.
        const tavrel::testing::TemporaryFolder folder;
        const tavrel::testing::TemporaryFolder applications;
        const std::string home = folder.string() + "/my home";
        fs::create_directories(home + "/run");
        fs::permissions(home + "/run", fs::perms::owner_all);
        int entries = 0;
        for (const QString& item : row.plant) {
            if (item.startsWith("entry:")) {
                writeFile(home + "/.config/autostart/" + std::to_string(++entries) + ".desktop",
                          "[Desktop Entry]\nType=Application\nName=" + item.mid(6).toStdString() +
                              "\nExec=true\n");
            } else {
                writeFile(at(item, home, applications.string()), std::string(1200, 'x'));
            }
        }
        const std::string browser = folder.string() + "/browser";
        writeFile(browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"$0.opened\"\n");
        fs::permissions(browser, fs::perms::owner_all);
        // Only ever the private keyring, or none where the case says so.
        std::vector<std::string> variables{"BROWSER=" + browser, "QT_QPA_PLATFORM=offscreen",
                                           "XDG_RUNTIME_DIR=" + home + "/run",
                                           "DBUS_SESSION_BUS_ADDRESS=" + bus.toStdString()};
        for (const QString& variable : row.environment) {
            variables.push_back(QString(variable).replace("~", home.c_str()).toStdString());
        }
        tavrel::testing::Sandbox sandbox;
        sandbox.applications(applications.string());
        if (row.readOnlyBundle) {
            sandbox.readOnly((applications.path() / "TAVREL.app").string(),
                             "/Applications/TAVREL.app");
            writeFile(applications.path() / "Tavrel.app", "a file, not the product");
        }
        std::vector<std::string> argv;
        if (row.stubbornHelper) {
            argv = {TAVREL_START_FIRST, "--stubborn", folder.string() + "/bin/brolt"};
        }
        if (!row.running.isEmpty()) {
            // A copy of sleep in a bundle of that identifier.
            const fs::path bundle = folder.path() / "Running.app/Contents";
            writeFile(bundle / "Info.plist",
                      QString("<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>%1"
                              "</string><key>%2</key><string>%3</string><key>CFBundleIconFile</key>"
                              "<string>%4</string></dict></plist>")
                          .arg(row.running[0], row.running[1], row.running[2], row.running[3])
                          .toStdString());
            fs::create_directories(bundle / "Resources");
            QImage icon(128, 128, QImage::Format_ARGB32); // written as PNG or ICNS, by its name
            icon.fill(Qt::darkCyan);
            QVERIFY(icon.save(QString::fromStdString((bundle / "Resources").string()) + "/" +
                              row.running[3]));
            argv = {TAVREL_START_FIRST, (bundle / "MacOS/app").string()};
        }
        argv.push_back(fs::read_symlink("/proc/self/exe").string());
        if (row.ownResources) {
            // A copy of this program finds the resources beside it instead.
            const fs::path bundle = folder.path() / "bundle";
            fs::create_directories(bundle / "bin");
            fs::copy_file("/proc/self/exe", bundle / "bin/app");
            argv.back() = (bundle / "bin/app").string();
            writeFile(bundle / "share/tavrel-uninstaller/en.lproj/Localizable.strings",
                      "\"main.button.uninstall\" = \"Uninstall\";\n\"menu.title.log\" = Log;\n");
            writeFile(bundle / "share/tavrel-uninstaller/Info.plist",
                      "<plist version=\"1.0\"><dict><key>CFBundleShortVersionString</key>"
                      "<string>2.0</string></dict></plist>");
        }
        argv.emplace_back("--drive");
        for (const QString& action : row.actions) {
            argv.push_back(action.toStdString());
        }
        const ProcessRun run = sandbox.run(argv, tavrel::testing::homeEnvironment(home, variables));
        QCOMPARE(lines(run.out), row.shows + QStringList{"exit: " + QString::number(row.exit)});
        QStringList log;
        std::error_code missing;
        for (const auto& entry :
             fs::directory_iterator(home + "/Library/Logs/TavrelUninstaller/", missing)) {
            log = lines(readFile(entry.path()));
        }
        QVERIFY(!fs::exists(home + "/missing")); // the refusal makes nothing
        QVERIFY2(row.exit != 0 || log.value(log.size() - 1).endsWith("----- Terminate -----"),
                 run.err.c_str());
        for (const QString& item : row.plant) {
            // What a run removes goes; its neighbours, and everything when nothing ran, stay.
            QVERIFY2(item.startsWith("entry:") ||
                         fs::exists(at(item, home, applications.string())) ==
                             (row.runs == 0 || row.readOnlyBundle || item.startsWith("keep:")),
                     qPrintable(item));
        }
        QVERIFY(!fs::exists(home + "/.local/share/Trash/files/TAVREL.app"));
        QCOMPARE(log.filter("----- Remove App Bundle -----").size(), 2 * row.runs);
        const bool opened = row.actions.contains("menu");
        QCOMPARE(log.filter(QRegularExpression(" Success$")).size(), opened ? 1 : 0);
        QCOMPARE(readFile(browser + ".opened"),
                 opened ? home + "/Library/Logs/TavrelUninstaller/\n" : std::string());
    }
};

int main(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "--drive") {
        return driveWindow(argc, argv);
    }
    QCoreApplication application(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTest.moc"
