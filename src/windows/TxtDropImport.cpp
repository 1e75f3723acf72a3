// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/TxtDropImport.h"

#include "intake/ChapterImport.h"
#include "model/BookProject.h"
#include "windows/BackgroundWork.h"
#include "windows/ChapterPreview.h"
#include "windows/Dialogs.h"
#include "windows/Placement.h"
#include "workflow/FolderBatch.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace vamo {

struct TxtDropImport::Pending {
    bool reading = true;
    int limit = BookProject::kChapterLimit;
    QList<TxtChapters> files;
    QStringList refused; // each refused file's reason and path
    QString bookName;    // for a book without a name, from a single file dropped
};

// What the worker read: every readable file, and why the others were not.
struct TxtDropImport::Read {
    QList<TxtChapters> files;
    QStringList refused;
};

TxtDropImport::TxtDropImport(BookProject& book, QWidget* opener)
    : m_book(book), m_opener(opener), m_work(new BackgroundWork(this))
{
}

TxtDropImport::~TxtDropImport()
{
    m_work->wait();
    delete m_preview.data();
}

QStringList TxtDropImport::droppedFiles(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.exists() && !info.isDir())
            paths.append(info.filePath());
    }
    return paths;
}

bool TxtDropImport::active() const { return m_pending != nullptr; }

ChapterPreview* TxtDropImport::preview()
{
    if (!m_preview) {
        m_preview = new ChapterPreview();
        connect(m_preview, &ChapterPreview::chosen, this, [this](ChapterPreview::Choice choice) {
            if (m_opener) {
                m_opener->setEnabled(true);
                m_opener->activateWindow();
            }
            if (choice != ChapterPreview::Choice::Cancel)
                append(choice == ChapterPreview::Choice::Split);
            finish();
        });
    }
    return m_preview;
}

void TxtDropImport::start(const QStringList& paths, int limit)
{
    if (m_pending || paths.isEmpty())
        return;
    if (m_book.chapterCount() >= limit) {
        Dialogs::information(m_opener, QStringLiteral("章节数量达到上限(%1)").arg(limit));
        return;
    }
    m_pending = std::make_unique<Pending>();
    m_pending->limit = limit;
    auto isTxt = [](const QString& path) {
        return QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
    };
    qint64 bytes = 0;
    for (const QString& path : paths)
        bytes += isTxt(path) ? QFileInfo(path).size() : 0;
    if (paths.size() == 1 && isTxt(paths.front()) && m_book.chapterCount() == 0 &&
        m_book.settings().bookName.trimmed().isEmpty())
        m_pending->bookName = QFileInfo(paths.front()).completeBaseName();

    Q_EMIT readingStarted();
    // Only the files are touched there; the book changes here, afterwards.
    m_work->start<Read>(
        [this, paths, bytes, isTxt](BackgroundWork::Reporter& reporter) {
            Read read;
            const qint64 expected = estimateCharacters(bytes);
            qint64 before = 0;
            for (const QString& path : paths) {
                // A file that is no TXT file or cannot be read is left out,
                // with its reason; the others come in.
                if (!isTxt(path)) {
                    read.refused << QStringLiteral("不是TXT文件：") + QDir::toNativeSeparators(path);
                    continue;
                }
                auto file =
                    readTxtChapters(path, batchChapterName(QFileInfo(path).fileName()), {}, [&](const TxtProgress& p) {
                        const double f =
                            expected > 0 ? static_cast<double>(before + p.characters) / static_cast<double>(expected)
                                         : 0.0;
                        reporter.report([this, f] { Q_EMIT progress(f); });
                    });
                if (!file) {
                    read.refused << file.error().message;
                    continue;
                }
                before += file->text.size();
                read.files.append(std::move(*file));
            }
            return read;
        },
        [this](Read read) { filesRead(std::move(read)); });
}

void TxtDropImport::tellRefused()
{
    if (!m_pending || m_pending->refused.isEmpty())
        return;
    Dialogs::warning(m_opener, QStringLiteral("以下文件未能导入：\n") + m_pending->refused.join(u'\n'));
    m_pending->refused.clear();
}

void TxtDropImport::filesRead(Read read)
{
    if (!m_pending || !m_pending->reading)
        return;
    m_pending->reading = false;
    m_pending->files = std::move(read.files);
    m_pending->refused = std::move(read.refused);
    Q_EMIT readingFinished();

    tellRefused();
    if (m_pending->files.isEmpty()) {
        finish();
        return;
    }
    const bool headings = std::any_of(m_pending->files.cbegin(), m_pending->files.cend(),
                                      [](const TxtChapters& f) { return f.split.isSplit(); });
    if (!headings) {
        append(false);
        finish();
        return;
    }
    auto plan = planChapters(m_pending->files, true, m_pending->limit - m_book.chapterCount(), m_pending->limit);
    if (!plan) {
        Dialogs::information(m_opener, plan.error().message);
        finish();
        return;
    }
    ChapterPreview* window = preview();
    window->showChapters(plan->chapters, static_cast<int>(m_pending->files.size()), plan->notice);
    if (m_opener) {
        // Over the centre of the opener, and kept above it.
        centreOver(window, m_opener);
        keepAbove(window, m_opener->window());
    }
    window->show();
    window->raise();
    window->activateWindow();
    if (m_opener)
        m_opener->setEnabled(false);
}

void TxtDropImport::append(bool split)
{
    if (!m_pending)
        return;
    auto plan = planChapters(m_pending->files, split, m_pending->limit - m_book.chapterCount(), m_pending->limit);
    m_pending->files.clear();
    if (!plan) {
        Dialogs::information(m_opener, plan.error().message);
        return;
    }
    if (auto stored = appendChapters(m_book, plan->chapters, {.limit = m_pending->limit}); !stored) {
        Dialogs::information(m_opener, stored.error().message);
        return;
    }
    // The book is named only now that its chapter is in, and only if no
    // name was typed meanwhile.
    if (!m_pending->bookName.isEmpty() && m_book.settings().bookName.trimmed().isEmpty())
        m_book.setBookName(m_pending->bookName);
}

void TxtDropImport::finish()
{
    m_pending.reset();
    Q_EMIT done();
}

} // namespace vamo
