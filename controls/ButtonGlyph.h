#pragma once
// The drawing engine behind the colour button: a button's glyph strip (one to four equally wide
// images: up, disabled, down), the state images built from it for the button's face colour, kept in
// image lists shared by all buttons with glyphs of the same size, and the arrangement and drawing of
// glyph and caption inside the button.

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"
#include "platform/gdi/ImageList.h"

enum TGlyphState { gsUp = 0, gsDisabled = 1, gsDown = 2 };
enum TButtonLayout { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };
using TNumGlyphs = int;  // 1 to 4

// An image list of one image size whose slots are handed out and taken back one by one.
class TGlyphList : public gdi::ImageList {
public:
    TGlyphList(int width, int height) : gdi::ImageList(width, height) {}

    // Stores the image (opaque) in the lowest free slot; returns its index.
    int AddImage(const gdi::Bitmap& image);
    // Frees the slot; its image stays until the slot is handed out again.
    void ReleaseSlot(int index);
    int InUse() const { return inUse_; }

private:
    int ReserveSlot();

    std::vector<bool> used_;
    int inUse_ = 0;
};

// The process-wide pool of glyph lists, one per image size.
class TGlyphCache {
public:
    // The list of that image size, made when there is none.
    TGlyphList* Acquire(int width, int height);
    // Destroys the list when none of its slots is in use.
    void Release(TGlyphList* list);
    bool IsEmpty() const { return lists_.empty(); }
    int count() const { return static_cast<int>(lists_.size()); }

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// Made by the first glyph object, gone with the last one once it holds no list.
extern TGlyphCache* SharedGlyphCache;

// Where DrawFace puts the glyph and the caption.
struct GlyphAndTextPlace {
    gdi::Point glyph;
    gdi::Rect text;
};

class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    const gdi::Bitmap& Glyph() const { return glyph_; }
    // Copies the strip (or clears it with nullptr); a strip whose width is 1 to 4 times its height
    // sets NumGlyphs to that count (more than 4 squares count as 1 image).
    void SetGlyph(const gdi::Bitmap* glyph);
    // Edits the strip in place; afterwards the glyph reports its change as a new one would.
    void EditGlyph(const std::function<void(gdi::Bitmap&)>& edit);

    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    // 0 is ignored.
    void SetNumGlyphs(TNumGlyphs count);
    gdi::ColorRef TransparentColor() const { return transparentColor_; }

    // Called after the glyph changed; the colour button repaints in it.
    std::function<void(TButtonGlyph* sender)> OnChange;

    // Drops every state image (they carry the face colour they were built for).
    void ClearImages();
    // The index of the state's image in List(), built on first need; -1 without a glyph.
    int PrepareImage(TGlyphState state, gdi::ColorRef faceColour);
    void DrawGlyph(gdi::DeviceContext& canvas, int x, int y, TGlyphState state, gdi::ColorRef faceColour);
    void DrawCaption(gdi::DeviceContext& canvas, const QString& caption, gdi::Rect textRect,
                     TGlyphState state);
    GlyphAndTextPlace PlaceGlyphAndText(gdi::DeviceContext& canvas, const gdi::Rect& client,
                                        const QString& caption, TButtonLayout layout, int margin,
                                        int spacing);
    // Places, then draws glyph and caption; returns the caption's rectangle.
    gdi::Rect DrawFace(gdi::DeviceContext& canvas, const gdi::Rect& client, const QString& caption,
                       TButtonLayout layout, int margin, int spacing, TGlyphState state,
                       gdi::ColorRef faceColour);

    TGlyphList* List() const { return list_; }
    int StateIndex(TGlyphState state) const { return stateIndex_[state]; }

private:
    void glyphChanged();
    gdi::Bitmap buildImage(TGlyphState state, gdi::ColorRef faceColour) const;

    gdi::Bitmap glyph_;
    TGlyphList* list_ = nullptr;
    std::array<int, 3> stateIndex_{-1, -1, -1};
    gdi::ColorRef transparentColor_ = gdi::clOlive;
    TNumGlyphs numGlyphs_ = 1;
};
