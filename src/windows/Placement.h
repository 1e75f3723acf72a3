#pragma once

#include <QRect>
#include <QWidget>
#include <QWindow>

namespace vamo {

// Places `window` over the centre of `over`, as every window opened from the
// main window is placed.
inline void centreOver(QWidget* window, const QWidget* over)
{
    window->ensurePolished();
    const QRect outer = over->frameGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(outer.left() + (outer.width() - size.width()) / 2,
                 outer.top() + (outer.height() - size.height()) / 2);
}

// Keeps a parentless window above its opener without tying its enabled
// state to the opener's.
inline void keepAbove(QWidget* window, QWidget* opener)
{
    window->winId();
    opener->winId();
    if (window->windowHandle() && opener->windowHandle())
        window->windowHandle()->setTransientParent(opener->windowHandle());
}

} // namespace vamo
