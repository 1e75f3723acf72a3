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
//   if (plan) appendChapters(book, plan->chapters);   // plan->notice tells of a merge
namespace vamo {

// One file read for an import, with the chapters it would give.
struct TxtChapters {
    QString wholeName; // its chapter name when it stays one chapter
    QString text;      // as the line reading gives it
    ChapterSplit split;
};

// Splits a text already read. Fails only for a pattern checkChapterPattern refuses.
Result<TxtChapters> textChapters(QString text, QString wholeName, const QString& pattern = {});
// Reads the file as a TXT file (readTxtFile) and splits it.
Result<TxtChapters> readTxtChapters(const QString& path, QString wholeName, const QString& pattern = {},
                                    const TxtProgressFn& progress = {});

struct ChapterPlan {
    QList<Chapter> chapters; // in file order
    QList<qsizetype> fileStarts; // per file: the position of its first chapter in `chapters`
    QList<bool> fileSplit;       // per file: its chapters are its detected ones (not the whole file)
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
Result<ChapterPlan> planChapters(const QList<TxtChapters>& files, bool split, int room,
                                 int limit = BookProject::kChapterLimit);

// Appends the chapters after the book's last chapter, each text stored
// through `save` (which adds its CR LF). Refuses, changing nothing, when the
// book would hold more than `limit` chapters.
Result<void> appendChapters(BookProject& book, const QList<Chapter>& chapters,
                            int limit = BookProject::kChapterLimit);

} // namespace vamo
