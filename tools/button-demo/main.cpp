// A demo window of flat buttons in every style, over a plain face and over the display picture,
// for looking at them by eye:  quillon-button-demo [--screenshot FILE.png]

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <memory>
#include <vector>

#include "controls/OutlookBtn.h"
#include "platform/gdi/Font.h"
#include "platform/resources/ResourceTable.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gdi::registerApplicationFonts();

    windowless::WindowlessHost host;
    host.setWindowTitle(QStringLiteral("Flat buttons"));
    host.resize(470, 230);
    host.setBackgroundColor(gdi::clSilver);

    std::vector<std::unique_ptr<windowless::WindowlessControl>> controls;
    auto picture = std::make_unique<windowless::PictureControl>(&host);
    picture->setBounds(10, 10, 450, 59);
    picture->setPicture(resources::loadBitmapResource(QStringLiteral("panel")));
    controls.push_back(std::move(picture));

    auto label = [&](const QString& text, int x, int y, int w, int h, gdi::FontSpec font) {
        auto button = std::make_unique<TOutlookBtn>(&host);
        button->setStyle(bsNone);
        button->setBounds(x, y, w, h);
        button->setFont(font);
        button->setCaption(text);
        controls.push_back(std::move(button));
    };
    label(QStringLiteral("Song name in bold italic"), 13, 15, 230, 17,
          {QStringLiteral("Tahoma"), 12, true, true, false, false, gdi::clCream});
    label(QStringLiteral("Play Time:"), 18, 49, 50, 14,
          {QStringLiteral("MS Sans Serif"), 11, false, false, false, false, gdi::clGray});
    label(QStringLiteral("01:23.4"), 78, 35, 105, 30,
          {QStringLiteral("MS Sans Serif"), 27, true, false, false, false, gdi::clCream});

    auto imageButton = [&](const QString& bitmap, int x, int y, int w, int h, BStyle style,
                           const QString& hint) {
        auto button = std::make_unique<TOutlookBtn>(&host);
        button->setStyle(style);
        button->setBounds(x, y, w, h);
        button->setBitmap(resources::loadBitmapResource(bitmap));
        button->setHint(hint);
        button->setShowHint(true);
        TOutlookBtn* raw = button.get();
        controls.push_back(std::move(button));
        return raw;
    };
    imageButton(QStringLiteral("Stop_active"), 16, 80, 25, 25, bsMSOffice, QStringLiteral("Stop"));
    imageButton(QStringLiteral("pause_active"), 45, 80, 25, 25, bsMSOffice, QStringLiteral("Pause"));
    imageButton(QStringLiteral("play"), 74, 80, 25, 25, bsMSOffice, QStringLiteral("Play (dim)"));
    imageButton(QStringLiteral("add_active"), 103, 80, 217, 25, bsMSOffice, QStringLiteral("Add Line"));
    imageButton(QStringLiteral("addblank"), 325, 80, 132, 25, bsMSOffice,
                QStringLiteral("Add Blank Line (dim)"));
    imageButton(QStringLiteral("exit"), 16, 115, 30, 30, bsMSOffice, QStringLiteral("Exit"));
    imageButton(QStringLiteral("settings"), 51, 115, 30, 30, bsMSOffice, QStringLiteral("Settings"));
    imageButton(QStringLiteral("save_active"), 86, 115, 30, 30, bsMSOffice, QStringLiteral("Save"));
    imageButton(QStringLiteral("open"), 121, 115, 30, 30, bsMSOffice, QStringLiteral("Open"));

    // Styles side by side: raised bsNormal, hovered bsOutlook, a checked caption.
    auto normal =
        imageButton(QStringLiteral("play_active"), 170, 115, 70, 50, bsNormal, QStringLiteral("bsNormal"));
    normal->setCaption(QStringLiteral("Normal"));
    auto outlook =
        imageButton(QStringLiteral("save_active"), 250, 115, 70, 50, bsOutlook, QStringLiteral("bsOutlook"));
    outlook->setCaption(QStringLiteral("Outlook"));
    outlook->mouseEnter();
    auto checked = std::make_unique<TOutlookBtn>(&host);
    checked->setStyle(bsNone);
    checked->setBounds(330, 125, 120, 20);
    checked->setCaption(QStringLiteral("Checked caption"));
    checked->setChecked(true);
    controls.push_back(std::move(checked));
    auto pressed =
        imageButton(QStringLiteral("Stop_active"), 170, 175, 25, 25, bsMSOffice, QStringLiteral("pressed"));
    pressed->mouseEnter();
    pressed->mouseDown(windowless::MouseButton::mbLeft, 0, 3, 3, false);
    auto hovered =
        imageButton(QStringLiteral("play_active"), 200, 175, 25, 25, bsMSOffice, QStringLiteral("hovered"));
    hovered->mouseEnter();

    host.show();
    const QStringList arguments = app.arguments();
    const int screenshotAt = static_cast<int>(arguments.indexOf(QStringLiteral("--screenshot")));
    if (screenshotAt >= 0 && screenshotAt + 1 < arguments.size()) {
        const QString file = arguments[screenshotAt + 1];
        QTimer::singleShot(300, [&host, file] {
            host.grab().save(file);
            QApplication::quit();
        });
    }
    const int result = app.exec();
    controls.clear();
    return result;
}
