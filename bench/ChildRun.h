// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Timing a piece of work in a child process of its own, so that its CPU time
// and peak memory are its alone: the benchmark runs itself again with
// "--child" and the work's arguments; the child does the work and prints
// what it measured as lines "key value", which the parent reads back.
//
//   parent:  const bench::ChildReport r = bench::runChild({source, save});
//            const double cpu = r.seconds("cpu");
//   child:   bench::report("cpu", bench::processCpuNs() - cpuStart);

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace vamo::bench {

// User and system time of every thread of this process, in nanoseconds.
inline qint64 processCpuNs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto ns = [](const timeval& t) { return qint64(t.tv_sec) * 1000000000 + qint64(t.tv_usec) * 1000; };
    return ns(u.ru_utime) + ns(u.ru_stime);
}

// CPU time of the calling thread, in nanoseconds.
inline qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Peak resident memory of this process so far, in KiB (Linux).
inline long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Child side: one "key value" line on standard output.
template <typename T>
void report(const char* key, const T& value)
{
    static QTextStream out(stdout);
    out << key << ' ' << value << '\n';
    out.flush();
}

// Parent side: what a child printed.
struct ChildReport {
    std::vector<std::pair<QString, QString>> lines;

    QString value(QStringView key) const
    {
        for (const auto& [k, v] : lines) {
            if (k == key)
                return v;
        }
        return {};
    }
    QStringList values(QStringView key) const
    {
        QStringList all;
        for (const auto& [k, v] : lines) {
            if (k == key)
                all.append(v);
        }
        return all;
    }
    qint64 number(QStringView key) const { return value(key).toLongLong(); }
    // A value in nanoseconds, as seconds.
    double seconds(QStringView key) const { return static_cast<double>(number(key)) / 1e9; }
};

enum class Processors { All, First };

// Runs this program again as `--child args...`, on every processor or
// pinned to the first one, and waits for it; a child that fails ends the
// benchmark.
inline ChildReport runChild(const QStringList& args, Processors processors = Processors::All)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (processors == Processors::First) {
        p.setChildProcessModifier([] {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(0, &set);
            sched_setaffinity(0, sizeof set, &set);
        });
    }
    p.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--child")} + args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("the child run failed: %s", qPrintable(args.join(u' ')));
    ChildReport r;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        r.lines.emplace_back(line.section(u' ', 0, 0), line.section(u' ', 1));
    return r;
}

// "met" or "MISSED", for a figure printed beside its target.
inline const char* verdict(bool met) { return met ? "met" : "MISSED"; }

// The benchmark's report, on standard output.
inline QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

} // namespace vamo::bench
