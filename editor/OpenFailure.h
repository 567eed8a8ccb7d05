#pragma once
// What the main window says when a song cannot be played: the file's name and why, from the audio
// library's error code, in the words of the program's other file messages.

#include <QString>

QString songLoadFailureText(const QString& fileName, int libraryErrorCode);
