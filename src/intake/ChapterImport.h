// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterSplit.h"
#include "model/BookProject.h"
#include "model/Error.h"
#include "text/TxtReader.h"

#include <QList>
#include <QString>

// Bringing TXT files into a book as chapters, whole or split at their
// chapter headings: what the main window's drop, the batch import, the
// folder run and the command line share.
//
//   QList<TxtChapters> files;
//   for (...) files.append(*readTxtChapters(path, batchChapterName(fileName), pattern));
//   auto plan = planChapters(files, /*split=*/true, BookProject::kChapterLimit - book.chapterCount());
//   if (plan) appendChapters(book, plan->chapters, {.rule = 1});   // plan->notice tells of a merge
namespace vamo {

// Naming rules of imported chapters, in the order of the import window's
// list: 0 "txt文件名", 1 "第?章", 2 "第?节", 3 "第?部", 4 "第?页".
inline constexpr int kNamingRuleCount = 5;

// The chapter name for `fileName` under rule 0..4 when `before` chapters
// stand ahead of it in the book: rule 0 gives the file name without its last
// four characters, rules 1 to 4 give "第" (before + 1) and 章, 节, 部 or 页.
// A rule outside 0..4 counts as 0.
[[nodiscard]] QString importChapterName(int rule, const QString& fileName, int before);

// What may be done to a text after it is read, both off by default.
struct TextOptions {
    bool tidy = false;       // "整理排版" (tidyText)
    bool simplified = false; // "转换为简体" (toSimplified)

    [[nodiscard]] bool any() const { return tidy || simplified; }
};

// The text as the options make it: its traditional characters made
// simplified first (the chapter names with them), then tidied around the
// headings that `pattern` (empty: the built-in rule) finds. Fails for a
// pattern checkChapterPattern refuses and when the conversion cannot be done.
[[nodiscard]] Result<QString> prepareText(QString text, const TextOptions& options, const QString& pattern = {});

// A chapter name taken from a file as the options make its text: simplified
// under "转换为简体" (left as it is where that cannot be done).
[[nodiscard]] QString prepareName(QString name, const TextOptions& options);

// One file read for an import, with the chapters it would give.
struct TxtChapters {
    QString wholeName; // its chapter name when it stays one chapter
    QString text;      // as the line reading gives it
    ChapterSplit split;
};

// Splits a text already read, prepared by `options` first (with them the
// whole name is converted too). Fails as prepareText does.
[[nodiscard]] Result<TxtChapters> textChapters(QString text, QString wholeName, const QString& pattern = {},
                                               const TextOptions& options = {});
// Reads the file as a TXT file (readTxtFile) and splits it.
[[nodiscard]] Result<TxtChapters> readTxtChapters(const QString& path, QString wholeName, const QString& pattern = {},
                                                  const TxtProgressFn& progress = {}, const TextOptions& options = {});

struct ChapterPlan {
    QList<Chapter> chapters; // in file order
    int detected = 0;        // chapters before a merge
    int groupSize = 1;       // chapters merged into one
    QString notice;          // what the user is told of a merge, empty without one
};

// The chapters the files give, fitted into `room` chapters. Not splitting,
// or for a file with fewer than two headings: one chapter, `wholeName` with
// the whole text. Splitting: each other file gives its detected chapters;
// when they do not fit, consecutive chapters of a file are merged in equal
// groups (the same group size for all files) until they do. Fails with
// "章节数量达到上限(" `limit` ")" when not even one chapter per file fits.
[[nodiscard]] Result<ChapterPlan> planChapters(const QList<TxtChapters>& files, bool split, int room,
                                               int limit = BookProject::kChapterLimit);

// The preview's corrections of detected chapters, one per chapter.
struct ChapterCorrection {
    bool kept = true; // unticked: the chapter joins the one before it
    QString name;     // the name to give; empty keeps the detected one
};

// The chapters with the corrections made: an unticked chapter's text is
// appended to the chapter before it (the first chapter is always kept), a
// name given (trimmed, one line) replaces the chapter's. Corrections past
// the chapters' count are ignored; missing ones change nothing.
[[nodiscard]] QList<Chapter> correctChapters(QList<Chapter> chapters, const QList<ChapterCorrection>& corrections);

struct ChapterAppend {
    int limit = BookProject::kChapterLimit; // chapters the opener admits
    int rule = 0;               // naming rule: 1 to 4 number the chapters by their places; 0 keeps their names
    bool clearExisting = false; // the old chapters go first (their texts stay in their slots to be overwritten)
};

// Stores chapters into the book, on the thread that owns it: appended after
// the book's last chapter (or in place of its chapters), each text moved out
// of `chapters` and stored through `save` (which adds its CR LF) into slot
// `num`, `num` advancing by one; then the names, all at once. Under rules 1
// to 4 the names in `chapters` are made the numbered ones first. Returns the
// number stored. Refuses, changing nothing, when the book would hold more
// than `how.limit` chapters (or the main window's limit).
[[nodiscard]] Result<int> appendChapters(BookProject& book, QList<Chapter>& chapters, const ChapterAppend& how = {});
[[nodiscard]] inline Result<int> appendChapters(BookProject& book, QList<Chapter>&& chapters,
                                                const ChapterAppend& how = {})
{
    return appendChapters(book, chapters, how);
}

} // namespace vamo
