// The window driver: timers in the application's event loop act on its widgets through QtTest.
#include "tests/window/WindowDriver.hpp"

#include "Source/window/Application.hpp"

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
#include <QtTest/QTest>
#include <iostream>

namespace tavrel::testing {

namespace {

QStringList& actions() {
    static QStringList list;
    return list;
}

void say(const QString& line) {
    std::cout << line.toStdString() << std::endl;
}

QMainWindow* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget); window != nullptr) {
            return window;
        }
    }
    return nullptr;
}

// The label's text as a person reads it: markup rendered, entities resolved.
QString shownText(const QLabel* label) {
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
}

void reportWindow(const QMainWindow* window) {
    const auto* cancel = window->findChild<QPushButton*>("cancelButton");
    const auto* uninstall = window->findChild<QPushButton*>("uninstallButton");
    const auto* item = window->findChild<QAction*>("openLogFolderMenuItem");
    say("window: " + window->windowTitle());
    say("menu: " + window->findChild<QMenu*>("logMenu")->title() + " > " + item->text() + " (" +
        item->shortcut().toString() + ")");
    say("buttons: " + cancel->text() + " | " + uninstall->text() +
        (cancel->isEnabled() && uninstall->isEnabled() ? "" : " (disabled)") +
        (QApplication::overrideCursor() != nullptr ? " (busy)" : ""));
    say("version: " + window->findChild<QLabel*>("versionLabel")->text());
}

void reportAlert(const QMainWindow* window, const QMessageBox* box) {
    if (box == nullptr) {
        say("alert: none");
        return;
    }
    const bool sheet = box->windowModality() == Qt::WindowModal && box->parentWidget() == window;
    const char* icon = box->icon() == QMessageBox::Warning       ? "warning"
                       : box->icon() == QMessageBox::Information ? "information"
                       : box->iconPixmap().isNull()              ? "none"
                                                                 : "application icon";
    say(QString("alert: ") + (sheet ? "window-modal " : "not window-modal ") + icon);
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        for (const QString& line : shownText(label).split(QRegularExpression("[\n\u2028]"))) {
            if (!line.isEmpty()) {
                say("text: " + line);
            }
        }
    }
    for (const QAbstractButton* button : box->buttons()) {
        say("button: " + button->text() + (button == box->defaultButton() ? " (default)" : ""));
    }
}

void act(QMainWindow* window, const QString& action) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QWidget* target = box != nullptr ? static_cast<QWidget*>(box) : window;
    if (target == window && !window->isActiveWindow()) {
        // What a desktop does when an alert goes away; the offscreen platform has no desktop.
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window);
    }
    if (action == "window") {
        reportWindow(window);
    } else if (action == "alert") {
        reportAlert(window, box);
    } else if (action == "Return" || action == "Escape") {
        QTest::keyClick(target, action == "Return" ? Qt::Key_Return : Qt::Key_Escape);
    } else if (action == "menu") {
        QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
    } else if (action.startsWith("shot:")) {
        target->grab().save(action.mid(5));
    }
}

void perform(qsizetype index) {
    QTimer::singleShot(300, [index] {
        QMainWindow* window = mainWindow();
        if (window == nullptr || !window->isVisible()) {
            return;
        }
        if (index == actions().size()) {
            // The actions should have closed it: say so, and end rather than hang the test.
            say("still open");
            QCoreApplication::exit(3);
            return;
        }
        act(window, actions()[index]);
        perform(index + 1);
    });
}

} // namespace

int driveWindow(int argc, char** argv) {
    for (int index = 2; index < argc; ++index) {
        actions().append(QString::fromLocal8Bit(argv[index]));
    }
    qAddPreRoutine([] { perform(0); });
    const int status = window::runApplication(argc, argv);
    say("exit: " + QString::number(status));
    return status;
}

} // namespace tavrel::testing
