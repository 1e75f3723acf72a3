// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ScriptConvert.h"

#include "text/SimplifiedTables.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

// Windows has no OpenCC library: OpenCC's t2s tables, made from Debian's
// OpenCC data when the program is built, lie in the folder "opencc" beside
// the program (installed and portable alike) and are applied as OpenCC does.
namespace vamo {

namespace {

// The running program's folder, also where no QCoreApplication exists.
QString executableFolder()
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    return QFileInfo(QString::fromStdWString(name)).absolutePath();
}

} // namespace

Result<QString> toSimplified(QStringView text)
{
    if (text.isEmpty())
        return QString();
    static const Result<SimplifiedTables> tables =
        SimplifiedTables::load(QDir(executableFolder()).filePath(QStringLiteral("opencc")));
    if (!tables)
        return failure(tables);
    return tables->convert(text);
}

} // namespace vamo
