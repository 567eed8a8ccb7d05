#include "Application.h"

#include <QMessageBox>

#include "platform/system/Errors.h"

namespace widgets {

namespace {
std::function<void(const QString&)>& customReporter() {
    static std::function<void(const QString&)> reporter;
    return reporter;
}
}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

void Application::setErrorReporter(std::function<void(const QString&)> reporter) {
    customReporter() = std::move(reporter);
}

void Application::reportError(const QString& message) {
    const QString text = errors::errorDialogText(message);
    if (customReporter()) {
        customReporter()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quillon"), text, QMessageBox::Ok, activeWindow());
    box.exec();
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
