#include "FolderDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

using shell::ItemIdList;
using shell::SpecialFolder;

QString LastBrowsePath;

namespace {

// The special folders that have a meaning here; every other member resolves to nothing.
std::optional<SpecialFolder> linuxMeaning(TShellFolder folder) {
    switch (folder) {
        case SF_DESKTOP:
            return SpecialFolder::desktop;
        case SF_DESKTOPDIRECTORY:
            return SpecialFolder::desktopDirectory;
        case SF_FILESYSTEMFOLDER:
        case SF_DRIVES:
            return SpecialFolder::drives;
        case SF_PERSONAL:
        case SF_LIBRARY_DOCUMENTS:
            return SpecialFolder::documents;
        case SF_MY_MUSIC:
        case SF_LIBRARY_MUSIC:
            return SpecialFolder::music;
        case SF_MYPICTURES:
        case SF_LIBRARY_PICTURES:
            return SpecialFolder::pictures;
        case SF_MY_VIDEOS:
        case SF_LIBRARY_VIDEOS:
            return SpecialFolder::videos;
        case SF_TEMPLATES:
            return SpecialFolder::templates;
        case SF_LIBRARY_PUBLIC:
            return SpecialFolder::publicShare;
        case SF_PROFILE:
            return SpecialFolder::profile;
        case SF_APPDATA:
            return SpecialFolder::appData;
        case SF_LOCAL_APPDATA:
            return SpecialFolder::localAppData;
        case SF_FONTS:
            return SpecialFolder::fonts;
        case SF_INTERNET_CACHE:
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

shell::BrowseCallback const kCallback = [](shell::FolderBrowserDialog* window, unsigned message,
                                           const shell::BrowseEventArgument& argument, void* data) {
    return static_cast<TBaseBrowseDialog*>(data)->HandleBrowseEvent(window, message, argument, data);
};

unsigned shellFlags(const TBrowseFlags& options) {
    static constexpr std::pair<TBrowseFlag, unsigned> kFlags[] = {
        {bfNewDialogStyle, shell::BIF_NEWDIALOGSTYLE},
        {bfFileSystemOnly, shell::BIF_RETURNONLYFSDIRS},
        {bfBrowseIncludeFiles, shell::BIF_BROWSEINCLUDEFILES},
        {bfEditBox, shell::BIF_EDITBOX},
        {bfBrowseForComputer, shell::BIF_BROWSEFORCOMPUTER},
        {bfReturnInvalidPath, shell::BIF_VALIDATE}};
    unsigned flags = 0;
    for (const auto& [flag, bit] : kFlags) {
        if (options.count(flag) != 0) flags |= bit;
    }
    return flags;
}

}  // namespace

std::optional<ItemIdList> specialFolderItem(TShellFolder folder) {
    const std::optional<SpecialFolder> meaning = linuxMeaning(folder);
    if (!meaning) return std::nullopt;
    return ItemIdList::fromSpecialFolder(*meaning);
}

TShellFolder specialFolderOf(const ItemIdList& item) {
    if (item.isRoot()) return SF_DESKTOP;
    for (int folder = SF_BITBUCKET; folder <= SF_PROFILE; ++folder) {
        if (folder == SF_DESKTOP) continue;
        const std::optional<ItemIdList> special = specialFolderItem(static_cast<TShellFolder>(folder));
        if (special && *special == item) return static_cast<TShellFolder>(folder);
    }
    return SF_FILESYSTEMFOLDER;
}

QString TBaseShellDialog::Version() const {
    return QString::fromLatin1(metaObject()->className()) + QStringLiteral(" V1.0");
}

TBaseBrowseDialog::TBaseBrowseDialog(QObject* owner) : TBaseShellDialog(owner), path_(LastBrowsePath) {}

bool TBaseBrowseDialog::Execute() {
    // The owner's form; a control is looked through to its own owner; else the main window.
    for (QObject* owner = parent(); owner != nullptr; owner = owner->parent()) {
        if (auto* widget = qobject_cast<QWidget*>(owner)) return Execute(widget->window());
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(window) != nullptr) return Execute(window);
    }
    return Execute(nullptr);
}

bool TBaseBrowseDialog::Execute(QWidget* ownerWindow) {
    validateFailed_ = false;
    shell::BrowseInfo info;
    info.owner = ownerWindow;
    if (shell::pathExists(rootedAtFileSystemFolder_)) {
        info.root = ItemIdList::fromPath(rootedAtFileSystemFolder_);
    } else {
        info.root = specialFolderItem(rootedAt_).value_or(ItemIdList::root());
    }
    QString displayName;
    info.displayName = &displayName;
    info.title = title_;
    info.flags = shellFlags(options_);
    info.callback = kCallback;
    info.data = this;

    if (OnShow) OnShow(this);
    const std::optional<ItemIdList> chosen = shell::browseForFolder(info);
    if (!chosen || validateFailed_) {
        lastSpecialFolder_ = SF_FILESYSTEMFOLDER;
    } else {
        lastSpecialFolder_ = specialFolderOf(*chosen);
        path_ = chosen->path();
        if (path_.isEmpty()) {
            path_ = displayName;
        } else {
            LastBrowsePath = path_;
        }
    }
    dialogWindow_ = nullptr;
    if (OnClose) OnClose(this);
    return chosen.has_value();
}

void TBaseBrowseDialog::enableOkForPath() {
    if (options_.count(bfFileSystemOnly) != 0) dialogWindow_->enableOk(!path_.isEmpty());
}

int TBaseBrowseDialog::HandleBrowseEvent(shell::FolderBrowserDialog* window, unsigned message,
                                         const shell::BrowseEventArgument& argument, void* /*data*/) {
    switch (message) {
        case shell::BFFM_INITIALIZED: {
            dialogWindow_ = window;
            PositionDialog();
            std::optional<ItemIdList> preselect;
            if (lastSpecialFolder_ != SF_FILESYSTEMFOLDER) {
                preselect = specialFolderItem(lastSpecialFolder_);
            } else if (!path_.isEmpty()) {
                preselect = ItemIdList::fromPath(path_);
            } else {
                preselect = specialFolderItem(SF_DRIVES);
            }
            if (preselect) window->setSelection(*preselect);
            if (options_.count(bfFileSystemOnly) != 0) {
                enableOkForPath();
            } else {
                window->enableOk(true);
            }
            if (!windowTitle_.isEmpty()) window->setCaption(windowTitle_);
            if (!dialogButtonCaption_.isEmpty()) window->setOkCaption(dialogButtonCaption_);
            break;
        }
        case shell::BFFM_SELCHANGED:
            if (dialogWindow_ != nullptr && argument.item) {
                path_ = argument.item->path();
                lastSpecialFolder_ = specialFolderOf(*argument.item);
            }
            if (dialogWindow_ != nullptr) enableOkForPath();
            if (onChange_) onChange_(this);
            break;
        case shell::BFFM_VALIDATEFAILEDW:
            validateFailed_ = true;
            path_ = argument.text;
            break;
        case shell::BFFM_VALIDATEFAILEDA:
            validateFailed_ = true;
            path_ = QString::fromLocal8Bit(argument.narrowText);
            break;
        default:
            break;
    }
    return 0;
}

void TBaseBrowseDialog::PositionDialog() {
    if (dialogWindow_ == nullptr) return;
    if (dialogLeft_ > 0 && dialogTop_ > 0) {
        dialogWindow_->moveTo(dialogLeft_, dialogTop_);
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QSize size = screen->size();
    dialogWindow_->placeFrame([size](QSize frame) {
        return QPoint(size.width() / 2 - frame.width() / 2, size.height() / 2 - frame.height() / 2);
    });
}

void TBrowseForFolder::SetOptions(const TBrowseFlags& options) {
    options_ = options;
    if (options_.count(bfEditBox) != 0) options_.insert(bfNewDialogStyle);
    if (options_.count(bfBrowseForComputer) != 0) options_.erase(bfNewDialogStyle);
    if (options_.count(bfNewDialogStyle) == 0) options_.erase(bfEditBox);
}

void TBrowseForFolder::SetRootedAtFileSystemFolder(const QString& folder) {
    // At run time every text is accepted; a folder that does not exist falls back to RootedAt.
    rootedAtFileSystemFolder_ = folder;
    rootedAt_ = SF_FILESYSTEMFOLDER;
}

int TBrowseForFolder::DialogLeft() const {
    return dialogWindow_ != nullptr ? dialogWindow_->windowRect().left() : dialogLeft_;
}

void TBrowseForFolder::SetDialogLeft(int left) {
    dialogLeft_ = left;
    PositionDialog();
}

int TBrowseForFolder::DialogTop() const {
    return dialogWindow_ != nullptr ? dialogWindow_->windowRect().top() : dialogTop_;
}

void TBrowseForFolder::SetDialogTop(int top) {
    dialogTop_ = top;
    PositionDialog();
}

void TBrowseForFolder::SetWindowTitle(const QString& title) {
    windowTitle_ = title;
    if (dialogWindow_ != nullptr) dialogWindow_->setCaption(title);
}

void TBrowseForFolder::SetDialogButtonCaption(const QString& caption) {
    dialogButtonCaption_ = caption;
    if (dialogWindow_ != nullptr) dialogWindow_->setOkCaption(caption);
}
