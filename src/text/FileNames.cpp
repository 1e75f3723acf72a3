// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace vamo {

Result<void> replaceFile(const QString& path, QByteArrayView bytes)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo target(path);
    if (isLink(path) || (target.exists() && !target.isFile()))
        return fail(QStringLiteral("无法写入文件：") + shown);
    // A folder that is a link leads out of the program folder: nothing is
    // written there.
    const QString folder = target.absolutePath();
    if (isLink(folder))
        return fail(QStringLiteral("无法写入文件：") + shown);
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
        return fail(QStringLiteral("无法创建文件夹：") + QDir::toNativeSeparators(folder));
    // The bytes go to a temporary file beside the target, which becomes the
    // target only by the final rename; a failure removes it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit())
        return fail(QStringLiteral("无法写入文件：") + shown);
    return {};
}

} // namespace vamo
