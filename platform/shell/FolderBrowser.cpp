#include "FolderBrowser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shell {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

// Whether `path` is `folder` or lies inside it.
bool isWithin(const QString& path, const QString& folder) {
    if (path == folder) return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

// The desktop's top level: the home folder, the user folders that exist, and the computer.
std::vector<std::pair<ItemIdList, QString>> desktopChildren() {
    std::vector<std::pair<ItemIdList, QString>> children;
    const QString home = QDir::homePath();
    if (QFileInfo(home).isDir()) children.emplace_back(ItemIdList::fromPath(home), QStringLiteral("Home"));
    const std::pair<SpecialFolder, const char*> userFolders[] = {
        {SpecialFolder::desktopDirectory, "Desktop"}, {SpecialFolder::documents, "Documents"},
        {SpecialFolder::downloads, "Downloads"},      {SpecialFolder::music, "Music"},
        {SpecialFolder::pictures, "Pictures"},        {SpecialFolder::videos, "Videos"}};
    for (const auto& [folder, name] : userFolders) {
        const std::optional<QString> path = specialFolderPath(folder);
        if (path && *path != home && QFileInfo(*path).isDir()) {
            children.emplace_back(ItemIdList::fromPath(*path), QString::fromLatin1(name));
        }
    }
    children.emplace_back(ItemIdList::fromPath(QStringLiteral("/")), QStringLiteral("Computer"));
    return children;
}

}  // namespace

FolderBrowserDialog::FolderBrowserDialog(const BrowseInfo& info) : QDialog(info.owner), info_(info) {
    setWindowTitle(QStringLiteral("Browse For Folder"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    promptLabel_ = new QLabel(info.title, this);
    promptLabel_->setWordWrap(true);
    promptLabel_->setVisible(!info.title.isEmpty());
    layout->addWidget(promptLabel_);

    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    layout->addWidget(tree_, 1);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { fillChildren(node); });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { selectionChanged(); });

    // The edit box comes with the new style only.
    if ((info.flags & BIF_EDITBOX) && (info.flags & BIF_NEWDIALOGSTYLE)) {
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("Folder:"), this);
        editBox_ = new QLineEdit(this);
        label->setBuddy(editBox_);
        row->addWidget(label);
        row->addWidget(editBox_, 1);
        layout->addLayout(row);
    }

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton_ = buttons_->button(QDialogButtonBox::Ok);
    connect(okButton_, &QPushButton::clicked, this, [this] { pressOk(); });
    connect(buttons_->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this,
            [this] { pressCancel(); });
    layout->addWidget(buttons_);

    resize(330, 400);
    if (!(info.flags & BIF_NEWDIALOGSTYLE)) setFixedSize(size());

    QTreeWidgetItem* top = addNode(nullptr, info.root, info.root.displayName());
    tree_->addTopLevelItem(top);
    tree_->expandItem(top);
}

FolderBrowserDialog::~FolderBrowserDialog() = default;

QTreeWidgetItem* FolderBrowserDialog::addNode(QTreeWidgetItem* parent, const ItemIdList& item,
                                              const QString& name) {
    auto* node = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem;
    node->setText(0, name);
    node->setData(0, kPathRole, item.isRoot() ? QString() : item.path());
    node->setData(0, kFilledRole, false);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return node;
}

ItemIdList FolderBrowserDialog::itemOf(const QTreeWidgetItem* node) const {
    const QString path = node->data(0, kPathRole).toString();
    return path.isEmpty() ? ItemIdList::root() : ItemIdList::fromPath(path);
}

void FolderBrowserDialog::fillChildren(QTreeWidgetItem* node) {
    if (node->data(0, kFilledRole).toBool()) return;
    node->setData(0, kFilledRole, true);
    const ItemIdList item = itemOf(node);
    if (item.isRoot()) {
        for (const auto& [child, name] : desktopChildren()) addNode(node, child, name);
        return;
    }
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (info_.flags & BIF_BROWSEINCLUDEFILES) filters |= QDir::Files;
    const QDir folder(item.path());
    for (const QFileInfo& entry :
         folder.entryInfoList(filters, QDir::Name | QDir::DirsFirst | QDir::IgnoreCase)) {
        QTreeWidgetItem* child =
            addNode(node, ItemIdList::fromPath(entry.absoluteFilePath()), entry.fileName());
        if (!entry.isDir()) child->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    }
    if (item.path() == QLatin1String("/")) {
        // Mounted volumes, under their names, beside the folders of the root.
        for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
            if (!volume.isValid() || !volume.isReady() || volume.rootPath() == QLatin1String("/")) continue;
            if (!volume.device().startsWith("/dev/")) continue;
            const QString name = volume.displayName().isEmpty() ? volume.rootPath() : volume.displayName();
            addNode(node, ItemIdList::fromPath(volume.rootPath()),
                    name + QStringLiteral(" (") + volume.rootPath() + QLatin1Char(')'));
        }
    }
    if (node->childCount() == 0) node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

QTreeWidgetItem* FolderBrowserDialog::findNode(const ItemIdList& target) {
    QTreeWidgetItem* node = tree_->topLevelItem(0);
    if (node == nullptr) return nullptr;
    if (itemOf(node) == target) return node;
    if (target.isRoot()) return nullptr;
    const QString path = target.path();
    // Walk down through the child that contains the path, the deepest such child first.
    while (true) {
        fillChildren(node);
        QTreeWidgetItem* next = nullptr;
        int nextLength = -1;
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem* child = node->child(i);
            const QString childPath = child->data(0, kPathRole).toString();
            if (itemOf(child) == target) return child;
            if (isWithin(path, childPath) && childPath.size() > nextLength) {
                next = child;
                nextLength = static_cast<int>(childPath.size());
            }
        }
        if (next == nullptr) return nullptr;
        node = next;
    }
}

void FolderBrowserDialog::setSelection(const ItemIdList& item) {
    QTreeWidgetItem* node = findNode(item);
    if (node == nullptr) return;
    for (QTreeWidgetItem* parent = node->parent(); parent != nullptr; parent = parent->parent())
        tree_->expandItem(parent);
    tree_->setCurrentItem(node);
    tree_->scrollToItem(node);
}

void FolderBrowserDialog::selectionChanged() {
    const std::optional<ItemIdList> item = selectedItem();
    if (!item) return;
    if (editBox_ != nullptr) editBox_->setText(item->displayName());
    notify(BFFM_SELCHANGED, {item, {}, {}});
}

int FolderBrowserDialog::notify(unsigned message, const BrowseEventArgument& argument) {
    if (info_.callback == nullptr) return 0;
    return info_.callback(this, message, argument, info_.data);
}

void FolderBrowserDialog::enableOk(bool enabled) {
    okButton_->setEnabled(enabled);
}
void FolderBrowserDialog::setCaption(const QString& caption) {
    setWindowTitle(caption);
}
void FolderBrowserDialog::setOkCaption(const QString& caption) {
    okButton_->setText(caption);
}
void FolderBrowserDialog::moveTo(int left, int top) {
    placeFrame([left, top](QSize) { return QPoint(left, top); });
}

void FolderBrowserDialog::placeFrame(std::function<QPoint(QSize frameSize)> place) {
    place_ = std::move(place);
    placedInFrame_ = false;
    move(place_(frameGeometry().size()));
    // The window manager frames the dialog after it shows, and no event says when its frame's size
    // became known: look for it a few times.
    for (int wait = 25; wait <= 1000; wait += 25) {
        QTimer::singleShot(wait, this, [this] { placeOnceFramed(); });
    }
}

void FolderBrowserDialog::placeOnceFramed() {
    // A frame larger than the window is the window manager's: now a move places the frame.
    if (!place_ || placedInFrame_ || frameGeometry().size() == size()) return;
    placedInFrame_ = true;
    move(place_(frameGeometry().size()));
}

bool FolderBrowserDialog::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) placeOnceFramed();
    return handled;
}
QRect FolderBrowserDialog::windowRect() const {
    return frameGeometry();
}

void FolderBrowserDialog::typeInEditBox(const QString& text) {
    if (editBox_ != nullptr) editBox_->setText(text);
}

void FolderBrowserDialog::pressOk() {
    if (!okButton_->isEnabled()) return;
    std::optional<ItemIdList> chosen = selectedItem();
    if (editBox_ != nullptr && chosen && editBox_->text() != chosen->displayName()) {
        // A typed name: a path, or a name inside the highlighted folder.
        const QString typed = editBox_->text();
        const QString candidate = QDir::isAbsolutePath(typed) ? typed : QDir(chosen->path()).filePath(typed);
        if (!typed.isEmpty() && QFileInfo(candidate).isDir()) {
            chosen = ItemIdList::fromPath(candidate);
        } else if (info_.flags & BIF_VALIDATE) {
            const int keepOpen = info_.narrowValidation
                                     ? notify(BFFM_VALIDATEFAILEDA, {std::nullopt, {}, typed.toLocal8Bit()})
                                     : notify(BFFM_VALIDATEFAILEDW, {std::nullopt, typed, {}});
            if (keepOpen != 0) return;
        }
    }
    if (!chosen) return;
    result_ = chosen;
    if (info_.displayName != nullptr) *info_.displayName = chosen->displayName();
    accept();
}

void FolderBrowserDialog::pressCancel() {
    result_.reset();
    reject();
}

std::optional<ItemIdList> FolderBrowserDialog::selectedItem() const {
    const QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr) return std::nullopt;
    return itemOf(node);
}

bool FolderBrowserDialog::okEnabled() const {
    return okButton_->isEnabled();
}
QString FolderBrowserDialog::okCaption() const {
    return okButton_->text();
}
QString FolderBrowserDialog::prompt() const {
    return promptLabel_->text();
}
bool FolderBrowserDialog::hasEditBox() const {
    return editBox_ != nullptr;
}
QString FolderBrowserDialog::editBoxText() const {
    return editBox_ != nullptr ? editBox_->text() : QString();
}

QStringList FolderBrowserDialog::childNames(const ItemIdList& item) {
    QStringList names;
    QTreeWidgetItem* node = findNode(item);
    if (node == nullptr) return names;
    fillChildren(node);
    for (int i = 0; i < node->childCount(); ++i) names << node->child(i)->text(0);
    return names;
}

FolderBrowserDriver& folderBrowserDriver() {
    static FolderBrowserDriver current;
    return current;
}

std::optional<ItemIdList> browseForFolder(const BrowseInfo& info) {
    FolderBrowserDialog dialog(info);
    dialog.show();
    dialog.notify(BFFM_INITIALIZED, {});
    if (folderBrowserDriver()) {
        QTimer::singleShot(0, &dialog, [&dialog] {
            folderBrowserDriver()(dialog);
            // A driver that leaves the dialog open would wait for a person: cancel instead.
            if (dialog.isVisible()) dialog.pressCancel();
        });
    }
    dialog.exec();
    return dialog.result();
}

}  // namespace shell
