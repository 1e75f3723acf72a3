// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/DesktopOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace vamo {

// The shell opens a folder in Explorer (ShellExecuteW, through Qt) and says
// at once whether it could.
bool openFolderOnDesktop(const QString& path, QObject*, std::function<void()>)
{
    if (!QFileInfo(path).isDir())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace vamo
