#include "LiveSettings.h"

#include <QStringList>

#include "RegistryStore.h"

QString LiveSettings::offsetEntryText() const {
    static const QStringList entries = {QStringLiteral("-300"), QStringLiteral("-500"), QStringLiteral("-700")};
    return offsetIndex_ == kNoOffsetEntry ? QString() : entries[offsetIndex_];
}

void LiveSettings::load() {
    setOffsetSwitch(ReadRegBool(kSettingsKeyName, QStringLiteral("RecordTimeOffset"), true));
    setOffsetIndex(ReadRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), 1));
    setLyricsLocationSwitch(ReadRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), false));
    setLyricsDirectory(ReadRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"), QString()));
}

void LiveSettings::store() const {
    WriteRegBool(kSettingsKeyName, QStringLiteral("RecordTimeOffset"), offsetSwitch_);
    WriteRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), offsetIndex_);
    WriteRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), lyricsLocationSwitch_);
    WriteRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"), lyricsDirectory_);
}

LiveSettings& liveSettings() {
    static LiveSettings settings;
    return settings;
}
