// SPDX-License-Identifier: GPL-3.0-or-later
// Speed and memory of making a book, against the floor set by compression.
//
// Makes a reproducible code page 936 novel (one TXT file per chapter, read
// through readTxtFile as the command line does) with JAR size class 0 (one
// volume) and class 4 (60 KB volumes). Each make runs in a child process, so
// that its CPU time and peak memory (getrusage) are its own. In the same run,
// alternating with the makes, the payload entries of the JARs made (every
// piece, chapter index and book information file) are deflated one by one
// with zlib at level 6, as a zip tool does (the floor the targets are set
// against), and with libdeflate's raw deflate at the archive's level (the
// physical floor). Figures are medians over the alternating rounds.
//
//   bench_make [--mb N] [--repeat N] [--templates DIR] [--work DIR] [--sample FILE] [--class N] [--levels]
//
// --sample FILE compares the deflated sizes on a real text (the generated one
// draws its characters at random). --class N makes only size class N.
// --levels also shows the deflated size at libdeflate's levels 1 to 12, with its CPU.
//
// With --work the novel's chapter files stay in DIR/novel, so that one make
// can be run again under a profiler:
//   bench_make --child DIR/novel 0 DIR/out TEMPLATES
//
// Chapters grow with --mb, so that the book stays under 1000 chapters.
//
// Every make writes into a save folder of its own, and the books made are
// removed only at the end: on ext4 without a journal a new file's inode is
// searched past every inode freed in the last minutes, so removing one
// round's hundreds of volumes just before the next would time that clean-up
// as the next make's file creation.
//
// Targets: make CPU (read, payload, archive, JAD) <= 0.8 x the zlib floor in
// one volume, <= 1.0 x in 60 KB volumes; peak memory <= 2 x the text's
// UTF-16 size + 64 MiB.

#include "ChildRun.h"
#include "JarPayload.h"
#include "NovelGenerator.h"

#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/Archive.h"
#include "packaging/BuildEbook.h"
#include "text/Cp936.h"
#include "text/TxtReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace vamo;
using bench::median;
using bench::out;
using bench::verdict;

namespace {

constexpr int kZipToolLevel = 6; // zlib's default, as zip tools deflate

QByteArray toCp936(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar c : text) {
        const quint16 code = cp936::code(c.unicode());
        if (code > 0xFF)
            bytes.append(static_cast<char>(code >> 8));
        bytes.append(static_cast<char>(code & 0xFF));
    }
    return bytes;
}

// Splits the novel at its chapter headings (a line "第N章 ..." after an empty
// line) and writes one TXT file per chapter. Returns the chapter count.
int writeNovel(const QString& folder, qint64 targetBytes, qint64& utf16Bytes, qint64& fileBytes)
{
    // About 80 KB chapters up to 64 MB, longer past that: under 1000 files.
    const qint64 chapterBytes = std::max<qint64>(80 * 1024, targetBytes / 800);
    const QString novel = bench::generateNovel({.targetBytes = targetBytes, .chapterBytes = chapterBytes});
    utf16Bytes = novel.size() * 2;
    fileBytes = 0;
    std::vector<qsizetype> starts;
    for (qsizetype i = novel.indexOf(u'第'); i >= 0; i = novel.indexOf(u'第', i + 1)) {
        if ((i == 0 || QStringView(novel).sliced(0, i).endsWith(u"\r\n\r\n")) && i + 1 < novel.size() &&
            novel.at(i + 1).isDigit())
            starts.push_back(i);
    }
    starts.push_back(novel.size());
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        const QStringView chapter = QStringView(novel).sliced(starts[k], starts[k + 1] - starts[k]);
        QFile f(QDir(folder).filePath(QStringLiteral("%1.txt").arg(k + 1, 4, 10, QLatin1Char('0'))));
        const QByteArray bytes = toCp936(chapter);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the novel");
        fileBytes += bytes.size();
    }
    return static_cast<int>(starts.size() - 1);
}

bool writeSmallTemplate(const QString& path)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    static const char manifest[] = "Manifest-Version: 1.0\r\n\r\n";
    static QByteArray code(40 * 1024, 'c');
    zip_file_add(z, "META-INF/MANIFEST.MF", zip_source_buffer(z, manifest, sizeof manifest - 1, 0), 0);
    zip_file_add(z, "demo.class", zip_source_buffer(z, code.constData(), static_cast<zip_uint64_t>(code.size()), 0), 0);
    return zip_close(z) == 0;
}

// ---- child: one make, timed ----

int child(const QStringList& args)
{
    // args: source folder, size class, save folder, template folder
    const QString source = args.at(0);
    const int jarSize = args.at(1).toInt();
    const QString save = args.at(2);
    const QString templates = args.at(3);

    SystemClock clock;
    BookProject book(clock);
    book.initialise(QDir(save).path() + QLatin1Char('/'));
    book.setBookName(QStringLiteral("长篇小说%1").arg(jarSize));
    book.setJarName(QStringLiteral("novel"));
    book.setJarSize(jarSize);

    QElapsedTimer timer;
    timer.start();
    const qint64 cpuStart = bench::processCpuNs();
    QStringList files = QDir(source).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        auto text = readTxtFile(QDir(source).filePath(name));
        if (!text)
            qFatal("%s", qPrintable(text.error().message));
        const QString chapterName = text->text.left(text->text.indexOf(u'\r'));
        if (!book.prepareAdd() || !book.save(std::move(text->text)))
            qFatal("too many chapters");
        book.appendChapterName(chapterName);
    }
    const qint64 read = timer.nsecsElapsed();
    const long peakRead = bench::peakKiB();

    auto built = BuildEbook(BookSnapshot(book), BuildEnvironment{templates});
    const qint64 end = timer.nsecsElapsed();
    const qint64 cpu = bench::processCpuNs() - cpuStart;
    if (!built)
        qFatal("%s", qPrintable(built.error().message));

    bench::report("read", read);
    bench::report("end", end);
    bench::report("cpu", cpu);
    bench::report("peakread", peakRead);
    bench::report("peak", bench::peakKiB());
    for (const QString& jar : built->jarPaths)
        bench::report("jar", jar);
    return 0;
}

// ---- parent ----

struct MakeRun {
    double read = 0, build = 0, total = 0, cpu = 0; // seconds
    long peak = 0, peakRead = 0;                    // KiB
    QStringList jars;
};

// One make into a new save folder, `save` + "/" + `round`.
MakeRun runMake(const QString& source, int jarSize, const QString& save, int round, const QString& templates)
{
    const QString folder = QDir(save).filePath(QString::number(round));
    QDir().mkpath(folder);
    const bench::ChildReport child = bench::runChild({source, QString::number(jarSize), folder, templates});
    MakeRun r;
    r.read = child.seconds(u"read");
    r.total = child.seconds(u"end");
    r.build = r.total - r.read;
    r.cpu = child.seconds(u"cpu");
    r.peak = static_cast<long>(child.number(u"peak"));
    r.peakRead = static_cast<long>(child.number(u"peakread"));
    r.jars = child.values(u"jar");
    return r;
}

struct FloorRun {
    double cpu = 0, wall = 0; // seconds
    qint64 packed = 0;        // bytes out
};

// Deflates every entry on its own with zlib (raw deflate, as in a zip
// archive), a stream set up per entry as a zip tool does.
FloorRun zlibFloor(const std::vector<QByteArray>& entries)
{
    FloorRun r;
    QElapsedTimer timer;
    timer.start();
    const qint64 cpu = bench::threadCpuNs();
    std::vector<unsigned char> buffer;
    for (const QByteArray& e : entries) {
        z_stream s{};
        if (deflateInit2(&s, kZipToolLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            qFatal("deflateInit2");
        buffer.resize(deflateBound(&s, static_cast<uLong>(e.size())));
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(e.constData()));
        s.avail_in = static_cast<uInt>(e.size());
        s.next_out = buffer.data();
        s.avail_out = static_cast<uInt>(buffer.size());
        if (deflate(&s, Z_FINISH) != Z_STREAM_END)
            qFatal("deflate");
        r.packed += static_cast<qint64>(s.total_out);
        deflateEnd(&s);
        crc32_z(0, reinterpret_cast<const Bytef*>(e.constData()), static_cast<z_size_t>(e.size()));
    }
    r.cpu = static_cast<double>(bench::threadCpuNs() - cpu) / 1e9;
    r.wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return r;
}

// The same with libdeflate at `level`, one compressor for all entries: what
// deflating alone costs at the least.
FloorRun libdeflateFloor(const std::vector<QByteArray>& entries, int level)
{
    FloorRun r;
    QElapsedTimer timer;
    timer.start();
    const qint64 cpu = bench::threadCpuNs();
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    if (!c)
        qFatal("libdeflate_alloc_compressor");
    std::vector<char> buffer;
    for (const QByteArray& e : entries) {
        const auto size = static_cast<std::size_t>(e.size());
        buffer.resize(libdeflate_deflate_compress_bound(c, size));
        const std::size_t n = libdeflate_deflate_compress(c, e.constData(), size, buffer.data(), buffer.size());
        if (n == 0)
            qFatal("libdeflate_deflate_compress");
        r.packed += static_cast<qint64>(n);
        libdeflate_crc32(0, e.constData(), size);
    }
    libdeflate_free_compressor(c);
    r.cpu = static_cast<double>(bench::threadCpuNs() - cpu) / 1e9;
    r.wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return r;
}

constexpr const char* kUsage =
    "bench_make [--mb N] [--repeat N] [--templates DIR] [--work DIR] [--sample FILE] [--class N] [--levels]\n"
    "  --mb N         size of the generated novel in MB of code page 936 (10)\n"
    "  --repeat N     alternating rounds of make, zlib floor and libdeflate floor (3)\n"
    "  --templates D  folder of DuvEver.dll (build/bin; a stand-in template without it)\n"
    "  --work DIR     keep the novel in DIR/novel (books go to DIR/out, removed after each class)\n"
    "  --sample FILE  also compare the deflated sizes on a real text, cut in 4 KB pieces\n"
    "  --class N      only JAR size class N (0 one volume, 4 60 KB volumes; both by default)\n"
    "  --levels       also print the payload's deflated size and CPU at libdeflate's levels 1 to 12\n"
    "Targets: make CPU <= 0.80 x the zlib 6 floor (one volume), <= 1.00 x (60 KB volumes);\n"
    "deflated size <= zlib 6's; peak memory <= 2 x the text's UTF-16 size + 64 MiB.\n"
    "Exit status 0 when every target is met.\n";

QString mib(double bytes) { return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB"); }

QString secs(double s) { return QString::number(s, 'f', 3) + QStringLiteral(" s"); }

int parent(const QStringList& args)
{
    qint64 megabytes = 10;
    int repeat = 3;
    QString work; // where the novel and the books go; a temporary folder unless given
    QString templates = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin"));
    bool levels = false;
    std::vector<int> classes{0, 4};
    QString sample; // a real text, to compare the deflated sizes on
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--help" || args.at(i) == u"-h") {
            out() << kUsage;
            return 0;
        }
        if (args.at(i) == u"--levels") {
            levels = true;
            continue;
        }
        if (i + 1 == args.size())
            break;
        if (args.at(i) == u"--mb")
            megabytes = args.at(i + 1).toLongLong();
        else if (args.at(i) == u"--repeat")
            repeat = std::max(1, args.at(i + 1).toInt());
        else if (args.at(i) == u"--templates")
            templates = args.at(i + 1);
        else if (args.at(i) == u"--work")
            work = args.at(i + 1);
        else if (args.at(i) == u"--sample")
            sample = args.at(i + 1);
        else if (args.at(i) == u"--class")
            classes = {args.at(i + 1).toInt()};
        ++i;
    }

    QTemporaryDir tmp;
    if (work.isEmpty())
        work = tmp.path();
    const QString source = QDir(work).filePath(QStringLiteral("novel"));
    const QString save = QDir(work).filePath(QStringLiteral("out"));
    QDir().mkpath(source);
    QDir(save).removeRecursively(); // what a run that was stopped left
    if (!QFile::exists(QDir(templates).filePath(QStringLiteral("DuvEver.dll")))) {
        templates = tmp.path();
        if (!writeSmallTemplate(QDir(templates).filePath(QStringLiteral("DuvEver.dll"))))
            qFatal("cannot write a template");
        out() << "(reader templates not found: using a small stand-in template)\n";
    }

    qint64 utf16 = 0, fileBytes = 0;
    const int chapters = writeNovel(source, megabytes * 1024 * 1024, utf16, fileBytes);
    const double memoryTarget = 2.0 * static_cast<double>(utf16) + 64.0 * 1024 * 1024;
    out() << "novel: " << chapters << " chapters, " << mib(static_cast<double>(fileBytes)) << " code page 936, UTF-16 "
          << mib(static_cast<double>(utf16)) << "\n";
    out() << "medians of " << repeat << " alternating rounds (make, zlib floor, libdeflate floor)\n\n";
    out().flush();

    bool allMet = true;
    if (!sample.isEmpty()) {
        // The generated novel draws its characters at random, which suits
        // zlib's matcher a little better than real text does: the sizes on a
        // real text, cut in pieces as a volume is.
        QFile f(sample);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(sample));
        const QByteArray bytes = f.readAll();
        std::vector<QByteArray> pieces;
        for (qsizetype at = 0; at < bytes.size(); at += 4096)
            pieces.push_back(bytes.mid(at, 4096));
        const FloorRun z = zlibFloor(pieces);
        const FloorRun d = libdeflateFloor(pieces, archive::kDeflateLevel);
        const double ratio = static_cast<double>(d.packed) / static_cast<double>(z.packed);
        const bool met = d.packed <= z.packed;
        allMet = allMet && met;
        // Sizes only: no make is timed on the sample.
        out() << "sample " << QFileInfo(sample).fileName() << ": " << pieces.size() << " pieces of 4 KB, zlib "
              << kZipToolLevel << " " << z.packed << " bytes, libdeflate " << archive::kDeflateLevel << " " << d.packed
              << " bytes: " << QString::number(ratio, 'f', 4) << " x  (target <= 1.0000) " << verdict(met) << "\n\n";
    }
    for (int jarSize : classes) {
        const double cpuTarget = jarSize == 0 ? 0.8 : 1.0;
        // A first make to find the entries (and warm the caches); not counted.
        int round = 0;
        const MakeRun first = runMake(source, jarSize, save, round++, templates);
        const std::vector<QByteArray> payload = bench::payloadOf(first.jars);
        qint64 payloadBytes = 0;
        for (const auto& e : payload)
            payloadBytes += e.size();

        std::vector<double> makeCpu, makeWall, zCpu, zWall, dCpu, dWall, ratios;
        long peak = first.peak;
        FloorRun z, d;
        for (int r = 0; r < repeat; ++r) {
            const MakeRun run = runMake(source, jarSize, save, round++, templates);
            z = zlibFloor(payload);
            d = libdeflateFloor(payload, archive::kDeflateLevel);
            peak = std::max(peak, run.peak);
            makeCpu.push_back(run.cpu);
            makeWall.push_back(run.total);
            zCpu.push_back(z.cpu);
            zWall.push_back(z.wall);
            dCpu.push_back(d.cpu);
            dWall.push_back(d.wall);
            ratios.push_back(run.cpu / z.cpu);
        }
        const double ratio = median(ratios);
        // The sizes of the levels around the archive's, against zlib 6.
        if (levels) {
            out() << "  sizes: zlib " << kZipToolLevel << " " << z.packed << " bytes, CPU " << secs(z.cpu)
                  << " s; libdeflate by level (size x zlib, CPU s):\n";
            for (int level = 1; level <= 12; ++level) {
                const FloorRun l = libdeflateFloor(payload, level);
                out() << "    " << level << ": " << static_cast<double>(l.packed) / static_cast<double>(z.packed)
                      << "  " << secs(l.cpu) << "\n";
            }
        }
        const double peakBytes = static_cast<double>(peak) * 1024.0;
        const bool timeMet = ratio <= cpuTarget;
        const bool memoryMet = peakBytes <= memoryTarget;
        const double sizeRatio = static_cast<double>(d.packed) / static_cast<double>(z.packed);
        const bool sizeMet = d.packed <= z.packed;
        allMet = allMet && timeMet && memoryMet && sizeMet;
        auto ratioText = [](double v) { return QString::number(v, 'f', 2); };
        out() << "size class " << jarSize << ": " << first.jars.size() << " volume(s), payload " << payload.size()
              << " entries, " << mib(static_cast<double>(payloadBytes)) << "\n";
        out() << "  make              CPU " << secs(median(makeCpu)) << "  wall " << secs(median(makeWall))
              << "  (first: read " << secs(first.read) << ", BuildEbook " << secs(first.build) << ")\n";
        out() << "  zlib " << kZipToolLevel << " floor      CPU " << secs(median(zCpu)) << "  wall "
              << secs(median(zWall)) << "  -> " << mib(static_cast<double>(z.packed)) << "\n";
        out() << "  libdeflate " << archive::kDeflateLevel << "      CPU " << secs(median(dCpu)) << "  wall "
              << secs(median(dWall)) << "  -> " << mib(static_cast<double>(d.packed)) << "  ("
              << ratioText(median(dCpu) / median(zCpu)) << " x zlib CPU)\n";
        // The machine's noise: how far the rounds spread, and how many met the
        // target on their own.
        const auto [lowest, highest] = std::minmax_element(ratios.begin(), ratios.end());
        const auto roundsMet = std::count_if(ratios.begin(), ratios.end(), [&](double r) { return r <= cpuTarget; });
        out() << "  make / zlib CPU   " << ratioText(ratio) << "  (target <= " << ratioText(cpuTarget) << ") "
              << verdict(timeMet) << "  (rounds " << ratioText(*lowest) << "-" << ratioText(*highest) << ", "
              << roundsMet << " of " << ratios.size() << " met)\n";
        out() << "  make / libdeflate " << ratioText(median(makeCpu) / median(dCpu)) << "  (physical floor)\n";
        out() << "  deflated size     " << QString::number(sizeRatio, 'f', 4) << " x zlib " << kZipToolLevel
              << "  (target <= 1.0000) " << verdict(sizeMet) << "  (generated text; --sample for a real one)\n";
        out() << "  peak memory       " << mib(peakBytes) << "  (target <= " << mib(memoryTarget) << ") "
              << verdict(memoryMet) << "; after reading " << mib(static_cast<double>(first.peakRead) * 1024.0)
              << "\n\n";
        out().flush();
        QDir(save).removeRecursively(); // after the timed makes, see above
    }
    return allMet ? 0 : 1;
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
