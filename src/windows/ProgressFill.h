// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <algorithm>

namespace vamo {

// The progress bar of a window: the fill `Shape2` covers `fraction` (0..1) of
// the inside of its frame `Shape1`.
inline void layOutProgressFill(const QWidget* frame, QWidget* fill, double fraction)
{
    const QRect inside = frame->contentsRect();
    const int width = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * inside.width());
    const QRect geometry(inside.left(), inside.top(), width, inside.height());
    if (fill->geometry() != geometry)
        fill->setGeometry(geometry);
}

} // namespace vamo
