#pragma once
// What the main window knows about its song and its lyrics, apart from its widgets: whether the
// song plays, whether the position bar is being dragged, whether the lyrics are saved, whether the
// line list still has to take the text box's lyrics, the song's path and the lyrics' history.
// The window's handlers move it by the named transitions below and draw what it says.

#include <QString>
#include <QUndoStack>

class WindowState {
public:
    // The window is shown: no song yet, nothing to save, and the position bar still (a song that
    // is opened lets it follow the play).
    void start();

    // An open: the song's path is known before the song is loaded, as the lyrics file is looked for
    // under it. A loaded song starts with its lyrics saved and a new history; a song that cannot be
    // loaded leaves no path and the lyrics as they were.
    void beginOpen(const QString& songPath);
    void finishOpen();
    void failOpen();

    void play();
    void pause();
    void stop();

    // The position bar is dragged. While it is, its moves seek the song and the play does not move
    // it; at its end the seek is over if the song plays (true: the player goes on), and stays open
    // while the song is paused or stopped.
    void beginSeek();
    bool endSeek();

    // The text box changed: typed by the user, the lyrics are unsaved; replaced by the program (a
    // loaded file, the list's lines given back, an undo), whoever replaced it says whether they are.
    // Either way the line list takes the text anew at the next play.
    void typeText();
    void replaceText();
    // The line list now holds the text box's lyrics.
    void takeLines();
    // Any other change of the lyrics: a tag, a blank line, a nudge.
    void changeLyrics();
    void save();

    bool playing() const { return playing_; }
    bool seeking() const { return seeking_; }
    // The play-time tick moves the position bar only while the song plays and no one drags it.
    bool barFollowsPlay() const { return playing_ && !seeking_; }
    bool unsaved() const { return unsaved_; }
    bool lineListStale() const { return lineListStale_; }
    const QString& songPath() const { return songPath_; }
    QUndoStack& history() { return history_; }
    const QUndoStack& history() const { return history_; }

private:
    bool playing_ = false;
    bool seeking_ = false;
    bool unsaved_ = false;
    bool lineListStale_ = false;
    QString songPath_;
    QUndoStack history_;
};
