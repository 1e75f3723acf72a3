// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vamo {

// A progress fraction as the progress displays show it: the pattern "0.00%"
// (0.4521 shows as 45.21%).
[[nodiscard]] inline QString percentText(double fraction)
{
    return QString::number(fraction * 100.0, 'f', 2) + QLatin1Char('%');
}

} // namespace vamo
