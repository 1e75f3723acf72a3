// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/BookProject.h"
#include "model/Error.h"

#include <QStringView>

#include <expected>

namespace vamo {

// What a check of the make command is about: one of the settings, or the
// chapter list.
enum class MakeField { JarName, BookName, Maker, Message, Chapters };

// A refused check: the message, the field it names and whether that field
// failed for being blank, in which case the caller empties it (a window its
// control, emptyRefusedField() a settings value). Nothing is emptied here.
struct FieldError {
    MakeField field = MakeField::Chapters;
    QString message;
    bool emptyField = false;

    [[nodiscard]] Error error() const { return Error{message}; }
};

template <class T>
using FieldResult = std::expected<T, FieldError>;

// The message of a refused check, passed on by a function whose own result
// holds an Error: `if (!ok) return failure(ok);`.
template <class T>
[[nodiscard]] std::unexpected<Error> failure(const FieldResult<T>& refused)
{
    return std::unexpected(refused.error().error());
}

// Empties the field `refusal` names in `settings` when it failed for being
// blank; leaves `settings` as it is otherwise.
void emptyRefusedField(BookSettings& settings, const FieldError& refusal);
// The same in the project's settings.
void emptyRefusedField(BookProject& book, const FieldError& refusal);

// The make command's checks, in their order; the first failure is returned:
//   JAR name: a Chinese character ("jar包名含有中文"), blank ("jar包名为空",
//   to empty), a space inside it ("jar包名含有空格"), characters not allowed
//   in file names ("jar包名包涵非法字符(c)"), too long for a file name with
//   a volume number ("jar包名太长（…）");
//   book name blank ("书名为空", to empty); maker blank ("制作名为空", to
//   empty); no chapters ("请添加章节内容"); book name with characters not
//   allowed in file names ("书名包涵非法字符(c)(d)…"), made only of dots
//   ("书名包涵非法字符(.)") or too long for a folder name ("书名太长（…）").
[[nodiscard]] FieldResult<void> checkMake(const BookSettings& settings, int chapterCount);
// The same checks of the settings alone, in the same order, for a caller
// that checks them before it has the chapters (the chapter count is not
// checked).
[[nodiscard]] FieldResult<void> checkMakeSettings(const BookSettings& settings);

// Single rules of the make command that the wizard's step one applies too.
// A character of the JAR name that counts as Chinese: "jar包名含有中文".
[[nodiscard]] FieldResult<void> checkJarNameChinese(QStringView jarName);
// The book name is blank once trimmed: "书名为空" (to empty).
[[nodiscard]] FieldResult<void> checkBookNameFilled(QStringView bookName);
// The maker is blank once trimmed: "制作名为空" (to empty).
[[nodiscard]] FieldResult<void> checkMakerFilled(QStringView maker);

// The name rules, one implementation for the make command, folder mode, the
// command line and the build. A name is blank when trimming all white space
// leaves nothing; forbidden are ? * : / \ < > | ", the double quote, and
// control characters.

// JAR name: blank ("jar包名为空", to empty) or holding a forbidden character.
[[nodiscard]] FieldResult<void> checkJarName(QStringView jarName);
// Book name: blank ("书名为空", to empty), holding a forbidden character, or
// only dots.
[[nodiscard]] FieldResult<void> checkBookName(QStringView bookName);

// The JAR name holds a space inside it ("jar包名含有空格") or characters not
// allowed in file names: "jar包名包涵非法字符(c)", every other one appended
// as "(d)".
[[nodiscard]] FieldResult<void> checkJarNameCharacters(QStringView jarName);
// The book name holds characters not allowed in file names
// ("书名包涵非法字符(c)", every other one appended as "(d)") or is made only
// of dots ("书名包涵非法字符(.)").
[[nodiscard]] FieldResult<void> checkBookNameCharacters(QStringView bookName);

// What the make command would say of a JAR name as it is typed (a Chinese
// character, a space, a character not allowed); empty when nothing (a blank
// name is not told while typing).
[[nodiscard]] QString jarNameProblem(QStringView jarName);

} // namespace vamo
