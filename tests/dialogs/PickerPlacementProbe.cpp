// Opens the folder picker on a real X server, so the X server run can see where its frame lands:
//   quillon_picker_probe LEFT TOP   (0 0: the default, centred on the screen)
// It prints nothing; the picker stays open until it is cancelled.

#include <QApplication>
#include <cstdlib>

#include "dialogs/FolderDialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TBrowseForFolder picker;
    if (argc >= 3) {
        picker.SetDialogLeft(std::atoi(argv[1]));
        picker.SetDialogTop(std::atoi(argv[2]));
    }
    picker.SetWindowTitle(QStringLiteral("Picker probe"));
    picker.Execute();
    return 0;
}
