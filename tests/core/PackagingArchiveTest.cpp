// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Archive.h"
#include "packaging/ArchiveReadBack.h"

#include "QtPrinters.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <optional>
#include <zip.h>
#include <zlib.h>

using namespace vamo;
using namespace vamo::archive;
using namespace Qt::StringLiterals;

namespace {

QByteArray inflateRaw(const QByteArray& deflated, qsizetype size)
{
    QByteArray out(size + 1, '\0'); // one spare byte shows a stream that runs long
    z_stream s{};
    if (inflateInit2(&s, -MAX_WBITS) != Z_OK)
        return "inflateInit2 failed";
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.constData()));
    s.avail_in = static_cast<uInt>(deflated.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&s, Z_FINISH);
    out.resize(static_cast<qsizetype>(s.total_out));
    inflateEnd(&s);
    return rc == Z_STREAM_END ? out : QByteArray("stream did not end");
}

quint32 crcOf(const QByteArray& bytes)
{
    return static_cast<quint32>(
        crc32_z(0, reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<z_size_t>(bytes.size())));
}

// Entries of every size class a book has: empty, tiny, piece-sized and long,
// with text that compresses and bytes that do not.
std::vector<QByteArray> sampleData()
{
    std::vector<QByteArray> data{QByteArray(), QByteArray("x")};
    quint32 seed = 12345;
    for (int i = 0; i < 60; ++i) {
        QByteArray d;
        const int length = 1 + (i * 733) % 5000;
        for (int k = 0; k < length; ++k) {
            seed = seed * 1103515245u + 12345u;
            d.append(i % 3 == 0 ? static_cast<char>(seed >> 24) : "the novel, chapter one "[(seed >> 16) % 23]);
        }
        data.push_back(d);
    }
    data.push_back(QByteArray(300000, 'L'));
    return data;
}

std::vector<Entry> entriesOver(const std::vector<QByteArray>& data)
{
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < data.size(); ++i)
        entries.push_back({QByteArray::number(10000 + i), data[i]});
    return entries;
}

struct Raw {
    QByteArray name;
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
};

quint32 le(const QByteArray& b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<quint8>(b[at + i]);
    return v;
}

// The central directory as it stands in the file (archives without comment).
std::vector<Raw> rawDirectory(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    const qsizetype end = b.size() - 22;
    if (end < 0 || le(b, end, 4) != 0x06054b50)
        return {};
    std::vector<Raw> out;
    qsizetype at = le(b, end + 16, 4);
    for (quint32 n = le(b, end + 10, 2); n > 0 && at + 46 <= end && le(b, at, 4) == 0x02014b50; --n) {
        const qsizetype nameLength = le(b, at + 28, 2);
        out.push_back({b.mid(at + 46, nameLength), static_cast<quint16>(le(b, at + 8, 2)),
                       static_cast<quint16>(le(b, at + 10, 2)), le(b, at + 16, 4)});
        at += 46 + nameLength + le(b, at + 30, 2) + le(b, at + 32, 2);
    }
    return out;
}

} // namespace

TEST(ArchivePacker, EveryEntryComesBackInOrderDeflatedWithItsCrc)
{
    const std::vector<QByteArray> data = sampleData();
    for (int workers : {0, 1, 3}) {
        Packer packer(workers);
        // Two batches in flight at once, taken in the other order.
        Packer::Batch first = packer.start(entriesOver(data));
        Packer::Batch second = packer.start({{"capter", data[5]}, {"text", data[7]}});
        auto two = second.take();
        auto one = first.take();
        ASSERT_TRUE(one && two) << "workers " << workers;
        ASSERT_EQ(one->size(), data.size());
        for (std::size_t i = 0; i < data.size(); ++i) {
            const PackedEntry& p = (*one)[i];
            EXPECT_EQ(p.name, QByteArray::number(10000 + i));
            EXPECT_EQ(p.size, data[i].size());
            EXPECT_EQ(p.crc, crcOf(data[i]));
            EXPECT_EQ(inflateRaw(p.deflated, p.size), data[i]) << "entry " << i << ", workers " << workers;
        }
        ASSERT_EQ(two->size(), 2u);
        EXPECT_EQ((*two)[1].name, QByteArray("text"));
        EXPECT_EQ(inflateRaw((*two)[1].deflated, (*two)[1].size), data[7]);
        // A taken batch has nothing more to give.
        EXPECT_FALSE(first.take());
    }
}

TEST(ArchivePacker, DroppedBatchLetsGoOfItsEntriesAndThePackerGoesOn)
{
    Packer packer(2);
    {
        std::vector<QByteArray> data(400, QByteArray(20000, 'd'));
        Packer::Batch dropped = packer.start(entriesOver(data));
    } // the batch goes first, then its bytes
    const std::vector<QByteArray> data = sampleData();
    auto packed = packer.start(entriesOver(data)).take();
    ASSERT_TRUE(packed);
    EXPECT_EQ(inflateRaw(packed->back().deflated, packed->back().size), data.back());
}

TEST(ArchivePacker, BatchesOutliveTheirPackerAndAreDeflatedByTheirWaiter)
{
    // Batches large enough for the workers, some of them being deflated
    // when the packer goes: the packer waits for its threads' claims, and
    // what is left of each batch is deflated by the thread that takes it.
    const std::vector<QByteArray> data = sampleData();
    std::vector<QByteArray> large(300, QByteArray());
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = data[i % data.size()] + QByteArray(2000, static_cast<char>('a' + i % 26));
    for (int workers : {1, 3}) {
        std::vector<Packer::Batch> batches;
        {
            Packer packer(workers);
            batches.push_back(packer.start(entriesOver(large)));
            batches.push_back(packer.start(entriesOver(data)));
            ASSERT_TRUE(batches[0].wait(0)); // the workers are at it
        }
        auto second = batches[1].take();
        auto first = batches[0].take();
        ASSERT_TRUE(first && second) << "workers " << workers;
        ASSERT_EQ(first->size(), large.size());
        for (std::size_t i = 0; i < large.size(); ++i)
            ASSERT_EQ(inflateRaw((*first)[i].deflated, (*first)[i].size), large[i]) << "entry " << i;
        EXPECT_EQ(inflateRaw(second->back().deflated, second->back().size), data.back());
    }
    // A batch dropped after its packer stops at once.
    std::optional<Packer::Batch> dropped;
    {
        Packer packer(2);
        dropped.emplace(packer.start(entriesOver(large)));
    }
    dropped.reset();
}

TEST(ArchivePacker, TheOwnerOfABatchsBytesIsLetGoOnceTheyAreDeflated)
{
    Packer packer(1);
    QByteArray block;
    for (int i = 0; i < 50; ++i)
        block += QByteArray(3000, static_cast<char>('a' + i % 26));
    std::vector<Entry> entries;
    for (int i = 0; i < 50; ++i)
        entries.push_back({QByteArray::number(i), QByteArrayView(block).sliced(i * 3000, 3000)});
    Packer::Batch batch = packer.start(std::move(entries), {block});
    for (std::size_t i = 0; i < 50; ++i)
        ASSERT_TRUE(batch.wait(i));
    // Every entry is deflated: the packer holds no share of the bytes now,
    // though the batch is not taken yet.
    EXPECT_TRUE(block.isDetached());
    auto packed = batch.take();
    ASSERT_TRUE(packed);
    EXPECT_EQ(inflateRaw((*packed)[49].deflated, 3000), QByteArray(3000, static_cast<char>('a' + 49 % 26)));
}

// Entries over several byte arrays that the caller lets go of at once: the
// batch holds a share of each until it has deflated them.
TEST(ArchivePacker, ABatchHoldsEveryOwnerOfItsBytes)
{
    Packer packer(0); // nothing is deflated before the batch is waited for
    QByteArray manifest("Manifest-Version: 1.0\r\n");
    QByteArray capter = QByteArray(5000, 'c');
    std::vector<Entry> entries{{"META-INF/MANIFEST.MF", manifest}, {"capter", capter}};
    Packer::Batch batch = packer.start(std::move(entries), {manifest, capter});
    EXPECT_FALSE(manifest.isDetached());
    EXPECT_FALSE(capter.isDetached());
    // The caller's arrays go; the views stay valid through the packer's shares.
    manifest = QByteArray();
    capter = QByteArray();
    auto packed = batch.take();
    ASSERT_TRUE(packed);
    EXPECT_EQ(inflateRaw((*packed)[0].deflated, (*packed)[0].size), QByteArray("Manifest-Version: 1.0\r\n"));
    EXPECT_EQ(inflateRaw((*packed)[1].deflated, (*packed)[1].size), QByteArray(5000, 'c'));
}

TEST(ArchiveWriteJar, AddedEntriesAreCopiedAsDeflatedAndReplaceInPlace)
{
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(u"template.jar"_s);
    test::ZipEntries tpl = test::templateEntries("T");
    tpl.emplace_back("text", "old");
    ASSERT_TRUE(test::writeZip(templatePath, tpl));
    QFile templateFile(templatePath);
    ASSERT_TRUE(templateFile.open(QIODevice::ReadOnly));
    const QByteArray templateBytes = templateFile.readAll();

    const std::vector<QByteArray> data = sampleData();
    const QByteArray manifest("Manifest-Version: 1.0\r\nMIDlet-Name: book\r\n");
    // The entries come from two batches, the pieces' started first.
    Packer packer;
    std::vector<Packer::Batch> batches;
    batches.push_back(packer.start(entriesOver(data)));
    batches.insert(batches.begin(), packer.start({{"META-INF/MANIFEST.MF", manifest}, {"text", data[2]}}));

    // The caller hears from the writer now and then while it writes.
    const QString jar = dir.filePath(u"book.jar"_s);
    int alive = 0;
    ASSERT_TRUE(writeJar(templateBytes, batches, jar, [&] { ++alive; }));
    EXPECT_GT(alive, 10);

    // Template order kept, replaced entries where they stood, the rest after.
    const test::ZipEntries read = test::readZip(jar); // checks every CRC
    ASSERT_EQ(read.size(), 4 + data.size());
    EXPECT_EQ(read[0], std::pair(QByteArray("META-INF/MANIFEST.MF"), manifest));
    EXPECT_EQ(read[1], tpl[1]);
    EXPECT_EQ(read[2], tpl[2]);
    EXPECT_EQ(read[3], std::pair(QByteArray("text"), data[2]));
    for (std::size_t i = 0; i < data.size(); ++i)
        EXPECT_EQ(read[4 + i], std::pair(QByteArray::number(10000 + i), data[i]));

    // Every added entry deflated (the empty one too) and marked as deflated
    // at normal level with sizes in the header; the CRCs those of the bytes.
    // The template's other entries are copied as they were.
    const std::vector<Raw> raw = rawDirectory(jar);
    const std::vector<Raw> rawTemplate = rawDirectory(templatePath);
    ASSERT_EQ(raw.size(), read.size());
    ASSERT_EQ(rawTemplate.size(), 4u);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        EXPECT_EQ(raw[i].name, read[i].first);
        EXPECT_EQ(raw[i].crc, crcOf(read[i].second)) << raw[i].name.constData();
        if (i == 1 || i == 2) {
            EXPECT_EQ(raw[i].method, rawTemplate[i].method);
        } else {
            EXPECT_EQ(raw[i].method, ZIP_CM_DEFLATE) << raw[i].name.constData();
            EXPECT_EQ(raw[i].flags & 0x000E, 0) << raw[i].name.constData();
        }
    }
    EXPECT_EQ(readEntry(jar, "META-INF/MANIFEST.MF"), manifest);
}

// An archive's size is known ahead: the template's, and for each added entry
// its deflated bytes and its headers.
TEST(ArchiveWriteJar, SizeIsTheTemplateAndEachAddedEntrysDeflatedBytesAndHeaders)
{
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(u"template.jar"_s);
    ASSERT_TRUE(test::writeZip(templatePath, test::templateEntries("T")));
    QFile templateFile(templatePath);
    ASSERT_TRUE(templateFile.open(QIODevice::ReadOnly));
    const QByteArray templateBytes = templateFile.readAll();

    const std::vector<QByteArray> data = sampleData();
    Packer packer;
    std::vector<Entry> entries = entriesOver(data);
    entries.push_back({"capter", data[3]});
    std::vector<Packer::Batch> batches;
    batches.push_back(packer.start(entries));
    qint64 expected = templateBytes.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackedEntry* packed = batches.front().wait(i);
        ASSERT_NE(packed, nullptr);
        expected += addedEntryOverhead(entries[i].name.size()) + packed->deflated.size();
    }
    const auto written = writeJar(templateBytes, batches, dir.filePath(u"book.jar"_s));
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, expected);
    EXPECT_EQ(QFileInfo(dir.filePath(u"book.jar"_s)).size(), expected);
}

TEST(ArchiveWriteJar, BrokenOrEmptyTemplateAndUnwritablePathAreReported)
{
    QTemporaryDir dir;
    Packer packer(1);
    std::vector<Packer::Batch> batches;
    batches.push_back(packer.start({{"capter", "x"}}));
    for (const QByteArray& broken : {QByteArray("not a zip archive"), QByteArray()}) {
        auto written = writeJar(broken, batches, dir.filePath(u"a.jar"_s));
        ASSERT_FALSE(written);
        EXPECT_TRUE(written.error().message.startsWith(u"生成JAR包失败：电子书模板不是有效的JAR文件"_s));
        EXPECT_FALSE(QFile::exists(dir.filePath(u"a.jar"_s)));
    }

    ASSERT_TRUE(test::writeZip(dir.filePath(u"t.jar"_s), test::templateEntries("T")));
    QFile t(dir.filePath(u"t.jar"_s));
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    const QByteArray templateBytes = t.readAll();
    const QString unwritable = QDir(dir.filePath(u"missing"_s)).filePath(u"a.jar"_s);
    auto written = writeJar(templateBytes, batches, unwritable);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message, u"无法写入文件："_s + QDir::toNativeSeparators(unwritable));

    // A batch whose entries were taken already adds nothing.
    ASSERT_TRUE(batches[0].take());
    ASSERT_TRUE(writeJar(templateBytes, batches, dir.filePath(u"b.jar"_s)));
    EXPECT_EQ(test::readZip(dir.filePath(u"b.jar"_s)), test::templateEntries("T"));
}

TEST(ArchiveWriteJar, AnyTemplateLayoutGivesAJar)
{
    // The manifest first, later, or not at all. When the entries ahead of
    // the first replaced one make up most of the template (a large class
    // first), libzip keeps that part of the archive as it is.
    QTemporaryDir dir;
    const QByteArray manifest("Manifest-Version: 1.0\r\nMIDlet-Name: book\r\n");
    test::ZipEntries base = test::templateEntries("T");
    QByteArray largeClass = base[1].second;
    quint32 seed = 99;
    while (largeClass.size() < 40000) {
        seed = seed * 1103515245u + 12345u;
        largeClass.append(static_cast<char>(seed >> 24));
    }
    const std::pair<QByteArray, QByteArray> large{"demo.class", largeClass};
    const std::vector<test::ZipEntries> layouts{
        base, {large, base[0], base[2]}, {large, base[2]}, {base[2], large}, {large}};
    for (std::size_t k = 0; k < layouts.size(); ++k) {
        const QString templatePath = dir.filePath(u"t%1.jar"_s.arg(k));
        ASSERT_TRUE(test::writeZip(templatePath, layouts[k]));
        const QByteArray templateBytes = test::readFile(templatePath);
        const QByteArray untouched = templateBytes;
        Packer packer(1);
        std::vector<Packer::Batch> batches;
        batches.push_back(packer.start({{"META-INF/MANIFEST.MF", manifest}, {"capter", "c"}}));
        const QString jar = dir.filePath(u"out%1.jar"_s.arg(k));
        ASSERT_TRUE(writeJar(templateBytes, batches, jar)) << "layout " << k;
        EXPECT_EQ(readEntry(jar, "META-INF/MANIFEST.MF"), manifest) << "layout " << k;
        EXPECT_EQ(readEntry(jar, "capter"), QByteArray("c")) << "layout " << k;
        // Every other template entry is still there, unchanged.
        for (const auto& [name, data] : layouts[k]) {
            if (name != "META-INF/MANIFEST.MF") {
                EXPECT_EQ(test::zipEntry(jar, name), data) << "layout " << k << ", " << name.constData();
            }
        }
        // The template's bytes are the caller's and stay as they were.
        EXPECT_EQ(templateBytes, untouched);
    }
}

TEST(ArchiveWriteJar, OtherZipReadersAcceptTheJarAndAFailedWriteIsTheFilesFault)
{
    // A long text entry with real repetition (as a novel has), deflated in
    // several blocks, and small ones: tools other than libzip read them all.
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeZip(dir.filePath(u"t.jar"_s), test::templateEntries("T")));
    const QByteArray templateBytes = test::readFile(dir.filePath(u"t.jar"_s));
    QByteArray longText;
    for (int i = 0; longText.size() < 300000; ++i)
        longText += u"第%1章 风云\r\n　　他说：“明月照在江上。”\r\n"_s.arg(i % 97).toUtf8();
    const QByteArray manifest("Manifest-Version: 1.0\r\nMIDlet-Name: book\r\n");
    Packer packer(1);
    std::vector<Packer::Batch> batches;
    batches.push_back(packer.start({{"META-INF/MANIFEST.MF", manifest}, {"text", longText}, {"capter", ""}}));
    const QString jar = dir.filePath(u"book.jar"_s);
    const auto written = writeJar(templateBytes, batches, jar);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, QFileInfo(jar).size());
    EXPECT_EQ(test::zipEntry(jar, "text"), longText);

    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        GTEST_SKIP() << "python3 not found";
    QProcess p;
    p.start(python, {u"-c"_s,
                     u"import sys, zipfile\n"
                     "z = zipfile.ZipFile(sys.argv[1])\n"
                     "bad = z.testzip()\n"
                     "infos = z.infolist()\n"
                     "print(infos[0].filename)\n"
                     "print(bad or 'ok', all(i.compress_type in (0, 8) and not i.flag_bits & 8 for i in infos))\n"_s,
                     jar});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray("META-INF/MANIFEST.MF\nok True\n"));

    // A file that takes no bytes: the file is named, not the archive.
    QFile readOnly(dir.filePath(u"t.jar"_s));
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    std::vector<Packer::Batch> more;
    more.push_back(packer.start({{"capter", "c"}}));
    const auto failed = writeJar(templateBytes, more, readOnly);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().message, u"无法写入文件："_s + QDir::toNativeSeparators(readOnly.fileName()));

    // A full disk, as the system's device that is always full shows it: the
    // system's reason is given.
    QFile full(u"/dev/full"_s);
    if (!full.open(QIODevice::WriteOnly))
        return; // no such device here (Windows)
    const QByteArray large(2 << 20, 'c');
    std::vector<Packer::Batch> third;
    third.push_back(packer.start({{"capter", large}}));
    const auto noRoom = writeJar(templateBytes, third, full);
    ASSERT_FALSE(noRoom);
    EXPECT_EQ(noRoom.error().message, u"无法写入文件：/dev/full（磁盘空间不足）"_s);
}

namespace {

// A JAR as a build writes it: the template, its manifest replaced, and text.
QByteArray writtenJar(const QString& path, const QByteArray& manifest, const QByteArray& text)
{
    const QString templatePath = path + u".template"_s;
    if (!test::writeZip(templatePath, test::templateEntries("T")))
        return {};
    Packer packer(1);
    std::vector<Packer::Batch> batches;
    batches.push_back(packer.start({{"META-INF/MANIFEST.MF", manifest}, {"text", text}}));
    if (!writeJar(test::readFile(templatePath), batches, path))
        return {};
    return test::readFile(path);
}

Result<QByteArray> readBack(const QString& path, const QByteArray& bytes, const QByteArray& name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        return fail(u"cannot write the test archive"_s);
    return readEntry(file, name);
}

} // namespace

TEST(ArchiveReadBack, AnEntryOfTheOpenFileReadsAsLibzipReadsIt)
{
    QTemporaryDir dir;
    const QString jar = dir.filePath(u"book.jar"_s);
    const QByteArray manifest("Manifest-Version: 1.0\r\nMIDlet-Name: book\r\n");
    QByteArray text;
    for (int i = 0; text.size() < 100000; ++i)
        text += u"第%1章 山里\r\n"_s.arg(i).toUtf8();
    const QByteArray bytes = writtenJar(jar, manifest, text);
    ASSERT_FALSE(bytes.isEmpty());

    QFile file(jar);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(readEntry(file, "META-INF/MANIFEST.MF"), manifest);
    EXPECT_EQ(readEntry(file, "text"), text);
    for (const auto& [name, data] : test::templateEntries("T")) {
        if (name != "META-INF/MANIFEST.MF") {
            EXPECT_EQ(readEntry(file, name), data) << name.constData();
            EXPECT_EQ(readEntry(file, name).value_or("failed"), readEntry(jar, name).value_or("libzip failed"))
                << name.constData();
        }
    }
    const auto missing = readEntry(file, "capter");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message, u"找不到capter"_s);
}

TEST(ArchiveReadBack, DamageToTheWrittenManifestIsFound)
{
    QTemporaryDir dir;
    const QString jar = dir.filePath(u"book.jar"_s);
    const QByteArray manifest("Manifest-Version: 1.0\r\nMIDlet-Name: book\r\n");
    const QByteArray bytes = writtenJar(jar, manifest, "text");
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_EQ(le(bytes, 0, 4), 0x04034b50u);
    ASSERT_EQ(bytes.mid(30, 20), QByteArray("META-INF/MANIFEST.MF"));
    const qsizetype dataAt = 30 + 20 + le(bytes, 28, 2);
    const qsizetype packedSize = le(bytes, 18, 4);
    const QString copy = dir.filePath(u"copy.jar"_s);
    ASSERT_EQ(readBack(copy, bytes, "META-INF/MANIFEST.MF"), manifest);

    auto damaged = [&](qsizetype at, char value) {
        QByteArray b = bytes;
        b[at] = value;
        return b;
    };
    // The deflated bytes, the name and the flags of the local header, the
    // directory's end: each one alone makes the read fail.
    const std::vector<std::pair<const char*, QByteArray>> cases{
        {"data", damaged(dataAt + packedSize / 2, static_cast<char>(bytes[dataAt + packedSize / 2] ^ 0x55))},
        {"local name", damaged(30, 'm')},
        {"data descriptor", damaged(6, static_cast<char>(bytes[6] | 0x08))},
        {"directory end", bytes.chopped(1)},
        {"stored size", damaged(22, static_cast<char>(bytes[22] + 1))},
    };
    for (const auto& [what, b] : cases) {
        const auto read = readBack(copy, b, "META-INF/MANIFEST.MF");
        EXPECT_FALSE(read) << what;
    }
}

TEST(ArchiveTemplate, AGoodTemplateIsRememberedByItsBytesOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeZip(dir.filePath(u"t.jar"_s), test::templateEntries("remembered")));
    const QByteArray good = test::readFile(dir.filePath(u"t.jar"_s));
    EXPECT_TRUE(checkTemplate(good));
    EXPECT_TRUE(checkTemplate(good)); // from what it remembers
    // The same size, one byte of a class's deflated data changed: checked
    // anew, and found broken.
    const qsizetype classAt = good.indexOf("demo.class");
    ASSERT_GT(classAt, 0);
    QByteArray broken = good;
    const qsizetype dataAt = classAt + 10;
    broken[dataAt] = static_cast<char>(broken[dataAt] ^ 0x20);
    EXPECT_FALSE(checkTemplate(broken));
    EXPECT_TRUE(checkTemplate(good));
}
