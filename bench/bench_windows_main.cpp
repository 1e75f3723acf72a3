// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real main window offscreen and compares it with the engine
// alone: a 10 MB book made from the single-book tab, in one volume and in
// 60 KB volumes (JAR size 4), and a 200-file folder run from the folder tab.
// Reports total times, the window's overhead and the longest gap between two
// repaints of the window while the work runs (target: under 50 ms).
// Throughout, the window is asked to repaint every 10 ms (as when another
// window is dragged over it), so a gap is how long such a request waits, also
// while the progress display has nothing new to show.
//
//   bench_windows_main [megabytes=10] [files=200] [rounds=3]
// VAMO_BENCH_GRAB=FILE.png saves a picture of the busy window 150 ms into
// every run (the last run's stays); the picture is taken on the window's
// thread and lengthens the gaps of those runs.
//
// Each figure is the best time of the rounds and the worst gap seen.
#if __has_include("NovelGenerator.h")
#include "BenchArgs.h"
#include "NovelGenerator.h"
#include "PaintWatch.h"

#include "model/BookProject.h"
#include "packaging/BuildEbook.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"
#include "windows/Navigator.h"
#include "workflow/FolderBatch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace vamo;

namespace {

bool writeTemplateJar(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z)
        return false;
    static const char manifest[] = "Manifest-Version: 1.0\r\n\r\n";
    zip_source_t* m = zip_source_buffer(z, manifest, sizeof manifest - 1, 0);
    const bool ok = zip_file_add(z, "META-INF/MANIFEST.MF", m, ZIP_FL_ENC_UTF_8) >= 0;
    return zip_close(z) == 0 && ok;
}

// The book's chapters: the novel cut at its chapter headings.
QStringList chaptersOf(const QString& novel)
{
    QStringList chapters;
    qsizetype start = 0;
    const QString heading = QStringLiteral("\r\n第");
    while (start < novel.size()) {
        qsizetype next = novel.indexOf(heading, start + 1);
        next = next < 0 ? novel.size() : next + 2;
        chapters << novel.mid(start, next - start);
        start = next;
    }
    return chapters;
}

void fill(BookProject& book, const QStringList& chapters)
{
    book.setBookName(QStringLiteral("长篇"));
    for (int i = 0; i < chapters.size() && i < BookProject::kChapterLimit; ++i) {
        (void)book.setChaptertext(i, chapters.at(i));
        book.appendChapterName(QStringLiteral("第%1章").arg(i + 1));
    }
}

struct Env {
    QTemporaryDir tmp;
    QString program;
    BuildEnvironment build;
    Env()
    {
        program = QDir(tmp.path()).filePath(QStringLiteral("prog"));
        build.templateFolder = QDir(tmp.path()).filePath(QStringLiteral("tpl"));
        QDir().mkpath(program);
        writeTemplateJar(QDir(build.templateFolder).filePath(QStringLiteral("DuvEver.dll")));
        writeTemplateJar(QDir(build.templateFolder).filePath(QStringLiteral("DuvEverMoto.dll")));
    }
    QString saveFolder(const QString& name) const
    {
        const QString f = QDir(tmp.path()).filePath(name);
        QDir().mkpath(f);
        return QDir::toNativeSeparators(f) + QDir::separator();
    }
};

// Longest time between two progress calls of the engine alone.
struct Silence {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    void begin()
    {
        clock.start();
        last = 0;
        longest = 0;
    }
    void tick()
    {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    }
};

// One measured run: its time and its longest silence (engine) or repaint
// gap (window); ms < 0 when the run failed.
struct Measure {
    qint64 ms = -1;
    qint64 gapMs = 0;
    int paints = 0;
    qint64 cpuMs = -1;
};

// Best time and worst gap over the rounds.
struct Summary {
    qint64 bestMs = -1;
    qint64 bestCpuMs = -1;
    qint64 worstGapMs = 0;
    int paints = 0;
    void add(const Measure& m)
    {
        if (bestMs < 0 || m.ms < bestMs)
            bestMs = m.ms;
        if (bestCpuMs < 0 || m.cpuMs < bestCpuMs)
            bestCpuMs = m.cpuMs;
        worstGapMs = std::max(worstGapMs, m.gapMs);
        paints = std::max(paints, m.paints);
    }
};

void report(const char* what, const Summary& core, const Summary& window)
{
    auto percent = [](qint64 a, qint64 b) {
        return 100.0 * static_cast<double>(a - b) / static_cast<double>(std::max<qint64>(1, b));
    };
    std::printf("%-24s wall: core %6lld ms, window %6lld ms (%+6.1f%%) | UI-thread CPU: core %6lld ms, window %6lld ms "
                "(%+6.1f%%)\n%-24s longest repaint gap %4lld ms (target < 50 ms: %s; %d paints) | engine's longest "
                "silence %4lld ms\n",
                what, static_cast<long long>(core.bestMs), static_cast<long long>(window.bestMs),
                percent(window.bestMs, core.bestMs), static_cast<long long>(core.bestCpuMs),
                static_cast<long long>(window.bestCpuMs), percent(window.bestCpuMs, core.bestCpuMs), "",
                static_cast<long long>(window.worstGapMs), window.worstGapMs < 50 ? "met" : "MISSED", window.paints,
                static_cast<long long>(core.worstGapMs));
}

// Times the engine alone: run(tick) does the work, calling tick() on every
// progress report, and says whether it succeeded (ms is -1 where not).
template <class Run>
Measure timeEngine(Run run)
{
    Silence silence;
    silence.begin();
    QElapsedTimer t;
    const qint64 cpu = bench::threadCpuMs();
    t.start();
    const bool ok = run([&silence] { silence.tick(); });
    Measure m{t.elapsed(), 0, 0, bench::threadCpuMs() - cpu};
    silence.tick();
    m.gapMs = silence.longest;
    if (!ok)
        m.ms = -1;
    return m;
}

Measure coreBook(const Clock& clock, Env& env, const QStringList& chapters, int jarSize, int round)
{
    BookProject book(clock);
    book.initialise(env.saveFolder(QStringLiteral("core%1-%2").arg(jarSize).arg(round)));
    book.setJarSize(jarSize);
    fill(book, chapters);
    return timeEngine([&](const auto& tick) {
        auto built = BuildEbook(BookSnapshot(book), env.build, [&](double) { tick(); });
        if (!built)
            std::printf("core build failed: %s\n", qPrintable(built.error().message));
        return built.has_value();
    });
}

// Clicks a make button of the window and measures the run it starts (on a
// worker; the window is busy until its result is shown), with the repaints
// of the window meanwhile. The time is the user-interface thread's wall and
// CPU time from the click to the result.
Measure clickAndWatch(MainWindow& window, const QString& button)
{
    bench::PaintWatch watch(&window, bench::PaintWatch::Counts::PaintsAndUpdateRequests);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!window.busy())
            loop.quit();
    });
    // VAMO_BENCH_GRAB=FILE.png keeps a picture of the busy window.
    const QString grab = qEnvironmentVariable("VAMO_BENCH_GRAB");
    if (!grab.isEmpty())
        QTimer::singleShot(150, &window, [&window, grab] { window.grab().save(grab); });
    QElapsedTimer t;
    watch.start();
    const qint64 cpu = bench::threadCpuMs();
    t.start();
    window.findChild<QPushButton*>(button)->click();
    poll.start();
    loop.exec();
    Measure m{t.elapsed(), 0, 0, bench::threadCpuMs() - cpu};
    watch.stop();
    m.gapMs = watch.longestGapMs();
    m.paints = watch.paints();
    return m;
}

Measure windowBook(const Clock& clock, Env& env, const QStringList& chapters, int jarSize, int round)
{
    Dialogs::clearRecord();
    BookProject book(clock);
    Navigator windows(book, env.program, env.build);
    MainWindow& window = *windows.mainWindow();
    window.show();
    bench::settle();
    book.setSaveFolder(env.saveFolder(QStringLiteral("window%1-%2").arg(jarSize).arg(round)));
    book.setJarSize(jarSize);
    fill(book, chapters);
    bench::settle();
    Measure m = clickAndWatch(window, QStringLiteral("Command8"));
    if (Dialogs::messages().isEmpty() || !Dialogs::messages().constLast().startsWith(QStringLiteral("成功制做"))) {
        std::printf("window build failed: %s\n", qPrintable(Dialogs::messages().join(u'|')));
        m.ms = -1;
    }
    return m;
}

Measure coreFolder(const Clock& clock, Env& env, const QString& folder, const QStringList& queue, int round)
{
    BookProject book(clock);
    book.initialise(env.saveFolder(QStringLiteral("core-batch%1").arg(round)));
    return timeEngine([&](const auto& tick) {
        const auto progress = [&](const FolderBatchProgress&) { tick(); };
        auto run = runFolderBatch(book.settings(), clock, env.build, folder, queue, progress).report;
        const bool ok = run && run->made == queue.size();
        if (!ok)
            std::printf("core folder run failed: %s\n",
                        run ? qPrintable(run->message) : qPrintable(run.error().message));
        return ok;
    });
}

Measure windowFolder(const Clock& clock, Env& env, const QString& folder, qsizetype files, int round)
{
    Dialogs::clearRecord();
    BookProject book(clock);
    Navigator windows(book, env.program, env.build);
    MainWindow& window = *windows.mainWindow();
    window.show();
    bench::settle();
    book.setSaveFolder(env.saveFolder(QStringLiteral("window-batch%1").arg(round)));
    window.setTxtFolder(folder);
    window.findChild<QTabBar*>(QStringLiteral("TabStrip1"))->setCurrentIndex(1);
    bench::settle();
    Measure m = clickAndWatch(window, QStringLiteral("Command16"));
    if (Dialogs::messages() != QStringList{QStringLiteral("成功制做%1本书").arg(files)}) {
        std::printf("window folder run failed: %s\n", qPrintable(Dialogs::messages().join(u'|')));
        m.ms = -1;
    }
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dialogs::setTestMode(true);
    const bench::Positional args(QCoreApplication::arguments(),
                                 "[MB of the book (10)] [folder files (200)] [rounds (3)]");
    const qint64 megabytes = args.at(1, 10);
    const int files = static_cast<int>(args.at(2, 200));
    const int rounds = static_cast<int>(args.at(3, 3));

    FixedClock clock(QDateTime(QDate(2026, 6, 1), QTime(10, 0, 0)));
    Env env;

    // --- one book ---
    const QString novel = bench::generateNovel({.targetBytes = megabytes * 1024 * 1024});
    const QStringList chapters = chaptersOf(novel);
    std::printf("single book: %lld MB of text (code page 936), %lld chapters; best of %d rounds\n",
                static_cast<long long>(megabytes), static_cast<long long>(chapters.size()), rounds);
    Summary core, window;
    for (const int jarSize : {0, 4}) {
        core = {};
        window = {};
        for (int r = 0; r < rounds; ++r) {
            const Measure c = coreBook(clock, env, chapters, jarSize, r);
            const Measure w = windowBook(clock, env, chapters, jarSize, r);
            if (c.ms < 0 || w.ms < 0)
                return 1;
            core.add(c);
            window.add(w);
        }
        report(jarSize == 0 ? "one book, one volume" : "one book, 60 KB volumes", core, window);
    }

    // --- a folder of files ---
    const QString folder = QDir(env.tmp.path()).filePath(QStringLiteral("txt"));
    QDir().mkpath(folder);
    const qint64 perFile = std::max<qint64>(4096, megabytes * 1024 * 1024 / std::max(1, files));
    for (int i = 0; i < files; ++i) {
        QFile f(QDir(folder).filePath(QStringLiteral("book%1.txt").arg(i, 3, 10, QLatin1Char('0'))));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(
            bench::generateNovel({.targetBytes = perFile, .wideCharBytes = 3, .seed = 1000u + static_cast<unsigned>(i)})
                .toUtf8());
    }
    auto listed = listTxtFolder(folder);
    if (!listed) {
        std::printf("listing failed: %s\n", qPrintable(listed.error().message));
        return 1;
    }
    std::printf("folder run: %d files of %lld KB (UTF-8); best of %d rounds\n", files,
                static_cast<long long>(perFile / 1024), rounds);
    core = {};
    window = {};
    for (int r = 0; r < rounds; ++r) {
        const Measure c = coreFolder(clock, env, folder, *listed, r);
        const Measure w = windowFolder(clock, env, folder, listed->size(), r);
        if (c.ms < 0 || w.ms < 0)
            return 1;
        core.add(c);
        window.add(w);
    }
    report("folder run, folder tab", core, window);
    return 0;
}
#else
#include <cstdio>
// The benchmark's text comes from the shared novel generator.
int main()
{
    std::puts("bench_windows_main: bench/NovelGenerator.h is missing");
    return 1;
}
#endif
