#pragma once
// TColorButton: a push button whose face is painted in a colour of its own, with an optional glyph
// beside the caption and the predefined kinds (OK, Cancel, Help, Yes, No, Close, Abort, Retry,
// Ignore, All). Focus, keyboard, mnemonics and the default and cancel roles are the push button's
// own; the face is drawn through the raster layer.

#include <QPushButton>
#include <functional>

#include "ButtonGlyph.h"
#include "platform/gdi/ColorRef.h"
#include "platform/gdi/Font.h"
#include "platform/system/ScopedHook.h"

enum TColorButtonKind : unsigned char {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll,
};

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

class TColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit TColorButton(QWidget* owner = nullptr);
    ~TColorButton() override;

    gdi::ColorRef Color() const { return color_; }
    void SetColor(gdi::ColorRef color);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    const gdi::FontSpec& Font() const { return font_; }
    void SetFont(const gdi::FontSpec& font);

    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool isCancel);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    const gdi::Bitmap& Glyph() const { return GlyphRenderer.Glyph(); }
    void SetGlyph(const gdi::Bitmap* glyph);
    TNumGlyphs NumGlyphs() const { return GlyphRenderer.NumGlyphs(); }
    void SetNumGlyphs(int count);

    // Reads bkCustom once a kind's default, cancel, modal result or glyph was changed after it.
    TColorButtonKind Kind();
    void SetKind(TColorButtonKind kind);

    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return margin_; }
    // Values below -1 are ignored.
    void SetMargin(int margin);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle style);

    // The help context searched for by a bkHelp button, itself first, then its parents (as the
    // property "HelpContext" of any widget).
    int HelpContext() const;
    void SetHelpContext(int context);
    // How the program shows help for a context; empty by default, and tests observe it.
    using HelpViewer = std::function<void(int context)>;
    static HelpViewer& helpViewer();
    class ScopedHelpViewer : ScopedHook<HelpViewer> {
    public:
        explicit ScopedHelpViewer(HelpViewer viewer) : ScopedHook(helpViewer(), std::move(viewer)) {}
    };

    // Shows itself as the active push button: dark outline and focus rectangle.
    bool ShowActive() const { return showActive_; }

    std::function<void(TColorButton* sender)> OnClick;

    // The face as painted now, for tests and the demo.
    gdi::Bitmap renderFace();

    // The glyph renderer; its images are built on first paint in each state.
    TButtonGlyph GlyphRenderer;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void click_();
    void updateShowActive();
    void repaintNow();

    gdi::ColorRef color_ = gdi::clBtnFace;
    gdi::FontSpec font_;
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
    bool customGlyph_ = false;
    TColorButtonKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    TButtonStyle style_ = bsAutoDetect;
    bool showActive_ = false;
    class QShortcut* cancelKey_ = nullptr;
    QMetaObject::Connection focusWatch_;
};

// The glyph strip of a kind, loaded from the program's resources on first use and kept for the run.
const gdi::Bitmap& KindGlyph(TColorButtonKind kind);
// The kind's caption ("OK", "&Yes", ...).
QString KindCaption(TColorButtonKind kind);
