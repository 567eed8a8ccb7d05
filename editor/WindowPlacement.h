#pragma once
// Where a window restored from stored values comes up: at the stored place when its title bar
// lies on a screen, otherwise moved onto the nearest screen's free area.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

// Client-area top-left for a window of `size` stored at `stored`, given the screens' available
// areas. `titleBar` is the height the window manager's title bar takes above the client area.
QPoint onScreenPosition(QPoint stored, QSize size, const std::vector<QRect>& screens, int titleBar);
