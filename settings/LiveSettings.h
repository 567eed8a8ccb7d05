#pragma once
// The four settings consulted while the program runs: the time offset switch and entry, the lyrics
// location switch and directory. One object for the whole run, loaded from the store when the main
// window is first shown, edited by the settings dialog, read by its consumers each time.

#include <QString>
#include <functional>
#include <vector>

class LiveSettings {
public:
    static constexpr int kNoOffsetEntry = -1;

    bool offsetSwitch() const { return offsetSwitch_; }
    void setOffsetSwitch(bool on) { change(offsetSwitch_, on); }
    // Index of the chosen entry of "-300", "-500", "-700", or kNoOffsetEntry.
    int offsetIndex() const { return offsetIndex_; }
    // An index outside 0 to 2 leaves no entry chosen.
    void setOffsetIndex(int index) {
        change(offsetIndex_, index >= 0 && index <= 2 ? index : kNoOffsetEntry);
    }
    // "-300", "-500" or "-700", or empty when none is chosen.
    QString offsetEntryText() const;

    bool lyricsLocationSwitch() const { return lyricsLocationSwitch_; }
    void setLyricsLocationSwitch(bool on) { change(lyricsLocationSwitch_, on); }
    QString lyricsDirectory() const { return lyricsDirectory_; }
    void setLyricsDirectory(const QString& directory) { change(lyricsDirectory_, directory); }

    // Called after any value changed, whoever changed it: the settings dialog shows them.
    // Returns an id for removeObserver.
    int addObserver(std::function<void()> observer);
    void removeObserver(int id);

    LiveSettings() = default;
    // Copies take the values, not the observers.
    LiveSettings(const LiveSettings& other) { *this = other; }
    LiveSettings& operator=(const LiveSettings& other);

    // Reads the four values from the store, in order, with their defaults.
    void load();
    // Writes the four values, in the same order.
    void store() const;

private:
    template <typename Value>
    void change(Value& field, const Value& value) {
        if (field == value) return;
        field = value;
        notify();
    }
    void notify();

    std::vector<std::pair<int, std::function<void()>>> observers_;
    int nextObserverId_ = 1;
    // The values the settings dialog's controls have when it is created.
    bool offsetSwitch_ = true;
    int offsetIndex_ = kNoOffsetEntry;
    bool lyricsLocationSwitch_ = false;
    QString lyricsDirectory_;
};

// The program's one instance.
LiveSettings& liveSettings();
