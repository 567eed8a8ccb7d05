#pragma once
// TBassdllPlayer: plays one audio file at a time through the audio library: loads it as a stream
// or as a tracker module, plays, pauses, stops and seeks it, reports position, length, status,
// levels and processor load, and offers a speed factor, a balance, three effects and fading.
// Construction starts the library's output and recording input and ends the program with a
// message when the library is of the wrong version or has no recording device.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "QuillonAudio.h"
#include "SongTags.h"
#include "platform/system/ScopedHook.h"

enum TPlayerStatus : std::uint8_t { sndStopped, sndPlaying, sndStalled, sndPaused, sndNotLoaded };

struct TBassSongInfo {
    QString TimeText;
    std::int32_t Seconds = 0;
};

// "02:05" for 125, "-02:05" for -125, "00:05" for -5, "100:00" for 6000, "00:00" for 0.
QString songTimeText(std::int32_t seconds);

// A file the player loads as a tracker module (by its name's extension, in any case), not as a stream.
bool isTrackerModuleName(const QString& fileName);

class TBassdllPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kUnitName = "BassDLLPlayer";
    static constexpr const char* kVersion = "1.26";

    explicit TBassdllPlayer(QObject* owner = nullptr);
    ~TBassdllPlayer() override;

    // Published properties, in order.
    std::uint32_t Position();
    // What the listener hears now, in song seconds to the sample: the output's latency is taken
    // off, so it lags what was decoded. 0 without a song.
    double AudiblePosition();
    // The exact length in song seconds (SongLength rounds it to whole seconds).
    double ExactSongLength();
    void SetPosition(std::uint32_t seconds);
    // Plays from a position in song seconds, to the sample (a stream) or the second (a module),
    // whatever the state: a stopped song does not start at its beginning first.
    void PlayFrom(double seconds);
    // Moves to a position in song seconds as PlayFrom does, leaving the song playing, paused or
    // stopped as it was.
    void SeekTo(double seconds);
    float CpuUsage();
    std::uint8_t Volume();
    void SetVolume(std::uint32_t volume);
    std::int32_t SongLength();
    std::uint32_t RightPeak();
    std::uint32_t LeftPeak();
    TPlayerStatus Status();
    // True while the engine plays on its silent device in place of the system's sound output
    // (none could be opened, or it stopped taking sound).
    bool PlaysSilently();
    std::int32_t PlaybackSpeed() const { return FPlaybackSpeed; }
    void SetPlaybackSpeed(std::int32_t percent);
    // Practice speed in percent (100, 90, 75, 60, 50): slower with the pitch kept, while positions,
    // lengths and levels stay in song time. Kept for every song loaded after it is set.
    std::int32_t PracticeSpeed() const { return FPracticeSpeed; }
    void SetPracticeSpeed(std::int32_t percent);
    std::int32_t Balance() const { return FBalance; }
    void SetBalance(std::int32_t balance);
    bool Rotate() const { return FRotate; }
    void SetRotate(bool on);
    bool Echo() const { return FEcho; }
    void SetEcho(bool on);
    bool Flanger() const { return FFlanger; }
    void SetFlanger(bool on);
    bool FadeOut() const { return FFadeOut; }
    void SetFadeOut(bool on);
    std::int32_t FadeOutTime() const { return FFadeOutTime; }
    void SetFadeOutTime(std::int32_t seconds) { FFadeOutTime = seconds; }

    // Published methods, in order.
    DWORD LoadFromFile(const QString& FileName);
    // The library's error code of the last LoadFromFile that gave no channel; 0 after one that did.
    int LoadError() const { return loadError_; }
    // The loaded song's own tags: ID3v2, then Vorbis comments, then ID3v1; a module's title.
    SongTags Tags();
    std::uint8_t LoadFromResourceName(const char* Name, std::uint8_t Kind);
    void GetSongTimeInfo(std::uint8_t Mode, TBassSongInfo& Info);
    void Play();
    void Stop();
    void Pause();
    void UnloadChannel();
    void GetFFTData(void* Buffer);
    void GetWaveData(void* Buffer);

    // For observers and tests.
    DWORD channel() const { return Channel; }
    bool isMusic() const { return ChannelKind == kindMusic; }
    std::int32_t musicBaseSpeed() const { return MusicBaseSpeed; }
    bool fadeTimerEnabled() const { return FadeTimer.isActive(); }
    void FadeTimerTick();

    // How a failed start-up ends the program, after its message: empty, it exits; tests set their
    // own.
    static std::function<void()>& Terminator();
    // While it lives, a failed start-up calls `terminator` instead of ending the program.
    class ScopedTerminator : ScopedHook<std::function<void()>> {
    public:
        explicit ScopedTerminator(std::function<void()> terminator)
            : ScopedHook(Terminator(), std::move(terminator)) {}
    };

private:
    enum ChannelKindValue : std::uint8_t { kindStream = 0, kindMusic = 1 };

    void ApplyChannelSettings();
    void ShowPlayerMessage(const QString& text);

    DWORD Channel = 0;
    int loadError_ = 0;
    ChannelKindValue ChannelKind = kindStream;
    bool FRotate = false;
    bool FEcho = false;
    bool FFlanger = false;
    bool FFadeOut = false;
    QTimer FadeTimer;
    std::int32_t FFadeOutTime = 10;
    std::int32_t FPlaybackSpeed = 0;
    std::int32_t MusicBaseSpeed = 0;
    std::int32_t FBalance = 0;
    std::int32_t FPracticeSpeed = 100;
    QByteArray resourceData_;  // keeps a stream's resource bytes while the stream uses them
};
