#include "Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace registry {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kRoot = QStringLiteral("HKEY_CURRENT_USER\\");

QString& customPath() {
    static QString path;
    return path;
}

std::function<void(const AccessEvent&)>& observer() {
    static std::function<void(const AccessEvent&)> function;
    return function;
}

void report(AccessEvent::Kind kind, const QString& key, const QString& value, std::uint32_t access,
            bool succeeded) {
    if (observer()) observer()(AccessEvent{kind, key, value, access, succeeded});
}

QString keyId(const QString& path) {
    return path.toLower();
}

QString escapeText(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return out;
}

QString hexBytes(const std::vector<std::uint8_t>& data) {
    QStringList parts;
    for (std::uint8_t byte : data) parts << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(','));
}

// A string value is written as text when it is valid narrow text ending in one NUL.
bool printableString(const Value& value, QString& text) {
    if (value.data.empty() || value.data.back() != 0) return false;
    const QByteArray bytes(reinterpret_cast<const char*>(value.data.data()),
                           static_cast<int>(value.data.size()) - 1);
    if (bytes.contains('\0') || bytes.contains('\n') || bytes.contains('\r')) return false;
    text = QString::fromUtf8(bytes);
    return text.toUtf8() == bytes;
}

QString formatValue(const Value& value) {
    QString text;
    if (value.type == REG_SZ && printableString(value, text))
        return QLatin1Char('"') + escapeText(text) + QLatin1Char('"');
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                     (static_cast<std::uint32_t>(value.data[3]) << 24);
        return QStringLiteral("dword:%1").arg(number, 8, 16, QLatin1Char('0'));
    }
    if (value.type == REG_BINARY) return QStringLiteral("hex:") + hexBytes(value.data);
    return QStringLiteral("hex(%1):").arg(value.type, 0, 16) + hexBytes(value.data);
}

bool parseHex(const QString& text, std::vector<std::uint8_t>& data) {
    data.clear();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return true;
    for (const QString& part : trimmed.split(QLatin1Char(','))) {
        bool ok = false;
        const uint byte = part.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xFF) return false;
        data.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

// Reads a quoted string starting at `at` (the opening quote); returns the index after the closing one.
int parseQuoted(const QString& line, int at, QString& out) {
    if (at >= line.size() || line[at] != QLatin1Char('"')) return -1;
    out.clear();
    for (int i = at + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\')) {
            if (i + 1 >= line.size()) return -1;
            out += line[++i];
        } else if (c == QLatin1Char('"')) {
            return i + 1;
        } else {
            out += c;
        }
    }
    return -1;
}

bool parseValue(const QString& text, Value& value) {
    if (text.startsWith(QLatin1Char('"'))) {
        QString string;
        const int end = parseQuoted(text, 0, string);
        if (end != text.size()) return false;
        const QByteArray bytes = string.toUtf8();
        value.type = REG_SZ;
        value.data.assign(bytes.begin(), bytes.end());
        value.data.push_back(0);
        return true;
    }
    if (text.startsWith(QStringLiteral("dword:"))) {
        bool ok = false;
        const QString digits = text.mid(6);
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.size() != 8) return false;
        value.type = REG_DWORD;
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
        return true;
    }
    if (text.startsWith(QStringLiteral("hex:"))) {
        value.type = REG_BINARY;
        return parseHex(text.mid(4), value.data);
    }
    if (text.startsWith(QStringLiteral("hex("))) {
        const int close = text.indexOf(QStringLiteral("):"));
        if (close < 0) return false;
        bool ok = false;
        const uint type = text.mid(4, close - 4).toUInt(&ok, 16);
        if (!ok) return false;
        value.type = static_cast<ValueType>(type);
        return parseHex(text.mid(close + 2), value.data);
    }
    return false;
}

enum class HiveFileState { read, malformed, unreadable };

// Reads the hive file: an absent file is an empty hive. A file that cannot be opened or read is
// unreadable (permissions, too many open files), which says nothing about its content.
Hive readHiveFile(const QString& path, HiveFileState& state) {
    state = HiveFileState::read;
    Hive hive;
    QFile file(path);
    if (!file.exists()) return hive;
    if (!file.open(QIODevice::ReadOnly)) {
        state = HiveFileState::unreadable;
        return hive;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        state = HiveFileState::unreadable;
        return hive;
    }
    if (!parseHive(QString::fromUtf8(bytes), hive)) {
        state = HiveFileState::malformed;
        return Hive{};
    }
    return hive;
}

// Moves a hive that does not parse aside, under a name no earlier one has.
bool setAside(const QString& path) {
    QString aside = path + QStringLiteral(".bad");
    for (int n = 1; QFileInfo::exists(aside); ++n) aside = path + QStringLiteral(".bad.%1").arg(n);
    return QFile::rename(path, aside);
}

// Holds an advisory lock on the hive's lock file for as long as it lives.
class HiveLock {
public:
    explicit HiveLock(const QString& hivePath) {
        descriptor_ = ::open(QFile::encodeName(hivePath + QStringLiteral(".lock")).constData(),
                             O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (descriptor_ >= 0 && ::flock(descriptor_, LOCK_EX) != 0) {
            ::close(descriptor_);
            descriptor_ = -1;
        }
    }
    ~HiveLock() {
        if (descriptor_ >= 0) {
            ::flock(descriptor_, LOCK_UN);
            ::close(descriptor_);
        }
    }
    bool held() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

bool writeOneValue(const QString& keyPath, const QString& name, const Value& value) {
    const QString path = hiveFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    HiveLock lock(path);
    if (!lock.held()) return false;
    HiveFileState state = HiveFileState::read;
    Hive hive = readHiveFile(path, state);
    // A file that cannot be read now may be fine: the write fails and the file stays as it is.
    if (state == HiveFileState::unreadable) return false;
    // Keep what does not parse for a person to look at, rather than overwrite it.
    if (state == HiveFileState::malformed && !setAside(path)) return false;
    QString existing = keyPath;
    for (const auto& entry : hive.keys) {
        if (keyId(entry.first) == keyId(keyPath)) existing = entry.first;
    }
    hive.keys[existing][name] = value;
    QSaveFile file(path);
    // Unbuffered, so a failed write is seen before the rename (a buffered one fails only in
    // commit's flush, which renames the torn file all the same).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const QByteArray bytes = formatHive(hive).toUtf8();
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();  // flushes and renames over the old file
}

}  // namespace

QString formatHive(const Hive& hive) {
    QString out = kHeader + QStringLiteral("\n");
    for (const auto& [path, values] : hive.keys) {
        out += QStringLiteral("\n[") + kRoot + path + QStringLiteral("]\n");
        for (const auto& [name, value] : values) {
            const QString label =
                name.isEmpty() ? QStringLiteral("@") : QLatin1Char('"') + escapeText(name) + QLatin1Char('"');
            out += label + QLatin1Char('=') + formatValue(value) + QLatin1Char('\n');
        }
    }
    return out;
}

bool parseHive(const QString& text, Hive& hive) {
    hive.keys.clear();
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    }
    int index = 0;
    while (index < lines.size() && lines[index].trimmed().isEmpty()) ++index;
    QString first = index < lines.size() ? lines[index] : QString();
    if (first.startsWith(QChar(0xFEFF))) first.remove(0, 1);
    if (first.trimmed() != kHeader) return false;
    QString current;
    bool inKey = false;
    for (++index; index < lines.size(); ++index) {
        QString line = lines[index];
        // Long hex values continue on the next line after a backslash.
        while (line.endsWith(QLatin1Char('\\')) && index + 1 < lines.size()) {
            line.chop(1);
            line += lines[++index].trimmed();
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))) continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']'))) return false;
            const QString full = trimmed.mid(1, trimmed.size() - 2);
            if (!full.startsWith(kRoot, Qt::CaseInsensitive)) return false;
            current = full.mid(kRoot.size());
            hive.keys[current];
            inKey = true;
            continue;
        }
        if (!inKey) return false;
        QString name;
        int after = 0;
        if (trimmed.startsWith(QLatin1Char('@'))) {
            after = 1;
        } else {
            after = parseQuoted(trimmed, 0, name);
            if (after < 0) return false;
        }
        if (after >= trimmed.size() || trimmed[after] != QLatin1Char('=')) return false;
        Value value;
        if (!parseValue(trimmed.mid(after + 1).trimmed(), value)) return false;
        hive.keys[current][name] = value;
    }
    return true;
}

QString hiveFilePath() {
    if (!customPath().isEmpty()) return customPath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/quillon/HKEY_CURRENT_USER.reg");
}

QString& chosenHiveFilePath() {
    return customPath();
}

AccessObserver& accessObserver() {
    return observer();
}

Key::Key(QString path, std::uint32_t access, std::map<QString, Value> values)
    : path_(std::move(path)), access_(access), values_(std::move(values)) {}

Key::~Key() {
    close();
}

void Key::close() {
    if (!open_) return;
    open_ = false;
    report(AccessEvent::closeKey, path_, QString(), 0, true);
}

bool Key::setValue(const QString& name, ValueType type, const std::vector<std::uint8_t>& data) {
    const Value value{type, data};
    const bool ok = open_ && (access_ & KEY_SET_VALUE) != 0 && writeOneValue(path_, name, value);
    if (ok) values_[name] = value;
    report(AccessEvent::setValue, path_, name, 0, ok);
    return ok;
}

std::optional<Value> Key::queryValue(const QString& name) const {
    std::optional<Value> result;
    if (open_) {
        const auto found = values_.find(name);
        if (found != values_.end()) result = found->second;
    }
    report(AccessEvent::queryValue, path_, name, 0, result.has_value());
    return result;
}

std::unique_ptr<Key> openKey(const QString& path, std::uint32_t access) {
    HiveFileState state = HiveFileState::read;
    const Hive hive = readHiveFile(hiveFilePath(), state);
    for (const auto& [keyPath, values] : hive.keys) {
        if (keyId(keyPath) == keyId(path)) {
            report(AccessEvent::openKey, path, QString(), access, true);
            return std::unique_ptr<Key>(new Key(path, access, values));
        }
    }
    report(AccessEvent::openKey, path, QString(), access, false);
    return nullptr;
}

std::unique_ptr<Key> createKey(const QString& path) {
    HiveFileState state = HiveFileState::read;
    const Hive hive = readHiveFile(hiveFilePath(), state);
    std::map<QString, Value> values;
    for (const auto& [keyPath, keyValues] : hive.keys) {
        if (keyId(keyPath) == keyId(path)) values = keyValues;
    }
    report(AccessEvent::createKey, path, QString(), KEY_ALL_ACCESS, true);
    return std::unique_ptr<Key>(new Key(path, KEY_ALL_ACCESS, std::move(values)));
}

}  // namespace registry
