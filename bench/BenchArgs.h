// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The positional arguments of the benchmarks that take whole numbers only
// ("bench_chapters 10 7"): --help prints the usage, a word that is not a
// whole number above zero ends the run with it, instead of measuring a
// book of nothing.

#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace vamo::bench {

class Positional {
public:
    // `usage` is printed as it is, after "usage: " and the program's name.
    Positional(const QStringList& arguments, const char* usage) : m_args(arguments), m_usage(usage)
    {
        for (const QString& a : m_args.mid(1)) {
            if (a == u"--help" || a == u"-h") {
                printUsage(stdout);
                std::exit(0);
            }
        }
    }

    // Argument `i` (1 is the first after the program's name), or `fallback`
    // when there are fewer.
    [[nodiscard]] qint64 at(int i, qint64 fallback) const
    {
        if (i >= m_args.size())
            return fallback;
        bool ok = false;
        const qint64 v = m_args.at(i).toLongLong(&ok);
        if (!ok || v <= 0) {
            std::fprintf(stderr, "not a whole number above zero: %s\n", qPrintable(m_args.at(i)));
            printUsage(stderr);
            std::exit(2);
        }
        return v;
    }

private:
    void printUsage(std::FILE* to) const { std::fprintf(to, "usage: %s %s\n", qPrintable(m_args.value(0)), m_usage); }

    QStringList m_args;
    const char* m_usage;
};

} // namespace vamo::bench
