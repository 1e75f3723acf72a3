// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a TXT file against reading it line by line.
//
// Generates a reproducible ~10 MB novel in code page 936 and in UTF-8 and
// times, each in a fresh process as a user's single read would run:
//   decode        plain decoding of the file's bytes, already in memory (the
//                 text layer's decoder for code page 936, Qt's for UTF-8)
//   readTxtBytes  line reading of the same bytes, already in memory
//   readTxtFile   line reading of the file, opening and reading included
// and the peak memory of the process that runs readTxtFile. Then the same
// three again in this one process, best of several runs, where the memory
// of earlier runs is reused (what a long-running program sees).
//
//   bench_decode [size-in-MiB] [runs]

#include "BenchArgs.h"
#include "NovelGenerator.h"

#include "text/Cp936.h"
#include "text/TxtReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Peak resident memory of this process so far, in KiB (0 where unknown).
// Linux keeps ru_maxrss across exec, so a child started by a large parent
// would report the parent's peak; VmHWM belongs to this program alone.
long peakKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One measurement in this process: prints "milliseconds units lines
// peak-KiB-before peak-KiB-after".
int child(const QString& mode, const QString& encoding, const QString& path)
{
    (void)vamo::cp936::code(u'a'); // the tables belong to the program's start, not to the read
    (void)vamo::cp936::decode("\x81\x40");
    const QByteArray bytes = mode == u"file" ? QByteArray() : readFile(path);
    const long before = peakKiB();
    QElapsedTimer timer;
    timer.start();
    qsizetype units = 0;
    qint64 lines = 0;
    if (mode == u"decode") {
        units = (encoding == u"utf8" ? QString::fromUtf8(bytes) : vamo::cp936::decode(bytes)).size();
    } else if (mode == u"bytes") {
        const vamo::TxtText text = vamo::readTxtBytes(bytes);
        units = text.text.size();
        lines = text.lines;
    } else {
        const auto text = vamo::readTxtFile(path);
        if (!text)
            return 1;
        units = text->text.size();
        lines = text->lines;
    }
    const qint64 ns = timer.nsecsElapsed();
    std::printf("%.3f %lld %lld %ld %ld\n", static_cast<double>(ns) / 1e6, static_cast<long long>(units),
                static_cast<long long>(lines), before, peakKiB());
    return 0;
}

struct Runs {
    std::vector<double> ms;
    long long units = 0, lines = 0;
    long peakBefore = 0, peakAfter = 0;
    double best() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
};

Runs run(const QString& mode, const QString& encoding, const QString& path, int count)
{
    Runs runs;
    for (int i = 0; i < count; ++i) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {u"--child"_s, mode, encoding, path});
        process.waitForFinished(-1);
        const QList<QByteArray> f = process.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 5)
            continue;
        runs.ms.push_back(f[0].toDouble());
        runs.units = f[1].toLongLong();
        runs.lines = f[2].toLongLong();
        runs.peakBefore = f[3].toLong();
        runs.peakAfter = f[4].toLong();
    }
    return runs;
}

void measure(const char* label, const QString& encoding, const QString& path, qint64 bytes, int count)
{
    const Runs decode = run(u"decode"_s, encoding, path, count);
    const Runs fromBytes = run(u"bytes"_s, encoding, path, count);
    const Runs fromFile = run(u"file"_s, encoding, path, count);
    const double mib = 1024.0 * 1024.0;
    std::printf("%s: %.2f MiB, %lld lines, %lld UTF-16 units (%.2f MiB)\n", label, static_cast<double>(bytes) / mib,
                fromFile.lines, fromFile.units, static_cast<double>(fromFile.units) * 2 / mib);
    const auto row = [&](const char* name, const Runs& r) {
        std::printf("  %-13s best %7.2f ms  median %7.2f ms  (x%.2f of decode's median)\n", name, r.best(), r.median(),
                    r.median() / decode.median());
    };
    row("decode", decode);
    row("readTxtBytes", fromBytes);
    row("readTxtFile", fromFile);
    std::printf("  readTxtFile's process: peak %.1f MiB, %.1f MiB before the read, so the read took"
                " %.1f MiB (bytes + UTF-16 text = %.1f MiB)\n",
                fromFile.peakAfter / 1024.0, fromFile.peakBefore / 1024.0,
                (fromFile.peakAfter - fromFile.peakBefore) / 1024.0,
                (static_cast<double>(bytes) + static_cast<double>(fromFile.units) * 2) / mib);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"--child")
        return child(args[2], args[3], args[4]);

    const vamo::bench::Positional positional(args, "[MB of the text (10)] [runs (7)]");
    const qint64 targetBytes = positional.at(1, 10) * 1024 * 1024;
    const int count = static_cast<int>(positional.at(2, 7));
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    const QString gbkText = vamo::bench::generateNovel({.targetBytes = targetBytes, .wideCharBytes = 2});
    const QByteArray gbk = vamo::cp936::encode(gbkText);
    const QString utf8Text = vamo::bench::generateNovel({.targetBytes = targetBytes, .wideCharBytes = 3});
    const QByteArray utf8 = utf8Text.toUtf8();
    const QString gbkPath = QDir(dir.path()).filePath(u"novel-gbk.txt"_s);
    const QString utf8Path = QDir(dir.path()).filePath(u"novel-utf8.txt"_s);
    if (!writeFile(gbkPath, gbk) || !writeFile(utf8Path, utf8)) {
        std::fprintf(stderr, "cannot write the novels\n");
        return 1;
    }
    // A novel must read back exactly as generated.
    if (vamo::readTxtBytes(gbk).text != gbkText || vamo::readTxtBytes(utf8).text != utf8Text) {
        std::fprintf(stderr, "the novel does not read back as written\n");
        return 1;
    }

    std::printf("%d fresh processes per figure\n", count);
    measure("code page 936", u"cp936"_s, gbkPath, gbk.size(), count);
    measure("UTF-8", u"utf8"_s, utf8Path, utf8.size(), count);

    std::printf("in this process, best of %d runs:\n", count);
    const auto warm = [&](const char* label, const QString& path, const QByteArray& bytes, bool utf8) {
        const auto best = [&](auto work) {
            qint64 bestNs = -1;
            for (int i = 0; i < count; ++i) {
                QElapsedTimer timer;
                timer.start();
                work();
                const qint64 ns = timer.nsecsElapsed();
                bestNs = bestNs < 0 ? ns : qMin(bestNs, ns);
            }
            return static_cast<double>(bestNs) / 1e6;
        };
        const double decode =
            best([&] { return (utf8 ? QString::fromUtf8(bytes) : vamo::cp936::decode(bytes)).size(); });
        const double fromBytes = best([&] { return vamo::readTxtBytes(bytes).text.size(); });
        const double fromFile = best([&] { return vamo::readTxtFile(path)->text.size(); });
        std::printf("  %-13s decode %7.2f ms  readTxtBytes %7.2f ms (x%.2f)  readTxtFile %7.2f ms (x%.2f)\n", label,
                    decode, fromBytes, fromBytes / decode, fromFile, fromFile / decode);
    };
    warm("code page 936", gbkPath, gbk, false);
    warm("UTF-8", utf8Path, utf8, true);
    return 0;
}
