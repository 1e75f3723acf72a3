// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QFile>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The files a build writes into a book folder, and how they are put in place.
//
// A build holds the book folder's lock file while it runs, so that builds of
// one book exclude each other. It writes every volume under a temporary name
// of its own: created exclusively (never through a link, never over an
// existing file) and named unpredictably, ".vamobook-" + a random build key
// + "-" + a random name + ".jar" or ".jad". Before it creates one it records
// the name in its journal ".vamobook-" + key + ".build"; a later build of the
// book, or the program's start, removes what a killed build left, by its
// journal, and nothing else. Finished volumes are renamed over the final
// names, the JAR before its JAD, so that a final name is never missing.
namespace vamo {

// The file-system steps that put a build in place and clear away its
// temporary files. A test stands in for them to stop a build between two
// steps.
class FileSteps {
public:
    virtual ~FileSteps() = default;
    // Puts the file `from` in place of `to` in one step (a rename over it),
    // so that `to` is never missing; a link at `to` is replaced, never
    // followed.
    [[nodiscard]] virtual bool replace(const QString& from, const QString& to);
    // Removes the file (or link) `path`; whether it went (clearing away is
    // done as far as it goes, so callers may let it pass).
    virtual bool remove(const QString& path);
};

// The lock file of a book folder.
[[nodiscard]] QString buildLockPath(const QString& bookFolder);

class BuildFiles {
public:
    // How long a build waits for another build of the same book folder to
    // end before it gives up.
    static constexpr int kLockWaitMs = 2000;

    // Starts a build in `bookFolder`: creates the folder when missing, takes
    // its lock (waiting briefly for another build of it) and removes what
    // killed builds left there. Fails with "无法创建目录：" + folder,
    // "另一个程序正在制作这本书，请稍后再试：" + folder, or "无法写入文件：" +
    // path. `steps` (the real file system when null) must outlive the build.
    // The book folder is on the list of unfinished builds in the file
    // `unfinishedList` (none when empty) until the build ends.
    [[nodiscard]] static Result<std::unique_ptr<BuildFiles>>
    start(const QString& bookFolder, FileSteps* steps = nullptr, const QString& unfinishedList = {});

    // Unless committed: removes the temporary files of this build and, when
    // the build made the book folder and nothing else lies in it, the folder.
    // Then the journal goes and the lock is released.
    ~BuildFiles();
    BuildFiles(const BuildFiles&) = delete;
    BuildFiles& operator=(const BuildFiles&) = delete;

    // A new temporary file of this build, open for writing (and reading
    // back what was written); `extension` is
    // "jar" or "jad". Fails with "无法写入文件：" + path.
    [[nodiscard]] Result<std::unique_ptr<QFile>> createTemporary(const QString& extension);

    // A temporary file of this build opened again, emptied, for writing it
    // anew; what it held goes to `previous` first when asked. Fails with
    // "无法写入文件：" + path.
    [[nodiscard]] Result<std::unique_ptr<QFile>> rewriteTemporary(const QString& path, QByteArray* previous = nullptr);

    // Removes a temporary file of this build that is not needed any more.
    void discardTemporary(const QString& path);

    struct Volume {
        QString jarTemporary;
        QString jar;
        QString jadTemporary;
        QString jad;
    };

    // Puts every volume in place: each JAR over its final name, its JAD right
    // after. A final name taken by a folder fails the commit before anything
    // is replaced. Once all are in place, the other numbered volumes of
    // `jarName` (jarName + "(" + number + ")" + ".jar" or ".jad", as a build
    // names them, the number of any length) go: an older build cut the book
    // into more volumes. Fails
    // with "无法写入文件：" + path; volumes put in place before stay.
    [[nodiscard]] Result<void> commit(const std::vector<Volume>& volumes, const QString& jarName);

private:
    BuildFiles(QString bookFolder, FileSteps* steps, QString unfinishedList);
    [[nodiscard]] bool note(const QByteArray& line);

    QString m_bookFolder;
    QString m_unfinishedList;
    FileSteps* m_steps;
    QLockFile m_lock;
    QString m_key;
    std::unique_ptr<QFile> m_journal;
    QStringList m_temporaries; // created and not yet put in place
    bool m_createdFolder = false;
    bool m_committed = false;
};

// What builds that were killed left in the book folders of `saveFolder`:
// their temporary files and journals, their lock files, and a book folder a
// build made and left empty. Book folders that a running build holds are left
// alone. For the program's start.
void removeKilledBuildFiles(const QString& saveFolder);

// The same for one book folder; whether nothing of a killed build is left
// there now (false while a running build holds it).
[[nodiscard]] bool removeKilledBuildFilesIn(const QString& bookFolder);

} // namespace vamo
