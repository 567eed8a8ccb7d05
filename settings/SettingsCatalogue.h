#pragma once
// Every value the program keeps between runs, in one place: its name under the program's settings
// key, its type and its default. A read gives the default when no usable value is stored (the
// store's reading rules: an integer as stored, without bounds, so its user clamps it; a switch is
// on for any non-zero value; an empty text reads as the default). A write reports false on failure.

#include <QString>
#include <cstdint>

namespace settings {

template <typename Value>
struct Setting {
    const char* name;
    Value defaultValue;
};
using Text = const char*;

// The live settings, edited in the settings dialog.
inline constexpr Setting<bool> kRecordTimeOffset{"RecordTimeOffset", true};
inline constexpr Setting<std::int32_t> kRecordTimeOffsetValue{"RecordTimeOffsetValue",
                                                              1};  // "-300", "-500", "-700"
inline constexpr Setting<bool> kLyricsLocation{"LyricsLocation", false};
inline constexpr Setting<Text> kLyricsLocationValue{"LyricsLocationValue", ""};
// The main window's: its volume bar, its place (the client area's corner) and outer height.
inline constexpr Setting<std::int32_t> kVolume{"Volume", 75};
inline constexpr Setting<std::int32_t> kTop{"Top", 200};
inline constexpr Setting<std::int32_t> kLeft{"Left", 200};
inline constexpr Setting<std::int32_t> kHeight{"Height", 625};
// The practice speed in percent; a value that is no speed of the Play menu plays at 100.
inline constexpr Setting<std::int32_t> kPracticeSpeed{"PracticeSpeed", 100};
// The waveform lane under the lyrics (View > Waveform).
inline constexpr Setting<bool> kShowWaveform{"ShowWaveform", true};

bool read(const Setting<bool>& setting);
std::int32_t read(const Setting<std::int32_t>& setting);
QString read(const Setting<Text>& setting);
bool write(const Setting<bool>& setting, bool value);
bool write(const Setting<std::int32_t>& setting, std::int32_t value);
bool write(const Setting<Text>& setting, const QString& value);

}  // namespace settings
