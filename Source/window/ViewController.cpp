// The content of the window and the uninstall flow.
#include "Source/window/ViewController.hpp"

#include "Source/app/UninstallAlert.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/run/StepTable.hpp"
#include "Source/window/AlertSheet.hpp"
#include "platform/BundleInfo.hpp"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
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

ViewController::ViewController(QWidget* view, const Outlets& outlets,
                               const LocalizedStrings& strings)
    : view_(view), outlets_(outlets), strings_(strings),
      plan_(outlets.planHeading, outlets.planView, strings), worker_(view, "flow") {
    QObject::connect(outlets_.cancelButton, &QPushButton::clicked, view_, [] { cancelAction(); });
    QObject::connect(outlets_.uninstallButton, &QPushButton::clicked, view_,
                     [this] { uninstallAction(); });
    pressOnKey(view_, QKeySequence(Qt::Key_Return), outlets_.uninstallButton);
    pressOnKey(view_, QKeySequence(Qt::Key_Enter), outlets_.uninstallButton);
    pressOnKey(view_, QKeySequence(Qt::Key_Escape), outlets_.cancelButton);
    outlets_.progressBar->setRange(0, StepTable::count());
    setUpControls();
    plan_.show(PlanView::Stage::looking);
    // The window answers while it looks: the arrow with a busy mark, not the wait cursor.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    worker_.run([this] { return flow_.survey(); },
                [this](const std::optional<Inventory>& inventory) {
                    QApplication::restoreOverrideCursor();
                    // A run asked for meanwhile shows its own plan when it ends.
                    if (!running_) {
                        plan_.show(PlanView::Stage::found, inventory.value_or(Inventory{}));
                    }
                });
}

ViewController::~ViewController() = default;

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
    if (running_) {
        return;
    }
    setBusy(true);
    performUninstall();
}

void ViewController::performUninstall() {
    worker_.run(
        [this] {
            UninstallFlow::Events events;
            events.stepStarted = [this](const Step& step) {
                // Rows live as long as the table.
                worker_.answer([this, row = &step] { showStep(*row); });
            };
            events.checking = [this] {
                worker_.answer([this] {
                    outlets_.progressBar->setValue(outlets_.progressBar->maximum());
                    outlets_.progressLabel->setText(qtText(strings_.text("progress.checking")));
                });
            };
            return flow_.uninstall(events);
        },
        [this](const FlowResult& result) { finish(result); });
}

void ViewController::showStep(const Step& step) {
    outlets_.progressBar->setValue(step.number - 1);
    outlets_.progressLabel->setText(qtText(strings_.text(
        "progress.step", {std::to_string(step.number), std::to_string(StepTable::count()),
                          UninstallAlert::stepTitle(step, strings_)})));
}

void ViewController::finish(const FlowResult& result) {
    setBusy(false);
    if (quitRequested_) {
        QCoreApplication::quit();
        return;
    }
    if (result.remaining) {
        plan_.show(result.removed() ? PlanView::Stage::found : PlanView::Stage::remaining,
                   *result.remaining);
    }
    const Alert alert = UninstallAlert::forResult(result, strings_);
    if (result.removed()) {
        presentAlert(alert, [] { QCoreApplication::quit(); });
    } else {
        presentAlert(alert);
    }
}

void ViewController::requestQuit() {
    if (running_) {
        quitRequested_ = true;
    } else {
        QCoreApplication::quit();
    }
}

void ViewController::presentAlert(const Alert& alert, std::function<void()> completion) {
    AlertSheet::present(alert, view_->window(), std::move(completion));
}

void ViewController::setBusy(bool busy) {
    running_ = busy;
    // The cursor first, so that the window looks busy by the time its buttons say so.
    if (busy) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    outlets_.progressBar->setValue(0);
    outlets_.progressLabel->setText(QString());
    outlets_.progressLabel->setVisible(busy);
    outlets_.progressBar->setVisible(busy);
    outlets_.cancelButton->setEnabled(!busy);
    outlets_.uninstallButton->setEnabled(!busy);
}

} // namespace tavrel::window
