// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ScriptConvert.h"

using namespace Qt::StringLiterals;

// A build without OpenCC (the Windows build, until OpenCC is built for it):
// the conversion is refused with a message, and no text is changed.
namespace vamo {

Result<QString> toSimplified(QStringView text)
{
    if (text.isEmpty())
        return QString();
    return fail(u"无法转换为简体：此版本没有繁简转换（OpenCC）"_s);
}

} // namespace vamo
