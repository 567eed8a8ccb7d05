#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "platform/registry/Registry.h"
#include "settings/LiveSettings.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsCatalogue.h"

using namespace registry;

namespace {

struct TemporaryHive {
    QTemporaryDir folder;
    ScopedHiveFile hive{folder.path() + QStringLiteral("/hive.reg")};
};

void putRaw(const QString& name, ValueType type, std::vector<std::uint8_t> data) {
    ASSERT_TRUE(createKey(QStringLiteral("Software\\Tavrel"))->setValue(name, type, data));
}

std::vector<std::uint8_t> text(const char* s) {
    std::vector<std::uint8_t> out(s, s + std::strlen(s));
    out.push_back(0);
    return out;
}

}  // namespace

TEST(SettingsStore, FirstRunGivesEveryDefault) {
    TemporaryHive hive;
    LiveSettings settings;
    settings.load();
    EXPECT_TRUE(settings.offsetSwitch());
    EXPECT_EQ(settings.offsetIndex(), 1);
    EXPECT_EQ(settings.offsetEntryText(), QStringLiteral("-500"));
    EXPECT_FALSE(settings.lyricsLocationSwitch());
    EXPECT_TRUE(settings.lyricsDirectory().isEmpty());
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 75), 75);
}

TEST(SettingsStore, WrittenValuesReadBackWithTheirTypes) {
    TemporaryHive hive;
    EXPECT_TRUE(WriteRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"),
                               QStringLiteral("/home/me/Liedtexte")));
    EXPECT_TRUE(WriteRegInteger(kSettingsKeyName, QStringLiteral("Top"), -20));
    EXPECT_TRUE(WriteRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), true));
    EXPECT_EQ(ReadRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"), QString()),
              QStringLiteral("/home/me/Liedtexte"));
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Top"), 200), -20) << "returned as stored";
    EXPECT_TRUE(ReadRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), false));
    const auto stored =
        openKey(QStringLiteral("Software\\Tavrel"), KEY_READ)->queryValue(QStringLiteral("LyricsLocation"));
    EXPECT_EQ(stored->type, REG_DWORD);
    EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{1, 0, 0, 0})) << "booleans are 0 or 1";
    const auto string = openKey(QStringLiteral("Software\\Tavrel"), KEY_READ)
                            ->queryValue(QStringLiteral("LyricsLocationValue"));
    EXPECT_EQ(string->type, REG_SZ);
    EXPECT_EQ(string->data.back(), 0) << "the size counts the terminating NUL";
}

TEST(SettingsStore, EdgeCasesOfTypesAndEmptyValues) {
    TemporaryHive hive;
    putRaw(QStringLiteral("Empty"), REG_SZ, text(""));
    EXPECT_EQ(ReadRegString(kSettingsKeyName, QStringLiteral("Empty"), QStringLiteral("fallback")),
              QStringLiteral("fallback"));
    putRaw(QStringLiteral("Expand"), REG_EXPAND_SZ, text("%HOME%/lyrics"));
    EXPECT_EQ(ReadRegString(kSettingsKeyName, QStringLiteral("Expand"), QString()),
              QStringLiteral("%HOME%/lyrics"));
    putRaw(QStringLiteral("Cut"), REG_SZ, {'a', 'b', 0, 'c', 0});
    EXPECT_EQ(ReadRegString(kSettingsKeyName, QStringLiteral("Cut"), QString()), QStringLiteral("ab"));
    putRaw(QStringLiteral("Number"), REG_DWORD, {5, 0, 0, 0});
    EXPECT_EQ(ReadRegString(kSettingsKeyName, QStringLiteral("Number"), QStringLiteral("d")),
              QStringLiteral("d"));

    putRaw(QStringLiteral("RecordTimeOffset"), REG_DWORD, {2, 0, 0, 0});
    EXPECT_TRUE(ReadRegBool(kSettingsKeyName, QStringLiteral("RecordTimeOffset"), false));
    putRaw(QStringLiteral("RecordTimeOffset"), REG_SZ, text("0"));
    EXPECT_TRUE(ReadRegBool(kSettingsKeyName, QStringLiteral("RecordTimeOffset"), true))
        << "a text is not an integer";
    putRaw(QStringLiteral("Volume"), REG_QWORD, {50, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 75), 75);
    putRaw(QStringLiteral("Volume"), REG_BINARY, {50, 0, 0, 0});
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 75), 75);
    putRaw(QStringLiteral("Volume"), REG_DWORD, {0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 75), 0x7FFFFFFF) << "no bounds";
}

TEST(SettingsStore, EachCallOpensAndClosesItsOwnKeyTryingTheReadRightsInTurn) {
    TemporaryHive hive;
    QStringList events;
    const ScopedAccessObserver observer([&events](const AccessEvent& e) {
        static const char* kinds[] = {"open", "create", "query", "set", "close"};
        events << QStringLiteral("%1 %2 %3 %4")
                      .arg(QLatin1String(kinds[e.kind]), e.value)
                      .arg(e.access, 0, 16)
                      .arg(e.succeeded);
    });
    ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 75);
    EXPECT_EQ(events, (QStringList{"open  20019 0", "open  20009 0", "open  1 0"}))
        << "missing key: three tries";
    events.clear();
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 40);
    EXPECT_EQ(events, (QStringList{"create  f003f 1", "set Volume 0 1", "close  0 1"}));
    events.clear();
    ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 75);
    EXPECT_EQ(events, (QStringList{"open  20019 1", "query Volume 0 1", "close  0 1"}));
}

TEST(LiveSettings, OffsetIndexOutsideTheListChoosesNone) {
    TemporaryHive hive;
    WriteRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), 7);
    LiveSettings settings;
    settings.load();
    EXPECT_EQ(settings.offsetIndex(), LiveSettings::kNoOffsetEntry);
    EXPECT_TRUE(settings.offsetEntryText().isEmpty());
    settings.setOffsetIndex(2);
    EXPECT_EQ(settings.offsetEntryText(), QStringLiteral("-700"));
    settings.setOffsetIndex(-5);
    EXPECT_EQ(settings.offsetIndex(), LiveSettings::kNoOffsetEntry);
}

TEST(LiveSettings, StoreWritesTheFourValuesForTheNextLoad) {
    TemporaryHive hive;
    LiveSettings settings;
    settings.setOffsetSwitch(false);
    settings.setOffsetIndex(0);
    settings.setLyricsLocationSwitch(true);
    settings.setLyricsDirectory(QStringLiteral("/music/lyrics"));
    settings.store();
    LiveSettings loaded;
    loaded.load();
    EXPECT_FALSE(loaded.offsetSwitch());
    EXPECT_EQ(loaded.offsetIndex(), 0);
    EXPECT_TRUE(loaded.lyricsLocationSwitch());
    EXPECT_EQ(loaded.lyricsDirectory(), QStringLiteral("/music/lyrics"));
}

TEST(SettingsCatalogue, EachValueReadsItsDefaultUntilWrittenAndThenWhatWasWritten) {
    TemporaryHive hive;
    EXPECT_EQ(settings::read(settings::kVolume), 75);
    EXPECT_EQ(settings::read(settings::kTop), 200);
    EXPECT_EQ(settings::read(settings::kLeft), 200);
    EXPECT_EQ(settings::read(settings::kHeight), 625);
    EXPECT_EQ(settings::read(settings::kPracticeSpeed), 100);
    EXPECT_TRUE(settings::read(settings::kRecordTimeOffset));
    EXPECT_EQ(settings::read(settings::kLyricsLocationValue), QString());

    EXPECT_TRUE(settings::write(settings::kHeight, 480));
    EXPECT_TRUE(settings::write(settings::kRecordTimeOffset, false));
    EXPECT_TRUE(settings::write(settings::kLyricsLocationValue, QStringLiteral("/lyrics")));
    EXPECT_EQ(settings::read(settings::kHeight), 480);
    EXPECT_FALSE(settings::read(settings::kRecordTimeOffset));
    EXPECT_EQ(settings::read(settings::kLyricsLocationValue), QStringLiteral("/lyrics"));
    // Under the names the program has always used, where earlier versions find them.
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Height"), 0), 480);
    putRaw(QStringLiteral("Volume"), REG_DWORD, {40, 0, 0, 0});
    EXPECT_EQ(settings::read(settings::kVolume), 40);
}
