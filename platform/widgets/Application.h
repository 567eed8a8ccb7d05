#pragma once
// The application object. Besides dispatching events it is the one place where failures thrown
// inside a handler end up: the default error dialog shows their message, the rest of the action is
// abandoned, and the program goes on running.

#include <QApplication>
#include <functional>

namespace widgets {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the text of a failure in a message box with the caption "Quillon", the error icon and OK.
    static void reportError(const QString& message);
};

// Runs a handler and shows what it throws in the default error dialog, so the failure stops at our
// own frame and never unwinds through the toolkit's.
void runReportingFailures(const std::function<void()>& handler);

// The handler wrapped for binding to a signal, a key or a windowless control.
inline std::function<void()> reportingFailures(std::function<void()> handler) {
    return [handler = std::move(handler)] { runReportingFailures(handler); };
}

}  // namespace widgets
