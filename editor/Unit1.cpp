// The main window's handlers: start-up, resizing, closing and the change record of the lyrics.

#include "Unit1.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QUrl>

#include "SongState.h"
#include "WaveformLane.h"
#include "WindowPlacement.h"
#include "audio/PeakScan.h"
#include "dialogs/Donation.h"
#include "dialogs/Settings.h"
#include "dialogs/Ueber.h"
#include "platform/resources/ResourceTable.h"
#include "platform/system/Random.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/PressMoments.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"
#include "settings/LiveSettings.h"
#include "settings/SettingsCatalogue.h"
#include "settings/Utility.h"

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    BassdllPlayer1 = new TBassdllPlayer(this);
    // The design values, each through its setter, in the order the form records them.
    BassdllPlayer1->SetPosition(0);
    BassdllPlayer1->SetVolume(100);
    BassdllPlayer1->SetPlaybackSpeed(100);
    BassdllPlayer1->SetBalance(0);
    BassdllPlayer1->SetRotate(false);
    BassdllPlayer1->SetEcho(false);
    BassdllPlayer1->SetFlanger(false);
    BassdllPlayer1->SetFadeOut(false);
    BassdllPlayer1->SetFadeOutTime(10);
    pressMoments_ = new widgets::PressMoments(this);
    createControls();
    bindHandlers();
    Timer2->setInterval(kMeterTickMs);
    OutputWatch->setInterval(500);
    FormCreate();
}

// The flat buttons go before the host widget that Qt deletes with the window.
TForm1::~TForm1() = default;

void TForm1::loadButtonImage(TOutlookBtn& button, const QString& resourceName) {
    button.setBitmap(resources::loadBitmapResource(resourceName));
}

bool TForm1::SongLoaded() const {
    return songIsLoaded(SongName->caption());
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // The menu bar's height is known only once the window is laid out: give the client area
        // its design height.
        const int menuHeight = height() - ClientArea->height();
        setMinimumHeight(kMinimumClientHeight + menuHeight);
        if (ClientArea->height() != kDesignClientHeight) resize(width(), kDesignClientHeight + menuHeight);
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool CanClose = true;
    // A close whose save fails is refused: the failure is shown and the window stays open.
    bool completed = false;
    widgets::runReportingFailures([&] {
        FormCloseQuery(CanClose);
        completed = true;
    });
    if (!completed) CanClose = false;
    if (CanClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

namespace {
// The first local file a drag carries, or empty.
QString droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return QString();
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return QString();
}
}  // namespace

bool TForm1::acceptFileDrag(QDropEvent* event) {
    if (droppedFile(event->mimeData()).isEmpty()) return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

bool TForm1::takeFileDrop(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    widgets::runReportingFailures([this, path] { openDroppedFile(path); });
    return true;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!acceptFileDrag(event)) QMainWindow::dragEnterEvent(event);
}

void TForm1::dropEvent(QDropEvent* event) {
    if (!takeFileDrop(event)) QMainWindow::dropEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A file dropped on the text box or the list opens it, rather than pasting its name.
    if (watched == Memo1->viewport() || watched == ListBox1->viewport()) {
        if ((event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) &&
            acceptFileDrag(static_cast<QDropEvent*>(event))) {
            return true;
        }
        if (event->type() == QEvent::Drop && takeFileDrop(static_cast<QDropEvent*>(event))) return true;
    }
    if (watched == ClientArea && event->type() == QEvent::Paint) FormPaint();
    // Undo and redo belong to the lyrics' one history, not to the text box's own.
    if (watched == Memo1 && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate() {
    desktop::Randomize();
}

void TForm1::FormShow() {
    memoText_ = Memo1->toPlainText();
    State.start();
    for (TOutlookBtn* button :
         {SaveBtn.get(), StopBtn.get(), PauseBtn.get(), PlayBtn.get(), AddBtn.get(), AddBlankBtn.get()}) {
        button->setEnabled(false);
    }
    ProgressBar1->setMaximum(0x8000);
    ProgressBar2->setMaximum(0x8000);
    loadLiveSettings();
    loadVolumeAndPlacement();
    loadPracticeSpeed();
    loadWaveformShown();
    showOutputState();
}

void TForm1::FormResize() {
    layoutLyricsArea();
}

void TForm1::FormCloseQuery(bool& CanClose) {
    askToSaveBeforeClosing(CanClose);
    storeVolumeAndPlacement();
    offerDonation();
}

void TForm1::ExitBtnClick() {
    close();
}

void TForm1::MarkLyricsChanged() {
    State.changeLyrics();
    lightSaveButton();
}

void TForm1::lightSaveButton() {
    SaveBtn->setEnabled(true);
    loadButtonImage(*SaveBtn, QStringLiteral("save_active"));
    SaveBtn->invalidate();
    Savelyricfile1->setEnabled(true);
}

void TForm1::loadLiveSettings() {
    liveSettings().load();
}

int TForm1::outerHeightExtra() const {
    // The window manager's frame is not known before it has framed the window, and differs between
    // desktops; the classic caption and border stand in for it, so a stored height always reads
    // back as the same window.
    return kCaptionAndFrameHeight;
}

void TForm1::loadVolumeAndPlacement() {
    // The bar keeps its position within its range; setting it also sets the player's volume.
    ScrollBarVol->setValue(settings::read(settings::kVolume));
    const int top = settings::read(settings::kTop);
    const int left = settings::read(settings::kLeft);
    const int height = settings::read(settings::kHeight);
    // Top and Left are the window's client-area corner on the way in and out: the window manager's
    // frame is not known before it has framed the window, and a frame position applied as a client
    // position made the window creep up by its title bar at every start.
    const QSize size(width(), std::max(minimumHeight(), height - outerHeightExtra()));
    std::vector<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
    const QPoint place = onScreenPosition(QPoint(left, top), size, screens, kCaptionAndFrameHeight);
    setGeometry(QRect(place, size));
}

void TForm1::storeVolumeAndPlacement() {
    settings::write(settings::kTop, geometry().y());
    settings::write(settings::kLeft, geometry().x());
    settings::write(settings::kHeight, height() + outerHeightExtra());
    settings::write(settings::kVolume, ScrollBarVol->value());
}

void TForm1::offerDonation() {
    // One close request in three, for everyone but the user "noname".
    if (GetCurrentUserName() == QLatin1String("noname")) return;
    if (desktop::Random(3) == 1 && FormDonation != nullptr) FormDonation->exec();
}

void TForm1::WebBtnClick() {
    if (FormSettings != nullptr) FormSettings->exec();
}

void TForm1::About1Click() {
    if (FormUeber != nullptr) FormUeber->exec();
}
