// The program block: the application titled "Quillon", its four windows created in order, and
// the message loop, which ends when the main window has closed.

#include <QFileInfo>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTimer>

#include "audio/Bass_Dynamic.h"
#include "audio/EmbeddedEngine.h"
#include "dialogs/Donation.h"
#include "dialogs/Settings.h"
#include "dialogs/Ueber.h"
#include "editor/Unit1.h"
#include "platform/gdi/Font.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/CaretRest.h"
#include "platform/widgets/MessageBox.h"

int main(int argc, char** argv) {
    widgets::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    // No display name: Qt would append it to every window's caption ("Settings — Quillon").
    // One style everywhere, so the forms look the same on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    gdi::registerApplicationFonts();
    widgets::CaretRest caretRest;

    // The audio library, carried inside the program, is mapped and bound before any window exists;
    // without it the program cannot run.
    QString problem;
    if (!bassdll::LoadBassLibrary(bassdll::inMemoryLibraryLoader(embeddedEngineImage()), problem)) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Quillon"), problem, QMessageBox::Ok);
        widgets::showMessageBox(box);
        return 1;
    }
    struct UnloadAtExit {
        ~UnloadAtExit() { bassdll::UnloadBassLibrary(); }
    } unloadAtExit;

    TForm1 mainWindow;
    TFormUeber about(&mainWindow);
    FormUeber = &about;
    TFormDonation donation(&mainWindow);
    FormDonation = &donation;
    TFormSettings settings(&mainWindow);
    FormSettings = &settings;

    mainWindow.show();
    // "quillon FILE" opens FILE as soon as the window is up.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString file = QFileInfo(arguments.at(1)).absoluteFilePath();
        QTimer::singleShot(0, &mainWindow, [&mainWindow, file] {
            widgets::runReportingFailures([&mainWindow, file] { mainWindow.openDroppedFile(file); });
        });
    }
    const int result = app.exec();
    FormSettings = nullptr;
    FormDonation = nullptr;
    FormUeber = nullptr;
    return result;
}
