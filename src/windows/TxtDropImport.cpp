#include "windows/TxtDropImport.h"

#include "intake/ChapterImport.h"
#include "intake/FolderBatch.h"
#include "model/BookProject.h"
#include "windows/ChapterPreview.h"
#include "windows/Dialogs.h"
#include "windows/Placement.h"

#include <QFileInfo>
#include <QMimeData>
#include <QThread>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace vamo {

struct TxtDropImport::Pending {
    QThread* thread = nullptr;
    int limit = BookProject::kChapterLimit;
    QList<TxtChapters> files; // written by the worker until it has finished
    std::optional<Error> error;
};

TxtDropImport::TxtDropImport(BookProject& book, QWidget* opener) : m_book(book), m_opener(opener) {}

TxtDropImport::~TxtDropImport()
{
    if (m_pending && m_pending->thread) {
        m_pending->thread->wait();
        delete m_pending->thread;
    }
    delete m_preview.data();
}

QStringList TxtDropImport::txtFiles(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile() && info.suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0)
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
    qint64 bytes = 0;
    for (const QString& path : paths)
        bytes += QFileInfo(path).size();

    m_pending = std::make_unique<Pending>();
    m_pending->limit = limit;
    Pending* pending = m_pending.get();
    Q_EMIT readingStarted();
    // Only the files are touched there; the book changes here, afterwards.
    pending->thread = QThread::create([this, pending, paths, bytes] {
        const qint64 expected = estimateCharacters(bytes);
        qint64 before = 0;
        int shown = -1;
        for (const QString& path : paths) {
            auto file = readTxtChapters(path, batchChapterName(QFileInfo(path).fileName()), {},
                                        [&](const TxtProgress& p) {
                                            const double f = expected > 0 ? static_cast<double>(before + p.characters) /
                                                                                static_cast<double>(expected)
                                                                          : 0.0;
                                            if (static_cast<int>(f * 100) == shown)
                                                return;
                                            shown = static_cast<int>(f * 100);
                                            QMetaObject::invokeMethod(
                                                this, [this, f] { Q_EMIT progress(f); }, Qt::QueuedConnection);
                                        });
            if (!file) {
                pending->error = file.error();
                return;
            }
            before += file->text.size();
            pending->files.append(std::move(*file));
        }
    });
    connect(pending->thread, &QThread::finished, this, &TxtDropImport::filesRead);
    pending->thread->start();
}

void TxtDropImport::filesRead()
{
    if (!m_pending || !m_pending->thread)
        return;
    m_pending->thread->wait();
    delete m_pending->thread;
    m_pending->thread = nullptr;
    Q_EMIT readingFinished();

    if (m_pending->error) {
        Dialogs::information(m_opener, m_pending->error->message);
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
    if (auto stored = appendChapters(m_book, plan->chapters, m_pending->limit); !stored)
        Dialogs::information(m_opener, stored.error().message);
}

void TxtDropImport::finish()
{
    m_pending.reset();
    Q_EMIT done();
}

} // namespace vamo
