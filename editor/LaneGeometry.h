#pragma once
// The waveform lane's arithmetic, apart from the widget: which song time a pixel shows at a zoom,
// the markers of the tagged lines, and where a dragged marker may go.

#include <QString>
#include <QStringList>
#include <vector>

// The lane shows `spanSeconds` of the song across `width` pixels, the time `cursorSeconds` at a
// third of the width from the left.
struct LaneView {
    static constexpr double kCursorFraction = 1.0 / 3.0;
    static constexpr double kDefaultSpan = 10.0;
    static constexpr double kShortestSpan = 2.0;
    static constexpr double kLongestSpan = 60.0;

    int width = 1;
    double spanSeconds = kDefaultSpan;
    double cursorSeconds = 0.0;

    double secondsPerPixel() const;
    double leftSeconds() const;
    // The time at the left edge of pixel column `x` (fractions within a column are fine).
    double timeAt(double x) const;
    double xOf(double seconds) const;
    double cursorX() const;
};

// The span after `steps` wheel steps (positive: closer, showing less), within 2 s and 60 s.
double zoomedSpan(double spanSeconds, int steps);

// A tag of a line on the lane.
struct LaneMarker {
    int row;         // the line in the shown lyrics
    int tagIndex;    // which of the line's leading tags (a line sung several times has more)
    int hundredths;  // its time
    QString label;   // the line's first words
};
// The markers of all tagged lines, in time order (lines of the same time in line order).
std::vector<LaneMarker> laneMarkers(const QStringList& lines);

// Where a marker dragged to `wanted` hundredths lands: never below 0 nor past the song's end (when it
// is known, above 0) and,
// unless `passNeighbours`, never past the markers before and after it in time. `markers` is in time
// order and `dragged` indexes it.
int draggedTime(const std::vector<LaneMarker>& markers, std::size_t dragged, int wanted,
                int songEndHundredths, bool passNeighbours);

// Puts `hundredths` in place of the `tagIndex`th leading tag of `row`; false when the line has no
// such tag or it already holds that time.
bool retimeTag(QStringList& lines, int row, int tagIndex, int hundredths);
