#pragma once

#include "model/Error.h"
#include "packaging/BuildEbook.h"

#include <QStringList>

#include <functional>

namespace vamo {

// The TXT files of a folder, as the folder tab lists them: entries matching
// *.txt in the file system's order, folders skipped, and the listing ends at
// the first name that (trimmed) has 4 characters or fewer. A folder that
// cannot be listed is an error.
Result<QStringList> listTxtFolder(const QString& folder);

// Folder with exactly one trailing separator.
QString folderPath(const QString& folder);

struct FolderBatchProgress {
    int book = 0;            // position in the queue
    int books = 0;           // queue length
    QString stage;           // "导入文件" while reading, "打包进度" while building
    double fraction = 0;     // of the current stage, 0..0.99
};
using FolderBatchProgressFn = std::function<void(const FolderBatchProgress&)>;

struct FolderBatchReport {
    int made = 0;
    QStringList failed;  // book names that were not made
    QString message;     // the one message shown at the end
    QString saveFolder;  // to open after the message
};

// Makes one book per queued file of `folder`, with the settings of `book`.
// Refuses an empty maker ("制作名为空") and an empty queue.
Result<FolderBatchReport> runFolderBatch(BookProject& book, const BuildEnvironment& env, const QString& folder,
                                         const QStringList& queue, const FolderBatchProgressFn& progress = {});

} // namespace vamo
