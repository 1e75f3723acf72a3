// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/BookProject.h"
#include "model/Error.h"

#include <QStringView>

namespace vamo {

// The make command's checks, in their order; the first failure is returned
// and, where the rules say so, the offending field is emptied:
//   JAR name: a Chinese character ("jar包名含有中文"), blank ("jar包名为空",
//   emptied), a character not allowed in file names ("jar包名包涵非法字符(c)");
//   book name blank ("书名为空", emptied); maker blank ("制作名为空", emptied);
//   no chapters ("请添加章节内容"); book name with a character not allowed in
//   file names ("书名包涵非法字符(c)") or made only of dots ("书名包涵非法字符(.)").
Result<void> checkMake(BookProject& book);

// Single rules of the make command that the wizard's step one applies too.
// A character of the JAR name that counts as Chinese: "jar包名含有中文".
Result<void> checkJarNameChinese(QStringView jarName);
// The book name is blank once trimmed: "书名为空" (the caller empties it).
Result<void> checkBookNameFilled(QStringView bookName);
// The maker is blank once trimmed: "制作名为空" (the caller empties it).
Result<void> checkMakerFilled(QStringView maker);

// The name rules, one implementation for the make command, folder mode, the
// command line and the build. A name is blank when trimming all white space
// leaves nothing; forbidden are ? * : / \ < > | ", the double quote, and
// control characters.

// JAR name: blank ("jar包名为空") or holding a forbidden character.
Result<void> checkJarName(QStringView jarName);
// Book name: blank ("书名为空"), holding a forbidden character, or only dots.
Result<void> checkBookName(QStringView bookName);

// The JAR name holds a character not allowed in file names:
// "jar包名包涵非法字符(c)".
Result<void> checkJarNameCharacters(QStringView jarName);
// The book name holds a character not allowed in file names
// ("书名包涵非法字符(c)") or is made only of dots ("书名包涵非法字符(.)").
Result<void> checkBookNameCharacters(QStringView bookName);

} // namespace vamo
