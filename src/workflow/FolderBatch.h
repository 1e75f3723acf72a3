// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterImport.h"
#include "intake/TxtFolder.h"
#include "model/Error.h"
#include "packaging/BuildEbook.h"

#include <QStringList>

#include <functional>

namespace vamo {

struct FolderBatchProgress {
    int book = 0;        // position in the queue
    int books = 0;       // queue length
    QString bookName;    // the book being made
    QString stage;       // "导入文件" while reading, "打包进度" while building
    double fraction = 0; // of the current stage, 0..1 (a value past 1 is shown as 0.99)
};
using FolderBatchProgressFn = std::function<void(const FolderBatchProgress&)>;

// One book the run made.
struct FolderBatchBook {
    QString bookName;
    int chapters = 0; // chapters the book got
    QString notice;   // a merge to fit the chapter limit, empty without one
    QStringList jarPaths;
    QStringList jadPaths;
};

struct FolderBatchReport {
    int made = 0;
    QList<FolderBatchBook> books; // the books made, in queue order
    QStringList failed;           // book names that were not made, in queue order
    QStringList reasons;          // why, one per entry of `failed`
    QStringList jarPaths;         // every volume of every book made, in order
    QStringList jadPaths;
    QString message;    // the one message shown at the end
    QString saveFolder; // to open after the message when a book was made
};

struct FolderBatchOptions {
    // Each book gets the chapters detected in its file (a file with fewer
    // than two headings stays one chapter), merged to fit the chapter limit.
    bool splitChapters = false;
    QString chapterPattern; // the user's heading rule; empty: the built-in one
    TextOptions text;       // 整理排版 and 转换为简体 for every file
};

// Makes one book per queued file of `folder`, with the settings of `book`.
// Refuses an empty maker ("制作名为空"), an empty queue and a JAR name that
// the make command's name rules refuse (MakeChecks.h); those refusals are
// the only errors. Book and chapter names come from the names the files
// show, and are held to the same rules. A file that
// cannot be read or a book that cannot be built does not stop the run: it
// is listed in the report and the others are still made. Each book's chapter
// list holds only its own chapters; afterwards the chapter list, the texts
// and the book name are empty. A heading rule that cannot be used is refused
// before any book is made.
[[nodiscard]] Result<FolderBatchReport> runFolderBatch(BookProject& book, const BuildEnvironment& env,
                                                       const QString& folder, const QStringList& queue,
                                                       const FolderBatchProgressFn& progress = {},
                                                       const FolderBatchOptions& options = {});

} // namespace vamo
