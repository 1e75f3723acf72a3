// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QRect>

class QLineEdit;
class QWidget;

namespace vamo {

// The placement rule of every window: a frame no larger than the available
// area (the screen less its panels), moved the least distance that brings it
// inside. A frame that cannot fit (its window will not shrink so far) keeps
// its top-left corner, and so its title bar, on the area.
QRect fitInside(const QRect& frame, const QRect& available);

// The frame margins of `window`: the real ones once the desktop has framed
// it, before that an estimate of a title bar and borders.
QMargins frameMarginsOf(const QWidget* window);

// Shrinks `window` (not below its minimum size) and moves it so that its
// frame lies inside `available`.
void fitInto(QWidget* window, const QRect& available);

// The same on the available area of the screen the window's frame is
// mostly on.
void fitOnScreen(QWidget* window);

// Fits `window` on its screen each time it is shown; every window calls this
// once in its constructor.
void keepOnScreen(QWidget* window);

// Places `window` over the centre of `over`, as every window opened from the
// main window is placed, kept on the screen.
void centreOver(QWidget* window, const QWidget* over);

// Keeps a parentless window above its opener without tying its enabled
// state to the opener's.
void keepAbove(QWidget* window, QWidget* opener);

// A field showing a path shows its end (the folder's own name) whenever it
// is not being edited, and the whole path in its tooltip after `description`.
void showPathEnd(QLineEdit* field, const QString& description);

} // namespace vamo
