#pragma once
// The waveform lane: a strip under the lyrics that shows the song's waveform around the play
// position (the cursor at a third of the width), the tagged lines as markers with their first
// words, and lets the user seek by a click and retime a line by dragging its marker. It knows
// neither the player nor the lyrics: the window gives it the peaks, the play position and the
// lines, and takes its seeks and retimings.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "LaneGeometry.h"

class PeakScan;

class WaveformLane : public QWidget {
    Q_OBJECT
public:
    explicit WaveformLane(QWidget* parent);

    static constexpr int kHeight = 64;
    // How often the lane moves on while the song plays.
    static constexpr int kFrameMs = 25;

    // The window's side.
    std::function<double()> PlayPosition;        // song seconds heard now, while playing
    std::function<QStringList()> ShownLines;     // the lyrics as shown
    std::function<int()> MarkedRow;              // the marked line of those, or -1
    std::function<void(double seconds)> OnSeek;  // a click on the lane
    std::function<void(const LaneMarker& marker, int hundredths)> OnRetime;  // a drag ended

    // The song's peaks (null: none) and its length in seconds (0: unknown). The lane draws them
    // again when update() is called, as the peaks' work tells the window they grew.
    void setPeaks(const PeakScan* peaks, double songSeconds);
    // Playing, the lane follows PlayPosition; otherwise it stays where it is and the wheel scrolls it.
    void setPlaying(bool playing);
    // Puts the cursor on a song time (a seek, a pause, a stop).
    void showPosition(double seconds);

    const LaneView& view() const { return view_; }
    void setSpan(double seconds);
    // The markers as last drawn.
    const std::vector<LaneMarker>& markers() const { return markers_; }
    bool dragging() const { return drag_.has_value(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void nextFrame();
    void endDrag();
    void refreshMarkers();
    void updateFollowing();
    // The marker under pixel column `x` (nearest within a few pixels), as an index into markers_.
    std::optional<std::size_t> markerAt(double x) const;
    void drawWaveform(class QPainter& painter);
    // The background and the wave for `columns` pixel columns from the song's `firstColumn`th.
    QImage renderWave(long long firstColumn, int columns) const;
    void drawMarkers(class QPainter& painter);
    void drawMarker(class QPainter& painter, std::size_t index);

    const PeakScan* peaks_ = nullptr;
    double songSeconds_ = 0.0;
    LaneView view_;
    bool playing_ = false;
    QTimer frames_;
    struct WaveCache {
        QImage image;
        long long firstColumn = 0;
        double secondsPerPixel = 0.0;
        const PeakScan* peaks = nullptr;
        std::size_t slices = 0;
        bool complete = false;
        double songSeconds = 0.0;
    };
    WaveCache waveCache_;
    std::vector<LaneMarker> markers_;
    QStringList markerLines_;  // the lines the markers were taken from
    int markedRow_ = -1;

    struct Drag {
        std::size_t marker;
        int startHundredths;
        int hundredths;
        double grabOffsetSeconds;  // from the marker to where it was taken
    };
    std::optional<Drag> drag_;
    std::optional<QPoint> pressedAt_;  // a press that is not a drag: a click, when released near it
};
