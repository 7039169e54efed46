#include "views/SkyLabels.h"

#include <algorithm>

namespace {

// How far from its mark a moved number may stand, in text heights.
constexpr int MaxGapSteps = 4;

// Places beside the mark for a text of the given size, nearest first: right,
// left, below, above, then the four corners, each 'gap' pixels away.
std::vector<QRect> Around(const QRect& mark, QSize text, int gap) {
    const int w = text.width(), h = text.height();
    const int midY = mark.center().y() - h / 2;
    const int midX = mark.center().x() - w / 2;
    const int right = mark.right() + 1 + gap, left = mark.left() - w - gap;
    const int below = mark.bottom() + 1 + gap, above = mark.top() - h - gap;
    return {QRect(right, midY, w, h),  QRect(left, midY, w, h),   QRect(midX, below, w, h),
            QRect(midX, above, w, h),  QRect(right, above, w, h), QRect(left, above, w, h),
            QRect(right, below, w, h), QRect(left, below, w, h)};
}

bool HitsAny(const QRect& r, const std::vector<QRect>& others) {
    return std::any_of(others.begin(), others.end(),
                       [&r](const QRect& o) { return !o.isNull() && o.intersects(r); });
}

}  // namespace

std::vector<QRect> PlaceSkyLabels(const std::vector<SkyLabelRequest>& requests, const QRect& bounds,
                                  const std::vector<QRect>& fixed) {
    std::vector<QRect> placed(requests.size());
    std::vector<QRect> taken = fixed;  // fixed texts and the numbers placed so far
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto free = [&](const QRect& r) {
            if (!bounds.contains(r) || HitsAny(r, taken)) return false;
            for (size_t j = 0; j < requests.size(); ++j)
                if (j != i && requests[j].Mark.intersects(r)) return false;
            return true;
        };
        const QRect& mark = requests[i].Mark;
        const QRect& preferred = requests[i].Preferred;
        QRect chosen;
        if (free(preferred)) chosen = preferred;
        const int step = std::max(1, preferred.height() / 2);
        for (int gap = 0; chosen.isNull() && gap <= MaxGapSteps * 2 * step; gap += step)
            for (const QRect& r : Around(mark, preferred.size(), gap))
                if (free(r)) {
                    chosen = r;
                    break;
                }
        placed[i] = chosen;
        if (!chosen.isNull()) taken.push_back(chosen);
    }
    return placed;
}
