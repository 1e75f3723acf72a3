// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/DesktopOpen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <utility>

namespace vamo {

bool openFolderOnDesktop(const QString& path, QObject* context, std::function<void()> failed)
{
    if (!QFileInfo(path).isDir())
        return false;
    // Qt hands the folder to xdg-open and forgets it; xdg-open's exit status
    // is the only word on whether a file manager (or anything) showed it.
    if (const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open")); !xdgOpen.isEmpty()) {
        // Owned by the application: a file manager that xdg-open runs in the
        // foreground outlives this process object, which only waits for it.
        auto* process = new QProcess(QCoreApplication::instance());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, context ? context : process,
                         [failed](int code, QProcess::ExitStatus status) {
                             if (status != QProcess::NormalExit || code != 0)
                                 failed();
                         });
        QObject::connect(process, &QProcess::errorOccurred, context ? context : process,
                         [failed = std::move(failed)](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart)
                                 failed();
                         });
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                process->deleteLater();
        });
        process->start(xdgOpen, {path});
        return true;
    }
    // Without xdg-open Qt's own way answers at once.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace vamo
