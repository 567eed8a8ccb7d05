#pragma once
// A modal folder-browser dialog of our own that speaks the messages a folder picker expects of the
// desktop's: a tree of the namespace under a root item, an optional edit box, OK and Cancel; it
// reports its opening, every change of the highlighted item and names typed that are no folder
// through a callback, and obeys selection, OK-button, caption and placement requests while open.
//
// Showing it is a seam: a test installs a driver that highlights items, types and presses buttons
// as a person would, on the real dialog.

#include <QDialog>
#include <QRect>
#include <functional>
#include <optional>

#include "ItemIdList.h"
#include "platform/system/ScopedHook.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace shell {

// Flags of the dialog, with the desktop's numbers.
enum : unsigned {
    BIF_RETURNONLYFSDIRS = 0x0001,
    BIF_EDITBOX = 0x0010,
    BIF_VALIDATE = 0x0020,
    BIF_NEWDIALOGSTYLE = 0x0040,
    BIF_BROWSEFORCOMPUTER = 0x1000,
    BIF_BROWSEINCLUDEFILES = 0x4000,
};

// Callback messages.
enum : unsigned {
    BFFM_INITIALIZED = 1,
    BFFM_SELCHANGED = 2,
    BFFM_VALIDATEFAILEDA = 3,
    BFFM_VALIDATEFAILEDW = 4,
};

class FolderBrowserDialog;
struct BrowseInfo;
std::optional<ItemIdList> browseForFolder(const BrowseInfo& info);

// What a callback message carries: the highlighted item (BFFM_SELCHANGED) or the typed text
// (BFFM_VALIDATEFAILEDW as text, BFFM_VALIDATEFAILEDA as narrow bytes).
struct BrowseEventArgument {
    std::optional<ItemIdList> item;
    QString text;
    QByteArray narrowText;
};

// Returns 0, except that a non-zero answer to a validation failure keeps the dialog open.
using BrowseCallback = int (*)(FolderBrowserDialog* dialog, unsigned message,
                               const BrowseEventArgument& argument, void* data);

struct BrowseInfo {
    QWidget* owner = nullptr;
    ItemIdList root = ItemIdList::root();
    QString title;  // the prompt above the tree
    unsigned flags = 0;
    BrowseCallback callback = nullptr;
    void* data = nullptr;
    QString* displayName = nullptr;  // receives the chosen item's display name
    bool narrowValidation = false;   // report typed names with BFFM_VALIDATEFAILEDA
};

class FolderBrowserDialog : public QDialog {
    Q_OBJECT
public:
    explicit FolderBrowserDialog(const BrowseInfo& info);
    ~FolderBrowserDialog() override;

    // Requests of the folder picker while the dialog is open.
    void setSelection(const ItemIdList& item);  // highlights it, as a click would
    void enableOk(bool enabled);
    void setCaption(const QString& caption);
    void setOkCaption(const QString& caption);
    void moveTo(int left, int top);  // the frame's corner; no resizing, no activation
    // Where the frame goes, from the frame's size: applied at once, and again once the window
    // manager has framed the dialog (its frame is not known before), so that the frame, not the
    // inner area, lands there.
    void placeFrame(std::function<QPoint(QSize frameSize)> place);
    QRect windowRect() const;  // the frame's rectangle on the screen

    // What a person does, for the test driver (and used by the dialog itself).
    void clickItem(const ItemIdList& item) { setSelection(item); }
    void typeInEditBox(const QString& text);
    void pressOk();
    void pressCancel();

    // What a person sees.
    std::optional<ItemIdList> selectedItem() const;
    ItemIdList rootItem() const { return info_.root; }
    bool okEnabled() const;
    QString okCaption() const;
    QString prompt() const;
    bool hasEditBox() const;
    QString editBoxText() const;
    // The names shown under an item once it is opened.
    QStringList childNames(const ItemIdList& item);

    // The chosen item once the dialog has closed with OK.
    std::optional<ItemIdList> result() const { return result_; }

protected:
    bool event(QEvent* event) override;

private:
    friend std::optional<ItemIdList> browseForFolder(const BrowseInfo& info);

    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const ItemIdList& item, const QString& name);
    void fillChildren(QTreeWidgetItem* node);
    QTreeWidgetItem* findNode(const ItemIdList& item);
    ItemIdList itemOf(const QTreeWidgetItem* node) const;
    void selectionChanged();
    void placeOnceFramed();
    int notify(unsigned message, const BrowseEventArgument& argument);

    BrowseInfo info_;
    QLabel* promptLabel_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QLineEdit* editBox_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* okButton_ = nullptr;
    std::optional<ItemIdList> result_;
    std::function<QPoint(QSize)> place_;
    bool placedInFrame_ = false;
};

// Runs the dialog modally; the chosen item, or nothing after Cancel or the close box.
std::optional<ItemIdList> browseForFolder(const BrowseInfo& info);

using FolderBrowserDriver = std::function<void(FolderBrowserDialog&)>;
FolderBrowserDriver& folderBrowserDriver();

// Installs a driver that acts on each dialog once it has opened (after BFFM_INITIALIZED), instead
// of waiting for a person; removed again when the object goes.
class ScopedFolderBrowserDriver : ScopedHook<FolderBrowserDriver> {
public:
    explicit ScopedFolderBrowserDriver(FolderBrowserDriver driver)
        : ScopedHook(folderBrowserDriver(), std::move(driver)) {}
};

}  // namespace shell
