#include "WindowPlacement.h"

#include <algorithm>
#include <climits>

QPoint onScreenPosition(QPoint stored, QSize size, const std::vector<QRect>& screens, int titleBar) {
    if (screens.empty()) return stored;
    // The screen nearest to the title bar's middle.
    const QPoint bar(stored.x() + size.width() / 2, stored.y() - titleBar / 2);
    const QRect* nearest = &screens.front();
    long best = LONG_MAX;
    for (const QRect& screen : screens) {
        const int dx =
            bar.x() < screen.left() ? screen.left() - bar.x() : std::max(0, bar.x() - screen.right());
        const int dy =
            bar.y() < screen.top() ? screen.top() - bar.y() : std::max(0, bar.y() - screen.bottom());
        const long distance = static_cast<long>(dx) * dx + static_cast<long>(dy) * dy;
        if (distance < best) {
            best = distance;
            nearest = &screen;
        }
    }
    // The whole title bar on the screen; a window taller than the screen keeps its top visible.
    const int left = std::clamp(stored.x(), nearest->left(),
                                std::max(nearest->left(), nearest->right() + 1 - size.width()));
    const int top = std::clamp(stored.y(), nearest->top() + titleBar,
                               std::max(nearest->top() + titleBar, nearest->bottom() + 1 - size.height()));
    return {left, top};
}
