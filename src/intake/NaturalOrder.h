// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace vamo {

// File names in reading order: runs of digits by their value (2 before 10,
// 009 before 018 before 114), the rest by the Chinese collation (pinyin for
// Chinese, letters without regard to case). Names the collation cannot tell
// apart keep a fixed order by their characters.
void sortNaturally(QStringList& names);

// The same for names that are shown differently from how they are kept
// (a file name that is not valid UTF-8): `shown` gives the text compared.
void sortNaturally(QStringList& names, QString (*shown)(QStringView));

// The positions of `names` in natural order: the name first in order is at
// position result[0] of `names`, and so on.
[[nodiscard]] QList<qsizetype> naturalOrder(const QStringList& names);

} // namespace vamo
