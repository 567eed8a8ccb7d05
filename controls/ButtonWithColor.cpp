#include "ButtonWithColor.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <array>
#include <optional>

#include "platform/resources/ResourceTable.h"

using namespace gdi;

namespace {

struct KindValues {
    bool isDefault;
    bool isCancel;
    int modalResult;
    const char* glyphResource;
    const char* caption;
};

// Indexed by TColorButtonKind; bkCustom has no values of its own.
constexpr std::array<KindValues, 11> kKinds{{
    {false, false, 0, "", ""},
    {true, false, 1, "BBCOK", "OK"},
    {false, true, 2, "BBCCANCEL", "Cancel"},
    {false, false, 0, "BBCHELP", "Help"},
    {true, false, 6, "BBCYES", "&Yes"},
    {false, true, 7, "BBCNO", "&No"},
    {false, false, 0, "BBCCLOSE", "Close"},
    {false, false, 3, "BBCABORT", "Abort"},
    {false, false, 4, "BBCRETRY", "&Retry"},
    {false, false, 5, "BBCIGNORE", "&Ignore"},
    {false, false, 8, "BBCALL", "&All"},
}};

std::function<void(int)>& helpViewerSlot() {
    static std::function<void(int)> viewer;
    return viewer;
}

const char* const kHelpContextProperty = "HelpContext";

}  // namespace

const Bitmap& KindGlyph(TColorButtonKind kind) {
    static std::array<std::optional<Bitmap>, 11> kindGlyphs;
    std::optional<Bitmap>& glyph = kindGlyphs[kind];
    if (!glyph) {
        glyph = kind == bkCustom
                    ? Bitmap()
                    : resources::loadBitmapResource(QString::fromLatin1(kKinds[kind].glyphResource));
    }
    return *glyph;
}

QString KindCaption(TColorButtonKind kind) {
    return QString::fromLatin1(kKinds[kind].caption);
}

TColorButton::TColorButton(QWidget* owner) : QPushButton(owner) {
    // Enter and Escape are handled here, so that they behave alike in every kind of window.
    setAutoDefault(false);
    GlyphRenderer.OnChange = [this](TButtonGlyph*) { repaintNow(); };
    connect(this, &QAbstractButton::clicked, this, [this] { click_(); });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this] { updateShowActive(); });
    setFont(font_.toQFont());
}

// The focus moves away while the widget underneath is being destroyed; by then this object is no
// TColorButton any more and must not hear of it.
TColorButton::~TColorButton() {
    disconnect(focusWatch_);
}

void TColorButton::repaintNow() {
    if (isVisible()) repaint();
}

void TColorButton::SetColor(ColorRef color) {
    if (color == color_) return;
    color_ = color;
    // The face colour is baked into the state images: re-applying the glyph drops them.
    const Bitmap glyph = GlyphRenderer.Glyph();
    SetGlyph(&glyph);
    repaintNow();
}

void TColorButton::SetFont(const FontSpec& font) {
    font_ = font;
    setFont(font.toQFont());
    repaintNow();
}

void TColorButton::SetDefault(bool isDefault) {
    if (isDefault == default_) return;
    default_ = isDefault;
    // Enter anywhere in the window, except on another push button, clicks the default button.
    if (default_) {
        for (const QKeySequence& keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
            auto* enter = new QShortcut(keys, this, nullptr, nullptr, Qt::WindowShortcut);
            enter->setObjectName(QStringLiteral("defaultKey"));
            connect(enter, &QShortcut::activated, this, [this] {
                auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
                if (focused != nullptr && focused != this) {
                    if (focused->isEnabled()) focused->click();
                } else if (isEnabled() && isVisible()) {
                    click();
                }
            });
        }
    } else {
        for (QShortcut* key : findChildren<QShortcut*>(QStringLiteral("defaultKey"))) delete key;
    }
    updateShowActive();
}

void TColorButton::SetCancel(bool isCancel) {
    if (isCancel == cancel_) return;
    cancel_ = isCancel;
    delete cancelKey_;
    cancelKey_ = nullptr;
    if (cancel_) {
        cancelKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WindowShortcut);
        connect(cancelKey_, &QShortcut::activated, this, [this] {
            if (isEnabled() && isVisible()) click();
        });
    }
}

void TColorButton::SetGlyph(const Bitmap* glyph) {
    GlyphRenderer.SetGlyph(glyph);
    customGlyph_ = true;
    repaintNow();
}

void TColorButton::SetNumGlyphs(int count) {
    count = std::min(count, 4);
    if (count != GlyphRenderer.NumGlyphs()) {
        GlyphRenderer.SetNumGlyphs(count);
        repaintNow();
    }
}

TColorButtonKind TColorButton::Kind() {
    if (kind_ == bkCustom) return bkCustom;
    const KindValues& values = kKinds[kind_];
    if (default_ != values.isDefault || cancel_ != values.isCancel || modalResult_ != values.modalResult ||
        customGlyph_) {
        kind_ = bkCustom;
    }
    return kind_;
}

void TColorButton::SetKind(TColorButtonKind kind) {
    if (kind == kind_) return;
    if (kind != bkCustom) {
        const KindValues& values = kKinds[kind];
        SetDefault(values.isDefault);
        SetCancel(values.isCancel);
        SetCaption(KindCaption(kind));
        SetModalResult(values.modalResult);
        GlyphRenderer.SetGlyph(&KindGlyph(kind));
        GlyphRenderer.SetNumGlyphs(2);
        customGlyph_ = false;
    }
    kind_ = kind;
    repaintNow();
}

void TColorButton::SetLayout(TButtonLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    repaintNow();
}

void TColorButton::SetMargin(int margin) {
    if (margin == margin_ || margin < -1) return;
    margin_ = margin;
    repaintNow();
}

void TColorButton::SetSpacing(int spacing) {
    if (spacing == spacing_) return;
    spacing_ = spacing;
    repaintNow();
}

void TColorButton::SetStyle(TButtonStyle style) {
    if (style == style_) return;
    style_ = style;
    repaintNow();
}

int TColorButton::HelpContext() const {
    return property(kHelpContextProperty).toInt();
}
void TColorButton::SetHelpContext(int context) {
    setProperty(kHelpContextProperty, context);
}
TColorButton::HelpViewer& TColorButton::helpViewer() {
    return helpViewerSlot();
}

void TColorButton::click_() {
    if (kind_ == bkHelp) {
        for (QWidget* widget = this; widget != nullptr; widget = widget->parentWidget()) {
            const int context = widget->property(kHelpContextProperty).toInt();
            if (context != 0) {
                if (helpViewer()) helpViewer()(context);
                return;
            }
        }
    } else if (kind_ == bkClose) {
        if (QWidget* form = window(); form != this) {
            form->close();
            return;
        }
    }
    // The general click: the form's modal result, then OnClick; a modal form with a result closes.
    auto* dialog = qobject_cast<QDialog*>(window());
    if (dialog != nullptr) dialog->setResult(modalResult_);
    if (OnClick) OnClick(this);
    if (dialog != nullptr && dialog->result() != 0 && dialog->isModal() && dialog->isVisible()) {
        dialog->done(dialog->result());
    }
}

void TColorButton::updateShowActive() {
    const QWidget* focused = QApplication::focusWidget();
    const bool focusInWindow = focused != nullptr && focused->window() == window();
    const bool active =
        hasFocus() || (default_ && (!focusInWindow || qobject_cast<const QPushButton*>(focused) == nullptr));
    if (active == showActive_) return;
    showActive_ = active;
    repaintNow();
}

void TColorButton::keyPressEvent(QKeyEvent* event) {
    // Enter clicks the focused push button, as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TColorButton::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    // The image of the state the button first shows in is ready before its first paint.
    GlyphRenderer.PrepareImage(isEnabled() ? gsUp : gsDisabled, color_);
}

void TColorButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}

Bitmap TColorButton::renderFace() {
    Bitmap face = Bitmap::color(width(), height());
    DeviceContext canvas(face, {0, 0});
    const Rect client{0, 0, width(), height()};
    Rect r = client;
    const bool pressed = isDown();
    const bool focused = hasFocus();
    const TGlyphState state = !isEnabled() ? gsDisabled : pressed ? gsDown : gsUp;

    if (showActive_ || focused) {
        canvas.setPen({PS_SOLID, 1, clWindowFrame});
        canvas.setBrush({BS_NULL, clWhite});
        canvas.rectangle(r);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    if (pressed) {
        canvas.setPen({PS_SOLID, 1, clBtnShadow});
        canvas.setBrush({BS_SOLID, color_});
        canvas.rectangle(r);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    } else {
        canvas.drawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        canvas.setPen({PS_SOLID, 1, color_});
        canvas.setBrush({BS_SOLID, color_});
        canvas.rectangle(r);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    if (showActive_) r = {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
    canvas.setFont(font_);
    if (pressed) r = r.offset(1, 1);
    GlyphRenderer.DrawFace(canvas, r, text(), layout_, margin_, spacing_, state, color_);
    if (showActive_) {
        const Rect focusRect{client.left + 4, client.top + 4, client.right - 4, client.bottom - 4};
        canvas.drawFocusRect(focusRect);
    }
    return face;
}

void TColorButton::paintEvent(QPaintEvent*) {
    const Bitmap face = renderFace();
    QPainter painter(this);
    painter.drawImage(0, 0, face.toImage());
}
