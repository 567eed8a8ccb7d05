#include "RegistryStore.h"

#include <cstring>

#include "platform/registry/Registry.h"

namespace {

QString keyPath(const QString& keyName) {
    return QStringLiteral("Software\\") + keyName;
}

bool writeValue(const QString& keyName, const QString& valueName, registry::ValueType type,
                const std::vector<std::uint8_t>& data) {
    auto key = registry::createKey(keyPath(keyName));
    const bool written = key && key->setValue(valueName, type, data);
    if (key) key->close();
    return written;
}

// Opens for reading with the narrowest rights that work, trying the usual ones first.
std::unique_ptr<registry::Key> openForReading(const QString& keyName) {
    for (std::uint32_t access : {std::uint32_t{registry::KEY_READ},
                                 std::uint32_t{registry::STANDARD_RIGHTS_READ | registry::KEY_QUERY_VALUE |
                                               registry::KEY_ENUMERATE_SUB_KEYS},
                                 std::uint32_t{registry::KEY_QUERY_VALUE}}) {
        if (auto key = registry::openKey(keyPath(keyName), access)) return key;
    }
    return nullptr;
}

std::optional<registry::Value> readValue(const QString& keyName, const QString& valueName) {
    auto key = openForReading(keyName);
    // The query is made even on a key that did not open, and fails then.
    std::optional<registry::Value> value = key ? key->queryValue(valueName) : std::nullopt;
    if (key) key->close();
    return value;
}

std::vector<std::uint8_t> dwordBytes(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

}  // namespace

bool WriteRegString(const QString& keyName, const QString& valueName, const QString& text) {
    const QByteArray narrow = text.toUtf8();
    std::vector<std::uint8_t> data(narrow.begin(), narrow.end());
    data.push_back(0);
    return writeValue(keyName, valueName, registry::REG_SZ, data);
}

bool WriteRegInteger(const QString& keyName, const QString& valueName, std::int32_t value) {
    return writeValue(keyName, valueName, registry::REG_DWORD, dwordBytes(value));
}

bool WriteRegBool(const QString& keyName, const QString& valueName, bool value) {
    return WriteRegInteger(keyName, valueName, value ? 1 : 0);
}

QString ReadRegString(const QString& keyName, const QString& valueName, const QString& defaultValue) {
    const auto value = readValue(keyName, valueName);
    QString text;
    if (value && (value->type == registry::REG_SZ || value->type == registry::REG_EXPAND_SZ)) {
        const auto& data = value->data;
        const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
        text = QString::fromUtf8(reinterpret_cast<const char*>(data.data()),
                                 static_cast<int>(end - data.begin()));
    } else if (value) {
        text = defaultValue;  // a value of another type
    }
    return text.isEmpty() ? defaultValue : text;
}

std::int32_t ReadRegInteger(const QString& keyName, const QString& valueName, std::int32_t defaultValue) {
    const auto value = readValue(keyName, valueName);
    if (!value || value->type != registry::REG_DWORD || value->data.size() > 4) return defaultValue;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < value->data.size(); ++i)
        bits |= static_cast<std::uint32_t>(value->data[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

bool ReadRegBool(const QString& keyName, const QString& valueName, bool defaultValue) {
    return ReadRegInteger(keyName, valueName, defaultValue ? 1 : 0) != 0;
}
