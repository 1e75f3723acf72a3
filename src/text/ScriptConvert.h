// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QString>
#include <QStringView>

// Traditional Chinese characters to simplified ones, phrase by phrase (so
// that 乾隆 stays 乾隆 while 乾淨 becomes 干净), through OpenCC's t2s tables:
// with the OpenCC library (ScriptConvert_posix.cpp), or on Windows, which
// has none, with the tables beside the program (ScriptConvert_win.cpp). The
// one place the program uses OpenCC.
namespace vamo {

// The text with its traditional characters made simplified; everything else
// (simplified characters, punctuation, line ends, other scripts) as it was.
// Tables that cannot be found or read are an error "无法转换为简体：…". Safe
// on any thread.
[[nodiscard]] Result<QString> toSimplified(QStringView text);

} // namespace vamo
