#pragma once
// The utility module the main window shares with the settings store: the message dialog and
// bringing the program to the front (from the platform layer), and the user's name.

#include <QString>

#include "platform/widgets/MessageDialog.h"

// The user's name as a 16-character buffer holds it: empty when it cannot be read or is 16
// characters or longer.
QString GetCurrentUserName();
