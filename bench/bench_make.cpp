// Speed and memory of making a book, against the limit set by compression.
//
// Makes a reproducible 10 MB code page 936 novel (one TXT file per chapter,
// read through readTxtFile as the command line does) with JAR size class 0
// (one volume) and class 4 (many volumes), and times zlib deflate of the same
// payload bytes (every piece, chapter index and book information file of the
// JARs made, each deflated separately at the archive's level, as zip entries
// are). Each make runs in a child process so that its peak memory is its own.
//
//   bench_make [--mb N] [--repeat N] [--templates DIR]
//
// Targets: make (read, payload, archive, JAD) <= 1.5 x deflate time; peak
// memory < 3 x the text's UTF-16 size + 64 MiB.

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
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vamo;

namespace {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss; // KiB on Linux
}

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
    const QString novel = bench::generateNovel({.targetBytes = targetBytes});
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
    zip_file_add(z, "demo.class", zip_source_buffer(z, code.constData(), static_cast<zip_uint64_t>(code.size()), 0),
                 0);
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

    QTemporaryDir program;
    SystemClock clock;
    BookProject book(clock);
    book.initialise(QDir(save).path() + QLatin1Char('/'));
    book.setBookName(QStringLiteral("长篇小说%1").arg(jarSize));
    book.setJarName(QStringLiteral("novel"));
    book.setJarSize(jarSize);

    QElapsedTimer timer;
    timer.start();
    QStringList files = QDir(source).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        auto text = readTxtFile(QDir(source).filePath(name));
        if (!text)
            qFatal("%s", qPrintable(text.error().message));
        if (!book.prepareAdd() || !book.save(text->text))
            qFatal("too many chapters");
        book.appendChapterName(text->text.left(text->text.indexOf(u'\r')));
    }
    const qint64 read = timer.nsecsElapsed();

    auto built = BuildEbook(book, BuildEnvironment{program.path(), templates});
    const qint64 end = timer.nsecsElapsed();
    if (!built)
        qFatal("%s", qPrintable(built.error().message));

    out() << "read " << read << "\nend " << end << "\npeak " << peakKiB() << '\n';
    for (const QString& jar : built->jarPaths)
        out() << "jar " << jar << '\n';
    out().flush();
    return 0;
}

// ---- parent ----

struct MakeRun {
    double read = 0, build = 0, total = 0; // seconds
    long peak = 0;                                       // KiB
    QStringList jars;
};

MakeRun runChild(const QString& source, int jarSize, const QString& save, const QString& templates)
{
    QDir(save).removeRecursively();
    QDir().mkpath(save);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--child"), source, QString::number(jarSize), save, templates});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        qFatal("the make failed");
    MakeRun r;
    qint64 read = 0, end = 0;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QString key = line.section(u' ', 0, 0);
        const QString value = line.section(u' ', 1);
        if (key == u"read")
            read = value.toLongLong();
        else if (key == u"end")
            end = value.toLongLong();
        else if (key == u"peak")
            r.peak = value.toLong();
        else if (key == u"jar")
            r.jars.append(value);
    }
    r.read = static_cast<double>(read) / 1e9;
    r.build = static_cast<double>(end - read) / 1e9;
    r.total = static_cast<double>(end) / 1e9;
    return r;
}

bool isPayloadName(const char* name)
{
    const QByteArray n(name);
    if (n == "capter" || n == "text")
        return true;
    return !n.isEmpty() && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<QByteArray> payloadOf(const QStringList& jars)
{
    std::vector<QByteArray> entries;
    for (const QString& jar : jars) {
        int error = 0;
        zip_t* z = zip_open(QFile::encodeName(jar).constData(), ZIP_RDONLY, &error);
        if (!z)
            qFatal("cannot open %s", qPrintable(jar));
        const zip_int64_t n = zip_get_num_entries(z, 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !isPayloadName(st.name))
                continue;
            QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
            zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
            if (!f || zip_fread(f, data.data(), st.size) != static_cast<zip_int64_t>(st.size))
                qFatal("cannot read an entry of %s", qPrintable(jar));
            zip_fclose(f);
            entries.push_back(std::move(data));
        }
        zip_close(z);
    }
    return entries;
}

// Deflates every entry on its own (raw deflate, as in a zip archive).
double deflateSeconds(const std::vector<QByteArray>& entries, qint64& packed)
{
    QElapsedTimer timer;
    timer.start();
    packed = 0;
    std::vector<unsigned char> buffer;
    for (const QByteArray& e : entries) {
        z_stream s{};
        if (deflateInit2(&s, archive::kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            qFatal("deflateInit2");
        buffer.resize(deflateBound(&s, static_cast<uLong>(e.size())));
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(e.constData()));
        s.avail_in = static_cast<uInt>(e.size());
        s.next_out = buffer.data();
        s.avail_out = static_cast<uInt>(buffer.size());
        if (deflate(&s, Z_FINISH) != Z_STREAM_END)
            qFatal("deflate");
        packed += static_cast<qint64>(s.total_out);
        deflateEnd(&s);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

QString mib(double bytes)
{
    return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
}

QString secs(double s)
{
    return QString::number(s, 'f', 3) + QStringLiteral(" s");
}

int parent(const QStringList& args)
{
    qint64 megabytes = 10;
    int repeat = 3;
    QString templates = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin"));
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args.at(i) == u"--mb")
            megabytes = args.at(i + 1).toLongLong();
        else if (args.at(i) == u"--repeat")
            repeat = std::max(1, args.at(i + 1).toInt());
        else if (args.at(i) == u"--templates")
            templates = args.at(i + 1);
    }

    QTemporaryDir tmp;
    const QString source = QDir(tmp.path()).filePath(QStringLiteral("novel"));
    const QString save = QDir(tmp.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(source);
    if (!QFile::exists(QDir(templates).filePath(QStringLiteral("DuvEver.dll")))) {
        templates = tmp.path();
        if (!writeSmallTemplate(QDir(templates).filePath(QStringLiteral("DuvEver.dll"))))
            qFatal("cannot write a template");
        out() << "(reader templates not found: using a small stand-in template)\n";
    }

    qint64 utf16 = 0, fileBytes = 0;
    const int chapters = writeNovel(source, megabytes * 1024 * 1024, utf16, fileBytes);
    const double memoryTarget = 3.0 * static_cast<double>(utf16) + 64.0 * 1024 * 1024;
    out() << "novel: " << chapters << " chapters, " << mib(static_cast<double>(fileBytes))
          << " code page 936, UTF-16 " << mib(static_cast<double>(utf16)) << "\n";
    out() << "memory target: " << mib(memoryTarget) << "; best of " << repeat << " runs\n\n";
    out().flush();

    bool allMet = true;
    for (int jarSize : {0, 4}) {
        MakeRun best;
        best.total = 1e30;
        long peak = 0;
        for (int r = 0; r < repeat; ++r) {
            MakeRun run = runChild(source, jarSize, save, templates);
            peak = std::max(peak, run.peak);
            if (run.total < best.total)
                best = run;
        }
        const std::vector<QByteArray> payload = payloadOf(best.jars);
        qint64 payloadBytes = 0;
        for (const auto& e : payload)
            payloadBytes += e.size();
        double deflate = 1e30;
        qint64 packed = 0;
        for (int r = 0; r < repeat; ++r)
            deflate = std::min(deflate, deflateSeconds(payload, packed));

        const double ratio = best.total / deflate;
        const double peakBytes = static_cast<double>(peak) * 1024.0;
        const bool timeMet = ratio <= 1.5;
        const bool memoryMet = peakBytes < memoryTarget;
        allMet = allMet && timeMet && memoryMet;
        out() << "size class " << jarSize << ": " << best.jars.size() << " volume(s), payload " << payload.size()
              << " entries, " << mib(static_cast<double>(payloadBytes)) << " -> " << mib(static_cast<double>(packed))
              << "\n";
        out() << "  make     " << secs(best.total) << "  (read " << secs(best.read) << ", BuildEbook "
              << secs(best.build) << ")\n";
        out() << "  deflate  " << secs(deflate) << "  (level " << archive::kDeflateLevel << ")\n";
        out() << "  ratio    " << QString::number(ratio, 'f', 2) << "  (target <= 1.50) "
              << (timeMet ? "met" : "MISSED") << "\n";
        out() << "  peak     " << mib(peakBytes) << "  (target < " << mib(memoryTarget) << ") "
              << (memoryMet ? "met" : "MISSED") << "\n\n";
        out().flush();
    }
    QDir(save).removeRecursively();
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
