// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/BookProject.h"

// How many chapters a window may bring into the book: the main window's
// limit, or the new-book wizard's while its step two is the opener.
namespace vamo::wizard {

// Step two admits this many chapters.
inline constexpr int kChapterLimit = BookProject::kWizardChapterLimit;
// `frame` while step two is the window the chapter editor and the batch
// import return to; 0 whenever the wizard is not on its way.
inline constexpr qint16 kStepTwoFrame = 5;

// The chapters a window may bring into the book for the opener that `frame`
// names: the wizard's 20 while step two is the opener, else the main window's
// limit.
[[nodiscard]] inline int chapterLimit(qint16 frame) { return frame != 0 ? kChapterLimit : BookProject::kChapterLimit; }

} // namespace vamo::wizard
