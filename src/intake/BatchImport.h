// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterImport.h"
#include "intake/ChapterLimit.h"
#include "model/BookProject.h"
#include "model/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// The batch import of a folder's TXT files as chapters, free of any window:
// the naming rules, the capacity of the book, reading the files over a
// snapshot (on any thread), split at their chapter headings when asked, and
// storing the result into the book afterwards. The naming and the storing
// are those of every import (ChapterImport.h); the listing of a folder's TXT
// files is the folder tab's (listTxtFolder).
namespace vamo {

// The naming rules in list order (kNamingRuleCount of them): "txt文件名",
// "第?章", "第?节", "第?部", "第?页". The names: importChapterName.
[[nodiscard]] QStringList namingRuleItems();

// Everything an import needs, taken on the user-interface thread when it
// starts; the reading works on this copy only.
struct ImportRequest {
    QString folder;    // the import folder, with its trailing separator
    QStringList files; // file names in import order
    int rule = 0;      // naming rule 0..4
    int existing = 0;  // chapters that stay ahead of the imported ones
    int limit = BookProject::kChapterLimit;
    bool splitChapters = false; // each file gives its detected chapters ("按章节标题拆分")
    QString pattern;            // the user's heading rule for the split; empty: the built-in one
    TextOptions text;           // 整理排版 and 转换为简体 for every file

    // How many of the files fit behind the existing chapters (one chapter
    // each at least).
    [[nodiscard]] int room() const;
};

// Where a running import is, reported after every 50th line of a file and
// when a file's turn comes (lines 0 then).
struct ImportProgress {
    int file = 0;          // j, 0-based position in the import
    int files = 0;         // n, files of the import
    QString chapterName;   // the chapter being imported
    qint64 estimate = 0;   // expected characters of the file (bytes × 55 / 100)
    qint64 lines = 0;      // lines of the file read so far
    qint64 characters = 0; // characters of the file read so far
    double fraction = 0;   // (j + characters ÷ estimate) ÷ n, as of the last 50-line mark
};
using ImportProgressFn = std::function<void(const ImportProgress&)>;

// Texts of the progress display.
[[nodiscard]] QString importCountCaption(int file, int files);       // 导入章数：3/10 (file is 0-based)
[[nodiscard]] QString importNameCaption(const QString& name);        // 章名：第3章
[[nodiscard]] QString importEstimateCaption(qint64 estimate);        // 【字数：1200】
[[nodiscard]] QString importReadingCaption(const ImportProgress& p); // 进度12.50% 加载150行 共6000字
[[nodiscard]] QString importFileDoneCaption(double fraction);        // 进度：12.50%

struct NotImported {
    QString fileName;
    QString reason;
};

struct ImportOutcome {
    // In import order, every text as the line reading gives it. Named by
    // their places among the chapters actually imported, or under rule 0 by
    // the file name (by its heading for a chapter detected in a file).
    QList<Chapter> chapters;
    QList<NotImported> unread; // vanished or unreadable, in import order
    QStringList overCapacity;  // the files past the limit, in import order
    int limit = 0;
    double fraction = 0;    // last progress computed
    bool cancelled = false; // stopped before the last file
    QString notice;         // split chapters merged to fit the limit (mergeNotice)

    // The one message at the end of an import; empty when every file came in.
    [[nodiscard]] QString message() const;
};

// Reads the files of `request` that fit, in order, through the TXT reader
// (the same encoding detection as everywhere). A file that has vanished or
// cannot be read is left out and reported; the chapters after it are named
// by their own places, so names and positions stay in step. `cancel` is
// looked at before every file. Splitting, each file with two or more
// headings gives its detected chapters and the others one chapter each
// (planChapters): chapters past the room left by the limit are merged in
// equal groups, which `notice` tells. Touches no book: safe on a worker
// thread.
[[nodiscard]] ImportOutcome readImport(const ImportRequest& request, const ImportProgressFn& progress = {},
                                       const std::atomic_bool* cancel = nullptr);

// Stores the outcome into the book on the thread that owns it, as
// appendChapters does with the request's limit and rule: when
// `clearExisting` is set the old chapter names go first (their texts stay in
// their slots to be overwritten); then each chapter's text is saved into slot
// `num`, `num` advancing by one, and the names (rules 1 to 4: numbered by
// their places in the book) are appended. The texts are moved out of
// `outcome`. Returns the number of chapters stored. Nothing changes when the
// outcome holds no chapter, or (an error) when the chapters would pass the
// request's limit.
[[nodiscard]] Result<int> applyImport(BookProject& book, const ImportRequest& request, ImportOutcome& outcome,
                                      bool clearExisting);

} // namespace vamo
