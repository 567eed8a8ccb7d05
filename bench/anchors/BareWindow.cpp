// The anchor for start-up time: a bare Qt main window, shown and nothing else.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(470, 560);
    window.show();
    return application.exec();
}
