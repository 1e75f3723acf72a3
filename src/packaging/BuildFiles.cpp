// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildFiles.h"

#include "model/SystemError.h"
#include "packaging/RunningBuilds.h"
#include "packaging/UnfinishedBuilds.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>

namespace vamo {

namespace {

const QString kLockName = QStringLiteral(".vamobook.lock");
const QString kPrefix = QStringLiteral(".vamobook-");
const QString kJournalSuffix = QStringLiteral(".build");
// The journal's first line; a file of the journal's name without it is not
// a journal.
const QByteArray kJournalHeader = QByteArrayLiteral("vamobook build files");
// The journal line of a build that made the book folder.
const QByteArray kFolderMade = QByteArrayLiteral("made the folder");
constexpr int kKeyLength = 16;
constexpr int kNameLength = 10;
constexpr qint64 kJournalLimit = qint64(1) << 20;

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

QString randomName(int length)
{
    static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QString name;
    name.reserve(length);
    for (int i = 0; i < length; ++i)
        name.append(QLatin1Char(kAlphabet[QRandomGenerator::system()->bounded(36)]));
    return name;
}

// A plain file, not a link (what a build creates).
bool isPlainFile(const QString& path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && !info.isJunction() && info.isFile();
}

FileSteps& realSteps()
{
    static FileSteps steps;
    return steps;
}

// The journals in `folder`, by build key.
QStringList journalsIn(const QString& folder)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.vamobook-[0-9a-z]{%1}\\.build$").arg(kKeyLength));
    QStringList found;
    const QStringList names = QDir(folder).entryList({kPrefix + QStringLiteral("*") + kJournalSuffix},
                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (pattern.match(name).hasMatch())
            found.append(name);
    }
    return found;
}

// Removes the temporary files a journal lists and the journal. Returns
// whether that build made the book folder.
bool clearJournal(const QString& folder, const QString& journalName, FileSteps& steps)
{
    const QString journalPath = QDir(folder).filePath(journalName);
    if (!isPlainFile(journalPath))
        return false;
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = journal.read(kJournalLimit);
    journal.close();
    QList<QByteArray> lines = content.split('\n');
    lines.removeLast(); // after the last newline: empty, or a line cut short
    if (lines.isEmpty() || lines.front() != kJournalHeader)
        return false;

    const QString key = journalName.mid(kPrefix.size(), kKeyLength);
    const QRegularExpression ours(
        QStringLiteral("^\\.vamobook-%1-[0-9a-z]{%2}\\.(jar|jad)$").arg(key).arg(kNameLength));
    bool madeFolder = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i] == kFolderMade) {
            madeFolder = true;
            continue;
        }
        const QString name = QString::fromUtf8(lines[i]);
        if (!ours.match(name).hasMatch())
            continue;
        const QString path = QDir(folder).filePath(name);
        if (isPlainFile(path))
            steps.remove(path);
    }
    steps.remove(journalPath);
    return madeFolder;
}

// QLockFile takes over a lock whose process is gone while it holds a second
// lock file, the lock's name + ".rmlock"; a process killed meanwhile leaves
// that one behind. It goes when its process is gone too.
void removeTakeOverLock(const QString& lockPath)
{
    const QString path = lockPath + QStringLiteral(".rmlock");
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return;
    QLockFile takeOver(path);
    takeOver.setStaleLockTime(0);
    if (takeOver.tryLock(0))
        takeOver.unlock();
}

bool clearJournals(const QString& folder, FileSteps& steps)
{
    bool madeFolder = false;
    for (const QString& journal : journalsIn(folder))
        madeFolder = clearJournal(folder, journal, steps) || madeFolder;
    return madeFolder;
}

} // namespace

QString buildLockPath(const QString& bookFolder) { return QDir(bookFolder).filePath(kLockName); }

BuildFiles::BuildFiles(QString bookFolder, FileSteps* steps, QString unfinishedList)
    : m_bookFolder(std::move(bookFolder)), m_unfinishedList(std::move(unfinishedList)),
      m_steps(steps ? steps : &realSteps()), m_lock(buildLockPath(m_bookFolder))
{
    // A lock file stays valid as long as its process runs, however long the
    // build takes; one whose process is gone is taken over.
    m_lock.setStaleLockTime(0);
}

Result<std::unique_ptr<BuildFiles>> BuildFiles::start(const QString& bookFolder, FileSteps* steps,
                                                      const QString& unfinishedList)
{
    std::unique_ptr<BuildFiles> files(new BuildFiles(bookFolder, steps, unfinishedList));
    if (!QFileInfo(bookFolder).isDir()) {
        Result<void> made;
        runningBuilds::listWhile(bookFolder, runningBuilds::Kind::Folder, [&] {
            made = makeFolders(bookFolder);
            return made.has_value();
        });
        if (!made)
            return fail(QStringLiteral("无法创建目录：") + native(bookFolder) + QStringLiteral("（") +
                        made.error().message + QStringLiteral("）"));
        files->m_createdFolder = true;
    }
    clearSystemError();
    if (!runningBuilds::listWhile(buildLockPath(bookFolder), runningBuilds::Kind::File,
                                  [&] { return files->m_lock.tryLock(kLockWaitMs); })) {
        // Held by a running build; a file of that name that is no lock at
        // all is someone else's and stays.
        qint64 pid = 0;
        QString host;
        QString application;
        const bool held =
            files->m_lock.error() == QLockFile::LockFailedError && files->m_lock.getLockInfo(&pid, &host, &application);
        if (files->m_createdFolder)
            QDir().rmdir(bookFolder);
        runningBuilds::unlist(bookFolder);
        files->m_createdFolder = false;
        if (held)
            return fail(QStringLiteral("另一个程序正在制作这本书，请稍后再试：") + native(bookFolder));
        if (files->m_lock.error() == QLockFile::LockFailedError)
            return fail(QStringLiteral("书的文件夹中已有一个不是本程序锁文件的.vamobook.lock，请移走后再试：") +
                        native(buildLockPath(bookFolder)));
        return fail(cannotWriteFile(buildLockPath(bookFolder), lastSystemError()));
    }

    removeTakeOverLock(buildLockPath(bookFolder));
    clearJournals(bookFolder, *files->m_steps);
    // Listed before the journal exists: a build killed from here on is found
    // again by the next start, wherever the book folder lies.
    unfinishedBuilds::note(unfinishedList, bookFolder);

    // The journal, under a key no other build uses.
    for (int attempt = 0; attempt < 16 && !files->m_journal; ++attempt) {
        const QString key = randomName(kKeyLength);
        const QString path = QDir(bookFolder).filePath(kPrefix + key + kJournalSuffix);
        std::error_code error;
        runningBuilds::listWhile(path, runningBuilds::Kind::File, [&] {
            clearSystemError();
            files->m_journal = runningBuilds::openNewFile(path, QIODevice::WriteOnly);
            error = lastSystemError();
            return files->m_journal != nullptr;
        });
        if (files->m_journal)
            files->m_key = key;
        else if (!QFileInfo::exists(path) && !isLink(path))
            return fail(cannotWriteFile(path, error)); // not a name taken: no other name does better
    }
    if (!files->m_journal || !files->note(kJournalHeader) || (files->m_createdFolder && !files->note(kFolderMade))) {
        const std::error_code error = lastSystemError();
        const QString path = files->m_journal ? files->m_journal->fileName() : QDir(bookFolder).filePath(kPrefix);
        return fail(cannotWriteFile(path, files->m_journal ? error : std::error_code()));
    }
    return files;
}

BuildFiles::~BuildFiles()
{
    if (!m_lock.isLocked())
        return;
    for (const QString& path : std::as_const(m_temporaries)) {
        m_steps->remove(path);
        runningBuilds::unlist(path);
    }
    if (m_journal) {
        m_journal->close();
        m_steps->remove(m_journal->fileName());
        runningBuilds::unlist(m_journal->fileName());
    }
    m_lock.unlock();
    runningBuilds::unlist(buildLockPath(m_bookFolder));
    if (m_createdFolder && !m_committed)
        QDir().rmdir(m_bookFolder);
    runningBuilds::unlist(m_bookFolder);
    unfinishedBuilds::forget(m_unfinishedList, m_bookFolder);
}

bool BuildFiles::note(const QByteArray& line)
{
    clearSystemError(); // a failure's reason is the write's
    return m_journal->write(line + '\n') == line.size() + 1 && m_journal->flush();
}

Result<std::unique_ptr<QFile>> BuildFiles::createTemporary(const QString& extension)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name =
            kPrefix + m_key + QStringLiteral("-") + randomName(kNameLength) + QStringLiteral(".") + extension;
        const QString path = QDir(m_bookFolder).filePath(name);
        // Recorded before it exists: a build killed at any moment leaves no
        // file its journal does not name.
        if (!note(name.toUtf8()))
            return fail(cannotWriteFile(m_journal->fileName(), lastSystemError()));
        std::unique_ptr<QFile> file;
        std::error_code error;
        runningBuilds::listWhile(path, runningBuilds::Kind::File, [&] {
            clearSystemError();
            file = runningBuilds::openNewFile(path, QIODevice::ReadWrite);
            error = lastSystemError();
            return file != nullptr;
        });
        if (file) {
            m_temporaries.append(path);
            return file;
        }
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
            continue; // taken by something else: never ours, try another name
        return fail(cannotWriteFile(path, error));
    }
    return fail(QStringLiteral("无法写入文件：") + native(m_bookFolder));
}

Result<std::unique_ptr<QFile>> BuildFiles::rewriteTemporary(const QString& path, QByteArray* previous)
{
    clearSystemError();
    std::unique_ptr<QFile> file = m_temporaries.contains(path) ? runningBuilds::openOwnFile(path) : nullptr;
    if (file && previous) {
        *previous = file->readAll();
        if (file->error() != QFileDevice::NoError)
            file.reset();
    }
    if (!file || !file->resize(0))
        return fail(cannotWriteFile(path, lastSystemError()));
    return file;
}

void BuildFiles::discardTemporary(const QString& path)
{
    if (m_temporaries.removeOne(path)) {
        m_steps->remove(path);
        runningBuilds::unlist(path);
    }
}

Result<void> BuildFiles::commit(const std::vector<Volume>& volumes, const QString& jarName)
{
    for (const Volume& v : volumes) {
        for (const QString& target : {v.jar, v.jad}) {
            const QFileInfo info(target);
            if (info.isDir() && !info.isSymLink())
                return fail(QStringLiteral("无法写入文件：") + native(target));
        }
    }
    for (const Volume& v : volumes) {
        for (const auto& [from, to] : {std::pair{v.jarTemporary, v.jar}, std::pair{v.jadTemporary, v.jad}}) {
            clearSystemError();
            if (!m_steps->replace(from, to))
                return fail(cannotWriteFile(to, lastSystemError()));
            m_temporaries.removeOne(from);
            runningBuilds::unlist(from);
        }
    }
    m_committed = true;

    // The volumes of an older build that cut the book into more.
    QStringList written;
    for (const Volume& v : volumes)
        written << QFileInfo(v.jar).fileName() << QFileInfo(v.jad).fileName();
    const QRegularExpression volumeName(
        QStringLiteral("^") + QRegularExpression::escape(jarName) + QStringLiteral("\\(0*[1-9][0-9]*\\)\\.(jar|jad)$"),
        fileNameCase() == Qt::CaseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                              : QRegularExpression::NoPatternOption);
    const QStringList names = QDir(m_bookFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    QStringList stale;
    for (const QString& name : names) {
        const bool ours = written.contains(name, fileNameCase());
        if (!ours && volumeName.match(name).hasMatch() && isPlainFile(QDir(m_bookFolder).filePath(name)))
            stale.append(name);
    }
    // The JADs first: a phone installs from them. The new book is in place
    // whatever happens here; what cannot be removed stays.
    std::stable_partition(stale.begin(), stale.end(),
                          [](const QString& name) { return name.endsWith(QStringLiteral(".jad")); });
    for (const QString& name : std::as_const(stale))
        m_steps->remove(QDir(m_bookFolder).filePath(name));
    return {};
}

bool removeKilledBuildFilesIn(const QString& bookFolder)
{
    const QFileInfo folder(bookFolder);
    if (!folder.isDir() || folder.isSymLink() || folder.isJunction())
        return true; // gone, or no folder of a build's: nothing to look into
    const QString path = folder.absoluteFilePath();
    const QString lockPath = buildLockPath(path);
    const bool locked = QFileInfo::exists(lockPath) || QFileInfo::exists(lockPath + QStringLiteral(".rmlock"));
    if (!locked && journalsIn(path).isEmpty())
        return true;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return false; // a build is running there, or the file is not a lock
    removeTakeOverLock(lockPath);
    const bool madeFolder = clearJournals(path, realSteps());
    lock.unlock();
    if (madeFolder)
        QDir().rmdir(path); // only when nothing else lies in it
    return true;
}

void removeKilledBuildFiles(const QString& saveFolder)
{
    const QFileInfoList folders =
        QDir(saveFolder).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& folder : folders)
        (void)removeKilledBuildFilesIn(folder.absoluteFilePath());
}

} // namespace vamo
