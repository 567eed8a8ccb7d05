#pragma once
// The per-user registry hive (HKEY_CURRENT_USER), kept as a text file in the registry export
// format under the user's configuration folder. Keys hold typed values. A read never creates a
// key or the file; every write re-reads the file under an advisory lock, changes the one value and
// replaces the file atomically, so two running programs overwrite each other value by value and a
// crash never leaves a torn file. An unreadable or malformed file reads as an empty hive and is kept
// aside with a ".bad" suffix before the next write.

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/system/ScopedHook.h"

namespace registry {

enum ValueType : std::uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_QWORD = 11,
};

enum Access : std::uint32_t {
    KEY_QUERY_VALUE = 0x0001,
    KEY_SET_VALUE = 0x0002,
    KEY_CREATE_SUB_KEY = 0x0004,
    KEY_ENUMERATE_SUB_KEYS = 0x0008,
    KEY_NOTIFY = 0x0010,
    STANDARD_RIGHTS_READ = 0x00020000,
    KEY_READ = 0x00020019,
    KEY_ALL_ACCESS = 0x000F003F,
};

struct Value {
    ValueType type = REG_NONE;
    std::vector<std::uint8_t> data;
    bool operator==(const Value&) const = default;
};

// Keys by path ("Software\Tavrel"), case-insensitively; values by name.
struct Hive {
    std::map<QString, std::map<QString, Value>> keys;
};

// The hive file's text and its parsing; pure.
QString formatHive(const Hive& hive);
// False when the text is not a registry export (the hive is then empty).
bool parseHive(const QString& text, Hive& hive);

// The file of the current user's hive: $XDG_CONFIG_HOME (or ~/.config)/quillon/HKEY_CURRENT_USER.reg,
// unless a test chose another.
QString hiveFilePath();
// The file a test chose; empty for the default.
QString& chosenHiveFilePath();

// What the registry is asked, for observers (tests check orders of access).
struct AccessEvent {
    enum Kind { openKey, createKey, queryValue, setValue, closeKey } kind;
    QString key;
    QString value;
    std::uint32_t access = 0;
    bool succeeded = false;
};
using AccessObserver = std::function<void(const AccessEvent&)>;
AccessObserver& accessObserver();

// While it lives, the hive is the file at `path` (tests keep theirs in a folder of their own).
class ScopedHiveFile : ScopedHook<QString> {
public:
    explicit ScopedHiveFile(const QString& path) : ScopedHook(chosenHiveFilePath(), path) {}
};

// While it lives, every access is reported to `observer`.
class ScopedAccessObserver : ScopedHook<AccessObserver> {
public:
    explicit ScopedAccessObserver(AccessObserver observer)
        : ScopedHook(accessObserver(), std::move(observer)) {}
};

class Key {
public:
    ~Key();
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    const QString& path() const { return path_; }
    // Sets a value; false when the file cannot be written or the key was opened without write access.
    bool setValue(const QString& name, ValueType type, const std::vector<std::uint8_t>& data);
    // The value as the hive held it when the key was opened.
    std::optional<Value> queryValue(const QString& name) const;
    void close();

private:
    friend std::unique_ptr<Key> openKey(const QString&, std::uint32_t);
    friend std::unique_ptr<Key> createKey(const QString&);
    Key(QString path, std::uint32_t access, std::map<QString, Value> values);

    QString path_;
    std::uint32_t access_;
    std::map<QString, Value> values_;
    bool open_ = true;
};

// Opens an existing key of the current user's hive; null when it does not exist or the access
// asked for is not granted. Never creates anything.
std::unique_ptr<Key> openKey(const QString& path, std::uint32_t access);
// Opens a key with full access, creating it (and the file) with its first value.
std::unique_ptr<Key> createKey(const QString& path);

}  // namespace registry
