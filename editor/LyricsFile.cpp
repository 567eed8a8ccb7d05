#include "LyricsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/system/Errors.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; the five codes it leaves undefined map to
// the C1 controls of the same value, as Windows itself converts them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t windows1252(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

// The code point of the well-formed UTF-8 sequence at bytes[at], and its length; length 0 when the
// bytes there are no such sequence (overlong forms, surrogates and values above U+10FFFF included).
struct Utf8Sequence {
    char32_t codePoint = 0;
    int length = 0;
};

Utf8Sequence utf8SequenceAt(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if (lead < 0x80) return {lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return {};
    }
    if (bytes.size() - at < length) return {};
    for (int i = 1; i < length; ++i) {
        const unsigned char continuation = byte(at + i);
        if ((continuation & 0xC0) != 0x80) return {};
        codePoint = (codePoint << 6) | (continuation & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return {};
    return {codePoint, length};
}

}  // namespace

QString withLyricsExtension(const QString& path) {
    const qsizetype lastSeparator = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype lastDot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = lastDot > lastSeparator ? path.left(lastDot) : path;
    return stem + QStringLiteral(".lrc");
}

QString LyricsFilePath(const QString& audioFileName, bool lyricsLocationSwitch,
                       const QString& lyricsDirectory) {
    if (!lyricsLocationSwitch) return withLyricsExtension(audioFileName);
    // The classic rule that cuts a three-character directory to two is for drive roots such as
    // "C:\"; here it would cut a real folder such as "/mu", so the directory is taken whole.
    const QString fileName = audioFileName.mid(audioFileName.lastIndexOf(QLatin1Char('/')) + 1);
    return lyricsDirectory + QLatin1Char('/') + withLyricsExtension(fileName);
}

QString saveChangesQuestion(const QString& audioFileName) {
    const QString fileName = audioFileName.mid(audioFileName.lastIndexOf(QLatin1Char('/')) + 1);
    return QStringLiteral("Save changes to \"%1\" ?").arg(withLyricsExtension(fileName));
}

QByteArray lyricsFileBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        if (line.isEmpty()) continue;
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

void writeLyricsFile(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    // A writable file in a folder where no temporary file can be made is written in place.
    file.setDirectWriteFallback(true);
    struct stat replaced {};
    const bool replacing =
        ::stat(QFile::encodeName(path).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode);
    const auto fail = [&] {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw errors::EFCreateError(path, reason);
    };
    // Unbuffered, so a write that fails (a full disk) is seen here: a buffered one fails only in the
    // flush inside commit(), which then renames the torn file over the old one all the same.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) fail();
    const QByteArray bytes = lyricsFileBytes(lines);
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) fail();
    struct stat written {};
    const bool inPlace = ::fstat(file.handle(), &written) == 0 && written.st_ino == replaced.st_ino &&
                         written.st_dev == replaced.st_dev;
    if (replacing && !inPlace) {
        // The new file takes the old one's place, with its permission bits and, where this process
        // may give it, its owner and group.
        if (::fchmod(file.handle(), replaced.st_mode & 07777) != 0) fail();
        [[maybe_unused]] const int owned = ::fchown(file.handle(), replaced.st_uid, replaced.st_gid);
    }
    // commit() syncs and renames; on failure it removes the temporary file.
    if (!file.commit()) throw errors::EFCreateError(path, file.errorString());
}

QString decodeNarrowText(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    // Only a leading byte-order mark is one; U+FEFF further in is text.
    qsizetype at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size()) {
        const Utf8Sequence sequence = utf8SequenceAt(bytes, at);
        if (sequence.length == 0) {
            text += QChar(windows1252(static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        const char32_t codePoint = sequence.codePoint;
        if (QChar::requiresSurrogates(codePoint)) {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        } else {
            text += QChar(static_cast<char16_t>(codePoint));
        }
        at += sequence.length;
    }
    return text;
}

QString decodeLyricsText(const QByteArray& bytes) {
    // Files saved as "Unicode" by Windows editors are UTF-16 with a byte-order mark; without one,
    // the text is narrow.
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (!littleEndian && !bytes.startsWith("\xFE\xFF")) return decodeNarrowText(bytes);
    QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringDecoder::Flag::Stateless);
    const qsizetype whole = (bytes.size() - 2) / 2 * 2;
    QString text = decoder.decode(QByteArrayView(bytes).sliced(2, whole));
    // A last odd byte is half a character: what a torn file ends with, shown as one replacement.
    if (bytes.size() % 2 != 0) text += QChar(QChar::ReplacementCharacter);
    return text;
}

QString readLyricsFile(const QString& path) {
    // Opened without waiting and checked before reading: a FIFO or a device under the lyrics file's
    // name would block the open or the read.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) throw errors::EFOpenError(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        throw errors::EFOpenError(path, QStringLiteral("Not a regular file."));
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw errors::EFOpenError(path, file.errorString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw errors::EFOpenError(path, file.errorString());
    QString text = decodeLyricsText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
