// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the batch import window offscreen: a folder of TXT files imported
// as chapters by "全部选中", compared with the import run alone. Reports the
// total times, the user-interface thread's CPU time, and the longest gap
// between two repaints of the import window while the files are read (the
// window is asked to repaint every 10 ms, as when another window is dragged
// over it).
//
//   bench_windows_import [files=500] [kilobytes per file=40] [rounds=3]
//
// Each figure is the best time of the rounds and the worst gap seen.
#if __has_include("NovelGenerator.h")
#include "BenchArgs.h"
#include "NovelGenerator.h"
#include "PaintWatch.h"

#include "intake/BatchImport.h"
#include "model/BookProject.h"
#include "text/Cp936.h"
#include "windows/Dialogs.h"
#include "windows/ImportWindow.h"
#include "windows/MainWindow.h"
#include "windows/Navigator.h"
#include "workflow/FolderBatch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace vamo;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dialogs::setTestMode(true);
    const bench::Positional args(QCoreApplication::arguments(),
                                 "[files (500, at most 1000)] [KB a file (40)] [rounds (3)]");
    const int files = static_cast<int>(std::min<qint64>(args.at(1, 500), BookProject::kChapterLimit));
    const qint64 kilobytes = args.at(2, 40);
    const int rounds = static_cast<int>(args.at(3, 3));

    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath(QStringLiteral("txt"));
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile f(QDir(folder).filePath(QStringLiteral("chapter%1.txt").arg(i, 4, 10, QLatin1Char('0'))));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(cp936::encode(
            bench::generateNovel({.targetBytes = kilobytes * 1024, .seed = 77u + static_cast<unsigned>(i)})));
    }
    auto listed = listTxtFolder(folder);
    if (!listed || listed->size() != files) {
        std::puts("listing failed");
        return 1;
    }
    std::printf("batch import: %d files of %lld KB (code page 936); best of %d rounds\n", files,
                static_cast<long long>(kilobytes), rounds);

    FixedClock clock(QDateTime(QDate(2026, 6, 1), QTime(10, 0, 0)));
    qint64 coreMs = -1, coreCpu = -1, windowMs = -1, windowCpu = -1, worstGap = 0;
    int paints = 0;
    for (int r = 0; r < rounds; ++r) {
        {
            BookProject book(clock);
            ImportRequest request{folderPath(folder), *listed, 1, 0, BookProject::kChapterLimit, false, {}, {}};
            QElapsedTimer t;
            const qint64 cpu = bench::threadCpuMs();
            t.start();
            ImportOutcome outcome = readImport(request);
            auto applied = applyImport(book, request, outcome, false);
            const qint64 ms = t.elapsed();
            if (!applied || *applied != files)
                return 1;
            coreMs = coreMs < 0 ? ms : std::min(coreMs, ms);
            coreCpu = coreCpu < 0 ? bench::threadCpuMs() - cpu : std::min(coreCpu, bench::threadCpuMs() - cpu);
        }
        {
            BookProject book(clock);
            QTemporaryDir prog;
            Navigator windows(book, prog.path(), BuildEnvironment{prog.path()});
            MainWindow& window = *windows.mainWindow();
            window.show();
            window.findChild<QPushButton*>(QStringLiteral("Command10"))->click();
            ImportWindow* form6 = windows.importWindow();
            form6->setFolder(folder);
            bench::settle();
            QEventLoop loop;
            QObject::connect(form6, &ImportWindow::importFinished, &loop, &QEventLoop::quit);
            bench::PaintWatch watch(form6);
            watch.start();
            QElapsedTimer t;
            const qint64 cpu = bench::threadCpuMs();
            t.start();
            form6->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            loop.exec();
            const qint64 ms = t.elapsed();
            const qint64 used = bench::threadCpuMs() - cpu;
            watch.stop();
            if (book.chapterCount() != files) {
                std::printf("window import failed: %s\n", qPrintable(Dialogs::messages().join(u'|')));
                return 1;
            }
            windowMs = windowMs < 0 ? ms : std::min(windowMs, ms);
            windowCpu = windowCpu < 0 ? used : std::min(windowCpu, used);
            worstGap = std::max(worstGap, watch.longestGapMs());
            paints = std::max(paints, watch.paints());
        }
    }
    std::printf("import run alone  %6lld ms wall, %6lld ms CPU\n", static_cast<long long>(coreMs),
                static_cast<long long>(coreCpu));
    std::printf("import window     %6lld ms wall, %6lld ms UI-thread CPU, longest repaint gap %lld ms (target < 50 ms; "
                "%d paints)\n",
                static_cast<long long>(windowMs), static_cast<long long>(windowCpu), static_cast<long long>(worstGap),
                paints);
    return 0;
}
#else
#include <cstdio>
int main()
{
    std::puts("bench_windows_import: bench/NovelGenerator.h is missing");
    return 1;
}
#endif
