#include "LaneGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "TimeTags.h"
#include "WordTiming.h"

namespace {

// How many words a marker's label takes from its line.
constexpr int kLabelWords = 4;

QString firstWords(const QString& line) {
    const QStringList words =
        withoutWordStamps(lineText(line)).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.mid(0, kLabelWords).join(QLatin1Char(' '));
}

}  // namespace

double LaneView::secondsPerPixel() const {
    return spanSeconds / std::max(width, 1);
}

double LaneView::leftSeconds() const {
    return cursorSeconds - spanSeconds * kCursorFraction;
}

double LaneView::timeAt(double x) const {
    return leftSeconds() + x * secondsPerPixel();
}

double LaneView::xOf(double seconds) const {
    return (seconds - leftSeconds()) / secondsPerPixel();
}

double LaneView::cursorX() const {
    return std::max(width, 1) * kCursorFraction;
}

double zoomedSpan(double spanSeconds, int steps) {
    // Each step shows a fifth less (or a quarter more), so zooming in and out again comes back.
    const double zoomed = spanSeconds * std::pow(0.8, steps);
    return std::clamp(zoomed, LaneView::kShortestSpan, LaneView::kLongestSpan);
}

std::vector<LaneMarker> laneMarkers(const QStringList& lines) {
    std::vector<LaneMarker> markers;
    for (int row = 0; row < lines.size(); ++row) {
        const LeadingTags tags = leadingTags(lines[row]);
        if (tags.times.empty()) continue;
        const QString label = firstWords(lines[row]);
        for (std::size_t i = 0; i < tags.times.size(); ++i) {
            markers.push_back({row, static_cast<int>(i), tags.times[i], label});
        }
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const LaneMarker& a, const LaneMarker& b) { return a.hundredths < b.hundredths; });
    return markers;
}

int draggedTime(const std::vector<LaneMarker>& markers, std::size_t dragged, int wanted,
                int songEndHundredths, bool passNeighbours) {
    int lowest = 0;
    int highest = songEndHundredths > 0 ? songEndHundredths : std::numeric_limits<int>::max();
    if (!passNeighbours && dragged < markers.size()) {
        if (dragged > 0) lowest = std::max(lowest, markers[dragged - 1].hundredths);
        if (dragged + 1 < markers.size()) highest = std::min(highest, markers[dragged + 1].hundredths);
    }
    return std::clamp(wanted, lowest, std::max(lowest, highest));
}

bool retimeTag(QStringList& lines, int row, int tagIndex, int hundredths) {
    if (row < 0 || row >= lines.size() || tagIndex < 0) return false;
    const QString& line = lines[row];
    const LeadingTags tags = leadingTags(line);
    if (tagIndex >= static_cast<int>(tags.times.size())) return false;
    if (tags.times[static_cast<std::size_t>(tagIndex)] == hundredths) return false;
    // The tags before it keep their own writing; the one moved is written as the program writes tags.
    qsizetype at = 0;
    for (int i = 0; i < tagIndex; ++i) at += readTimeTag(line, at)->length;
    const int length = readTimeTag(line, at)->length;
    lines[row] = line.left(at) + timeTag(std::max(hundredths, 0)) + line.mid(at + length);
    return true;
}
