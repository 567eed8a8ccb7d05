#include "SettingsCatalogue.h"

#include "RegistryStore.h"

namespace settings {

bool read(const Setting<bool>& setting) {
    return ReadRegBool(kSettingsKeyName, QString::fromLatin1(setting.name), setting.defaultValue);
}

std::int32_t read(const Setting<std::int32_t>& setting) {
    return ReadRegInteger(kSettingsKeyName, QString::fromLatin1(setting.name), setting.defaultValue);
}

QString read(const Setting<Text>& setting) {
    return ReadRegString(kSettingsKeyName, QString::fromLatin1(setting.name),
                         QString::fromUtf8(setting.defaultValue));
}

bool write(const Setting<bool>& setting, bool value) {
    return WriteRegBool(kSettingsKeyName, QString::fromLatin1(setting.name), value);
}

bool write(const Setting<std::int32_t>& setting, std::int32_t value) {
    return WriteRegInteger(kSettingsKeyName, QString::fromLatin1(setting.name), value);
}

bool write(const Setting<Text>& setting, const QString& value) {
    return WriteRegString(kSettingsKeyName, QString::fromLatin1(setting.name), value);
}

}  // namespace settings
