// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of folder mode: many small books in one run.
//
// Writes N reproducible code page 936 novels of K KB each into a folder and
// makes them all with runFolderBatch (one volume each), in child processes:
// alternately free on every processor and pinned to the first one. In the
// same rounds the payload entries of the JARs made are deflated one by one
// with libdeflate at the archive's level on one thread, the work no build
// can skip; what a book takes beyond that is its overhead.
//
//   bench_folder [--books N] [--kb K] [--repeat N] [--templates DIR]
//
// Targets: the run on every processor is not slower (wall) than pinned to
// one; the overhead per book is under 3 ms wall.

#include "ChildRun.h"
#include "JarPayload.h"
#include "NovelGenerator.h"

#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/Archive.h"
#include "text/Cp936.h"
#include "workflow/FolderBatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <libdeflate.h>

#include <algorithm>
#include <vector>

using namespace vamo;
using bench::median;
using bench::out;
using bench::verdict;

namespace {

// ---- child: one folder run ----

int child(const QStringList& args)
{
    // args: source folder, save folder, template folder
    const QString source = args.at(0);
    const QString save = args.at(1);
    SystemClock clock;
    BookProject book(clock);
    book.initialise(QDir(save).path() + QLatin1Char('/'));
    book.setMaker(QStringLiteral("bench"));
    book.setJarName(QStringLiteral("book"));
    book.setJarSize(0);

    QElapsedTimer timer;
    timer.start();
    const qint64 cpu = bench::processCpuNs();
    auto queue = listTxtFolder(source);
    if (!queue)
        qFatal("%s", qPrintable(queue.error().message));
    auto report = runFolderBatch(book.settings(), clock, BuildEnvironment{args.at(2)}, source, *queue).report;
    const qint64 wall = timer.nsecsElapsed();
    if (!report || !report->failed.isEmpty())
        qFatal("the folder run failed");
    bench::report("wall", wall);
    bench::report("cpu", bench::processCpuNs() - cpu);
    for (const QString& jar : report->jarPaths)
        bench::report("jar", jar);
    return 0;
}

// ---- parent ----

struct Run {
    double wall = 0, cpu = 0;
    QStringList jars;
};

// One folder run into a new save folder, `save` + "/" + `round` (see
// bench_make: the runs' books are removed only at the end).
Run runFolder(const QString& source, const QString& save, int round, const QString& templates, bool pinned)
{
    const QString folder = QDir(save).filePath(QString::number(round));
    QDir().mkpath(folder);
    const bench::ChildReport child =
        bench::runChild({source, folder, templates}, pinned ? bench::Processors::First : bench::Processors::All);
    return {child.seconds(u"wall"), child.seconds(u"cpu"), child.values(u"jar")};
}

double deflateSeconds(const std::vector<QByteArray>& entries)
{
    QElapsedTimer timer;
    timer.start();
    libdeflate_compressor* c = libdeflate_alloc_compressor(archive::kDeflateLevel);
    std::vector<char> buffer;
    for (const QByteArray& e : entries) {
        const auto size = static_cast<std::size_t>(e.size());
        buffer.resize(libdeflate_deflate_compress_bound(c, size));
        if (libdeflate_deflate_compress(c, e.constData(), size, buffer.data(), buffer.size()) == 0)
            qFatal("libdeflate_deflate_compress");
        libdeflate_crc32(0, e.constData(), size);
    }
    libdeflate_free_compressor(c);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

int parent(const QStringList& args)
{
    int books = 200;
    qint64 kb = 50;
    int repeat = 3;
    QString templates = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin"));
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (args.at(i) == u"--help" || args.at(i) == u"-h") {
            out() << "bench_folder [--books N] [--kb K] [--repeat N] [--templates DIR]\n"
                     "  --books N      books in the folder (200)\n"
                     "  --kb K         size of each book in KB of code page 936 (50)\n"
                     "  --repeat N     alternating rounds (3)\n"
                     "  --templates D  folder of DuvEver.dll (build/bin)\n"
                     "Targets: wall on all processors <= pinned to one; overhead a book < 3 ms wall.\n"
                     "Exit status 0 when both are met.\n";
            return 0;
        }
        if (i + 1 == args.size())
            break;
        if (args.at(i) == u"--books")
            books = std::max(1, args.at(i + 1).toInt());
        else if (args.at(i) == u"--kb")
            kb = std::max<qint64>(1, args.at(i + 1).toLongLong());
        else if (args.at(i) == u"--repeat")
            repeat = std::max(1, args.at(i + 1).toInt());
        else if (args.at(i) == u"--templates")
            templates = args.at(i + 1);
    }
    if (!QFile::exists(QDir(templates).filePath(QStringLiteral("DuvEver.dll"))))
        qFatal("no reader templates in %s (--templates DIR)", qPrintable(templates));

    QTemporaryDir tmp;
    const QString source = QDir(tmp.path()).filePath(QStringLiteral("books"));
    const QString save = QDir(tmp.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(source);
    for (int b = 0; b < books; ++b) {
        const QString text = bench::generateNovel(
            {.targetBytes = kb * 1024, .chapterBytes = 20 * 1024, .seed = 1000u + static_cast<unsigned>(b)});
        QFile f(QDir(source).filePath(QStringLiteral("book%1.txt").arg(b, 4, 10, QLatin1Char('0'))));
        const QByteArray bytes = cp936::encode(text);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write a book");
    }
    out() << books << " books of " << kb << " KB, medians of " << repeat
          << " alternating rounds (all processors, one processor, deflate alone)\n";
    out().flush();

    int round = 0;
    const Run first = runFolder(source, save, round++, templates, false); // warms the caches; not counted
    const std::vector<QByteArray> payload = bench::payloadOf(first.jars);
    std::vector<double> wall, cpu, pinnedWall, pinnedCpu, deflate;
    for (int r = 0; r < repeat; ++r) {
        const Run free = runFolder(source, save, round++, templates, false);
        const Run pinned = runFolder(source, save, round++, templates, true);
        wall.push_back(free.wall);
        cpu.push_back(free.cpu);
        pinnedWall.push_back(pinned.wall);
        pinnedCpu.push_back(pinned.cpu);
        deflate.push_back(deflateSeconds(payload));
    }
    QDir(save).removeRecursively();

    auto ms = [](double s) { return QString::number(s * 1000, 'f', 1) + QStringLiteral(" ms"); };
    const double twoCores = median(wall), oneCore = median(pinnedWall), floor = median(deflate);
    const double perBook = (twoCores - floor) / books;
    const bool notSlower = twoCores <= oneCore;
    const bool overheadMet = perBook < 0.003;
    out() << "  all processors   wall " << ms(twoCores) << "  CPU " << ms(median(cpu)) << "\n";
    out() << "  one processor    wall " << ms(oneCore) << "  CPU " << ms(median(pinnedCpu)) << "\n";
    out() << "  deflate alone    wall " << ms(floor) << "  (libdeflate " << archive::kDeflateLevel << ", one thread, "
          << payload.size() << " entries)\n";
    out() << "  all / one        " << QString::number(twoCores / oneCore, 'f', 2) << "  (target <= 1.00) "
          << verdict(notSlower) << "\n";
    out() << "  overhead a book  " << ms(perBook) << "  (target < 3.0 ms) " << verdict(overheadMet) << "\n";
    return notSlower && overheadMet ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() && args.first() == u"--child")
        return child(args.mid(1));
    return parent(args);
}
