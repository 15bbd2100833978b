// TavrelUninstaller itself, with a watch that writes one byte to descriptor 3 as soon as the plan
// is shown (the window visible and no longer busy looking), then quits: what window_bench times.
#include "Source/window/Application.hpp"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <unistd.h>

namespace {

bool planShown() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<const QMainWindow*>(widget) != nullptr && widget->isVisible()) {
            return QApplication::overrideCursor() == nullptr;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    qAddPreRoutine([] {
        auto* timer = new QTimer(QCoreApplication::instance());
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [timer] {
            if (planShown()) {
                timer->stop();
                (void)!write(3, "s", 1);
                QCoreApplication::quit();
            }
        });
        timer->start(1);
    });
    return tavrel::window::runApplication(argc, argv);
}
