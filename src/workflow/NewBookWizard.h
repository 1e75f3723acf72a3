// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterLimit.h"
#include "model/BookProject.h"
#include "model/Error.h"
#include "packaging/MakeChecks.h"

#include <QString>
#include <QStringList>

// The new-book wizard's rules, free of its two windows: step one's fields and
// checks, how step one's JAR size list stands for the main window's, what
// Next carries over into the book, and step two's chapter limit and names.
namespace vamo::wizard {

// Step one's JAR size list (Combo1), three entries.
[[nodiscard]] QStringList jarSizeItems();

// Step one's entries name sizes of the main window's list: "无限制高端机器"
// is the main window's "无限制豪华机" (0), "120KB中端机器" its "120KB中端机"
// (3) and "60KB低端机器" its "60KB低端机" (4).
// The main window's index for step one's `position`; -1 for none.
[[nodiscard]] int mainJarSize(int position);
// Step one's position for the main window's `index`; -1 where step one has no
// entry of that size ("500KB大内存机", "250KB高端机").
[[nodiscard]] int stepOneJarSize(int index);

// What step one's fields hold.
struct StepOne {
    QString saveFolder; // Text1
    QString jarName;    // Text5
    QString bookName;   // Text3
    QString maker;      // Text2
    QString message;    // Text4
    int jarSize = -1;   // Combo1 position; -1 while no entry is chosen
    int phoneModel = 0; // Combo2

    bool operator==(const StepOne&) const = default;
};

// Step one's fields as the wizard entry fills them from the book's settings.
[[nodiscard]] StepOne stepOneFrom(const BookSettings& settings);

// Next's checks, in their order; the first failure is returned, naming its
// field, which the window empties when it failed for being blank:
//   JAR name with a Chinese character ("jar包名含有中文"); book name blank
//   ("书名为空", to empty); maker blank ("制作名为空", to empty); message
//   blank ("留言为空", to empty); book name holding a backslash
//   ("程序文件名包涵非法字符'\'").
[[nodiscard]] FieldResult<void> checkStepOne(const StepOne& fields);

// The book's settings after Next: the five texts and the phone model from
// step one, the JAR size by the size step one names. With no step-one entry
// chosen (the book's size has none) the book keeps its size.
[[nodiscard]] BookSettings carriedOver(const BookSettings& current, const StepOne& fields);

// Step two's proposed name for the chapter after `listed` chapters:
// "第一章" for 0 up to "第二十章" for 19.
[[nodiscard]] QString proposedChapterName(int listed);

// Step two's add: refuses with "章节数量达到上限（20）" when 20 or more
// chapters are listed, else `num` becomes the new chapter's slot.
[[nodiscard]] Result<void> prepareAdd(BookProject& book);

} // namespace vamo::wizard
