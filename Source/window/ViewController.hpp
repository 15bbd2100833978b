// The window's content: description, the plan, progress, version label, the Uninstall and
// Cancel buttons, and the uninstall flow from the button to the alert that tells how it ended.
#pragma once

#include "Source/app/FlowResult.hpp"
#include "Source/app/UninstallFlow.hpp"
#include "Source/errors/Alert.hpp"
#include "Source/window/PlanView.hpp"
#include "Source/window/WorkerThread.hpp"

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace tavrel {
class LocalizedStrings;
} // namespace tavrel

namespace tavrel::window {

class ViewController {
public:
    /// The controls of the view, from the interface file.
    struct Outlets {
        QPushButton* cancelButton;
        QLabel* descriptionLabel;
        QPushButton* uninstallButton;
        QLabel* versionLabel;
        QLabel* planHeading;
        QTreeWidget* planView;
        QLabel* progressLabel;
        QProgressBar* progressBar;
    };

    /// Manages `view` and the controls in it: connects the buttons, makes Return press
    /// Uninstall and Escape press Cancel, titles the controls (setUpControls) and starts looking
    /// for the product, which the plan shows when found. `strings` must outlive the controller.
    ViewController(QWidget* view, const Outlets& outlets, const LocalizedStrings& strings);
    ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    /// Gives the buttons and the description their texts and the version label "v" followed by
    /// the short version (empty without one).
    void setUpControls();

    /// Quits the application at once.
    static void cancelAction();

    /// Starts the uninstall flow (performUninstall) with the buttons disabled and a busy cursor.
    void uninstallAction();

    /// The flow, on the worker thread: neither product application may run (else its alert, and
    /// nothing is removed); then the whole run, each step shown as it starts; then the
    /// inventory again. The success alert, whose OK quits, comes only when that inventory is
    /// clean and no step failed; otherwise the failure alert lists what may still be there and
    /// why, the plan shows it, and the window stays open for another try.
    void performUninstall();

    /// Whether a run is under way.
    [[nodiscard]] bool running() const noexcept { return running_; }

    /// Quits now, or as soon as the run under way has ended, so that its log lines all come
    /// before the last one.
    void requestQuit();

private:
    void presentAlert(const Alert& alert, std::function<void()> completion = {});
    void setBusy(bool busy);
    void showStep(const Step& step);
    void finish(const FlowResult& result);

    QWidget* view_;
    Outlets outlets_;
    const LocalizedStrings& strings_;
    PlanView plan_;
    bool running_ = false;
    bool quitRequested_ = false;
    UninstallFlow flow_;
    WorkerThread worker_; // last: its thread ends before the rest goes
};

} // namespace tavrel::window
