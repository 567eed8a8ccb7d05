#pragma once
// TBrowseForFolder: the folder picker. A non-visual component that runs the shell's folder-browser
// dialog modally and hands back the chosen folder; it places the dialog, preselects the last chosen
// or highlighted folder, sets captions, enables OK and follows the highlighted folder while the
// dialog is open.

#include <QObject>
#include <QString>
#include <functional>
#include <set>

#include "platform/shell/FolderBrowser.h"

enum TBrowseFlag {
    bfNewDialogStyle,
    bfFileSystemOnly,
    bfBrowseIncludeFiles,
    bfEditBox,
    bfBrowseForComputer,
    bfReturnInvalidPath,
};
using TBrowseFlags = std::set<TBrowseFlag>;

enum TShellFolder {
    SF_FILESYSTEMFOLDER,
    SF_BITBUCKET,
    SF_CONTROLS,
    SF_DESKTOP,
    SF_DESKTOPDIRECTORY,
    SF_DRIVES,
    SF_FONTS,
    SF_NETHOOD,
    SF_NETWORK,
    SF_PERSONAL,
    SF_PRINTERS,
    SF_PROGRAMS,
    SF_RECENT,
    SF_SENDTO,
    SF_STARTMENU,
    SF_STARTUP,
    SF_TEMPLATES,
    SF_FAVORITES,
    SF_COMMON_STARTMENU,
    SF_COMMON_STARTUP,
    SF_COMMON_DESKTOPDIRECTORY,
    SF_APPDATA,
    SF_PRINTHOOD,
    SF_COMMON_FAVORITES,
    SF_INTERNET_CACHE,
    SF_COOKIES,
    SF_HISTORY,
    SF_COMMON_PROGRAMS,
    SF_ALTSTARTUP,
    SF_COMMON_APPDATA,
    SF_COMMON_DOCUMENTS,
    SF_INTERNET,
    SF_LOCAL_APPDATA,
    SF_MYPICTURES,
    SF_PROGRAM_FILES,
    SF_SYSTEM,
    SF_PROGRAM_FILES_COMMON,
    SF_WINDOWS,
    SF_PROGRAM_FILESX86,
    SF_PROGRAM_FILES_COMMONX86,
    SF_SYSTEMX86,
    SF_MY_MUSIC,
    SF_MY_VIDEOS,
    SF_LIBRARIES,
    SF_LIBRARY_DOCUMENTS,
    SF_LIBRARY_PICTURES,
    SF_LIBRARY_MUSIC,
    SF_LIBRARY_VIDEOS,
    SF_LIBRARY_PUBLIC,
    SF_PROFILE,
    SF_INVALID,
};

// The item of a special folder; nothing for one without a meaning here (they never match an item).
std::optional<shell::ItemIdList> specialFolderItem(TShellFolder folder);
// The special folder an item is: the desktop for the root, else the first member from SF_BITBUCKET
// to SF_PROFILE whose item equals it, else SF_FILESYSTEMFOLDER.
TShellFolder specialFolderOf(const shell::ItemIdList& item);

// The last non-empty path chosen through any picker during this run.
extern QString LastBrowsePath;

// A component with the common dialog events.
class TCommonDialog : public QObject {
    Q_OBJECT
public:
    explicit TCommonDialog(QObject* owner = nullptr) : QObject(owner) {}
    std::function<void(TCommonDialog* sender)> OnShow;
    std::function<void(TCommonDialog* sender)> OnClose;
};

class TBaseShellDialog : public TCommonDialog {
    Q_OBJECT
public:
    using TCommonDialog::TCommonDialog;
    // The class name followed by " V1.0".
    QString Version() const;
};

class TBaseBrowseDialog : public TBaseShellDialog {
    Q_OBJECT
public:
    explicit TBaseBrowseDialog(QObject* owner = nullptr);

    // Runs the dialog with the owner's window; true when the user confirmed a choice.
    virtual bool Execute();
    virtual bool Execute(QWidget* ownerWindow);
    // One callback message of the open dialog; always 0.
    virtual int HandleBrowseEvent(shell::FolderBrowserDialog* window, unsigned message,
                                  const shell::BrowseEventArgument& argument, void* data);

    TShellFolder LastSpecialFolder() const { return lastSpecialFolder_; }
    bool ValidateFailed() const { return validateFailed_; }
    shell::FolderBrowserDialog* DialogWindow() const { return dialogWindow_; }

protected:
    void PositionDialog();
    void enableOkForPath();

    TBrowseFlags options_{bfNewDialogStyle};
    QString rootedAtFileSystemFolder_;
    QString title_;
    TShellFolder rootedAt_ = SF_DESKTOP;
    QString path_;
    int dialogLeft_ = -1;
    int dialogTop_ = -1;
    QString windowTitle_;
    QString dialogButtonCaption_;
    std::function<void(TBaseBrowseDialog* sender)> onChange_;

    shell::FolderBrowserDialog* dialogWindow_ = nullptr;
    TShellFolder lastSpecialFolder_ = SF_FILESYSTEMFOLDER;
    bool validateFailed_ = false;
};

class TBrowseForFolder : public TBaseBrowseDialog {
    Q_OBJECT
public:
    explicit TBrowseForFolder(QObject* owner = nullptr) : TBaseBrowseDialog(owner) {}

    TBrowseFlags Options() const { return options_; }
    // Normalised: an edit box needs the new style, which browsing for computers excludes.
    void SetOptions(const TBrowseFlags& options);
    QString RootedAtFileSystemFolder() const { return rootedAtFileSystemFolder_; }
    void SetRootedAtFileSystemFolder(const QString& folder);
    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    TShellFolder RootedAt() const { return rootedAt_; }
    void SetRootedAt(TShellFolder folder) { rootedAt_ = folder; }
    QString Path() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }
    // While the dialog is open: its live position; writing moves it.
    int DialogLeft() const;
    void SetDialogLeft(int left);
    int DialogTop() const;
    void SetDialogTop(int top);
    QString WindowTitle() const { return windowTitle_; }
    void SetWindowTitle(const QString& title);
    QString DialogButtonCaption() const { return dialogButtonCaption_; }
    void SetDialogButtonCaption(const QString& caption);
    std::function<void(TBaseBrowseDialog* sender)>& OnChange() { return onChange_; }
};
