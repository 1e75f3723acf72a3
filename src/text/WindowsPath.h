// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>

#include <string>

// For the Windows files only: a path as the wide (UTF-16) Windows calls take
// it, with backslashes.
namespace vamo {

[[nodiscard]] inline std::wstring windowsPath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace vamo
