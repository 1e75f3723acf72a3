// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QStringList>

// A folder's TXT files as the folder tab, the batch import and the folder
// run list them, and the names taken from a file's name.
namespace vamo {

// The TXT files of a folder, as the folder tab lists them: entries matching
// *.txt (letter case ignored), folders skipped, and the listing ends at the
// first name in the file system's order that (trimmed of spaces) has 4
// characters or fewer. The names come in natural order (NaturalOrder.h):
// 2 before 10, Chinese by its collation. FIFOs and devices are listed (and refused by name
// when their book is made). A name that is not valid UTF-8 is listed in the
// form that opens it (FileNames.h); displayFileName() shows it. A folder
// that does not exist or cannot be listed is an error.
[[nodiscard]] Result<QStringList> listTxtFolder(const QString& folder);

// Folder with exactly one trailing separator (native separators): one is
// added where there is none and doubled ones are dropped; a drive root stays
// as it is.
[[nodiscard]] QString folderPath(const QString& folder);

// Names derived from a queued file name F: the chapter name is F without its
// last four characters, the book name the same with every space made "_".
[[nodiscard]] QString batchChapterName(const QString& fileName);
[[nodiscard]] QString batchBookName(const QString& fileName);

} // namespace vamo
