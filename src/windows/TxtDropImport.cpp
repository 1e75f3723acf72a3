// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/TxtDropImport.h"

#include "intake/ChapterImport.h"
#include "intake/NaturalOrder.h"
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
    QList<TxtChapters> read;  // as read, for detecting again with other rules
    QList<TxtChapters> files; // as the preview's rule and options make them
    bool detectAgain = false; // the rules changed while a detection ran
    QStringList refused;      // each refused file's reason and path
    QString bookName;         // for a book without a name, from a single file dropped
};

// A detection under the preview's rules, done on the worker.
struct TxtDropImport::Detected {
    QList<TxtChapters> files;
    std::optional<ChapterPlan> plan;
    std::optional<QString> problem;
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
    // A file manager hands them over in an order of its own (Windows'
    // Explorer puts the file the drag started on first).
    sortNaturally(paths);
    return paths;
}

bool TxtDropImport::active() const { return m_pending != nullptr; }

void TxtDropImport::closePreview()
{
    if (m_preview)
        m_preview->close();
}

ChapterPreview* TxtDropImport::preview()
{
    if (!m_preview) {
        m_preview = new ChapterPreview();
        connect(m_preview, &ChapterPreview::rulesChanged, this, &TxtDropImport::detectAgain);
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
    m_work->wait(); // a detection for a preview that was left
    if (m_book.chapterCount() >= limit) {
        Dialogs::information(m_opener, chapterLimitMessage(limit));
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
    m_pending->files = read.files;
    m_pending->read = std::move(read.files);
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
    // The rule and options the user left in the preview hold for these files too.
    if (!window->pattern().isEmpty() || window->textOptions().any())
        detectAgain();
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

// The preview's rule or options changed: the files read are split again on
// the worker (making a long text simplified takes a while); rules changed
// meanwhile start one more detection when this one ends.
void TxtDropImport::detectAgain()
{
    if (!m_pending || m_pending->reading || !m_preview)
        return;
    if (m_work->running()) {
        m_pending->detectAgain = true;
        return;
    }
    m_pending->detectAgain = false;
    m_preview->showDetecting();
    m_work->start<Detected>(
        [read = m_pending->read, pattern = m_preview->pattern(), options = m_preview->textOptions(),
         room = m_pending->limit - m_book.chapterCount(), limit = m_pending->limit](BackgroundWork::Reporter&) {
            Detected d;
            for (const TxtChapters& f : read) {
                auto file = textChapters(f.text, f.wholeName, pattern, options);
                if (!file) {
                    d.problem = file.error().message;
                    return d;
                }
                d.files.append(std::move(*file));
            }
            auto plan = planChapters(d.files, true, room, limit);
            if (!plan)
                d.problem = plan.error().message;
            else
                d.plan = std::move(*plan);
            return d;
        },
        [this](Detected d) { detected(std::move(d)); });
}

void TxtDropImport::detected(Detected d)
{
    if (!m_pending || !m_preview || !m_preview->isVisible())
        return;
    if (m_pending->detectAgain) {
        detectAgain();
        return;
    }
    if (!d.plan) {
        m_preview->showRuleProblem(d.problem.value_or(QString()));
        return;
    }
    m_pending->files = std::move(d.files);
    m_preview->showChapters(d.plan->chapters, static_cast<int>(m_pending->files.size()), d.plan->notice);
}

void TxtDropImport::append(bool split)
{
    if (!m_pending)
        return;
    auto plan = planChapters(m_pending->files, split, m_pending->limit - m_book.chapterCount(), m_pending->limit);
    m_pending->files.clear();
    m_pending->read.clear();
    if (!plan) {
        Dialogs::information(m_opener, plan.error().message);
        return;
    }
    if (split && m_preview)
        plan->chapters = correctChapters(std::move(plan->chapters), m_preview->corrections());
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
