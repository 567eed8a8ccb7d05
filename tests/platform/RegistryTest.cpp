#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/registry/Registry.h"

using namespace registry;

namespace {

// Points the hive at a file in a fresh folder for the test's lifetime.
struct TemporaryHive {
    QTemporaryDir folder;
    QString path{folder.path() + QStringLiteral("/hive.reg")};
    ScopedHiveFile hive{path};
    QString text() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> out;
    for (int b : list) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

}  // namespace

TEST(RegistryFile, FormatAndParseRoundTripEveryType) {
    Hive hive;
    hive.keys[QStringLiteral("Software\\Tavrel")][QStringLiteral("Text")] = {REG_SZ,
                                                                             bytes({'C', ':', '\\', '"', 0})};
    hive.keys[QStringLiteral("Software\\Tavrel")][QStringLiteral("Number")] = {REG_DWORD,
                                                                               bytes({0x4B, 0, 0, 0})};
    hive.keys[QStringLiteral("Software\\Tavrel")][QStringLiteral("Path")] = {REG_EXPAND_SZ,
                                                                             bytes({'%', 'H', '%', 0})};
    hive.keys[QStringLiteral("Software\\Tavrel")][QStringLiteral("Big")] = {REG_QWORD,
                                                                            bytes({1, 2, 3, 4, 5, 6, 7, 8})};
    hive.keys[QStringLiteral("Software\\Other")][QStringLiteral("Blob")] = {REG_BINARY, bytes({0xFF, 0})};
    const QString text = formatHive(hive);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Windows Registry Editor Version 5.00\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Tavrel]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\"Number\"=dword:0000004b\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\"Text\"=\"C:\\\\\\\"\"\n"))) << text.toStdString();
    Hive back;
    ASSERT_TRUE(parseHive(text, back));
    EXPECT_EQ(back.keys, hive.keys);
}

TEST(RegistryFile, MalformedTextIsNotAHive) {
    Hive hive;
    EXPECT_FALSE(parseHive(QStringLiteral("garbage"), hive));
    EXPECT_FALSE(
        parseHive(QStringLiteral("Windows Registry Editor Version 5.00\n\"Loose\"=dword:00000001\n"), hive));
    EXPECT_FALSE(parseHive(
        QStringLiteral("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:zz\n"),
        hive));
    EXPECT_FALSE(parseHive(
        QStringLiteral("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:1,zz\n"),
        hive));
    EXPECT_TRUE(
        parseHive(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
                                 "\"x\"=hex:01,\\\r\n  02\r\n; a comment\r\n"),
                  hive));
    EXPECT_EQ(hive.keys[QStringLiteral("A")][QStringLiteral("x")].data, bytes({1, 2}));
}

TEST(Registry, ReadsNeverCreateKeysOrTheFile) {
    TemporaryHive hive;
    EXPECT_EQ(openKey(QStringLiteral("Software\\Tavrel"), KEY_READ), nullptr);
    auto created = createKey(QStringLiteral("Software\\Tavrel"));
    ASSERT_NE(created, nullptr);
    created->close();
    EXPECT_FALSE(QFile::exists(hive.path)) << "the key comes into being with its first value";
}

TEST(Registry, WritesKeepOtherValuesAndReadOpensCaseInsensitively) {
    TemporaryHive hive;
    ASSERT_TRUE(createKey(QStringLiteral("Software\\Tavrel"))
                    ->setValue(QStringLiteral("A"), REG_DWORD, bytes({1, 0, 0, 0})));
    ASSERT_TRUE(createKey(QStringLiteral("SOFTWARE\\tavrel"))
                    ->setValue(QStringLiteral("B"), REG_DWORD, bytes({2, 0, 0, 0})));
    auto key = openKey(QStringLiteral("software\\TAVREL"), KEY_QUERY_VALUE);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->queryValue(QStringLiteral("A"))->data, bytes({1, 0, 0, 0}));
    EXPECT_EQ(key->queryValue(QStringLiteral("B"))->data, bytes({2, 0, 0, 0}));
    EXPECT_FALSE(key->queryValue(QStringLiteral("C")).has_value());
    EXPECT_FALSE(key->setValue(QStringLiteral("C"), REG_DWORD, bytes({3, 0, 0, 0}))) << "opened for reading";
    EXPECT_EQ(hive.text().count(QStringLiteral("[HKEY_CURRENT_USER\\")), 1) << "one key, whatever the case";
}

TEST(Registry, CorruptFileReadsEmptyIsKeptAsBadAndTheNextWriteMakesAGoodFile) {
    TemporaryHive hive;
    {
        QFile file(hive.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x01\x02 this is not a registry file");
    }
    EXPECT_EQ(openKey(QStringLiteral("Software\\Tavrel"), KEY_READ), nullptr);
    ASSERT_TRUE(createKey(QStringLiteral("Software\\Tavrel"))
                    ->setValue(QStringLiteral("A"), REG_DWORD, bytes({7, 0, 0, 0})));
    QFile bad(hive.path + QStringLiteral(".bad"));
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_TRUE(bad.readAll().contains("not a registry file"));
    Hive parsed;
    EXPECT_TRUE(parseHive(hive.text(), parsed));
    EXPECT_EQ(parsed.keys[QStringLiteral("Software\\Tavrel")][QStringLiteral("A")].data, bytes({7, 0, 0, 0}));
}

TEST(Registry, EveryCorruptFileIsKeptUnderANameOfItsOwn) {
    TemporaryHive hive;
    for (const char* content : {"first broken", "second broken"}) {
        QFile file(hive.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ASSERT_TRUE(createKey(QStringLiteral("Software\\Tavrel"))
                        ->setValue(QStringLiteral("A"), REG_DWORD, bytes({7, 0, 0, 0})));
    }
    QFile first(hive.path + QStringLiteral(".bad"));
    QFile second(hive.path + QStringLiteral(".bad.1"));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray("first broken"));
    EXPECT_EQ(second.readAll(), QByteArray("second broken"));
}

TEST(Registry, AHiveThatCannotBeOpenedIsLeftAloneAndTheWriteFails) {
    TemporaryHive hive;
    // A folder where the file should be cannot be opened for reading, whoever runs the test.
    ASSERT_TRUE(QDir().mkpath(hive.path));
    QFile inside(hive.path + QStringLiteral("/kept"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.close();
    EXPECT_FALSE(createKey(QStringLiteral("Software\\Tavrel"))
                     ->setValue(QStringLiteral("A"), REG_DWORD, bytes({7, 0, 0, 0})));
    EXPECT_TRUE(QFileInfo(hive.path).isDir());
    EXPECT_TRUE(QFile::exists(hive.path + QStringLiteral("/kept")));
    EXPECT_FALSE(QFile::exists(hive.path + QStringLiteral(".bad")));
}

TEST(Registry, AFolderThatCannotBeWrittenMakesWritesReportFalse) {
    if (geteuid() == 0) {
        // Root writes anywhere; use a path under a plain file instead, which no one can create.
        TemporaryHive hive;
        QFile blocker(hive.folder.path() + QStringLiteral("/file"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const ScopedHiveFile unreachable(blocker.fileName() + QStringLiteral("/sub/hive.reg"));
        EXPECT_FALSE(createKey(QStringLiteral("Software\\Tavrel"))
                         ->setValue(QStringLiteral("A"), REG_DWORD, bytes({1, 0, 0, 0})));
        return;
    }
    TemporaryHive hive;
    ASSERT_EQ(chmod(QFile::encodeName(hive.folder.path()).constData(), 0500), 0);
    EXPECT_FALSE(createKey(QStringLiteral("Software\\Tavrel"))
                     ->setValue(QStringLiteral("A"), REG_DWORD, bytes({1, 0, 0, 0})));
    chmod(QFile::encodeName(hive.folder.path()).constData(), 0700);
}

TEST(Registry, TwoProcessesWritingAtOnceBothKeepTheirValues) {
    TemporaryHive hive;
    constexpr int kRounds = 60;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            bool ok = true;
            for (int round = 0; round < kRounds; ++round) {
                const QString name = QStringLiteral("P%1_%2").arg(child).arg(round);
                ok &= createKey(QStringLiteral("Software\\Tavrel"))
                          ->setValue(name, REG_DWORD, bytes({round, child, 0, 0}));
                // Every file the other process may see parses.
                Hive parsed;
                QFile file(hive.path);
                if (file.open(QIODevice::ReadOnly))
                    ok &= parseHive(QString::fromUtf8(file.readAll()), parsed);
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Hive parsed;
    ASSERT_TRUE(parseHive(hive.text(), parsed));
    const auto& values = parsed.keys[QStringLiteral("Software\\Tavrel")];
    EXPECT_EQ(values.size(), static_cast<std::size_t>(2 * kRounds)) << "no value lost";
}
