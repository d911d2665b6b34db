#include "tray/PanelPlacement.h"

#include <algorithm>
#include <limits>

namespace {

int distance(const QRect& rect, QPoint point) {
    const int dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const int dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    return dx + dy;
}

} // namespace

int PanelPlacement::screenFor(const QRect& anchor, const QList<ScreenArea>& screens) {
    int best = -1;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < screens.size(); ++i) {
        const int d = distance(screens.at(i).geometry, anchor.center());
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QPoint PanelPlacement::topLeft(const QRect& anchor, QSize panel, const QList<ScreenArea>& screens) {
    const int index = screenFor(anchor, screens);
    if (index < 0)
        return anchor.bottomLeft();
    const ScreenArea& screen = screens.at(index);
    const bool below = anchor.center().y() < screen.geometry.center().y();
    int x = anchor.center().x() - panel.width() / 2;
    int y = below ? anchor.bottom() + 1 : anchor.top() - panel.height();
    const QRect& area = screen.available.isEmpty() ? screen.geometry : screen.available;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - panel.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - panel.height()));
    return {x, y};
}
