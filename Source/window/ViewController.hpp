// The window's content: description, version label, the Uninstall and Cancel buttons, and the
// uninstall flow from the button to the alert that tells how it ended.
#pragma once

#include "Source/errors/Alert.hpp"
#include "Source/run/Uninstaller.hpp"

#include <functional>

class QLabel;
class QPushButton;
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
    };

    /// Manages `view` and the controls in it: connects the buttons, makes Return press
    /// Uninstall and Escape press Cancel, and titles the controls (setUpControls). The run
    /// looks for the product in `roots`; `strings` must outlive the controller.
    ViewController(QWidget* view, const Outlets& outlets, Roots roots,
                   const LocalizedStrings& strings);

    /// Gives the buttons and the description their texts and the version label "v" followed by
    /// the short version (empty without one).
    void setUpControls();

    /// Quits the application at once.
    static void cancelAction();

    /// Runs the uninstall flow with the buttons disabled and a busy cursor, then shows its alert.
    void uninstallAction();

    /// The flow: neither product application may run (else its alert, and nothing is removed);
    /// then the whole run; then the success alert, whose OK quits, or the failure alert listing
    /// what is still there, after which the window stays open for another try.
    void performUninstall();

private:
    void presentAlert(const Alert& alert, std::function<void()> completion = {});
    void setBusy(bool busy);

    Uninstaller uninstaller_;
    QWidget* view_;
    Outlets outlets_;
    const LocalizedStrings& strings_;
};

} // namespace tavrel::window
