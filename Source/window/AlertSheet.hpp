// Showing an Alert value as a window-modal message box on a window (a sheet on macOS).
#pragma once

#include "Source/errors/Alert.hpp"

#include <functional>

class QMessageBox;
class QWidget;

namespace tavrel::window {

class AlertSheet {
public:
    /// Builds a message box from `alert` (message, informative text, buttons, style, icon; texts
    /// shown as written, never as markup) and opens it window-modal on `window`, or
    /// application-modal when there is no window, returning at once. Return and Escape press its
    /// first button. When it is dismissed, `completion` runs, if given, and the box deletes
    /// itself.
    static QMessageBox* present(const Alert& alert, QWidget* window,
                                std::function<void()> completion);
};

} // namespace tavrel::window
