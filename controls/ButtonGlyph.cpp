#include "ButtonGlyph.h"

#include "platform/gdi/RasterOp.h"

using namespace gdi;

TGlyphCache* SharedGlyphCache = nullptr;

namespace {

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kGrey = 0x808080;
// ImageList_DrawEx's "no blending" foreground.
constexpr ColorRef kNoBlend = 0x1FFFFFFF;

// A memory context with a bitmap selected for the lifetime of the object.
class SelectedBitmap {
public:
    explicit SelectedBitmap(Bitmap& bitmap) { previous_ = context.selectBitmap(&bitmap); }
    ~SelectedBitmap() { context.selectBitmap(previous_); }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    DeviceContext context;

private:
    Bitmap* previous_ = nullptr;
};

// A one-bit mask of the source rectangle (x, 0, width, height) of `glyph`: 1 where the pixel is `colour`.
Bitmap maskOf(const Bitmap& glyph, int x, int width, int height, ColorRef colour) {
    Bitmap mask = Bitmap::monochrome(width, height);
    Bitmap source = glyph;
    SelectedBitmap from(source);
    SelectedBitmap to(mask);
    if (glyph.isMonochrome()) {
        // A monochrome glyph's bits are 1 for white and 0 for black; it has no other colour.
        const RasterOp rop = colour == clWhite ? SRCCOPY : colour == clBlack ? NOTSRCCOPY : BLACKNESS;
        to.context.bitBlt(0, 0, width, height, &from.context, x, 0, rop);
    } else {
        from.context.setBkColor(colour);
        to.context.bitBlt(0, 0, width, height, &from.context, x, 0, SRCCOPY);
    }
    return mask;
}

// Where the mask is 1, the work image takes the brush colour; elsewhere it stays as it is.
void paintThroughMask(DeviceContext& work, const Bitmap& mask, int x, int y, ColorRef brush) {
    Bitmap maskCopy = mask;
    SelectedBitmap source(maskCopy);
    work.setBrush({BS_SOLID, brush});
    work.setTextColor(clBlack);
    work.setBkColor(clWhite);
    work.bitBlt(x, y, mask.width(), mask.height(), &source.context, 0, 0, ROP_DSPDxax);
}

}  // namespace

int TGlyphList::ReserveSlot() {
    int slot = 0;
    while (slot < static_cast<int>(used_.size()) && used_[slot]) ++slot;
    if (slot >= static_cast<int>(used_.size())) {
        slot = add(Bitmap::color(imageWidth(), imageHeight()));
        used_.resize(static_cast<std::size_t>(slot) + 1, false);
    }
    used_[slot] = true;
    return slot;
}

int TGlyphList::AddImage(const Bitmap& image) {
    const int slot = ReserveSlot();
    replace(slot, image);
    ++inUse_;
    return slot;
}

void TGlyphList::ReleaseSlot(int index) {
    if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[index]) return;
    --inUse_;
    used_[index] = false;
}

TGlyphList* TGlyphCache::Acquire(int width, int height) {
    for (auto list = lists_.rbegin(); list != lists_.rend(); ++list) {
        if ((*list)->imageWidth() == width && (*list)->imageHeight() == height) return list->get();
    }
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::Release(TGlyphList* list) {
    if (list == nullptr || list->InUse() != 0) return;
    std::erase_if(lists_, [list](const auto& held) { return held.get() == list; });
}

TButtonGlyph::TButtonGlyph() {
    if (SharedGlyphCache == nullptr) SharedGlyphCache = new TGlyphCache;
}

TButtonGlyph::~TButtonGlyph() {
    glyph_ = Bitmap();
    ClearImages();
    if (SharedGlyphCache != nullptr && SharedGlyphCache->IsEmpty()) {
        delete SharedGlyphCache;
        SharedGlyphCache = nullptr;
    }
}

void TButtonGlyph::ClearImages() {
    for (int& index : stateIndex_) {
        if (index != -1 && list_ != nullptr) list_->ReleaseSlot(index);
        index = -1;
    }
    if (SharedGlyphCache != nullptr) SharedGlyphCache->Release(list_);
    list_ = nullptr;
}

void TButtonGlyph::glyphChanged() {
    transparentColor_ = glyph_.isEmpty() ? clOlive : glyph_.transparentColor() & 0x00FFFFFF;
    ClearImages();
    if (OnChange) OnChange(this);
}

void TButtonGlyph::SetGlyph(const Bitmap* glyph) {
    ClearImages();
    glyph_ = glyph != nullptr ? *glyph : Bitmap();
    glyphChanged();
    if (glyph != nullptr && glyph->height() > 0) {
        transparentColor_ = glyph->transparentColor() & 0x00FFFFFF;
        if (glyph->width() % glyph->height() == 0) {
            int count = glyph->width() / glyph->height();
            if (count > 4) count = 1;
            SetNumGlyphs(count);
        }
    }
}

void TButtonGlyph::EditGlyph(const std::function<void(Bitmap&)>& edit) {
    edit(glyph_);
    glyphChanged();
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs count) {
    if (count == numGlyphs_ || count <= 0) return;
    ClearImages();
    numGlyphs_ = count;
}

Bitmap TButtonGlyph::buildImage(TGlyphState state, ColorRef faceColour) const {
    const int width = glyph_.width() / numGlyphs_;
    const int height = glyph_.height();
    const int slot = static_cast<int>(state) < numGlyphs_ ? static_cast<int>(state) : 0;
    const int sourceX = slot * width;

    Bitmap image = Bitmap::color(width, height);
    SelectedBitmap work(image);
    work.context.setBrush({BS_SOLID, faceColour});
    Bitmap glyphCopy = glyph_;
    SelectedBitmap glyph(glyphCopy);

    if (state != gsDisabled) {
        work.context.bitBlt(0, 0, width, height, &glyph.context, sourceX, 0, SRCCOPY);
        paintThroughMask(work.context, maskOf(glyph_, sourceX, width, height, transparentColor_), 0, 0,
                         faceColour);
    } else if (numGlyphs_ > 1) {
        // The strip brings its own disabled image: its white, grey and background take the desktop's
        // highlight, shadow and the face colour.
        work.context.bitBlt(0, 0, width, height, &glyph.context, sourceX, 0, SRCCOPY);
        const std::array<std::pair<ColorRef, ColorRef>, 3> recolouring{
            {{kWhite, clBtnHighlight}, {kGrey, clBtnShadow}, {transparentColor_, faceColour}}};
        for (const auto& [from, to] : recolouring) {
            paintThroughMask(work.context, maskOf(glyph_, sourceX, width, height, from), 0, 0, to);
        }
    } else {
        // Engraved from the pure black pixels: shadow in place over a highlight one pixel down-right.
        const Bitmap black = maskOf(glyph_, sourceX, width, height, clBlack);
        work.context.fillRect({0, 0, width, height}, {BS_SOLID, faceColour});
        paintThroughMask(work.context, black, 1, 1, clBtnHighlight);
        paintThroughMask(work.context, black, 0, 0, clBtnShadow);
    }
    return image;
}

int TButtonGlyph::PrepareImage(TGlyphState state, ColorRef faceColour) {
    if (state == gsDown && numGlyphs_ < 3) state = gsUp;
    if (stateIndex_[state] != -1) return stateIndex_[state];
    if (glyph_.width() == 0 && glyph_.height() == 0) return -1;
    if (glyph_.width() / numGlyphs_ == 0 || glyph_.height() == 0) return -1;
    if (list_ == nullptr) {
        if (SharedGlyphCache == nullptr) SharedGlyphCache = new TGlyphCache;
        list_ = SharedGlyphCache->Acquire(glyph_.width() / numGlyphs_, glyph_.height());
    }
    stateIndex_[state] = list_->AddImage(buildImage(state, faceColour));
    return stateIndex_[state];
}

void TButtonGlyph::DrawGlyph(DeviceContext& canvas, int x, int y, TGlyphState state, ColorRef faceColour) {
    if (glyph_.width() == 0 || glyph_.height() == 0) return;
    const int index = PrepareImage(state, faceColour);
    if (index < 0) return;
    list_->draw(canvas, index, x, y, colorToRgb(faceColour), kNoBlend, ILD_NORMAL);
}

void TButtonGlyph::DrawCaption(DeviceContext& canvas, const QString& caption, Rect textRect,
                               TGlyphState state) {
    canvas.setBkMode(TRANSPARENT);
    if (state == gsDisabled) {
        textRect = textRect.offset(1, 1);
        canvas.setTextColor(kWhite);
        canvas.drawText(caption, textRect, 0);
        textRect = textRect.offset(-1, -1);
        canvas.setTextColor(kGrey);
        canvas.drawText(caption, textRect, 0);
    } else {
        canvas.setTextColor(canvas.font().color);
        canvas.drawText(caption, textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

GlyphAndTextPlace TButtonGlyph::PlaceGlyphAndText(DeviceContext& canvas, const Rect& client,
                                                  const QString& caption, TButtonLayout layout, int margin,
                                                  int spacing) {
    // Every division truncates toward zero, as C++'s does.
    const Point clientSize{client.width(), client.height()};
    const Point glyphSize{glyph_.width() / numGlyphs_, glyph_.height()};
    Rect text;
    if (!caption.isEmpty()) {
        text = {0, 0, clientSize.x, 0};
        canvas.drawText(caption, text, DT_CALCRECT);
    }
    const Point textSize{text.width(), text.height()};

    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const auto main = [horizontal](Point p) { return horizontal ? p.x : p.y; };
    const auto cross = [horizontal](Point p) { return horizontal ? p.y : p.x; };

    Point glyphAt;
    Point textAt;
    const int glyphCross = (cross(clientSize) - cross(glyphSize) + 1) / 2;
    const int textCross = (cross(clientSize) - cross(textSize) + 1) / 2;
    (horizontal ? glyphAt.y : glyphAt.x) = glyphCross;
    (horizontal ? textAt.y : textAt.x) = textCross;

    if (textSize.x == 0 || glyphSize.x == 0) spacing = 0;
    const int c = main(clientSize);
    const int g = main(glyphSize);
    const int t = main(textSize);
    if (margin == -1 && spacing == -1) {
        margin = (c - (g + t)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (c - (g + spacing + t) + 1) / 2;
    } else if (spacing == -1) {
        spacing = ((c - (margin + g)) - t) / 2;
    }

    switch (layout) {
        case blGlyphLeft:
            glyphAt.x = margin;
            textAt.x = margin + glyphSize.x + spacing;
            break;
        case blGlyphRight:
            glyphAt.x = clientSize.x - margin - glyphSize.x;
            textAt.x = glyphAt.x - spacing - textSize.x;
            break;
        case blGlyphTop:
            glyphAt.y = margin;
            textAt.y = margin + glyphSize.y + spacing;
            break;
        case blGlyphBottom:
            glyphAt.y = clientSize.y - margin - glyphSize.y;
            textAt.y = glyphAt.y - spacing - textSize.y;
            break;
    }
    return {{glyphAt.x + client.left, glyphAt.y + client.top},
            text.offset(textAt.x + client.left, textAt.y + client.top)};
}

Rect TButtonGlyph::DrawFace(DeviceContext& canvas, const Rect& client, const QString& caption,
                            TButtonLayout layout, int margin, int spacing, TGlyphState state,
                            ColorRef faceColour) {
    const GlyphAndTextPlace place = PlaceGlyphAndText(canvas, client, caption, layout, margin, spacing);
    DrawGlyph(canvas, place.glyph.x, place.glyph.y, state, faceColour);
    DrawCaption(canvas, caption, place.text, state);
    return place.text;
}
