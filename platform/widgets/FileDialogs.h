#pragma once
// The file-open and file-save dialogs of the forms, with their filter in the classic form
// ("Name|*.a;*.b|Other|*.c"). Showing a dialog is a seam: tests install an answerer that picks a
// file (or cancels) without a person.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

#include "platform/system/ScopedHook.h"

namespace widgets {

// "Wave|*.wav|All|*.*" -> "Wave (*.wav);;All (*.*)".
QString qtFilterFromClassic(const QString& classicFilter);

class FileDialog {
public:
    enum class Kind { open, save };
    explicit FileDialog(Kind kind) : kind_(kind) {}

    QString Filter;
    QString FileName;  // the chosen path after a successful Execute
    QString Title;

    // Shows the dialog modally; true when the user chose a file.
    bool Execute(QWidget* parent);
    Kind kind() const { return kind_; }

    using Answerer = std::function<std::optional<QString>(const FileDialog& dialog)>;
    static Answerer& answerer();

private:
    Kind kind_;
};

// While it lives, file dialogs go to `answerer`, which gives the chosen path or nothing (cancel).
class ScopedFileDialogAnswerer : ScopedHook<FileDialog::Answerer> {
public:
    explicit ScopedFileDialogAnswerer(FileDialog::Answerer answerer)
        : ScopedHook(FileDialog::answerer(), std::move(answerer)) {}
};

}  // namespace widgets
