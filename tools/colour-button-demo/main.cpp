// A demo window of colour buttons: every kind enabled, disabled and pressed, a focused one, and the
// settings dialog's grey buttons, for looking at them by eye:  quillon-colour-button-demo

#include <QApplication>
#include <QDialog>
#include <QLabel>

#include "controls/ButtonWithColor.h"
#include "platform/gdi/Font.h"
#include "platform/resources/ResourceTable.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gdi::registerApplicationFonts();

    QDialog window;
    window.setWindowTitle(QStringLiteral("Colour buttons"));
    window.resize(350, 400);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    window.setFont(tahoma);

    const gdi::FontSpec font{QStringLiteral("Tahoma"), 11, false, false, false, false, gdi::clBtnText};
    const char* columns[] = {"enabled", "disabled", "pressed"};
    for (int column = 0; column < 3; ++column) {
        auto* heading = new QLabel(QString::fromLatin1(columns[column]), &window);
        heading->move(10 + column * 110, 5);
    }
    TColorButton* focused = nullptr;
    for (int kind = bkOK; kind <= bkAll; ++kind) {
        for (int column = 0; column < 3; ++column) {
            auto* button = new TColorButton(&window);
            button->setGeometry(10 + column * 110, 22 + (kind - 1) * 30, 100, 26);
            button->SetFont(font);
            button->SetKind(static_cast<TColorButtonKind>(kind));
            button->setEnabled(column != 1);
            button->setDown(column == 2);
            if (kind == bkRetry && column == 0) focused = button;
        }
    }
    // The settings dialog's look: grey face, cream Tahoma 8 pt, the OK and Cancel glyphs.
    const gdi::FontSpec cream{QStringLiteral("Tahoma"),
                              gdi::FontSpec::pixelsForPoints(8),
                              false,
                              false,
                              false,
                              false,
                              gdi::clCream};
    const gdi::Bitmap okGlyph = resources::loadBitmapResource(QStringLiteral("OKGLYPH"));
    const gdi::Bitmap cancelGlyph = resources::loadBitmapResource(QStringLiteral("CANCELGLYPH"));
    struct Grey {
        const char* caption;
        const gdi::Bitmap* glyph;
        int glyphs;
        bool enabled;
    };
    const Grey greys[] = {{"    OK", &okGlyph, 1, true},
                          {"     Cancel", &cancelGlyph, 2, true},
                          {"     Cancel", &cancelGlyph, 2, false}};
    for (int i = 0; i < 3; ++i) {
        auto* button = new TColorButton(&window);
        button->setGeometry(10 + i * 110, 330, 100, 26);
        button->SetColor(gdi::clGray);
        button->SetFont(cream);
        button->SetCaption(QString::fromLatin1(greys[i].caption));
        button->SetGlyph(greys[i].glyph);
        button->SetNumGlyphs(greys[i].glyphs);
        button->setEnabled(greys[i].enabled);
    }
    auto* dots = new TColorButton(&window);
    dots->setGeometry(10, 362, 30, 22);
    dots->SetColor(gdi::clGray);
    dots->SetFont(cream);
    dots->SetCaption(QStringLiteral(". . ."));
    dots->setEnabled(false);

    window.show();
    if (focused != nullptr) focused->setFocus();
    return app.exec();
}
