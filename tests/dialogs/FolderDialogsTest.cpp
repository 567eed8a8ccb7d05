#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include "dialogs/FolderDialogs.h"
#include "support/QtPrinters.h"

using shell::FolderBrowserDialog;
using shell::ItemIdList;

namespace {

// A home folder of the test's own, with user folders, so the namespace is the same on every machine.
class FolderPicker : public ::testing::Test {
protected:
    void SetUp() override {
        savedHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        for (const char* folder : {"Desktop", "Music", "Music/Albums", "Documents", "Lyrics"}) {
            QDir(home.path()).mkpath(QString::fromLatin1(folder));
        }
        LastBrowsePath.clear();
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        LastBrowsePath.clear();
    }
    QString inHome(const char* name) const {
        return home.path() + QLatin1Char('/') + QString::fromLatin1(name);
    }

    // Runs Execute with a driver that records what the dialog shows, then acts.
    bool run(TBrowseForFolder& picker, const std::function<void(FolderBrowserDialog&)>& act) {
        shell::ScopedFolderBrowserDriver driver([&](FolderBrowserDialog& dialog) {
            shownSelection = dialog.selectedItem();
            shownRect = dialog.windowRect();
            shownTitle = dialog.windowTitle();
            shownOk = dialog.okCaption();
            okWasEnabled = dialog.okEnabled();
            shownRoot = dialog.rootItem();
            act(dialog);
        });
        return picker.Execute(&owner);
    }

    QTemporaryDir home;
    QByteArray savedHome;
    QWidget owner;
    std::optional<ItemIdList> shownSelection;
    QRect shownRect;
    QString shownTitle;
    QString shownOk;
    bool okWasEnabled = false;
    ItemIdList shownRoot = ItemIdList::fromPath(QStringLiteral("/"));
};

}  // namespace

TEST_F(FolderPicker, FirstRunIsCentredRootedAtTheDesktopWithTheComputerPreselected) {
    TBrowseForFolder picker;
    EXPECT_EQ(picker.Version(), QStringLiteral("TBrowseForFolder V1.0"));
    EXPECT_EQ(picker.Options(), TBrowseFlags{bfNewDialogStyle});
    EXPECT_EQ(picker.RootedAt(), SF_DESKTOP);
    EXPECT_EQ(picker.DialogLeft(), -1);
    EXPECT_FALSE(run(picker, [](FolderBrowserDialog& dialog) { dialog.pressCancel(); }));
    EXPECT_TRUE(shownRoot.isRoot());
    ASSERT_TRUE(shownSelection.has_value());
    EXPECT_EQ(shownSelection->displayName(), QStringLiteral("Computer"));
    EXPECT_TRUE(okWasEnabled);
    EXPECT_EQ(shownTitle, QStringLiteral("Browse For Folder"));
    EXPECT_EQ(shownOk, QStringLiteral("OK"));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(shownRect.left(), screen.width() / 2 - shownRect.width() / 2);
    EXPECT_EQ(shownRect.top(), screen.height() / 2 - shownRect.height() / 2);
}

TEST_F(FolderPicker, TheTreeShowsHomeTheUserFoldersAndTheComputer) {
    TBrowseForFolder picker;
    QStringList top;
    QStringList music;
    run(picker, [&](FolderBrowserDialog& dialog) {
        top = dialog.childNames(ItemIdList::root());
        music = dialog.childNames(ItemIdList::fromPath(inHome("Music")));
        dialog.pressCancel();
    });
    EXPECT_EQ(top.first(), QStringLiteral("Home"));
    EXPECT_TRUE(top.contains(QStringLiteral("Music")));
    EXPECT_TRUE(top.contains(QStringLiteral("Documents")));
    EXPECT_FALSE(top.contains(QStringLiteral("Lyrics"))) << "only the user folders sit on the desktop";
    EXPECT_EQ(top.last(), QStringLiteral("Computer"));
    EXPECT_EQ(music, QStringList{QStringLiteral("Albums")});
}

TEST_F(FolderPicker, AConfirmedFolderIsThePathAndIsPreselectedNextTime) {
    TBrowseForFolder picker;
    int shows = 0, changes = 0, closes = 0;
    picker.OnShow = [&shows](TCommonDialog*) { ++shows; };
    picker.OnChange() = [&changes](TBaseBrowseDialog*) { ++changes; };
    picker.OnClose = [&closes](TCommonDialog*) { ++closes; };
    EXPECT_TRUE(run(picker, [&](FolderBrowserDialog& dialog) {
        dialog.clickItem(ItemIdList::fromPath(inHome("Lyrics")));
        dialog.pressOk();
    }));
    EXPECT_EQ(picker.Path(), inHome("Lyrics"));
    EXPECT_EQ(LastBrowsePath, inHome("Lyrics"));
    EXPECT_EQ(picker.LastSpecialFolder(), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(shows, 1);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(picker.DialogWindow(), nullptr);

    run(picker, [](FolderBrowserDialog& dialog) { dialog.pressCancel(); });
    ASSERT_TRUE(shownSelection.has_value());
    EXPECT_EQ(shownSelection->path(), inHome("Lyrics"));

    TBrowseForFolder second;
    EXPECT_EQ(second.Path(), inHome("Lyrics")) << "a new picker starts at the last path chosen in this run";
}

TEST_F(FolderPicker, ASpecialFolderIsPreselectedAsSuch) {
    TBrowseForFolder picker;
    EXPECT_TRUE(run(picker, [](FolderBrowserDialog& dialog) {
        dialog.clickItem(ItemIdList::root());
        dialog.pressOk();
    }));
    EXPECT_EQ(picker.LastSpecialFolder(), SF_DESKTOP);
    EXPECT_EQ(picker.Path(), inHome("Desktop")) << "the desktop's own folder";
    run(picker, [](FolderBrowserDialog& dialog) { dialog.pressCancel(); });
    ASSERT_TRUE(shownSelection.has_value());
    EXPECT_TRUE(shownSelection->isRoot()) << "the desktop itself, not its folder";

    EXPECT_TRUE(run(picker, [&](FolderBrowserDialog& dialog) {
        dialog.clickItem(ItemIdList::fromPath(inHome("Music")));
        dialog.pressOk();
    }));
    EXPECT_EQ(picker.LastSpecialFolder(), SF_MY_MUSIC);
}

TEST_F(FolderPicker, CancelAfterHighlightingKeepsTheHighlightedFolderForNextTime) {
    TBrowseForFolder picker;
    EXPECT_FALSE(run(picker, [&](FolderBrowserDialog& dialog) {
        dialog.clickItem(ItemIdList::fromPath(inHome("Music/Albums")));
        dialog.pressCancel();
    }));
    EXPECT_EQ(picker.Path(), inHome("Music/Albums"));
    EXPECT_EQ(picker.LastSpecialFolder(), SF_FILESYSTEMFOLDER);
    EXPECT_TRUE(LastBrowsePath.isEmpty()) << "nothing was chosen";
    run(picker, [](FolderBrowserDialog& dialog) { dialog.pressCancel(); });
    ASSERT_TRUE(shownSelection.has_value());
    EXPECT_EQ(shownSelection->path(), inHome("Music/Albums"));
}

TEST_F(FolderPicker, PlacementNeedsBothEdgesAboveZero) {
    TBrowseForFolder picker;
    picker.SetDialogLeft(0);
    picker.SetDialogTop(100);
    run(picker, [](FolderBrowserDialog& dialog) { dialog.pressCancel(); });
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(shownRect.left(), screen.width() / 2 - shownRect.width() / 2);

    picker.SetDialogLeft(30);
    int liveLeft = 0;
    run(picker, [&](FolderBrowserDialog& dialog) {
        liveLeft = picker.DialogLeft();
        picker.SetDialogLeft(45);
        EXPECT_EQ(dialog.windowRect().topLeft(), QPoint(45, 100)) << "moved at once";
        dialog.pressCancel();
    });
    EXPECT_EQ(shownRect.topLeft(), QPoint(30, 100));
    EXPECT_EQ(liveLeft, 30);
    EXPECT_EQ(picker.DialogLeft(), 45) << "closed: the stored value";
}

TEST_F(FolderPicker, OptionsAreNormalised) {
    TBrowseForFolder picker;
    picker.SetOptions({bfEditBox});
    EXPECT_EQ(picker.Options(), (TBrowseFlags{bfNewDialogStyle, bfEditBox}));
    picker.SetOptions({bfEditBox, bfBrowseForComputer});
    EXPECT_EQ(picker.Options(), TBrowseFlags{bfBrowseForComputer});
    picker.SetOptions({bfFileSystemOnly});
    EXPECT_EQ(picker.Options(), TBrowseFlags{bfFileSystemOnly});
}

TEST_F(FolderPicker, AnInvalidTypedNameIsReportedAndBecomesThePath) {
    TBrowseForFolder picker;
    picker.SetOptions({bfEditBox, bfReturnInvalidPath});
    EXPECT_TRUE(run(picker, [&](FolderBrowserDialog& dialog) {
        dialog.clickItem(ItemIdList::fromPath(inHome("Music")));
        EXPECT_EQ(dialog.editBoxText(), QStringLiteral("Music"));
        dialog.typeInEditBox(QStringLiteral("no such folder"));
        dialog.pressOk();
    }));
    EXPECT_TRUE(picker.ValidateFailed());
    EXPECT_EQ(picker.Path(), QStringLiteral("no such folder"));
    EXPECT_EQ(picker.LastSpecialFolder(), SF_FILESYSTEMFOLDER);

    // A name that is a folder inside the highlighted one is simply chosen.
    EXPECT_TRUE(run(picker, [&](FolderBrowserDialog& dialog) {
        dialog.clickItem(ItemIdList::fromPath(inHome("Music")));
        dialog.typeInEditBox(QStringLiteral("Albums"));
        dialog.pressOk();
    }));
    EXPECT_FALSE(picker.ValidateFailed());
    EXPECT_EQ(picker.Path(), inHome("Music/Albums"));
}

TEST_F(FolderPicker, ANarrowValidationTextIsReadInTheLocalesCharacterSet) {
    TBrowseForFolder picker;
    const shell::BrowseEventArgument typed{std::nullopt, QString(),
                                           QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                      "e")};
    picker.HandleBrowseEvent(nullptr, shell::BFFM_VALIDATEFAILEDA, typed, nullptr);
    EXPECT_TRUE(picker.ValidateFailed());
    EXPECT_EQ(picker.Path(), QString::fromUtf8("Grüße")) << "UTF-8, the narrow character set here";
}

TEST_F(FolderPicker, CaptionsAndTheOkButtonFollowTheProperties) {
    TBrowseForFolder picker;
    picker.SetWindowTitle(QStringLiteral("Lyrics folder"));
    picker.SetDialogButtonCaption(QStringLiteral("Choose"));
    picker.SetTitle(QStringLiteral("Where the lyrics go"));
    picker.SetOptions({bfNewDialogStyle, bfFileSystemOnly});
    QString prompt;
    run(picker, [&](FolderBrowserDialog& dialog) {
        prompt = dialog.prompt();
        picker.SetWindowTitle(QStringLiteral("Changed"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Changed"));
        picker.SetDialogButtonCaption(QStringLiteral("Take it"));
        EXPECT_EQ(dialog.okCaption(), QStringLiteral("Take it")) << "changed while open";
        dialog.pressCancel();
    });
    EXPECT_EQ(shownTitle, QStringLiteral("Lyrics folder"));
    EXPECT_EQ(shownOk, QStringLiteral("Choose"));
    EXPECT_EQ(prompt, QStringLiteral("Where the lyrics go"));
    EXPECT_TRUE(okWasEnabled) << "file-system only, and the computer has a path";
}

TEST_F(FolderPicker, TheDialogBelongsToTheOwnersWindowAndARootFolderCanBeGiven) {
    QWidget form;
    auto* control = new QWidget(&form);
    TBrowseForFolder picker(control);
    picker.SetRootedAtFileSystemFolder(inHome("Music"));
    QWidget* parent = nullptr;
    shell::ScopedFolderBrowserDriver driver([&](FolderBrowserDialog& dialog) {
        parent = dialog.parentWidget();
        shownRoot = dialog.rootItem();
        dialog.pressCancel();
    });
    picker.Execute();
    EXPECT_EQ(parent, &form);
    EXPECT_EQ(shownRoot, ItemIdList::fromPath(inHome("Music")));

    picker.SetRootedAtFileSystemFolder(inHome("missing"));
    picker.Execute();
    EXPECT_EQ(shownRoot, ItemIdList::fromPath(QStringLiteral("/"))) << "falls back to the computer";
}

TEST(ShellItems, PathsSpecialFoldersAndNames) {
    EXPECT_EQ(ItemIdList::fromPath(QStringLiteral("/music/")),
              ItemIdList::fromPath(QStringLiteral("/music")));
    EXPECT_FALSE(ItemIdList::root() == ItemIdList::fromPath(QStringLiteral("/")));
    EXPECT_EQ(ItemIdList::fromPath(QStringLiteral("/")).displayName(), QStringLiteral("Computer"));
    EXPECT_EQ(ItemIdList::root().displayName(), QStringLiteral("Desktop"));
    EXPECT_EQ(ItemIdList::fromPath(QStringLiteral("/a/b")).displayName(), QStringLiteral("b"));
    EXPECT_EQ(specialFolderOf(ItemIdList::root()), SF_DESKTOP);
    EXPECT_EQ(specialFolderOf(ItemIdList::fromPath(QStringLiteral("/"))), SF_DRIVES);
    EXPECT_EQ(specialFolderOf(ItemIdList::fromPath(QDir::homePath())), SF_PROFILE);
    EXPECT_FALSE(specialFolderItem(SF_PRINTERS).has_value()) << "no meaning here";
    EXPECT_FALSE(specialFolderItem(SF_INVALID).has_value());
    EXPECT_TRUE(shell::pathExists(QStringLiteral("/tmp/")));
    EXPECT_FALSE(shell::pathExists(QString()));
}
