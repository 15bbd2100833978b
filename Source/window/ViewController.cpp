// The content of the window and the uninstall flow.
#include "Source/window/ViewController.hpp"

#include "Source/errors/Error.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "Source/app/RunningAppCheck.hpp"
#include "Source/app/UninstallAlert.hpp"
#include "Source/window/AlertSheet.hpp"
#include "platform/BundleInfo.hpp"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace tavrel::window {

namespace {

QString qtText(const std::string& text) {
    return QString::fromStdString(text);
}

// A key that presses `button` as a click would, visibly, while the window is active.
void pressOnKey(QWidget* view, const QKeySequence& key, QPushButton* button) {
    auto* shortcut = new QShortcut(key, view); // owned by the view
    QObject::connect(shortcut, &QShortcut::activated, button, [button] { button->animateClick(); });
}

} // namespace

ViewController::ViewController(QWidget* view, const Outlets& outlets, Roots roots,
                               const LocalizedStrings& strings)
    : uninstaller_(std::move(roots)), view_(view), outlets_(outlets), strings_(strings) {
    QObject::connect(outlets_.cancelButton, &QPushButton::clicked, view_, [] { cancelAction(); });
    QObject::connect(outlets_.uninstallButton, &QPushButton::clicked, view_,
                     [this] { uninstallAction(); });
    pressOnKey(view_, QKeySequence(Qt::Key_Return), outlets_.uninstallButton);
    pressOnKey(view_, QKeySequence(Qt::Key_Enter), outlets_.uninstallButton);
    pressOnKey(view_, QKeySequence(Qt::Key_Escape), outlets_.cancelButton);
    setUpControls();
}

void ViewController::setUpControls() {
    outlets_.cancelButton->setText(qtText(strings_.cancelButton()));
    outlets_.uninstallButton->setText(qtText(strings_.uninstallButton()));
    outlets_.descriptionLabel->setText(qtText(strings_.mainDescription()));
    const auto version = platform::BundleInfo::infoString("CFBundleShortVersionString");
    outlets_.versionLabel->setText(version ? "v" + qtText(*version) : QString());
}

void ViewController::cancelAction() {
    QCoreApplication::quit();
}

void ViewController::uninstallAction() {
    setBusy(true);
    performUninstall();
    setBusy(false);
}

void ViewController::performUninstall() {
    try {
        for (const char* bundleIdentifier : product::kRunningCheckIDs) {
            checkNotRunning(bundleIdentifier);
        }
        const UninstallOutcome outcome = uninstaller_.uninstall();
        if (outcome.removedEverything()) {
            presentAlert(UninstallAlert::forOutcome(outcome, strings_),
                         [] { QCoreApplication::quit(); });
        } else {
            presentAlert(UninstallAlert::forOutcome(outcome, strings_));
        }
    } catch (const Error& error) {
        presentAlert(error.alert());
    } catch (...) {
        presentAlert(UninstallAlert::forUnexpectedError(strings_));
    }
}

void ViewController::presentAlert(const Alert& alert, std::function<void()> completion) {
    AlertSheet::present(alert, view_->window(), std::move(completion));
}

void ViewController::setBusy(bool busy) {
    outlets_.cancelButton->setEnabled(!busy);
    outlets_.uninstallButton->setEnabled(!busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The run holds the event loop until it ends: show the disabled buttons now.
        view_->repaint();
    } else {
        QApplication::restoreOverrideCursor();
    }
}

} // namespace tavrel::window
