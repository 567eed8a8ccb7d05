#pragma once
// The lyrics' history for undo and redo: one stack for the document, whether the text box or the
// line list shows it, so Stop and Play in between lose nothing. Each change is a pair of states
// (the whole text and the marker) that the window knows how to show again; typing merges into one
// step until the user pauses.

#include <QString>
#include <QUndoCommand>
#include <chrono>
#include <functional>

// The lyrics as the window shows them: the text ("\n" after each line) and the marked line (-1
// for none, or while the text box shows them).
struct LyricsState {
    QString text;
    int marker = -1;
    bool operator==(const LyricsState&) const = default;
};

class LyricsChange : public QUndoCommand {
public:
    using Show = std::function<void(const LyricsState&)>;
    enum class Kind { typing, tagging };

    // The change has already been made when it is recorded: the first redo does nothing.
    LyricsChange(const QString& name, Kind kind, LyricsState before, LyricsState after, Show show);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

    // Typing within this of the previous keystroke is the same step.
    static constexpr std::chrono::milliseconds kTypingPause{1000};

private:
    Kind kind_;
    LyricsState before_;
    LyricsState after_;
    Show show_;
    bool made_ = true;
    std::chrono::steady_clock::time_point madeAt_ = std::chrono::steady_clock::now();
};
