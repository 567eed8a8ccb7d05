#pragma once
// The settings store: single values under HKEY_CURRENT_USER\Software\<key name>, each call opening
// the key, doing its one read or write and closing it again. Reads give the caller's default when
// there is no usable value; writes report false on failure and never show anything.

#include <QString>
#include <cstdint>

inline const QString kSettingsKeyName = QStringLiteral("Tavrel");

bool WriteRegString(const QString& keyName, const QString& valueName, const QString& text);
bool WriteRegInteger(const QString& keyName, const QString& valueName, std::int32_t value);
bool WriteRegBool(const QString& keyName, const QString& valueName, bool value);

// REG_SZ or REG_EXPAND_SZ (returned as stored); cut at the first NUL; empty reads as the default.
QString ReadRegString(const QString& keyName, const QString& valueName, const QString& defaultValue);
// REG_DWORD of at most 4 bytes, returned as stored without bounds.
std::int32_t ReadRegInteger(const QString& keyName, const QString& valueName, std::int32_t defaultValue);
// As an integer; any non-zero value is true.
bool ReadRegBool(const QString& keyName, const QString& valueName, bool defaultValue);
