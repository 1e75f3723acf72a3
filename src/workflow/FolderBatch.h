// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterImport.h"
#include "intake/TxtFolder.h"
#include "model/Error.h"
#include "packaging/BuildEbook.h"

#include <QStringList>

#include <functional>
#include <optional>

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

// What a run changed of the settings it started from, and only that; the
// run touches no project, so that it may work on any thread.
struct FolderBatchChanges {
    std::optional<QString> maker;   // a blank maker, refused, is emptied
    std::optional<QString> message; // a blank message becomes " "
    std::optional<QString> jarName; // after every book made, a fresh dated one for the next
    bool built = false;             // a build was started (`batchmode` 1)

    // Makes the changes in the project, on the thread that owns it.
    void applyTo(BookProject& book) const;
};

struct FolderBatchOutcome {
    Result<FolderBatchReport> report;
    FolderBatchChanges changes; // also when the run was refused
};

// Makes one book per queued file of `folder`, with `settings` (their book
// name aside). Refuses an empty maker ("制作名为空"), an empty queue and a
// JAR name that the make command's name rules refuse (MakeChecks.h); those
// refusals are the only errors. Book and chapter names come from the names
// the files show, and are held to the same rules. A file that cannot be read
// or a book that cannot be built does not stop the run: it is listed in the
// report and the others are still made. Each book is built from its own
// chapters alone. A heading rule that cannot be used is refused before any
// book is made. The dated JAR names come from `clock`.
[[nodiscard]] FolderBatchOutcome runFolderBatch(const BookSettings& settings, const Clock& clock,
                                                const BuildEnvironment& env, const QString& folder,
                                                const QStringList& queue, const FolderBatchProgressFn& progress = {},
                                                const FolderBatchOptions& options = {});

} // namespace vamo
