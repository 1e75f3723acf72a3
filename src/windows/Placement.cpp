// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace vamo {

namespace {

// Fits its window on the screen when the window is shown by the program
// (not when the desktop brings it back from being minimised).
class ScreenKeeper : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
            auto* window = static_cast<QWidget*>(watched);
            if (window->isWindow())
                fitOnScreen(window);
        }
        return QObject::eventFilter(watched, event);
    }
};

// Puts the cursor of a path field at the end while it is not being edited,
// so that a field too narrow for the path shows its end.
class PathEndKeeper : public QObject {
public:
    PathEndKeeper(QLineEdit* field, const QString& description)
        : QObject(field), m_field(field), m_description(description)
    {
        connect(field, &QLineEdit::textChanged, this, [this] { show(); });
        field->installEventFilter(this);
        show();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_field && (event->type() == QEvent::FocusOut || event->type() == QEvent::Resize))
            if (!m_field->hasFocus())
                m_field->setCursorPosition(static_cast<int>(m_field->text().size()));
        return QObject::eventFilter(watched, event);
    }

private:
    void show()
    {
        const QString path = m_field->text();
        m_field->setToolTip(path.isEmpty()            ? m_description
                            : m_description.isEmpty() ? path
                                                      : m_description + u'\n' + path);
        if (!m_field->hasFocus())
            m_field->setCursorPosition(static_cast<int>(path.size()));
    }

    QLineEdit* m_field;
    QString m_description;
};

// Whether the desktop has framed the window, so that its position is that
// of its frame. Before that, X11 desktops place the inside of the window at
// the position asked for and draw the title bar above it.
bool framed(const QWidget* window) { return window->isVisible() && window->frameGeometry() != window->geometry(); }

// The frame `window` will have at its present position and size.
QRect frameAt(const QWidget* window, const QMargins& margins)
{
    const QPoint corner = framed(window) ? window->pos() : window->pos() - QPoint(margins.left(), margins.top());
    return {corner, window->size().grownBy(margins)};
}

} // namespace

QRect fitInside(const QRect& frame, const QRect& available)
{
    const int width = std::min(frame.width(), available.width());
    const int height = std::min(frame.height(), available.height());
    // std::clamp needs low <= high; a frame wider than the area starts at
    // its left edge.
    const int left = std::max(available.left(), std::min(frame.left(), available.left() + available.width() - width));
    const int top = std::max(available.top(), std::min(frame.top(), available.top() + available.height() - height));
    return {left, top, width, height};
}

QMargins frameMarginsOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (framed(window))
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    // Not framed yet: a title bar and thin borders as most desktops draw them.
    const int title = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window),
                               window->fontMetrics().height() + 8);
    constexpr int border = 4;
    return {border, title, border, border};
}

void fitInto(QWidget* window, const QRect& available)
{
    const QMargins margins = frameMarginsOf(window);
    const QSize room = available.size().shrunkBy(margins);
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room)); // resize() keeps the minimum size
    const QRect frame = frameAt(window, margins);
    const QRect fitted = fitInside(frame, available);
    if (fitted.topLeft() != frame.topLeft())
        window->move(window->pos() + (fitted.topLeft() - frame.topLeft()));
}

void fitOnScreen(QWidget* window)
{
    const QRect frame = frameAt(window, frameMarginsOf(window));
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        fitInto(window, screen->availableGeometry());
}

void keepOnScreen(QWidget* window) { window->installEventFilter(new ScreenKeeper(window)); }

void centreOver(QWidget* window, const QWidget* over)
{
    window->ensurePolished();
    const QRect outer = over->frameGeometry();
    const QSize size = window->size().grownBy(frameMarginsOf(window));
    window->move(outer.left() + (outer.width() - size.width()) / 2, outer.top() + (outer.height() - size.height()) / 2);
    fitOnScreen(window);
}

void keepAbove(QWidget* window, QWidget* opener)
{
    window->winId();
    opener->winId();
    if (window->windowHandle() && opener->windowHandle())
        window->windowHandle()->setTransientParent(opener->windowHandle());
}

void showPathEnd(QLineEdit* field, const QString& description) { new PathEndKeeper(field, description); }

} // namespace vamo
