// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsageMessages.h"

#include <cstring>

namespace vamo {

QString UsageMessages::translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                                 int /*n*/) const
{
    if (std::strcmp(context, "QCommandLineParser") != 0)
        return QString();
    // %1 is the option as typed, without a value.
    if (std::strcmp(sourceText, "Missing value after '%1'.") == 0)
        return QStringLiteral("选项%1缺少值");
    if (std::strcmp(sourceText, "Unexpected value after '%1'.") == 0)
        return QStringLiteral("选项%1不需要值");
    return QString();
}

QString unknownOptionMessage(const QStringList& arguments, const QString& name)
{
    QString typed = name;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QStringLiteral("--"))
            break;
        const qsizetype dashes = a.startsWith(QStringLiteral("--")) ? 2 : a.startsWith(QLatin1Char('-')) ? 1 : 0;
        if (dashes > 0 && a.mid(dashes).section(QLatin1Char('='), 0, 0) == name) {
            typed = a;
            break;
        }
    }
    return QStringLiteral("未知选项：") + typed + QStringLiteral("（以“-”开头的文件名请放在“--”之后）");
}

} // namespace vamo
