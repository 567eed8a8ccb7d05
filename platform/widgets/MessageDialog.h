#pragma once
// The one message dialog through which every question to the user goes, and bringing the program
// to the front.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons buttonSet(TMsgDlgBtn button) {
    return 1u << button;
}
constexpr TMsgDlgButtons operator|(TMsgDlgBtn a, TMsgDlgBtn b) {
    return buttonSet(a) | buttonSet(b);
}
constexpr TMsgDlgButtons operator|(TMsgDlgButtons a, TMsgDlgBtn b) {
    return a | buttonSet(b);
}

// Results: the pressed button.
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// Asks the user: a dialog of the kind's icon with the buttons, the caption, staying on top,
// centred on the active window (but never closer than 10 pixels to the screen's top or left
// edge), with the event sound of a warning or an error. Returns the pressed button's result.
int ShowMessageDialog(const QString& message, const QString& caption, TMsgDlgType kind,
                      TMsgDlgButtons buttons);

// Brings the program's window to the front and gives it the keyboard.
void ForceForegroundWindow();

// Where the message dialog goes: centred on the active window, rounded to nearest (ties to even),
// then the top and after it the left raised to at least 10.
QPoint messageDialogPosition(const QRect& activeWindow, const QSize& dialogSize);
