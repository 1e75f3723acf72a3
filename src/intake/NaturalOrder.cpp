// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/NaturalOrder.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <memory>
#include <numeric>

namespace vamo {

namespace {

// ICU's Chinese collation (pinyin), the same wherever the program runs: Qt's
// own collator follows the system's, which on Windows is not ICU's, and a
// collation the system does not know (as under Wine) would be code point
// order. Letters without regard to case (secondary strength).
class ChineseCollation {
public:
    ChineseCollation()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_collator.reset(ucol_open("zh", &status));
        if (U_FAILURE(status))
            m_collator.reset();
        else
            ucol_setStrength(m_collator.get(), UCOL_SECONDARY);
    }

    // Without a collator (no collation data) the characters decide.
    [[nodiscard]] int compare(QStringView a, QStringView b) const
    {
        if (!m_collator)
            return a.compare(b, Qt::CaseInsensitive);
        const UCollationResult r = ucol_strcoll(m_collator.get(), a.utf16(), static_cast<int32_t>(a.size()), b.utf16(),
                                                static_cast<int32_t>(b.size()));
        return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
    }

private:
    struct Close {
        void operator()(UCollator* c) const { ucol_close(c); }
    };
    std::unique_ptr<UCollator, Close> m_collator;
};

// Compares digit runs by value (leading zeros aside, a longer run is the
// larger number) and the text between them by the collation; the collator's
// own numeric mode is not found on every platform, this is.
int compareNaturally(const ChineseCollation& collator, QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    auto digitRun = [](QStringView s, qsizetype from) {
        qsizetype e = from;
        while (e < s.size() && s[e].isDigit())
            ++e;
        return e;
    };
    auto textRun = [](QStringView s, qsizetype from) {
        qsizetype e = from;
        while (e < s.size() && !s[e].isDigit())
            ++e;
        return e;
    };
    while (i < a.size() && j < b.size()) {
        const bool da = a[i].isDigit();
        const bool db = b[j].isDigit();
        if (da && db) {
            const qsizetype ea = digitRun(a, i);
            const qsizetype eb = digitRun(b, j);
            QStringView na = a.sliced(i, ea - i);
            QStringView nb = b.sliced(j, eb - j);
            while (na.size() > 1 && na.front() == u'0')
                na = na.sliced(1);
            while (nb.size() > 1 && nb.front() == u'0')
                nb = nb.sliced(1);
            if (na.size() != nb.size())
                return na.size() < nb.size() ? -1 : 1;
            for (qsizetype k = 0; k < na.size(); ++k) {
                const int d = na[k].digitValue() - nb[k].digitValue();
                if (d != 0)
                    return d < 0 ? -1 : 1;
            }
            i = ea;
            j = eb;
            continue;
        }
        if (da != db)
            return da ? -1 : 1; // a number before text at the same place
        const qsizetype ea = textRun(a, i);
        const qsizetype eb = textRun(b, j);
        if (const int c = collator.compare(a.sliced(i, ea - i), b.sliced(j, eb - j)); c != 0)
            return c;
        i = ea;
        j = eb;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1; // the shorter name first
    return 0;
}

} // namespace

QList<qsizetype> naturalOrder(const QStringList& names)
{
    const ChineseCollation collator;
    QList<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), qsizetype{0});
    std::stable_sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
        const int c = compareNaturally(collator, names[x], names[y]);
        return c != 0 ? c < 0 : names[x] < names[y];
    });
    return order;
}

void sortNaturally(QStringList& names, QString (*shown)(QStringView))
{
    QStringList keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.append(shown ? shown(name) : name);
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype at : naturalOrder(keys))
        sorted.append(std::move(names[at]));
    names = std::move(sorted);
}

void sortNaturally(QStringList& names) { sortNaturally(names, nullptr); }

} // namespace vamo
