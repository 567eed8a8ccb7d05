#include "LiveSettings.h"

#include <QStringList>

#include "SettingsCatalogue.h"

QString LiveSettings::offsetEntryText() const {
    static const QStringList entries = {QStringLiteral("-300"), QStringLiteral("-500"),
                                        QStringLiteral("-700")};
    return offsetIndex_ == kNoOffsetEntry ? QString() : entries[offsetIndex_];
}

void LiveSettings::load() {
    setOffsetSwitch(settings::read(settings::kRecordTimeOffset));
    setOffsetIndex(settings::read(settings::kRecordTimeOffsetValue));
    setLyricsLocationSwitch(settings::read(settings::kLyricsLocation));
    setLyricsDirectory(settings::read(settings::kLyricsLocationValue));
}

void LiveSettings::store() const {
    settings::write(settings::kRecordTimeOffset, offsetSwitch_);
    settings::write(settings::kRecordTimeOffsetValue, offsetIndex_);
    settings::write(settings::kLyricsLocation, lyricsLocationSwitch_);
    settings::write(settings::kLyricsLocationValue, lyricsDirectory_);
}

LiveSettings& LiveSettings::operator=(const LiveSettings& other) {
    if (this == &other) return *this;
    offsetSwitch_ = other.offsetSwitch_;
    offsetIndex_ = other.offsetIndex_;
    lyricsLocationSwitch_ = other.lyricsLocationSwitch_;
    lyricsDirectory_ = other.lyricsDirectory_;
    notify();
    return *this;
}

int LiveSettings::addObserver(std::function<void()> observer) {
    observers_.emplace_back(nextObserverId_, std::move(observer));
    return nextObserverId_++;
}

void LiveSettings::removeObserver(int id) {
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void LiveSettings::notify() {
    // A copy: an observer may add or remove observers.
    const auto observers = observers_;
    for (const auto& [id, observer] : observers) observer();
}

LiveSettings& liveSettings() {
    static LiveSettings settings;
    return settings;
}
