#pragma once
// The guide the lyrics box shows when the program starts.

#include <QString>

inline QString usageText() {
    return QStringLiteral(
        "-  Load the audio file first\n"
        "   (File menu, \"Open MP3 file...\").\n"
        "-  Type the song text into this box or, better, copy it from\n"
        "   one of the web sites that offer song texts, for example\n"
        "   www.lyrics.com or www.songlyrics.com, and clean it up so\n"
        "   that each sung line stands on a line of its own.\n"
        "-  Press Play. The song starts, and \"Add Line\" and\n"
        "   \"Add Blank Line\" become active.\n"
        "-  Press \"Add Line\" when the singer starts the marked line:\n"
        "   a time flag is set in front of it and the marker moves on\n"
        "   to the next line. Repeat this for each line.\n"
        "-  Press \"Add Blank Line\" when the current text should vanish\n"
        "   at once; otherwise a line stays shown until the next one\n"
        "   replaces it.\n"
        "-  Missed a start? Put the blue marker on a good line, rewind\n"
        "   with the position bar and try again.\n"
        "-  Keys: Ctrl+P plays and pauses, Ctrl+. stops; while playing,\n"
        "   Space is \"Add Line\", Shift+Space \"Add Blank Line\", and\n"
        "   Ctrl+Left / Ctrl+Right jump 5 seconds back or forward.\n"
        "-  Check the result: play the song from the start and watch\n"
        "   the lyrics box above the player panel.\n"
        "-  Finally press Save. The lyrics file is saved next to the\n"
        "   audio file under the same name, as most players expect,\n"
        "   or in a separate lyrics directory that you can set in the\n"
        "   settings.");
}
