#include "Application.h"

#include <QMessageBox>

#include "MessageBox.h"
#include "platform/system/Errors.h"

namespace widgets {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

void Application::reportError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quillon"), errors::errorDialogText(message),
                    QMessageBox::Ok, activeWindow());
    showMessageBox(box);
}

void runReportingFailures(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const errors::QuillonError& error) {
        Application::reportError(error.message());
    } catch (const std::exception& error) {
        Application::reportError(QString::fromLocal8Bit(error.what()));
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const errors::QuillonError& error) {
        reportError(error.message());
    } catch (const std::exception& error) {
        // Anything else thrown by a handler is shown the same way rather than ending the program.
        reportError(QString::fromLocal8Bit(error.what()));
    }
    return true;
}

}  // namespace widgets
