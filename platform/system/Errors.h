#pragma once
// The failures that handlers do not catch: they abandon the rest of the action and reach the
// application's default error dialog, which shows their message.

#include <QString>
#include <stdexcept>

namespace errors {

class QuillonError : public std::runtime_error {
public:
    explicit QuillonError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// A file that cannot be opened for reading.
class EFOpenError : public QuillonError {
public:
    EFOpenError(const QString& path, const QString& reason)
        : QuillonError(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, reason)) {}
};

// A file that cannot be created or written.
class EFCreateError : public QuillonError {
public:
    EFCreateError(const QString& path, const QString& reason)
        : QuillonError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason)) {}
};

// A text that is not a whole number.
class EConvertError : public QuillonError {
public:
    explicit EConvertError(const QString& text)
        : QuillonError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text)) {}
};

// A resource the program does not have.
class EResNotFound : public QuillonError {
public:
    explicit EResNotFound(const QString& name)
        : QuillonError(QStringLiteral("Ressource %1 wurde nicht gefunden").arg(name)) {}
};

// The text the default error dialog shows: the message, with "." appended when its last
// character's code lies above that of ".".
inline QString errorDialogText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + QLatin1Char('.');
    return message;
}

}  // namespace errors
