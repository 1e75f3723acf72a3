// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class QMimeData;
class QWidget;

namespace vamo {

class BackgroundWork;
class BookProject;
class ChapterPreview;

// TXT files dropped on a chapter list, brought into the book: read (and
// split at their headings) on a worker thread, then appended after the
// existing chapters through `save`. Files without two or more headings come
// in one chapter each, named as the batch import names them; otherwise the
// preview "分章预览" lets the user take the detected chapters (split again
// under the rule and options the preview sets, with its unticked headings
// and new names), take every file as one chapter, or cancel. The opener is disabled while the preview
// is open; its busy display while the files are read is its own, driven by
// the signals.
class TxtDropImport : public QObject {
    Q_OBJECT
public:
    TxtDropImport(BookProject& book, QWidget* opener);
    ~TxtDropImport() override; // waits for a read in progress

    // The local files among dropped items (folders left out), in reading
    // order: numbers in their names by value (NaturalOrder.h).
    static QStringList droppedFiles(const QMimeData* mime);

    // Reading, or waiting for the preview's choice: no second drop now.
    bool active() const;
    // The preview, created on first use.
    ChapterPreview* preview();
    // The way out: an open preview closes and nothing is imported.
    void closePreview();
    // Starts the import of `paths` (nothing when active or empty): every
    // readable TXT file among them comes in, in their order; one warning
    // names each file refused (not a TXT file, not text, unreadable) with
    // its reason. A book at the chapter limit is told so at once. A single
    // file dropped on a book without chapters or book name names the book.
    void start(const QStringList& paths, int limit);

Q_SIGNALS:
    void readingStarted();
    void progress(double fraction); // characters read against the files' estimate
    void readingFinished();
    // The chapters are in the book (or nothing was taken).
    void done();

private:
    struct Read;
    void filesRead(Read read);
    void detectAgain();
    struct Detected;
    void detected(Detected d);
    void append(bool split);
    void finish();
    void tellRefused();

    struct Pending;
    BookProject& m_book;
    QPointer<QWidget> m_opener;
    QPointer<ChapterPreview> m_preview;
    std::unique_ptr<Pending> m_pending;
    BackgroundWork* m_work = nullptr;
};

} // namespace vamo
