#include "BassDLLPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "Bass_Dynamic.h"
#include "PlayerEffects.h"
#include "platform/resources/ResourceTable.h"
#include "platform/system/Errors.h"
#include "platform/widgets/MessageBox.h"

namespace {

// Module-wide effect handles, shared by all players.
HDSP RotateHandle = 0;
HDSP EchoHandle = 0;
HDSP FlangerHandle = 0;

constexpr DWORD kMusicFlags = BASS_MUSIC_RAMP | BASS_MUSIC_CALCLEN;
constexpr DWORD kFail = static_cast<DWORD>(-1);

// Rounds to nearest with ties to even (the default floating-point rounding mode).
std::int64_t roundEven(double value) {
    return static_cast<std::int64_t>(std::nearbyint(value));
}

}  // namespace

QString songTimeText(std::int32_t seconds) {
    if (seconds == 0) return QStringLiteral("00:00");
    const std::int32_t minutes = seconds / 60;
    const std::int32_t rest = std::abs(seconds % 60);
    return QString::asprintf("%.2d:%.2d", minutes, rest);
}

bool isTrackerModuleName(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? name.mid(dot).toUpper() : QString();
    static const QStringList musicExtensions = {
        QStringLiteral(".MO3"), QStringLiteral(".IT"),  QStringLiteral(".XM"), QStringLiteral(".S3M"),
        QStringLiteral(".MTM"), QStringLiteral(".MOD"), QStringLiteral(".UMX")};
    return musicExtensions.contains(extension);
}

std::function<void()>& TBassdllPlayer::Terminator() {
    static std::function<void()> terminator;
    return terminator;
}

void TBassdllPlayer::ShowPlayerMessage(const QString& text) {
    const QString caption =
        QStringLiteral("Unit: %1 %2").arg(QLatin1String(kUnitName), QLatin1String(kVersion));
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    widgets::showMessageBox(box);
}

TBassdllPlayer::TBassdllPlayer(QObject* owner) {
    auto endProgram = [this](const QString& message) {
        ShowPlayerMessage(message);
        if (Terminator()) {
            Terminator()();
        } else {
            // The window under construction never shows; static destructors (and with them the
            // library's unloading) still run.
            std::exit(1);
        }
    };
    if (bassdll::BASS_GetVersion == nullptr || bassdll::BASS_GetVersion() != 65538) {
        endProgram(QStringLiteral("Falsche Version der BASS.DLL (benötigt wird 2.1)"));
        return;
    }
    bassdll::BASS_SetConfig(BASS_CONFIG_FLOATDSP, 1);
    bassdll::BASS_Init(1, 44100, 0, nullptr, nullptr);
    if (!bassdll::BASS_RecordInit(0)) {
        bassdll::BASS_RecordFree();
        bassdll::BASS_Free();
        endProgram(QStringLiteral("Die standard Aufnahmequelle kann nicht gestarted werden."));
        return;
    }
    FadeTimer.setInterval(500);
    connect(&FadeTimer, &QTimer::timeout, this, [this] { FadeTimerTick(); });
    ChannelKind = kindStream;
    FFadeOutTime = 10;
    SetVolume(100);
    setParent(owner);
}

TBassdllPlayer::~TBassdllPlayer() {
    FadeTimer.stop();
    if (bassdll::BASS_RecordFree == nullptr) return;  // construction ended early
    bassdll::BASS_RecordFree();
    UnloadChannel();
    bassdll::BASS_Stop();
    bassdll::BASS_Free();
}

bool TBassdllPlayer::PlaysSilently() {
    // Initialised on device 1, the system's output; the engine answers 0 where it stands in.
    return bassdll::BASS_GetDevice != nullptr && bassdll::BASS_GetDevice() == 0;
}

// ---------------------------------------------------------------- loading

DWORD TBassdllPlayer::LoadFromFile(const QString& FileName) {
    UnloadChannel();
    const QByteArray path = QFile::encodeName(FileName);
    if (isTrackerModuleName(FileName)) {
        Channel = bassdll::BASS_MusicLoad(0, path.constData(), 0, 0, kMusicFlags, 0);
        MusicBaseSpeed =
            static_cast<std::int32_t>(bassdll::BASS_MusicGetAttribute(Channel, BASS_MUSIC_ATTRIB_SPEED));
        ChannelKind = kindMusic;
    } else {
        Channel = bassdll::BASS_StreamCreateFile(0, path.constData(), 0, 0, 0);
        ChannelKind = kindStream;
    }
    loadError_ = Channel == 0 ? bassdll::BASS_ErrorGetCode() : 0;
    ApplyChannelSettings();
    return Channel;
}

std::uint8_t TBassdllPlayer::LoadFromResourceName(const char* Name, std::uint8_t Kind) {
    const std::uint8_t rememberedVolume = Volume();
    UnloadChannel();
    if (Kind == 0 || Kind == 1) {
        const QString name = QString::fromLatin1(Name != nullptr ? Name : "");
        const auto data = resources::findResource(resources::kRawData, name);
        if (!data) throw errors::EResNotFound(name);
        if (Kind == 0) {
            // The library copies a music; the buffer goes at once.
            const QByteArray buffer = *data;
            Channel = bassdll::BASS_MusicLoad(1, buffer.constData(), 0, static_cast<DWORD>(buffer.size()),
                                              kMusicFlags, 0);
            MusicBaseSpeed =
                static_cast<std::int32_t>(bassdll::BASS_MusicGetAttribute(Channel, BASS_MUSIC_ATTRIB_SPEED));
            ChannelKind = kindMusic;
            if (Volume() != rememberedVolume) SetVolume(rememberedVolume);
        } else {
            // A stream reads its memory while it plays, so the bytes stay with the player.
            resourceData_ = *data;
            Channel = bassdll::BASS_StreamCreateFile(1, resourceData_.constData(), 0,
                                                     static_cast<QWORD>(resourceData_.size()), 0);
            ChannelKind = kindStream;
        }
    }
    ApplyChannelSettings();
    return Kind == 0 || Kind == 1 ? static_cast<std::uint8_t>(Channel & 0xFF) : 0;
}

void TBassdllPlayer::ApplyChannelSettings() {
    if (FPlaybackSpeed != 100) SetPlaybackSpeed(FPlaybackSpeed);
    if (FBalance != 0) SetBalance(FBalance);
    if (FPracticeSpeed != 100) SetPracticeSpeed(FPracticeSpeed);
    if (FRotate) SetRotate(true);
    if (FEcho) SetEcho(true);
    if (FFlanger) SetFlanger(true);
    if (FFadeOut) {
        SetFadeOut(true);
        const std::uint8_t volume = Volume();
        bassdll::BASS_ChannelSetAttributes(Channel, -1, 0, -101);
        bassdll::BASS_ChannelSlideAttributes(Channel, -1, volume, -101,
                                             static_cast<DWORD>(FFadeOutTime * 1000));
    }
}

void TBassdllPlayer::UnloadChannel() {
    if (Channel == 0) return;
    if (Status() != sndStopped) Stop();
    if (ChannelKind == kindStream) {
        bassdll::BASS_StreamFree(Channel);
    } else {
        bassdll::BASS_MusicFree(Channel);
    }
    Channel = 0;
    resourceData_.clear();
}

// ---------------------------------------------------------------- transport

TPlayerStatus TBassdllPlayer::Status() {
    // Without a channel there is nothing to play; the main window only asks for sndPlaying.
    if (Channel == 0) return sndNotLoaded;
    if (bassdll::BASS_ChannelIsSliding(Channel) == BASS_SLIDE_VOL) return sndPlaying;
    switch (bassdll::BASS_ChannelIsActive(Channel)) {
        case BASS_ACTIVE_PLAYING:
            return sndPlaying;
        case BASS_ACTIVE_STALLED:
            return sndStalled;
        case BASS_ACTIVE_PAUSED:
            return sndPaused;
        default:
            return sndStopped;
    }
}

void TBassdllPlayer::Play() {
    if (Status() == sndStopped) bassdll::BASS_ChannelPlay(Channel, 1);
    const TPlayerStatus now = Status();
    if (now == sndStalled || now == sndPaused) bassdll::BASS_ChannelPlay(Channel, 0);
}

void TBassdllPlayer::PlayFrom(double seconds) {
    if (Channel == 0) return;
    SeekTo(seconds);
    bassdll::BASS_ChannelPlay(Channel, 0);
}

void TBassdllPlayer::SeekTo(double seconds) {
    if (Channel == 0) return;
    seconds = std::max(0.0, seconds);
    if (ChannelKind == kindStream) {
        bassdll::BASS_ChannelSetPosition(
            Channel, bassdll::BASS_ChannelSeconds2Bytes(Channel, static_cast<float>(seconds)));
    } else {
        SetPosition(static_cast<std::uint32_t>(seconds));
    }
}

void TBassdllPlayer::Stop() {
    bassdll::BASS_ChannelStop(Channel);
    if (ChannelKind == kindStream) SetPosition(0);
}

void TBassdllPlayer::Pause() {
    bassdll::BASS_ChannelPause(Channel);
}

// ---------------------------------------------------------------- position and time

std::uint32_t TBassdllPlayer::Position() {
    if (Channel == 0) return 0;
    TBassSongInfo info;
    GetSongTimeInfo(0, info);
    return static_cast<std::uint32_t>(info.Seconds);
}

double TBassdllPlayer::AudiblePosition() {
    if (Channel == 0) return 0.0;
    return std::max(0.0, static_cast<double>(bassdll::BASS_ChannelBytes2Seconds(
                             Channel, bassdll::BASS_ChannelGetPosition(Channel))));
}

SongTags TBassdllPlayer::Tags() {
    if (Channel == 0) return {};
    if (ChannelKind == kindMusic) {
        SongTags tags;
        if (const char* name = bassdll::BASS_MusicGetName(Channel))
            tags.title = QString::fromUtf8(name).trimmed();
        return tags;
    }
    SongTags tags = tagsFromKeyValueList(bassdll::BASS_StreamGetTags(Channel, BASS_TAG_ID3V2));
    tags = mergedTags(tags, tagsFromKeyValueList(bassdll::BASS_StreamGetTags(Channel, BASS_TAG_OGG)));
    return mergedTags(tags, tagsFromId3v1(bassdll::BASS_StreamGetTags(Channel, BASS_TAG_ID3)));
}

double TBassdllPlayer::ExactSongLength() {
    if (Channel == 0) return 0.0;
    const QWORD bytes = ChannelKind == kindStream ? bassdll::BASS_StreamGetLength(Channel)
                                                  : bassdll::BASS_MusicGetLength(Channel, 1);
    return std::max(0.0, static_cast<double>(bassdll::BASS_ChannelBytes2Seconds(Channel, bytes)));
}

void TBassdllPlayer::SetPosition(std::uint32_t seconds) {
    if (Channel == 0) return;
    if (ChannelKind == kindStream) {
        bassdll::BASS_ChannelSetPosition(
            Channel, bassdll::BASS_ChannelSeconds2Bytes(Channel, static_cast<float>(seconds)));
    } else {
        const std::int64_t scaled = roundEven(static_cast<double>(seconds) * FPlaybackSpeed / 100.0);
        bassdll::BASS_ChannelSetPosition(Channel,
                                         BASS_MUSIC_POSITION_SECONDS | (static_cast<QWORD>(scaled) & 0xFFFF));
    }
}

std::int32_t TBassdllPlayer::SongLength() {
    if (Channel == 0) return 0;
    if (ChannelKind == kindStream) {
        return static_cast<std::int32_t>(
            roundEven(bassdll::BASS_ChannelBytes2Seconds(Channel, bassdll::BASS_StreamGetLength(Channel))));
    }
    const double seconds =
        bassdll::BASS_ChannelBytes2Seconds(Channel, bassdll::BASS_MusicGetLength(Channel, 1));
    return static_cast<std::int32_t>(roundEven(seconds * FPlaybackSpeed / 100.0));
}

void TBassdllPlayer::GetSongTimeInfo(std::uint8_t Mode, TBassSongInfo& Info) {
    if (Channel == 0) {
        Info.Seconds = 0;
        Info.TimeText = QStringLiteral("--:--");
        return;
    }
    const auto position = static_cast<std::int32_t>(
        roundEven(bassdll::BASS_ChannelBytes2Seconds(Channel, bassdll::BASS_ChannelGetPosition(Channel))));
    const std::int32_t length = SongLength();
    switch (Mode) {
        case 0:
            Info.Seconds = position;
            break;
        case 1:
            Info.Seconds = ChannelKind == kindStream ? position - length : length - position;
            break;
        case 2:
            Info.Seconds = length;
            break;
        default:
            break;
    }
    Info.TimeText = songTimeText(Info.Seconds);
}

// ---------------------------------------------------------------- volume, speed, balance

void TBassdllPlayer::SetVolume(std::uint32_t volume) {
    const DWORD value = volume > 100 ? 100 : volume;
    if (ChannelKind == kindStream) {
        bassdll::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, value);
        return;
    }
    for (DWORD i = 0;; ++i) {
        if (bassdll::BASS_MusicSetAttribute(Channel, BASS_MUSIC_ATTRIB_VOL_CHAN + i, 1) == kFail) break;
        bassdll::BASS_MusicSetAttribute(Channel, BASS_MUSIC_ATTRIB_VOL_CHAN + i, value);
    }
}

std::uint8_t TBassdllPlayer::Volume() {
    if (ChannelKind == kindStream)
        return static_cast<std::uint8_t>(bassdll::BASS_GetConfig(BASS_CONFIG_GVOL_STREAM));
    return static_cast<std::uint8_t>(bassdll::BASS_MusicGetAttribute(Channel, BASS_MUSIC_ATTRIB_VOL_CHAN));
}

void TBassdllPlayer::SetPracticeSpeed(std::int32_t percent) {
    FPracticeSpeed = std::clamp(percent, 25, 400);
    if (Channel != 0) bassdll::BASS_ChannelSetTempo(Channel, static_cast<float>(FPracticeSpeed));
}

void TBassdllPlayer::SetPlaybackSpeed(std::int32_t percent) {
    if (percent == 0) percent = 100;
    if (ChannelKind == kindStream) {
        // The base is 44,100 Hz, whatever the file's own rate.
        const std::int64_t frequency = roundEven(percent / 100.0 * 44100.0);
        if (frequency > 100 && frequency < 100000) {
            bassdll::BASS_ChannelSetAttributes(Channel, static_cast<int>(frequency), -1, -101);
        }
    } else {
        bassdll::BASS_MusicSetAttribute(
            Channel, BASS_MUSIC_ATTRIB_SPEED,
            static_cast<DWORD>(roundEven(MusicBaseSpeed * static_cast<double>(percent) / 100.0)));
    }
    FPlaybackSpeed = percent;
}

void TBassdllPlayer::SetBalance(std::int32_t balance) {
    bassdll::BASS_ChannelSetAttributes(Channel, -1, -1, balance);
    FBalance = balance;
}

// ---------------------------------------------------------------- effects and fading

namespace {

// Switches one of the player's effect routines on the channel: on adds it at its priority and keeps
// its handle, off removes the routine of that handle.
void switchEffect(DWORD channel, bool on, HDSP& handle, DSPPROC routine, int priority) {
    if (on) {
        handle = bassdll::BASS_ChannelSetDSP(channel, routine, nullptr, priority);
    } else {
        bassdll::BASS_ChannelRemoveDSP(channel, handle);
    }
}

}  // namespace

void TBassdllPlayer::SetRotate(bool on) {
    FRotate = on;
    // The sweep starts from its start angle every time it is switched on.
    if (on) playereffects::RotateAngle.store(playereffects::rotateStartAngle(), std::memory_order_relaxed);
    switchEffect(Channel, on, RotateHandle, playereffects::RotateDSP, 4);
}

void TBassdllPlayer::SetEcho(bool on) {
    FEcho = on;
    switchEffect(Channel, on, EchoHandle, playereffects::EchoDSP, 3);
}

void TBassdllPlayer::SetFlanger(bool on) {
    FFlanger = on;
    switchEffect(Channel, on, FlangerHandle, playereffects::FlangerDSP, 2);
}

void TBassdllPlayer::SetFadeOut(bool on) {
    if (on) {
        FadeTimer.start();
    } else {
        FadeTimer.stop();
    }
    FFadeOut = on;
}

void TBassdllPlayer::FadeTimerTick() {
    const std::int32_t length = SongLength();
    const auto remaining = static_cast<std::uint32_t>(length - static_cast<std::int32_t>(Position()));
    if (remaining > static_cast<std::uint32_t>(FFadeOutTime)) return;
    if (2 * length > FFadeOutTime) {
        bassdll::BASS_ChannelSlideAttributes(Channel, -1, -2, -101, static_cast<DWORD>(FFadeOutTime * 1000));
        FadeTimer.stop();
    }
}

// ---------------------------------------------------------------- levels, spectrum, load

std::uint32_t TBassdllPlayer::LeftPeak() {
    return bassdll::BASS_ChannelGetLevel(Channel) & 0xFFFF;
}

std::uint32_t TBassdllPlayer::RightPeak() {
    return bassdll::BASS_ChannelGetLevel(Channel) >> 16;
}

void TBassdllPlayer::GetFFTData(void* Buffer) {
    if (Status() != sndPlaying) return;
    if (bassdll::BASS_ChannelGetData(Channel, Buffer, BASS_DATA_FFT512) != 2048) std::memset(Buffer, 0, 1024);
}

void TBassdllPlayer::GetWaveData(void* Buffer) {
    if (Status() != sndPlaying) return;
    // 8,196 bytes: room for 2,049 four-byte values.
    if (bassdll::BASS_ChannelGetData(Channel, Buffer, 2048) != 2048) std::memset(Buffer, 0, 8196);
}

float TBassdllPlayer::CpuUsage() {
    return bassdll::BASS_GetCPU();
}
