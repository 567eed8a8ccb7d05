#include "OutlookBtn.h"

#include <algorithm>

using gdi::DeviceContext;

TOutlookBtn::TOutlookBtn(windowless::WindowlessHost* owner) : windowless::WindowlessControl(owner) {
    setBounds(left(), top(), 30, 30);
    FFont.name = QStringLiteral("MS Sans Serif");
    FFont.pixelHeight = gdi::FontSpec::pixelsForPoints(8);
    FFont.color = gdi::clWindowText;
}

void TOutlookBtn::setBitmap(const gdi::Bitmap& bitmap) {
    FBitmap = bitmap;
    invalidate();
}

void TOutlookBtn::setChecked(bool checked) {
    if (checked == FChecked) return;
    FChecked = checked;
    invalidate();
}

void TOutlookBtn::setStyle(BStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    invalidate();
}

void TOutlookBtn::setCaption(const QString& caption) {
    if (caption == FCaption) return;
    FCaption = caption;
    invalidate();
}

void TOutlookBtn::setFont(const gdi::FontSpec& font) {
    if (font == FFont) return;
    FFont = font;
    invalidate();
}

void TOutlookBtn::DrawTransparentBitmap(DeviceContext& dc, gdi::Bitmap& bitmap, int x, int y,
                                        gdi::ColorRef transparentColor) {
    if (bitmap.isEmpty()) return;
    const gdi::ColorRef keyColor = transparentColor | gdi::kPaletteRelative;
    const int w = bitmap.width();
    const int h = bitmap.height();

    DeviceContext source;
    gdi::Bitmap* sourcePrevious = source.selectBitmap(&bitmap);
    DeviceContext back;
    DeviceContext object;
    DeviceContext merge;
    DeviceContext save;
    gdi::Bitmap backBitmap = gdi::Bitmap::monochrome(w, h, false);
    gdi::Bitmap objectBitmap = gdi::Bitmap::monochrome(w, h, false);
    gdi::Bitmap mergeBitmap = gdi::createCompatibleBitmap(dc, w, h);
    gdi::Bitmap saveBitmap = gdi::createCompatibleBitmap(dc, w, h);
    gdi::Bitmap* backPrevious = back.selectBitmap(&backBitmap);
    gdi::Bitmap* objectPrevious = object.selectBitmap(&objectBitmap);
    gdi::Bitmap* mergePrevious = merge.selectBitmap(&mergeBitmap);
    gdi::Bitmap* savePrevious = save.selectBitmap(&saveBitmap);
    source.setMapMode(dc.mapMode());

    save.bitBlt(0, 0, w, h, &source, 0, 0, gdi::SRCCOPY);

    // The mask: 1 where the image has the transparent colour.
    const gdi::ColorRef previousBackground = source.setBkColor(keyColor);
    object.bitBlt(0, 0, w, h, &source, 0, 0, gdi::SRCCOPY);
    source.setBkColor(previousBackground);

    back.bitBlt(0, 0, w, h, &object, 0, 0, gdi::NOTSRCCOPY);
    merge.bitBlt(0, 0, w, h, &dc, x, y, gdi::SRCCOPY);
    merge.bitBlt(0, 0, w, h, &object, 0, 0, gdi::SRCAND);  // clear the background under the image
    source.bitBlt(0, 0, w, h, &back, 0, 0, gdi::SRCAND);   // blacken the transparent pixels
    merge.bitBlt(0, 0, w, h, &source, 0, 0, gdi::SRCPAINT);
    dc.bitBlt(x, y, w, h, &merge, 0, 0, gdi::SRCCOPY);
    source.bitBlt(0, 0, w, h, &save, 0, 0, gdi::SRCCOPY);

    back.selectBitmap(backPrevious);
    object.selectBitmap(objectPrevious);
    merge.selectBitmap(mergePrevious);
    save.selectBitmap(savePrevious);
    source.selectBitmap(sourcePrevious);
}

void TOutlookBtn::paint(DeviceContext& canvas) {
    const int buttonWidth = width();
    const int buttonHeight = height();
    const bool outlookHover = MouseOver && FStyle == bsOutlook;
    if (outlookHover) canvas.fillRect({0, 0, buttonWidth, buttonHeight}, {gdi::BS_SOLID, gdi::clBtnFace});

    canvas.setFont(FFont);
    canvas.setTextColor(outlookHover ? gdi::clBtnText : FFont.color);
    const int textHeight = canvas.textExtent(QStringLiteral("W")).cy;

    if (!FBitmap.isEmpty()) {
        const int bitmapWidth = FBitmap.width();
        const int bitmapHeight = FBitmap.height();
        // Signed divisions that truncate toward zero; a bitmap larger than the button gets a
        // negative position and is clipped to the button.
        const int x = (buttonWidth - bitmapWidth) / 2;
        const int y = FCaption.isEmpty() ? (buttonHeight - bitmapHeight) / 2
                                         : (buttonHeight - bitmapHeight - textHeight) / 2;
        BitmapRect = {x, y, x + bitmapWidth, y + bitmapHeight};

        gdi::Bitmap scratch = gdi::Bitmap::color(bitmapWidth, bitmapHeight);
        {
            DeviceContext scratchContext;
            DeviceContext bitmapContext;
            gdi::Bitmap* scratchPrevious = scratchContext.selectBitmap(&scratch);
            gdi::Bitmap* bitmapPrevious = bitmapContext.selectBitmap(&FBitmap);
            // The part of the bitmap the size of the button is copied; a bitmap larger than the button is
            // copied whole, so that its clipped centre shows rather than a blank remainder.
            scratchContext.bitBlt(0, 0, std::max(buttonWidth, bitmapWidth),
                                  std::max(buttonHeight, bitmapHeight), &bitmapContext, 0, 0, gdi::SRCCOPY);
            bitmapContext.selectBitmap(bitmapPrevious);
            scratchContext.selectBitmap(scratchPrevious);
        }
        const int offset = Pressed ? 1 : 0;
        DrawTransparentBitmap(canvas, scratch, x + offset, y + offset, FBitmap.transparentColor());
    }

    if (!FCaption.isEmpty()) {
        if (FChecked) {
            canvas.setBrush({gdi::BS_SOLID, gdi::clBtnFace});
            canvas.setBkColor(gdi::clBtnFace);
            canvas.setBkMode(gdi::OPAQUE);
            canvas.setTextColor(gdi::clBtnText);
        } else {
            canvas.setBrush({gdi::BS_NULL, gdi::clBtnFace});
            canvas.setBkMode(gdi::TRANSPARENT);
        }
        gdi::Rect textRect;
        textRect.left = 0;
        textRect.right = buttonWidth;
        // A caption taller than the button gets a negative top: it is centred and clipped.
        textRect.top = FBitmap.isEmpty() ? (buttonHeight - textHeight) / 2 : BitmapRect.bottom + 3;
        textRect.bottom = textRect.top + textHeight;
        if (Pressed) {
            textRect.top += 1;
            textRect.left = 2;
        }
        // The whole caption is drawn, however long.
        // A song name such as "Rock & Roll" is shown as it is, not as an access key.
        canvas.drawText(FCaption, textRect, gdi::DT_CENTER | gdi::DT_EXPANDTABS | gdi::DT_NOPREFIX);
    }

    drawFrame(canvas);
}

void TOutlookBtn::drawFrame(DeviceContext& canvas) const {
    bool raised = false;
    bool sunken = false;
    switch (FStyle) {
        case bsNone:
            break;
        case bsNormal:
            sunken = Pressed;
            raised = !Pressed;
            break;
        case bsMSOffice:
        case bsOutlook:
            sunken = Pressed;
            raised = !Pressed && MouseOver;
            break;
    }
    if (!raised && !sunken) return;
    const gdi::ColorRef topColor = raised ? gdi::clBtnHighlight : gdi::clBtnShadow;
    const gdi::ColorRef bottomColor = raised ? gdi::clBtnShadow : gdi::clBtnHighlight;
    const int right = width() - 1;
    const int bottom = height() - 1;
    canvas.setPen({gdi::PS_SOLID, 1, topColor});
    canvas.polyline({{0, bottom}, {0, 0}, {right, 0}});
    canvas.setPen({gdi::PS_SOLID, 1, bottomColor});
    canvas.polyline({{right, 0}, {right, bottom}, {-1, bottom}});
}

void TOutlookBtn::mouseEnter() {
    MouseOver = true;
    if (showsPointer()) invalidate();
}

void TOutlookBtn::mouseLeave() {
    MouseOver = false;
    if (showsPointer()) invalidate();
}

void TOutlookBtn::mouseMove(windowless::ShiftState shift, int x, int y) {
    if (FStyle != bsNone) MouseOver = true;
    generalMouseMove(shift, x, y);
}

void TOutlookBtn::mouseDown(windowless::MouseButton button, windowless::ShiftState shift, int x, int y,
                            bool doubleClick) {
    generalMouseDown(button, shift, x, y, doubleClick);
    if (button != windowless::MouseButton::mbLeft || doubleClick) return;
    Pressed = true;
    invalidate();
}

void TOutlookBtn::mouseUp(windowless::MouseButton button, windowless::ShiftState shift, int x, int y) {
    generalMouseUp(button, shift, x, y);
    if (button != windowless::MouseButton::mbLeft) return;
    const gdi::Point cursor = cursorPosition();
    MouseOver = cursor.x >= 0 && cursor.y >= 0 && cursor.x < width() && cursor.y < height();
    Pressed = false;
    invalidate();
}
