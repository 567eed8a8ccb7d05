#pragma once
// The one way the program shows a message box: the message dialog's questions, the default error
// dialog, the player's messages and start-up failures all come here. Tests answer the boxes in
// place of a person.

#include <QMessageBox>
#include <functional>

#include "platform/system/ScopedHook.h"

namespace widgets {

// A button whose "result" property is set makes showMessageBox return that value when pressed.
inline constexpr const char* kButtonResultProperty = "result";

// Shows the prepared box modally and returns the pressed button's result (or exec's value).
int showMessageBox(QMessageBox& box);

using MessageBoxAnswerer = std::function<int(QMessageBox& box)>;
MessageBoxAnswerer& messageBoxAnswerer();

// While it lives, boxes go to `answerer`, which returns the result of the button it "pressed".
class ScopedMessageBoxAnswerer : ScopedHook<MessageBoxAnswerer> {
public:
    explicit ScopedMessageBoxAnswerer(MessageBoxAnswerer answerer)
        : ScopedHook(messageBoxAnswerer(), std::move(answerer)) {}
};

}  // namespace widgets
