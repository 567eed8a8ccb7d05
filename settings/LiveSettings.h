#pragma once
// The four settings consulted while the program runs: the time offset switch and entry, the lyrics
// location switch and directory. One object for the whole run, loaded from the store when the main
// window is first shown, edited by the settings dialog, read by its consumers each time.

#include <QString>

class LiveSettings {
public:
    static constexpr int kNoOffsetEntry = -1;

    bool offsetSwitch() const { return offsetSwitch_; }
    void setOffsetSwitch(bool on) { offsetSwitch_ = on; }
    // Index of the chosen entry of "-300", "-500", "-700", or kNoOffsetEntry.
    int offsetIndex() const { return offsetIndex_; }
    // An index outside 0 to 2 leaves no entry chosen.
    void setOffsetIndex(int index) { offsetIndex_ = index >= 0 && index <= 2 ? index : kNoOffsetEntry; }
    // "-300", "-500" or "-700", or empty when none is chosen.
    QString offsetEntryText() const;

    bool lyricsLocationSwitch() const { return lyricsLocationSwitch_; }
    void setLyricsLocationSwitch(bool on) { lyricsLocationSwitch_ = on; }
    QString lyricsDirectory() const { return lyricsDirectory_; }
    void setLyricsDirectory(const QString& directory) { lyricsDirectory_ = directory; }

    // Reads the four values from the store, in order, with their defaults.
    void load();
    // Writes the four values, in the same order.
    void store() const;

private:
    // The values the settings dialog's controls have when it is created.
    bool offsetSwitch_ = true;
    int offsetIndex_ = kNoOffsetEntry;
    bool lyricsLocationSwitch_ = false;
    QString lyricsDirectory_;
};

// The program's one instance.
LiveSettings& liveSettings();
