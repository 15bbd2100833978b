// Alert values as message boxes.
#include "Source/window/AlertSheet.hpp"

#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTextDocument>

namespace tavrel::window {

namespace {

constexpr int kIconSize = 64;
// A message box is as wide as its message; a list of paths below it needs more room than that.
constexpr int kWidthWithInformativeText = 520;

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
    case AlertStyle::informational:
        return QMessageBox::Information;
    case AlertStyle::critical:
        return QMessageBox::Critical;
    case AlertStyle::warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::Warning;
}

} // namespace

QMessageBox* AlertSheet::present(const Alert& alert, QWidget* window,
                                 std::function<void()> completion) {
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(window != nullptr ? window->windowTitle()
                                          : QGuiApplication::applicationDisplayName());
    // Names and paths come from the disk: a "<b>" in them is text, not markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(alert.messageText));
    if (alert.informativeText) {
        // The informative label has no format of its own: escaped markup keeps it as written.
        box->setInformativeText(
            Qt::convertFromPlainText(QString::fromStdString(*alert.informativeText)));
    }
    box->setIcon(iconFor(alert.style));
    if (alert.iconPath) {
        const QPixmap icon(QString::fromStdString(*alert.iconPath));
        if (!icon.isNull()) {
            box->setIconPixmap(
                icon.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    }
    for (const std::string& title : alert.buttons) {
        QPushButton* button =
            box->addButton(QString::fromStdString(title), QMessageBox::AcceptRole);
        if (box->defaultButton() == nullptr) {
            box->setDefaultButton(button);
            box->setEscapeButton(button);
        }
    }
    if (completion) {
        QObject::connect(box, &QMessageBox::finished, box,
                         [completion = std::move(completion)](int) { completion(); });
    }
    // Last: setting the icon lays the box out anew.
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (alert.informativeText && grid != nullptr) {
        grid->addItem(new QSpacerItem(kWidthWithInformativeText, 0), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box->open();
    return box;
}

} // namespace tavrel::window
