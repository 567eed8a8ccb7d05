#include "WaveformLane.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "TimeTags.h"
#include "audio/PeakScan.h"

namespace {

const QColor kBackground(255, 255, 255);
const QColor kOutsideSong(192, 192, 192);
const QColor kNotYetRead(232, 232, 232);
const QColor kWave(0, 128, 128);
const QColor kCursor(0, 0, 0);
const QColor kMarker(0, 0, 255);
const QColor kMarkedText(255, 255, 255);
const QColor kFrame(128, 128, 128);

// A marker is taken by the mouse this close to it, in pixels.
constexpr double kGrabDistance = 4.0;
// A press that moves less than this is a click.
constexpr int kClickSlop = 3;
// The wheel scrolls a tenth of the lane per step.
constexpr double kScrollPerStep = 0.1;
// The labels' band at the top of the lane.
constexpr int kLabelHeight = 13;

struct Column {
    bool known = false;
    int low = 0;
    int high = 0;
};

}  // namespace

WaveformLane::WaveformLane(QWidget* parent) : QWidget(parent) {
    // The keys stay with the lyrics: tagging works while the mouse is on the lane.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    frames_.setInterval(kFrameMs);
    connect(&frames_, &QTimer::timeout, this, [this] { nextFrame(); });
}

void WaveformLane::setPeaks(const PeakScan* peaks, double songSeconds) {
    peaks_ = peaks;
    songSeconds_ = songSeconds;
    if (drag_) endDrag();
    pressedAt_.reset();
    update();
}

void WaveformLane::setPlaying(bool playing) {
    playing_ = playing;
    updateFollowing();
}

void WaveformLane::showPosition(double seconds) {
    view_.cursorSeconds = seconds;
    update();
}

void WaveformLane::setSpan(double seconds) {
    view_.spanSeconds = std::clamp(seconds, LaneView::kShortestSpan, LaneView::kLongestSpan);
    update();
}

void WaveformLane::updateFollowing() {
    // The frames run only while there is something to follow: no timer at rest or when hidden.
    const bool run = playing_ && isVisible() && PlayPosition;
    if (run && !frames_.isActive()) frames_.start();
    if (!run) frames_.stop();
}

void WaveformLane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateFollowing();
}

void WaveformLane::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateFollowing();
}

void WaveformLane::nextFrame() {
    if (!PlayPosition) return;
    const double seconds = PlayPosition();
    // Drawn again once the song has moved by half a pixel: at wide zooms most frames change nothing.
    const bool moved = std::abs(seconds - view_.cursorSeconds) >= 0.5 * view_.secondsPerPixel();
    if (!moved) return;
    view_.cursorSeconds = seconds;
    update();
}

void WaveformLane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_.width = std::max(width(), 1);
}

void WaveformLane::refreshMarkers() {
    const QStringList lines = ShownLines ? ShownLines() : QStringList();
    // Parsed again only when the lines changed; during a drag the markers stay as they were taken.
    if (!drag_ && lines != markerLines_) {
        markers_ = laneMarkers(lines);
        markerLines_ = lines;
    }
    markedRow_ = MarkedRow ? MarkedRow() : -1;
}

void WaveformLane::paintEvent(QPaintEvent*) {
    refreshMarkers();
    QPainter painter(this);
    drawWaveform(painter);
    const int cursor = static_cast<int>(std::lround(view_.cursorX()));
    painter.setPen(kCursor);
    painter.drawLine(cursor, 0, cursor, height() - 1);
    drawMarkers(painter);
    painter.setPen(kFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

QImage WaveformLane::renderWave(long long firstColumn, int columns) const {
    // Column c of the image shows the song from (firstColumn + c) pixels' worth of seconds on.
    const double secondsPerPixel = view_.secondsPerPixel();
    const auto timeOf = [&](double column) {
        return (static_cast<double>(firstColumn) + column) * secondsPerPixel;
    };
    QImage image(std::max(columns, 1), std::max(height(), 1), QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    std::vector<Column> shape(static_cast<std::size_t>(std::max(columns, 0)));
    const double slicesPerPixel = secondsPerPixel * PeakTable::kSlicesPerSecond;
    const bool coarse = slicesPerPixel >= 2.0 * PeakTable::kCoarseFactor;
    const double perEntry = coarse ? PeakTable::kCoarseFactor : 1.0;
    if (peaks_ != nullptr) {
        peaks_->read([&](const PeakTable& table) {
            const std::vector<PeakPair>& level = coarse ? table.coarse : table.fine;
            const auto count = static_cast<long long>(level.size());
            for (int x = 0; x < columns; ++x) {
                const double from = timeOf(x) * PeakTable::kSlicesPerSecond / perEntry;
                const double to = timeOf(x + 1) * PeakTable::kSlicesPerSecond / perEntry;
                auto first = static_cast<long long>(std::floor(from));
                auto last = std::max(first + 1, static_cast<long long>(std::floor(to)));
                if (last <= 0 || first >= count) continue;
                first = std::max(first, 0LL);
                last = std::min(last, count);
                Column& column = shape[static_cast<std::size_t>(x)];
                column.known = true;
                column.low = level[static_cast<std::size_t>(first)].low;
                column.high = level[static_cast<std::size_t>(first)].high;
                for (long long i = first + 1; i < last; ++i) {
                    column.low = std::min<int>(column.low, level[static_cast<std::size_t>(i)].low);
                    column.high = std::max<int>(column.high, level[static_cast<std::size_t>(i)].high);
                }
            }
        });
    }
    const int top = kLabelHeight;
    const int waveHeight = height() - top - 1;
    const double middle = top + waveHeight / 2.0;
    const double scale = (waveHeight / 2.0 - 1.0) / 32767.0;
    // Columns outside the song and columns not read yet come in runs, each filled at once; the wave
    // is one set of lines.
    enum class Kind { outside, notRead, wave };
    std::vector<QLine> wave;
    wave.reserve(static_cast<std::size_t>(std::max(columns, 0)));
    int runStart = 0;
    Kind runKind = Kind::wave;
    const auto endRun = [&](int end) {
        if (runKind == Kind::outside) painter.fillRect(runStart, 0, end - runStart, height(), kOutsideSong);
        if (runKind == Kind::notRead)
            painter.fillRect(runStart, top, end - runStart, waveHeight, kNotYetRead);
    };
    for (int x = 0; x < columns; ++x) {
        const double time = timeOf(x + 0.5);
        const bool inSong = time >= 0.0 && (songSeconds_ <= 0.0 || time < songSeconds_);
        const Column& column = shape[static_cast<std::size_t>(x)];
        const Kind kind = !inSong ? Kind::outside : !column.known ? Kind::notRead : Kind::wave;
        if (kind != runKind) {
            endRun(x);
            runStart = x;
            runKind = kind;
        }
        if (kind == Kind::wave) {
            const int high = static_cast<int>(std::lround(middle - column.high * scale));
            const int low = static_cast<int>(std::lround(middle - column.low * scale));
            wave.emplace_back(x, high, x, std::max(low - 1, high));
        }
    }
    endRun(columns);
    painter.setPen(kWave);
    painter.drawLines(wave.data(), static_cast<int>(wave.size()));
    return image;
}

void WaveformLane::drawWaveform(QPainter& painter) {
    // The wave is drawn for three lane widths around the view and then only moved: while the song
    // plays, a frame is one copy, not the wave's drawing again.
    const int columns = width();
    const double secondsPerPixel = view_.secondsPerPixel();
    const auto leftColumn = static_cast<long long>(std::floor(view_.leftSeconds() / secondsPerPixel + 0.5));
    std::size_t slices = 0;
    bool complete = true;
    if (peaks_ != nullptr) {
        complete = peaks_->finished();
        peaks_->read([&](const PeakTable& table) { slices = table.fine.size(); });
    }
    const bool stale = waveCache_.image.isNull() || waveCache_.secondsPerPixel != secondsPerPixel ||
                       waveCache_.image.height() != height() || waveCache_.peaks != peaks_ ||
                       waveCache_.slices != slices || waveCache_.complete != complete ||
                       waveCache_.songSeconds != songSeconds_ || leftColumn < waveCache_.firstColumn ||
                       leftColumn + columns > waveCache_.firstColumn + waveCache_.image.width();
    if (stale) {
        waveCache_.firstColumn = leftColumn - columns;
        waveCache_.image = renderWave(waveCache_.firstColumn, 3 * columns);
        waveCache_.secondsPerPixel = secondsPerPixel;
        waveCache_.peaks = peaks_;
        waveCache_.slices = slices;
        waveCache_.complete = complete;
        waveCache_.songSeconds = songSeconds_;
    }
    painter.drawImage(0, 0, waveCache_.image, static_cast<int>(leftColumn - waveCache_.firstColumn), 0,
                      columns, height());
}

void WaveformLane::drawMarkers(QPainter& painter) {
    for (std::size_t i = 0; i < markers_.size(); ++i) {
        if (!drag_ || drag_->marker != i) drawMarker(painter, i);
    }
    // The dragged marker and its time stay on top of the others.
    if (drag_) drawMarker(painter, drag_->marker);
}

void WaveformLane::drawMarker(QPainter& painter, std::size_t index) {
    const QFontMetrics metrics = painter.fontMetrics();
    const LaneMarker& marker = markers_[index];
    const bool dragged = drag_ && drag_->marker == index;
    const int hundredths = dragged ? drag_->hundredths : marker.hundredths;
    const double x = view_.xOf(hundredths / 100.0);
    if (x < -200 || x > width()) return;
    const int left = static_cast<int>(std::lround(x));
    const bool marked = marker.row == markedRow_;
    // A label runs up to the next marker, so close lines stay readable.
    double room = width() - x;
    if (index + 1 < markers_.size()) room = view_.xOf(markers_[index + 1].hundredths / 100.0) - x;
    const QString text =
        dragged ? timeTag(hundredths).mid(1).chopped(1) + QLatin1Char(' ') + marker.label : marker.label;
    const int textRoom = dragged ? 200 : static_cast<int>(std::clamp(room - 5.0, 0.0, 200.0));
    const QString shown = metrics.elidedText(text, Qt::ElideRight, textRoom);
    painter.setPen(QPen(kMarker, marked || dragged ? 2 : 1));
    painter.drawLine(left, 0, left, height() - 1);
    if (shown.isEmpty()) return;
    const QRect band(left + 1, 1, metrics.horizontalAdvance(shown) + 4, kLabelHeight - 1);
    if (marked || dragged) {
        painter.fillRect(band, kMarker);
        painter.setPen(kMarkedText);
    } else {
        painter.fillRect(band, kBackground);
        painter.setPen(kMarker);
    }
    painter.drawText(band.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

std::optional<std::size_t> WaveformLane::markerAt(double x) const {
    std::optional<std::size_t> nearest;
    double best = kGrabDistance + 0.5;
    for (std::size_t i = 0; i < markers_.size(); ++i) {
        const double distance = std::abs(view_.xOf(markers_[i].hundredths / 100.0) - x);
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

void WaveformLane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    refreshMarkers();
    const double x = event->position().x();
    if (const std::optional<std::size_t> marker = markerAt(x)) {
        const int time = markers_[*marker].hundredths;
        drag_ = Drag{*marker, time, time, view_.timeAt(x) - time / 100.0};
        pressedAt_.reset();
        // The lane takes no focus (the keys stay with the lyrics), so Escape comes to it only this way.
        grabKeyboard();
    } else {
        pressedAt_ = event->position().toPoint();
    }
    update();
}

void WaveformLane::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    if (!drag_) {
        setCursor(markerAt(x) ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    const double seconds = view_.timeAt(x) - drag_->grabOffsetSeconds;
    const int wanted = static_cast<int>(std::lround(seconds * 100.0));
    const int songEnd = static_cast<int>(std::floor(songSeconds_ * 100.0));
    drag_->hundredths =
        draggedTime(markers_, drag_->marker, wanted, songEnd, (event->modifiers() & Qt::ShiftModifier) != 0);
    update();
}

void WaveformLane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (drag_) {
        const Drag done = *drag_;
        endDrag();
        if (done.hundredths != done.startHundredths && OnRetime)
            OnRetime(markers_[done.marker], done.hundredths);
        update();
        return;
    }
    if (pressedAt_ && (event->position().toPoint() - *pressedAt_).manhattanLength() <= kClickSlop) {
        const double seconds = view_.timeAt(event->position().x());
        if (seconds >= 0.0 && (songSeconds_ <= 0.0 || seconds <= songSeconds_) && OnSeek) OnSeek(seconds);
    }
    pressedAt_.reset();
}

void WaveformLane::endDrag() {
    drag_.reset();
    releaseKeyboard();
}

void WaveformLane::keyPressEvent(QKeyEvent* event) {
    // Escape during a drag puts the marker back.
    if (drag_ && event->key() == Qt::Key_Escape) {
        endDrag();
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WaveformLane::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) return;
    if (event->modifiers() & Qt::ControlModifier) {
        setSpan(zoomedSpan(view_.spanSeconds, steps));
    } else if (!playing_) {
        // Up (away from the user) goes back in the song, as a scroll bar does.
        view_.cursorSeconds -= steps * kScrollPerStep * view_.spanSeconds;
        view_.cursorSeconds = std::clamp(view_.cursorSeconds, 0.0, std::max(songSeconds_, 0.0));
        update();
    }
    event->accept();
}
