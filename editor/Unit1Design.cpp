// The design of the main window: every control with its place, size, anchors, font, colours,
// caption, hint and initial state, and the binding of the handlers.

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QUndoStack>

#include "SongState.h"
#include "Unit1.h"
#include "UsageText.h"
#include "WaveformLane.h"
#include "platform/resources/ResourceTable.h"
#include "platform/widgets/Anchors.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"

namespace {

// Gives every row of a list the same fixed height.
class FixedRowHeight : public QStyledItemDelegate {
public:
    FixedRowHeight(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

QFont pixelFont(const QString& family, int pixels, bool bold = false, bool italic = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

gdi::FontSpec labelFont(const QString& family, int pixels, bool bold, bool italic, gdi::ColorRef colour) {
    gdi::FontSpec font;
    font.name = family;
    font.pixelHeight = pixels;
    font.bold = bold;
    font.italic = italic;
    font.color = colour;
    return font;
}

}  // namespace

void TForm1::createControls() {
    setWindowTitle(QStringLiteral("Quillon"));
    const gdi::Bitmap icon = resources::loadBitmapResource(QStringLiteral("MAINICON"));
    if (!icon.isEmpty()) setWindowIcon(QIcon(QPixmap::fromImage(icon.toImage())));
    setFont(pixelFont(QStringLiteral("Tahoma"), 11));
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);

    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setAutoFillBackground(true);
    setCentralWidget(ClientArea);
    createMenu();

    // The width is fixed; the height may grow from the design minimum.
    setFixedWidth(kDesignClientWidth);
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumHeight(kMinimumClientHeight + menuHeight);
    resize(kDesignClientWidth, kDesignClientHeight + menuHeight);
    ClientArea->resize(kDesignClientWidth, kDesignClientHeight);

    Memo1 = new QPlainTextEdit(ClientArea);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 4, 453, 139);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(usageText());
    // Tab leaves the box, as in the classic text box; the lyrics need no tab characters.
    Memo1->setTabChangesFocus(true);
    // The window's Edit menu undoes the lyrics, typed or tagged, from one history.
    Memo1->setUndoRedoEnabled(false);

    ListBox1 = new QListWidget(ClientArea);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 4, 121, 133);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new FixedRowHeight(13, ListBox1));
    ListBox1->hide();

    GroupBox2 = new QGroupBox(QStringLiteral(" Lyrics "), ClientArea);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 147, 454, 41);
    setTextColour(GroupBox2, QColor(128, 128, 128));
    PreView = new QLabel(GroupBox2);
    PreView->setObjectName(QStringLiteral("PreView"));
    PreView->setGeometry(8, 18, 438, 14);
    PreView->setFont(pixelFont(QStringLiteral("Tahoma"), 12, true));
    setTextColour(PreView, QColor(0, 128, 128));
    createLane();

    GroupBox1 = new QGroupBox(ClientArea);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 184, 454, 156);
    setTextColour(GroupBox1, QColor(0, 0, 255));
    createPlayerPanel();

    anchors_ = new widgets::Anchors(ClientArea, QSize(kDesignClientWidth, kDesignClientHeight));
    anchors_->anchor(Memo1, widgets::akLeft | widgets::akTop | widgets::akBottom);
    anchors_->anchor(GroupBox2, widgets::akLeft | widgets::akBottom);
    anchors_->anchor(GroupBox1, widgets::akLeft | widgets::akBottom);
    anchors_->OnResize = [this] { FormResize(); };

    Timer1 = new widgets::IntervalTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new widgets::IntervalTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    OutputWatch = new widgets::IntervalTimer(this);
    OutputWatch->setObjectName(QStringLiteral("OutputWatch"));

    OpenDialog1.Filter = QStringLiteral(
        "All supported|*.wav;*.mp1;*.mp2;*.mp3;*.ogg|Wave|*.wav|MP1|*.mp1|MP2|*.mp2|MP3|*.mp3|OGG|*.ogg|"
        "Tracker modules|*.mo3;*.it;*.xm;*.s3m;*.mtm;*.mod;*.umx|All|*.*");
    // Asked only when lyrics are saved before any song is open.
    SaveDialog1.Filter = QStringLiteral("Lyrics files|*.lrc");
}

void TForm1::createPlayerPanel() {
    // The windowless controls and the windowed ones of the panel share its coordinates; the
    // windowed ones are children of the host and so lie above the flat buttons.
    PlayerPanel = new windowless::WindowlessHost(GroupBox1);
    PlayerPanel->setObjectName(QStringLiteral("PlayerPanel"));
    PlayerPanel->setGeometry(0, 0, 454, 156);

    Image1 = std::make_unique<windowless::PictureControl>(PlayerPanel);
    Image1->setBounds(2, 7, 450, 59);
    Image1->setPicture(resources::loadBitmapResource(QStringLiteral("PANEL")));

    auto label = [this](const QString& caption, int left, int top, int width, int height,
                        const gdi::FontSpec& font) {
        auto button = std::make_unique<TOutlookBtn>(PlayerPanel);
        button->setStyle(bsNone);
        button->setBounds(left, top, width, height);
        button->setFont(font);
        button->setCaption(caption);
        return button;
    };
    const QString tahoma = QStringLiteral("Tahoma");
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    SongName = label(kNoSongCaption, 3, 12, 230, 17, labelFont(tahoma, 12, true, true, gdi::clCream));
    SongName->setPaintLimit(Image1->boundsRect());
    LabelPlayTime = label(QStringLiteral("Play Time:"), 8, 46, 50, 14,
                          labelFont(sansSerif, 11, false, false, gdi::clGray));
    PlayTime = label(QStringLiteral("00:00.0"), 68, 32, 105, 30,
                     labelFont(sansSerif, 27, true, false, gdi::clCream));
    PlayTimeMS = label(QStringLiteral("1234567890"), 182, 35, 50, 14,
                       labelFont(tahoma, 9, false, false, gdi::clCream));
    PlayTimeMSTotal = label(QStringLiteral("1234567890"), 182, 46, 50, 14,
                            labelFont(tahoma, 9, false, false, gdi::clCream));
    // Where nothing else writes: shown for as long as the sound goes nowhere.
    SilentOutputNote =
        label(QString(), 244, 46, 204, 14, labelFont(tahoma, 9, true, false, gdi::rgb(255, 176, 64)));
    SilentOutputNote->setPaintLimit(Image1->boundsRect());
    SpeedNote = label(QString(), 244, 32, 204, 14, labelFont(tahoma, 9, true, false, gdi::clCream));
    SpeedNote->setPaintLimit(Image1->boundsRect());

    GetLength1 = new QLabel(PlayerPanel);
    GetLength1->setObjectName(QStringLiteral("GetLength1"));
    GetLength1->move(244, 14);
    GetLength1->setFont(pixelFont(tahoma, 12, true, true));
    GetLength1->hide();
    GetLength2 = new QLabel(PlayerPanel);
    GetLength2->setObjectName(QStringLiteral("GetLength2"));
    GetLength2->move(244, 48);
    GetLength2->setFont(pixelFont(tahoma, 9));
    GetLength2->hide();

    auto imageButton = [this](const QString& image, int left, int top, int width, int height,
                              const QString& accessibleName) {
        auto button = std::make_unique<TOutlookBtn>(PlayerPanel);
        button->setStyle(bsMSOffice);
        button->setBounds(left, top, width, height);
        button->setBitmap(resources::loadBitmapResource(image));
        button->setAccessibleName(accessibleName);
        return button;
    };
    StopBtn = imageButton(QStringLiteral("stop"), 6, 70, 25, 25, QStringLiteral("Stop"));
    PauseBtn = imageButton(QStringLiteral("pause"), 35, 70, 25, 25, QStringLiteral("Pause"));
    PlayBtn = imageButton(QStringLiteral("play"), 64, 70, 25, 25, QStringLiteral("Play"));
    AddBtn = imageButton(QStringLiteral("add"), 93, 70, 217, 25, QStringLiteral("Add Line"));
    AddBlankBtn = imageButton(QStringLiteral("addblank"), 315, 70, 132, 25, QStringLiteral("Add Blank Line"));
    // The hints name the keys that run the same handlers.
    for (auto [button, hint] :
         {std::pair{StopBtn.get(), "Stop  (Ctrl+.)"}, std::pair{PauseBtn.get(), "Pause  (Ctrl+P)"},
          std::pair{PlayBtn.get(), "Play  (Ctrl+P)"}, std::pair{AddBtn.get(), "Add Line  (Space)"},
          std::pair{AddBlankBtn.get(), "Add Blank Line  (Shift+Space)"}}) {
        button->setHint(QString::fromLatin1(hint));
        button->setShowHint(true);
    }

    ScrollBarPos = new widgets::ScrollBar(PlayerPanel);
    ScrollBarPos->setObjectName(QStringLiteral("ScrollBarPos"));
    ScrollBarPos->setGeometry(7, 100, 439, 12);
    ScrollBarPos->setRange(0, 100);
    // A click on the track moves by one second, the classic bar's large change; the thumb stays
    // as small as the style allows.
    ScrollBarPos->setPageStep(1);
    ScrollBarPos->setEnabled(false);

    auto hinted = [&imageButton](const QString& image, int left, const QString& hint) {
        auto button = imageButton(image, left, 120, 30, 30, hint);
        button->setHint(hint);
        button->setShowHint(true);
        return button;
    };
    ExitBtn = hinted(QStringLiteral("exit"), 6, QStringLiteral("Exit"));
    WebBtn = hinted(QStringLiteral("settings"), 41, QStringLiteral("Settings"));
    SaveBtn = hinted(QStringLiteral("save"), 76, QStringLiteral("Save lyrics file  [*.lrc]"));
    OpenBtn = hinted(QStringLiteral("open"), 111, QStringLiteral("Open mp3 file"));

    ScrollBarVol = new widgets::ScrollBar(PlayerPanel);
    ScrollBarVol->setObjectName(QStringLiteral("ScrollBarVol"));
    ScrollBarVol->setGeometry(305, 120, 146, 12);
    ScrollBarVol->setRange(0, 100);
    ScrollBarVol->setValue(100);

    auto meter = [this](const QString& name, int top) {
        auto* bar = new QProgressBar(PlayerPanel);
        bar->setObjectName(name);
        bar->setGeometry(304, top, 147, 9);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        return bar;
    };
    ProgressBar2 = meter(QStringLiteral("ProgressBar2"), 136);
    ProgressBar1 = meter(QStringLiteral("ProgressBar1"), 145);

    DoLyricsText = new QPushButton(QStringLiteral("DoLyricsText"), PlayerPanel);
    DoLyricsText->setObjectName(QStringLiteral("DoLyricsText"));
    DoLyricsText->setGeometry(200, 120, 83, 17);
    DoLyricsText->hide();
}

void TForm1::createMenu() {
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    OpenMP3file1 = File1->addAction(QStringLiteral("Open MP3 file..."));
    OpenMP3file1->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    Savelyricfile1 = File1->addAction(QStringLiteral("Save lyric file"));
    Savelyricfile1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    Savelyricfile1->setEnabled(false);
    InsertSongTags1 = File1->addAction(QStringLiteral("Insert song tags"));
    Settings1 = File1->addAction(QStringLiteral("Settings..."));
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("Exit"));
    Exit1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    Edit1 = menuBar()->addMenu(QStringLiteral("Edit"));
    Undo1 = State.history().createUndoAction(this, QStringLiteral("Undo"));
    Undo1->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Z"))});
    Redo1 = State.history().createRedoAction(this, QStringLiteral("Redo"));
    Redo1->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    Edit1->addAction(Undo1);
    Edit1->addAction(Redo1);
    Edit1->addSeparator();
    ShiftAllTags1 = Edit1->addAction(QStringLiteral("&Shift All Tags..."));
    ApplyOffset1 = Edit1->addAction(QStringLiteral("Apply &Offset"));
    createViewMenu();
    createPlayMenu();
    Help1 = menuBar()->addMenu(QStringLiteral("Help"));
    About1 = Help1->addAction(QStringLiteral("About..."));
    // The menus in the window's font.
    for (QWidget* menu :
         {static_cast<QWidget*>(menuBar()), static_cast<QWidget*>(File1), static_cast<QWidget*>(Edit1),
          static_cast<QWidget*>(View1), static_cast<QWidget*>(Play1), static_cast<QWidget*>(Help1)}) {
        menu->setFont(font());
    }
    // Alt+F, Alt+E, Alt+V, Alt+P and Alt+H open the menus; their titles stay as they are.
    for (auto [keys, menu] : {std::pair{Qt::ALT | Qt::Key_F, File1}, std::pair{Qt::ALT | Qt::Key_E, Edit1},
                              std::pair{Qt::ALT | Qt::Key_V, View1}, std::pair{Qt::ALT | Qt::Key_P, Play1},
                              std::pair{Qt::ALT | Qt::Key_H, Help1}}) {
        auto* opener = new QShortcut(QKeySequence(keys), this);
        connect(opener, &QShortcut::activated, this,
                [this, menu = menu] { menuBar()->setActiveAction(menu->menuAction()); });
    }
}

void TForm1::bindHandlers() {
    // Every handler is bound through one wrapper, so what it throws is shown in the default error
    // dialog right here rather than unwinding through the toolkit.
    using widgets::reportingFailures;
    const auto onTriggered = [this](QAction* action, std::function<void()> handler) {
        connect(action, &QAction::triggered, this, reportingFailures(std::move(handler)));
    };
    onTriggered(OpenMP3file1, [this] { OpenBtnClick(); });
    onTriggered(Savelyricfile1, [this] { SaveBtnClick(); });
    onTriggered(Settings1, [this] { WebBtnClick(); });
    onTriggered(Exit1, [this] { ExitBtnClick(); });
    onTriggered(About1, [this] { About1Click(); });

    const auto onClick = [](TOutlookBtn& button, std::function<void()> handler) {
        button.OnClick = [run = reportingFailures(std::move(handler))](windowless::WindowlessControl*) {
            run();
        };
    };
    onClick(*ExitBtn, [this] { ExitBtnClick(); });
    onClick(*WebBtn, [this] { WebBtnClick(); });
    onClick(*SaveBtn, [this] { SaveBtnClick(); });
    onClick(*OpenBtn, [this] { OpenBtnClick(); });
    onClick(*PlayBtn, [this] { PlayBtnClick(); });
    onClick(*PauseBtn, [this] { PauseBtnClick(); });
    onClick(*StopBtn, [this] { StopBtnClick(); });
    onClick(*AddBtn, [this] { AddBtnClick(); });
    onClick(*AddBlankBtn, [this] { OutlookBtn2Click(); });

    ScrollBarPos->OnScroll = reportingFailures([this] { ScrollBarPosScroll(); });
    ScrollBarPos->OnChange = reportingFailures([this] { ScrollBarPosChange(); });
    ScrollBarPos->OnMouseLeave = reportingFailures([this] { ScrollBarPosMouseLeave(); });
    ScrollBarVol->OnChange = reportingFailures([this] { ScrollBarVolChange(); });
    Timer1->OnTimer = reportingFailures([this] { Timer1Timer(); });
    Timer2->OnTimer = reportingFailures([this] { Timer2Timer(); });
    OutputWatch->OnTimer = reportingFailures([this] { showOutputState(); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, reportingFailures([this] { Memo1Change(); }));
    connect(DoLyricsText, &QPushButton::clicked, this, reportingFailures([this] { DoLyricsTextClick(); }));
    ClientArea->installEventFilter(this);
    setAcceptDrops(true);
    Memo1->viewport()->installEventFilter(this);
    Memo1->installEventFilter(this);
    ListBox1->viewport()->installEventFilter(this);
    createKeyboardShortcuts();
    bindMendingHandlers();
    bindWordHandlers();
    bindLaneHandlers();
}
