// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace vamo {

// A progress fraction as the progress displays show it: the pattern "0.00%"
// (0.4521 shows as 45.21%).
[[nodiscard]] inline QString percentText(double fraction)
{
    return QString::number(fraction * 100.0, 'f', 2) + QLatin1Char('%');
}

// A fraction as a progress display takes it: an estimate that ran past the
// end shows 0.99 (the work is not over yet), a negative one 0.
[[nodiscard]] constexpr double shownFraction(double fraction)
{
    return fraction > 1.0 ? 0.99 : (fraction < 0.0 ? 0.0 : fraction);
}

// `done` of `total` as a progress display takes it (see shownFraction); no
// total counts as done.
[[nodiscard]] constexpr double shownFraction(qint64 done, qint64 total)
{
    return shownFraction(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
}

} // namespace vamo
