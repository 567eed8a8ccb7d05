#include "LyricsHistory.h"

LyricsChange::LyricsChange(const QString& name, Kind kind, LyricsState before, LyricsState after, Show show)
    : QUndoCommand(name),
      kind_(kind),
      before_(std::move(before)),
      after_(std::move(after)),
      show_(std::move(show)) {}

void LyricsChange::undo() {
    show_(before_);
}

void LyricsChange::redo() {
    if (made_) {
        made_ = false;
        return;
    }
    show_(after_);
}

int LyricsChange::id() const {
    return kind_ == Kind::typing ? 1 : -1;
}

bool LyricsChange::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const LyricsChange*>(other);
    if (next == nullptr || next->kind_ != Kind::typing || next->madeAt_ - madeAt_ > kTypingPause)
        return false;
    after_ = next->after_;
    madeAt_ = next->madeAt_;
    return true;
}
