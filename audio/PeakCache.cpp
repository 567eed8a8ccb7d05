#include "PeakCache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstring>
#include <span>

#include "platform/binary/ByteReader.h"

namespace {

constexpr char kMagic[8] = {'Q', 'L', 'P', 'E', 'A', 'K', 'S', '1'};
// The file never holds more than a song of 24 hours would.
constexpr std::uint64_t kMostSlices = 24ull * 3600 * PeakTable::kSlicesPerSecond;

void putLittleEndian(QByteArray& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QByteArray checksumOf(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

}  // namespace

std::optional<SongFileKey> songFileKey(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return std::nullopt;
    return SongFileKey{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

PeakCache::PeakCache(QString folder) : folder_(std::move(folder)) {}

QString PeakCache::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/quillon/peaks");
}

QString PeakCache::fileFor(const QString& songPath) const {
    const QByteArray name = QCryptographicHash::hash(songPath.toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder_ + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".peaks");
}

// The layout, all little-endian: the magic, the song's size and modification time (u64 each), its
// path (u32 byte count, UTF-8), the slices a second, the fine and coarse counts (u32 each), the
// pairs (i16 low, i16 high) of both levels, and an MD5 of everything before it.
bool PeakCache::store(const SongFileKey& key, const PeakTable& peaks) const {
    if (!QDir().mkpath(folder_)) return false;
    QByteArray out;
    out.reserve(static_cast<qsizetype>(64 + key.path.size() * 3 +
                                       (peaks.fine.size() + peaks.coarse.size()) * sizeof(PeakPair)));
    out.append(kMagic, sizeof kMagic);
    putLittleEndian(out, static_cast<std::uint64_t>(key.size), 8);
    putLittleEndian(out, static_cast<std::uint64_t>(key.modifiedMs), 8);
    const QByteArray path = key.path.toUtf8();
    putLittleEndian(out, static_cast<std::uint64_t>(path.size()), 4);
    out.append(path);
    putLittleEndian(out, PeakTable::kSlicesPerSecond, 4);
    putLittleEndian(out, peaks.fine.size(), 4);
    putLittleEndian(out, peaks.coarse.size(), 4);
    for (const auto* level : {&peaks.fine, &peaks.coarse}) {
        for (const PeakPair pair : *level) {
            putLittleEndian(out, static_cast<std::uint16_t>(pair.low), 2);
            putLittleEndian(out, static_cast<std::uint16_t>(pair.high), 2);
        }
    }
    out.append(checksumOf(out));
    QSaveFile file(fileFor(key.path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<PeakTable> PeakCache::load(const SongFileKey& key) const {
    QFile file(fileFor(key.path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    const qsizetype checksumSize = 16;
    if (bytes.size() < static_cast<qsizetype>(sizeof kMagic) + checksumSize) return std::nullopt;
    const QByteArrayView body(bytes.constData(), bytes.size() - checksumSize);
    if (checksumOf(body) != bytes.right(checksumSize)) return std::nullopt;

    binary::ByteReader reader(
        std::span(reinterpret_cast<const std::uint8_t*>(body.data()), static_cast<std::size_t>(body.size())));
    const auto magic = reader.bytesAt(0, sizeof kMagic);
    if (!reader.ok() || std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    reader.seek(sizeof kMagic);
    const auto size = static_cast<std::int64_t>(reader.u64());
    const auto modified = static_cast<std::int64_t>(reader.u64());
    const std::uint32_t pathBytes = reader.u32();
    const auto path = reader.bytesAt(reader.position(), pathBytes);
    reader.skip(pathBytes);
    if (!reader.ok()) return std::nullopt;
    const SongFileKey stored{
        QString::fromUtf8(reinterpret_cast<const char*>(path.data()), static_cast<qsizetype>(path.size())),
        size, modified};
    if (stored != key) return std::nullopt;
    const std::uint32_t rate = reader.u32();
    const std::uint64_t fineCount = reader.u32();
    const std::uint64_t coarseCount = reader.u32();
    if (!reader.ok() || rate != PeakTable::kSlicesPerSecond || fineCount > kMostSlices ||
        coarseCount != (fineCount + PeakTable::kCoarseFactor - 1) / PeakTable::kCoarseFactor ||
        !reader.contains(reader.position(), (fineCount + coarseCount) * sizeof(PeakPair)) ||
        reader.position() + (fineCount + coarseCount) * sizeof(PeakPair) != reader.size()) {
        return std::nullopt;
    }
    PeakTable peaks;
    peaks.fine.resize(fineCount);
    peaks.coarse.resize(coarseCount);
    for (auto* level : {&peaks.fine, &peaks.coarse}) {
        for (PeakPair& pair : *level) {
            pair.low = static_cast<std::int16_t>(reader.u16());
            pair.high = static_cast<std::int16_t>(reader.u16());
        }
    }
    if (!reader.ok()) return std::nullopt;
    return peaks;
}
