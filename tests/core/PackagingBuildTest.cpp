// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildEbook.h"

#include "packaging/Descriptor.h"
#include "packaging/Payload.h"
#include "packaging/UnfinishedBuilds.h"
#include "startup/Startup.h"
#include "text/FileNames.h"

#include "FileLinks.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

QString native(const QString& p) { return QDir::toNativeSeparators(p); }

QByteArray jadFor(const QString& volumeBookName, const QString& jarPath, const QString& jarFileName)
{
    return savetoutf8(composeManifest(volumeBookName) + jadLines(QFileInfo(jarPath).size(), jarFileName));
}

struct Snapshot {
    BookSettings settings;
    QStringList names;
    QStringList texts;
    bool operator==(const Snapshot&) const = default;
};

struct Build : ::testing::Test {
    QTemporaryDir root;
    FixedClock clock{QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9))};
    BookProject book{clock};
    BuildEnvironment env;

    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        env.templateFolder = root.filePath(u"templates"_s);
        ASSERT_TRUE(QDir().mkpath(env.templateFolder));
        ASSERT_TRUE(test::writeZip(templatePath(u"DuvEver.dll"_s), test::templateEntries("nokia")));
        ASSERT_TRUE(test::writeZip(templatePath(u"DuvEverMoto.dll"_s), test::templateEntries("moto")));

        BookSettings s;
        s.saveFolder = native(root.filePath(u"jar"_s)) + QDir::separator();
        s.maker = u"Vamo"_s;
        s.message = u"留言"_s;
        s.bookName = u"三国"_s;
        s.jarName = u"sanguo"_s;
        book.setSettings(s);
    }

    QString templatePath(const QString& name) const { return QDir(env.templateFolder).filePath(name); }
    QString bookFolder(const QString& name = u"三国"_s) const { return QDir(root.filePath(u"jar"_s)).filePath(name); }
    QString inBook(const QString& file) const { return QDir(bookFolder()).filePath(file); }

    void addChapter(const QString& name, const QString& text)
    {
        book.appendChapterName(name);
        ASSERT_TRUE(book.setChaptertext(book.chapterCount() - 1, text));
    }

    Snapshot snapshot() const
    {
        Snapshot s{book.settings(), book.chapterNames(), {}};
        for (int i = 0; i < BookProject::kSlotCount; ++i)
            s.texts.append(book.chaptertext(i));
        return s;
    }

    QStringList bookFiles() const
    {
        return QDir(bookFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    // Every file and folder under the test's root, hidden ones included.
    QStringList allFiles() const
    {
        QStringList files;
        QDirIterator it(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(root.path()).relativeFilePath(it.next()));
        files.sort();
        return files;
    }

    // A build as the make command runs it: from a snapshot of the book,
    // which the caller clears for the next book once the build is made.
    Result<BuildReport> build(const BuildProgressFn& progress = {})
    {
        auto r = BuildEbook(BookSnapshot(book), env, progress);
        if (r)
            clearForNextBook(book);
        return r;
    }

    // The unchanged project, older files untouched, nothing half-made left
    // anywhere (`filesBefore`: allFiles() before the build).
    void expectNothingChanged(const Snapshot& before, const QStringList& filesBefore)
    {
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(allFiles(), filesBefore);
    }
};

QString randomText(int n)
{
    QRandomGenerator rng(7);
    QString s;
    for (int i = 0; i < n; ++i)
        s.append(QChar(u'a' + rng.bounded(26)));
    return s;
}

} // namespace

TEST_F(Build, SingleVolumeIsTemplatePlusPayloadAndClearsTheBook)
{
    addChapter(u"第一章"_s, u"hello\r\n"_s);
    std::vector<double> progress;
    const auto r = build([&](double f) { progress.push_back(f); });
    ASSERT_TRUE(r) << r.error().message.toStdString();

    const QString jar = inBook(u"sanguo.jar"_s);
    const QString jad = inBook(u"sanguo.jad"_s);
    EXPECT_EQ(r->jarPaths, QStringList{native(jar)});
    EXPECT_EQ(r->jadPaths, QStringList{native(jad)});
    EXPECT_EQ(r->message, u"成功制做"_s + native(jar));
    EXPECT_EQ(r->bookFolder, native(bookFolder()));
    // One refresh after the only piece; while the JAR is written the same
    // fraction is repeated.
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::all_of(progress.begin(), progress.end(), [](double f) { return f == 1.0; }));

    // The template's entries stay first and in order; the payload follows.
    EXPECT_EQ(test::zipEntryNames(jar), (QStringList{u"META-INF/MANIFEST.MF"_s, u"demo.class"_s, u"icon.png"_s,
                                                     u"capter"_s, u"text"_s, u"10000"_s}));
    const auto tpl = test::templateEntries("nokia");
    EXPECT_EQ(test::zipEntry(jar, "demo.class"), tpl[1].second);
    EXPECT_EQ(test::zipEntry(jar, "icon.png"), tpl[2].second);
    EXPECT_EQ(test::zipEntry(jar, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"三国"_s)));
    EXPECT_EQ(test::zipEntry(jar, "10000"), QByteArray("\xEF\xBB\xBF"
                                                       "00010006\r\nhello\r\n"));
    EXPECT_EQ(test::zipEntry(jar, "capter"), payload::utf8WithBom(u"\r\n第一章0001\r\n17\r\n"_s));
    EXPECT_EQ(test::zipEntry(jar, "text"),
              payload::utf8WithBom(payload::bookInformation(u"三国"_s, u"留言"_s, u"Vamo"_s)));

    EXPECT_EQ(test::readFile(jad), jadFor(u"三国"_s, jar, u"sanguo.jar"_s));
    EXPECT_EQ(bookFiles(), (QStringList{u"sanguo.jad"_s, u"sanguo.jar"_s}));
    // Nothing else is written anywhere: no workspace, no lock left behind.
    EXPECT_EQ(allFiles(), (QStringList{u"jar"_s, u"jar/三国"_s, u"jar/三国/sanguo.jad"_s, u"jar/三国/sanguo.jar"_s,
                                       u"templates"_s, u"templates/DuvEver.dll"_s, u"templates/DuvEverMoto.dll"_s}));

    // Cleared for the next book by the caller; the other settings stay.
    EXPECT_EQ(book.chapterCount(), 0);
    EXPECT_TRUE(book.chaptertext(0).isEmpty());
    EXPECT_TRUE(book.settings().bookName.isEmpty());
    EXPECT_EQ(book.settings().jarName, datedJarName(clock.now()));
    EXPECT_EQ(book.settings().maker, u"Vamo"_s);
    EXPECT_EQ(book.settings().message, u"留言"_s);
}

TEST_F(Build, SameNamedTemplateEntriesAreReplacedWhereTheyStand)
{
    auto entries = test::templateEntries("nokia");
    entries.insert(entries.begin() + 2, {"capter", "stale index"});
    entries.push_back({"text", "stale text"});
    ASSERT_TRUE(test::writeZip(templatePath(u"DuvEver.dll"_s), entries));
    addChapter(u"A"_s, u"abc"_s);

    ASSERT_TRUE(build());
    const QString jar = inBook(u"sanguo.jar"_s);
    EXPECT_EQ(test::zipEntryNames(jar), (QStringList{u"META-INF/MANIFEST.MF"_s, u"demo.class"_s, u"capter"_s,
                                                     u"icon.png"_s, u"text"_s, u"10000"_s}));
    EXPECT_EQ(test::zipEntry(jar, "capter"), payload::utf8WithBom(u"\r\nA0001\r\n9\r\n"_s));
    EXPECT_NE(test::zipEntry(jar, "text"), QByteArray("stale text"));
}

// Spaces around the book name are trimmed before the inner ones become
// underscores: "  三 国  " is the book 三_国, not __三_国__.
TEST_F(Build, BookNameIsTrimmedBeforeItsSpacesBecomeUnderscores)
{
    addChapter(u"A"_s, u"abc"_s);
    book.setBookName(u"  三 国  "_s);
    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    const QString jar = QDir(bookFolder(u"三_国"_s)).filePath(u"sanguo.jar"_s);
    ASSERT_TRUE(QFileInfo::exists(jar)) << QDir(root.filePath(u"jar"_s)).entryList().join(u' ').toStdString();
    const QString text = QString::fromUtf8(test::zipEntry(jar, "text").value_or(QByteArray()));
    EXPECT_TRUE(text.contains(u"三_国"_s)) << text.toStdString();
    EXPECT_FALSE(text.contains(u"_三"_s) || text.contains(u"国_"_s)) << text.toStdString();
    EXPECT_EQ(test::zipEntry(jar, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"三_国"_s)));
}

TEST_F(Build, PhoneModelOneUsesTheMotorolaTemplate)
{
    addChapter(u"A"_s, u"abc"_s);
    book.setPhoneModel(1);
    ASSERT_TRUE(build());
    EXPECT_EQ(test::zipEntry(inBook(u"sanguo.jar"_s), "demo.class"), test::templateEntries("moto")[1].second);
    EXPECT_EQ(book.settings().phoneModel, 1);
}

TEST_F(Build, CutBookWhoseFirstVolumeHoldsMoreThanHalfUsesOneDigit)
{
    // 60KB class: 48 pieces of 1400 per volume, 67200 of 100000 characters
    // in the first (estimate 1).
    book.setJarSize(4);
    book.setJarName(u" sanguo "_s);
    addChapter(u"长章"_s, QString(100000, u'q'));
    std::vector<double> progress;
    const auto r = build([&](double f) { progress.push_back(f); });
    ASSERT_TRUE(r) << r.error().message.toStdString();

    const QString jar1 = inBook(u"sanguo(1).jar"_s);
    const QString jar2 = inBook(u"sanguo(2).jar"_s);
    EXPECT_EQ(r->jarPaths, (QStringList{native(jar1), native(jar2)}));
    EXPECT_EQ(r->jadPaths, (QStringList{native(inBook(u"sanguo(1).jad"_s)), native(inBook(u"sanguo(2).jad"_s))}));
    // The message takes the JAR name as typed.
    EXPECT_EQ(r->message, u"成功制做"_s + native(bookFolder()) + QDir::separator() + u" sanguo (0~2).jar"_s);

    EXPECT_EQ(test::zipEntry(jar1, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"三国(1)"_s)));
    EXPECT_EQ(test::zipEntry(jar2, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"三国(2)"_s)));
    EXPECT_EQ(test::readFile(inBook(u"sanguo(2).jad"_s)), jadFor(u"三国(2)"_s, jar2, u"sanguo(2).jar"_s));
    // Both volumes carry the book information under the base name.
    EXPECT_EQ(test::zipEntry(jar2, "text"),
              payload::utf8WithBom(payload::bookInformation(u"三国"_s, u"留言"_s, u"Vamo"_s)));
    // The second volume continues the chapter under its name, from piece 0.
    EXPECT_TRUE(test::zipEntry(jar2, "capter")->startsWith(payload::utf8WithBom(u"\r\n长章0024\r\n"_s)));
    EXPECT_TRUE(test::zipEntry(jar2, "10023").has_value());
    EXPECT_FALSE(test::zipEntry(jar2, "10024").has_value());

    // The progress continues across volumes; the last refresh is after the
    // 18th of the second volume's 24 pieces: (67200 + 18 * 1400) / 100000.
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_DOUBLE_EQ(progress.back(), 0.924);
    EXPECT_EQ(bookFiles().size(), 4);
}

TEST_F(Build, CutBookOfThreeVolumesUsesTwoDigits)
{
    // 150000 characters, 67200 in the first volume: estimate 2 gives "00".
    book.setJarSize(4);
    addChapter(u"一"_s, QString(150000, u'q'));
    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    EXPECT_EQ(r->jarPaths, (QStringList{native(inBook(u"sanguo(01).jar"_s)), native(inBook(u"sanguo(02).jar"_s)),
                                        native(inBook(u"sanguo(03).jar"_s))}));
    EXPECT_TRUE(r->message.endsWith(QDir::separator() + u"sanguo(0~3).jar"_s));
    EXPECT_EQ(test::zipEntry(inBook(u"sanguo(03).jar"_s), "META-INF/MANIFEST.MF"),
              savetoutf8(composeManifest(u"三国(03)"_s)));
}

TEST_F(Build, EveryVolumeOfACutBookTellsTheReaderItsPlace)
{
    // Three volumes of about 48 pieces: the second begins inside the long
    // chapter, the third inside the last one.
    book.setJarSize(4);
    addChapter(u"序"_s, u"开头\r\n"_s);
    addChapter(u"长章"_s, QString(48 * 1400 + 20 * 1400, u'q'));
    addChapter(u"尾声"_s, QString(60000, u'w'));
    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    ASSERT_EQ(r->jarPaths.size(), 3);
    const QStringList jars{u"sanguo(01).jar"_s, u"sanguo(02).jar"_s, u"sanguo(03).jar"_s};
    EXPECT_EQ(test::zipEntry(inBook(jars[0]), "volume"),
              payload::utf8WithBom(u"1\r\n3\r\n1\r\n0\r\nsanguo(02).jar\r\n"_s));
    EXPECT_EQ(test::zipEntry(inBook(jars[1]), "volume"),
              payload::utf8WithBom(u"2\r\n3\r\n2\r\n1\r\nsanguo(03).jar\r\n"_s));
    EXPECT_EQ(test::zipEntry(inBook(jars[2]), "volume"), payload::utf8WithBom(u"3\r\n3\r\n3\r\n1\r\n\r\n"_s));
    EXPECT_TRUE(test::zipEntry(inBook(jars[2]), "capter")->startsWith(payload::utf8WithBom(u"\r\n尾声"_s)));

    // A book of one volume has none.
    book.setJarSize(4);
    book.setBookName(u"短篇"_s);
    addChapter(u"一"_s, u"短\r\n"_s);
    ASSERT_TRUE(build());
    EXPECT_FALSE(test::zipEntry(QDir(bookFolder(u"短篇"_s)).filePath(book.settings().jarName + u".jar"_s), "volume"));
}

TEST_F(Build, BookNameSpacesBecomeUnderscoresAndSeparatorIsOptional)
{
    BookSettings s = book.settings();
    s.saveFolder = root.filePath(u"jar"_s); // no trailing separator
    s.bookName = u"my book"_s;
    s.message = u"   "_s;
    book.setSettings(s);
    addChapter(u"A"_s, u"abc"_s);

    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    const QString jar = QDir(bookFolder(u"my_book"_s)).filePath(u"sanguo.jar"_s);
    EXPECT_EQ(r->jarPaths, QStringList{native(jar)});
    EXPECT_EQ(test::zipEntry(jar, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"my_book"_s)));
    // A blank message becomes a single space, written trimmed.
    EXPECT_EQ(test::zipEntry(jar, "text"),
              payload::utf8WithBom(payload::bookInformation(u"my_book"_s, QString(), u"Vamo"_s)));
    EXPECT_EQ(book.settings().message, u" "_s);
}

TEST_F(Build, SecondBuildReplacesJarAndShorterJadLeavesNoOldBytes)
{
    addChapter(u"A"_s, randomText(40000));
    ASSERT_TRUE(build());
    const QString jar = inBook(u"sanguo.jar"_s);
    const qint64 firstSize = QFileInfo(jar).size();
    ASSERT_GE(firstSize, 10000);

    book.setBookName(u"三国"_s);
    book.setJarName(u"sanguo"_s);
    addChapter(u"A"_s, u"short"_s);
    ASSERT_TRUE(build());
    ASSERT_LT(QFileInfo(jar).size(), 10000);
    EXPECT_EQ(test::zipEntry(jar, "10000"), QByteArray("\xEF\xBB\xBF"
                                                       "0000\r\nshort"));
    EXPECT_EQ(test::readFile(inBook(u"sanguo.jad"_s)), jadFor(u"三国"_s, jar, u"sanguo.jar"_s));
    EXPECT_EQ(bookFiles(), (QStringList{u"sanguo.jad"_s, u"sanguo.jar"_s}));
}

TEST_F(Build, MissingTemplateChangesNothing)
{
    addChapter(u"第一章"_s, u"正文\r\n"_s);
    addChapter(u"第二章"_s, u"more\r\n"_s);
    ASSERT_TRUE(test::writeFile(inBook(u"sanguo.jar"_s), "older jar"));
    ASSERT_TRUE(test::writeFile(inBook(u"sanguo.jad"_s), "older jad"));
    ASSERT_TRUE(QFile::remove(templatePath(u"DuvEver.dll"_s)));
    const Snapshot before = snapshot();
    const QStringList filesBefore = allFiles();

    const auto r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"找不到电子书模板文件："_s + native(templatePath(u"DuvEver.dll"_s)));
    expectNothingChanged(before, filesBefore);
    EXPECT_EQ(test::readFile(inBook(u"sanguo.jar"_s)), QByteArray("older jar"));
    EXPECT_EQ(test::readFile(inBook(u"sanguo.jad"_s)), QByteArray("older jad"));
}

TEST_F(Build, BrokenTemplateFailsWithoutLeavingAFolder)
{
    book.setPhoneModel(1);
    addChapter(u"A"_s, u"abc"_s);
    const Snapshot before = snapshot();
    const QString path = templatePath(u"DuvEverMoto.dll"_s);

    // An entry whose bytes no longer match their CRC.
    ASSERT_TRUE(test::writeZip(path, test::templateEntries("moto")));
    QByteArray damaged = test::readFile(path);
    const qsizetype firstData = 30 + static_cast<quint8>(damaged[26]) + static_cast<quint8>(damaged[28]);
    damaged[firstData + 5] = static_cast<char>(damaged[firstData + 5] ^ 0x55);
    // An empty file too (libzip would take it for an empty archive), and an
    // archive without entries: neither holds the reader.
    const QByteArray noEntries = QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
    for (const QByteArray& broken : {QByteArray("this is not an archive"), QByteArray(), noEntries, damaged}) {
        ASSERT_TRUE(test::writeFile(path, broken));
        const auto r = build();
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().message, u"电子书模板文件损坏："_s + native(path));
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(QFileInfo::exists(bookFolder()));
    }
}

TEST_F(Build, TemplateWithAnArchiveCommentGivesJarsWithout)
{
    ASSERT_TRUE(test::writeZip(templatePath(u"DuvEver.dll"_s), test::templateEntries("nokia")));
    zip_t* z = test::openZip(templatePath(u"DuvEver.dll"_s), 0);
    ASSERT_NE(z, nullptr);
    const QByteArray comment = "made by a zip tool";
    ASSERT_EQ(zip_set_archive_comment(z, comment.constData(), static_cast<zip_uint16_t>(comment.size())), 0);
    ASSERT_EQ(zip_close(z), 0);
    ASSERT_TRUE(test::readFile(templatePath(u"DuvEver.dll"_s)).endsWith(comment));

    // One volume, and a book of three (each volume's JAR written twice).
    for (const int jarSize : {0, 4}) {
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        book.setJarSize(jarSize);
        addChapter(u"A"_s, QString(jarSize == 0 ? 10 : 150000, u'q'));
        const auto r = build();
        ASSERT_TRUE(r) << r.error().message.toStdString();
        for (const QString& jar : r->jarPaths) {
            EXPECT_FALSE(test::readFile(jar).endsWith(comment));
            EXPECT_EQ(test::zipEntry(jar, "demo.class"), test::templateEntries("nokia")[1].second);
        }
    }
}

TEST_F(Build, TemplateWithoutManifestFirstGivesAJar)
{
    // A large class ahead of the manifest, or no manifest at all: the JAR
    // gets the volume's manifest and keeps the rest of the template.
    QByteArray largeClass("\xCA\xFE\xBA\xBE", 4);
    QRandomGenerator rng(11);
    while (largeClass.size() < 60000)
        largeClass.append(static_cast<char>(rng.bounded(256)));
    const auto tpl = test::templateEntries("nokia");
    const std::pair<QByteArray, QByteArray> large{"demo.class", largeClass};
    for (const test::ZipEntries& layout : {test::ZipEntries{large, tpl[0], tpl[2]}, test::ZipEntries{large, tpl[2]}}) {
        ASSERT_TRUE(test::writeZip(templatePath(u"DuvEver.dll"_s), layout));
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        addChapter(u"A"_s, u"abc"_s);
        const auto r = build();
        ASSERT_TRUE(r) << r.error().message.toStdString();
        const QString jar = inBook(u"sanguo.jar"_s);
        EXPECT_EQ(test::zipEntry(jar, "demo.class"), largeClass);
        EXPECT_EQ(test::zipEntry(jar, "icon.png"), tpl[2].second);
        EXPECT_EQ(test::zipEntry(jar, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"三国"_s)));
        EXPECT_EQ(test::readFile(inBook(u"sanguo.jad"_s)), jadFor(u"三国"_s, jar, u"sanguo.jar"_s));
    }
}

TEST_F(Build, CutBookFailureKeepsEveryOlderVolume)
{
    // The second volume cannot be put in place: a folder has its name. The
    // first volume's older files stay, and no part file is left.
    book.setJarSize(4);
    addChapter(u"长章"_s, QString(100000, u'q'));
    ASSERT_TRUE(test::writeFile(inBook(u"sanguo(1).jar"_s), "older 1"));
    ASSERT_TRUE(QDir().mkpath(inBook(u"sanguo(2).jar"_s)));
    const Snapshot before = snapshot();
    const QStringList filesBefore = allFiles();

    const auto r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"无法写入文件："_s + native(inBook(u"sanguo(2).jar"_s)));
    expectNothingChanged(before, filesBefore);
    EXPECT_EQ(test::readFile(inBook(u"sanguo(1).jar"_s)), QByteArray("older 1"));
}

TEST_F(Build, AChapterOfMoreThan9999PiecesIsMadeWholeInPartsOfTheSameName)
{
    addChapter(u"序"_s, u"start"_s);
    addChapter(u"长"_s, QString(10000 * 1400 + 1, u'L'));
    addChapter(u"尾"_s, u"end"_s);
    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    ASSERT_EQ(r->jarPaths.size(), 1);
    const QStringList names = test::zipEntryNames(r->jarPaths[0]);
    EXPECT_EQ(names.size(), QSet<QString>(names.begin(), names.end()).size());
    // 序 is part 1, 长 parts 2 and 3 (9999 and 2 pieces), 尾 part 4.
    for (const char* number : {"10000", "20000", "29998", "30000", "30001", "40000"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(number))) << number;
    EXPECT_FALSE(names.contains(u"30002"_s));
    const auto capter = test::zipEntry(r->jarPaths[0], "capter");
    ASSERT_TRUE(capter);
    const QStringList lines = QString::fromUtf8(capter->mid(3)).split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 10); // the empty first line, four entries, nothing after the last
    EXPECT_EQ(lines[1], u"序0001"_s);
    EXPECT_EQ(lines[3], u"长9999"_s);
    EXPECT_EQ(lines[5], u"长0002"_s);
    EXPECT_EQ(lines[7], u"尾0001"_s);
}

TEST_F(Build, BookFolderThatCannotBeMadeIsReported)
{
    const QString blocker = root.filePath(u"file"_s);
    ASSERT_TRUE(test::writeFile(blocker, "x"));
    BookSettings s = book.settings();
    s.saveFolder = blocker + QDir::separator();
    book.setSettings(s);
    addChapter(u"A"_s, u"abc"_s);
    const Snapshot before = snapshot();

    const auto r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message,
              u"无法创建目录："_s + native(QDir(blocker).filePath(u"三国"_s)) + u"（已有同名的文件）"_s);
    EXPECT_EQ(snapshot(), before);

    // A book name of 100 Chinese characters is too long for a folder name:
    // refused before anything is made.
    s.saveFolder = native(root.filePath(u"jar"_s)) + QDir::separator();
    s.bookName = QString(100, u'书');
    book.setSettings(s);
    const auto tooLong = build();
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error().message, u"书名太长（最多85个汉字）"_s);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(u"jar"_s)));

    // A save folder that cannot be written (where the system refuses it:
    // not for an administrator).
    const QString readOnly = root.filePath(u"readonly"_s);
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    if (!QDir().mkdir(QDir(readOnly).filePath(u"probe"_s))) {
        s.saveFolder = native(readOnly) + QDir::separator();
        s.bookName = u"三国"_s;
        book.setSettings(s);
        const auto refused = build();
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().message,
                  u"无法创建目录："_s + native(QDir(readOnly).filePath(u"三国"_s)) + u"（没有权限）"_s);
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(Build, NamesThatWouldLeaveTheSaveFolderAreRefused)
{
    addChapter(u"A"_s, u"abc"_s);
    book.setBookName(u".."_s);
    auto r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"书名包涵非法字符(.)"_s);

    book.setBookName(u"三国"_s);
    book.setJarName(u"../x"_s);
    r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"jar包名包涵非法字符(/)"_s);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(u"jar"_s)));
    EXPECT_EQ(book.chapterCount(), 1);
}

// The build reads a snapshot and reports; the project it was taken from
// changes only when the caller clears it, and a change after the snapshot
// was taken does not reach the build.
TEST_F(Build, BuildLeavesTheProjectToItsCallerAndReadsOnlyTheSnapshot)
{
    BookSettings s = book.settings();
    s.message = u" \t "_s;
    s.phoneModel = 1;
    book.setSettings(s);
    addChapter(u"第一章"_s, u"snapshot text"_s);
    book.setNum(3);
    const BookSnapshot taken(book);
    const BookSnapshot copy = taken;
    const Snapshot before = snapshot();

    // Changed after the snapshot: name, text and JAR name.
    book.setBookName(u"后来"_s);
    book.setJarName(u"later"_s);
    ASSERT_TRUE(book.setChaptertext(0, u"later text"_s));
    const Snapshot changed = snapshot();

    const auto r = BuildEbook(taken, env);
    ASSERT_TRUE(r) << r.error().message.toStdString();
    EXPECT_EQ(snapshot(), changed);
    EXPECT_EQ(book.num(), 3);
    EXPECT_EQ(taken, copy);
    EXPECT_EQ(r->jarPaths, QStringList{native(inBook(u"sanguo.jar"_s))});
    EXPECT_EQ(test::zipEntry(inBook(u"sanguo.jar"_s), "10000"), QByteArray("\xEF\xBB\xBF"
                                                                           "0000\r\nsnapshot text"));
    EXPECT_FALSE(QFileInfo::exists(bookFolder(u"后来"_s)));

    // The caller's clearing: a blank message becomes " ", the chapters, texts
    // and book name go, a fresh dated JAR name; the other settings stay.
    clearForNextBook(book);
    EXPECT_EQ(book.settings().message, u" "_s);
    EXPECT_EQ(book.chapterCount(), 0);
    for (int i = 0; i < BookProject::kSlotCount; ++i)
        ASSERT_TRUE(book.chaptertext(i).isEmpty()) << i;
    EXPECT_EQ(book.num(), 0);
    BookSettings expected = before.settings;
    expected.message = u" "_s;
    expected.bookName.clear();
    expected.jarName = datedJarName(clock.now());
    EXPECT_EQ(book.settings(), expected);

    // A message with text is kept as it is.
    book.setMessage(u" 好书 "_s);
    clearForNextBook(book);
    EXPECT_EQ(book.settings().message, u" 好书 "_s);
}

// The build is also entered without the make command's checks: it refuses
// what they refuse, with their messages, and writes nothing.
TEST_F(Build, InputTheMakeCommandWouldRefuseIsRefused)
{
    const QStringList filesBefore = allFiles();
    EXPECT_EQ(BuildEbook(BookSnapshot(book), env).error().message, u"请添加章节内容"_s);
    addChapter(u"A"_s, u"abc"_s);
    book.setJarName(u" \u3000 "_s);
    EXPECT_EQ(BuildEbook(BookSnapshot(book), env).error().message, u"jar包名为空"_s);
    book.setJarName(u"a\tb"_s);
    EXPECT_EQ(BuildEbook(BookSnapshot(book), env).error().message, u"jar包名包涵非法字符(U+0009)"_s);
    book.setJarName(u"sanguo"_s);
    book.setBookName(u"  "_s);
    EXPECT_EQ(BuildEbook(BookSnapshot(book), env).error().message, u"书名为空"_s);
    book.setBookName(u"a*b"_s);
    EXPECT_EQ(BuildEbook(BookSnapshot(book), env).error().message, u"书名包涵非法字符(*)"_s);
    EXPECT_EQ(allFiles(), filesBefore);
}

// ---------------------------------------------------------------------------
// The book folder's files: temporary names, the swap, leftovers, the lock.

namespace {

// Every file name in `folder`, hidden ones included.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList volumeNames(const QString& jarName, int count, int digits)
{
    QStringList names;
    for (int v = 1; v <= count; ++v) {
        const QString base = jarName + u"("_s + u"%1"_s.arg(v, digits, 10, QLatin1Char('0')) + u")"_s;
        names << base + u".jad"_s << base + u".jar"_s;
    }
    names.sort();
    return names;
}

} // namespace

TEST_F(Build, PlantedLinksAndLookalikeFilesAreNeitherFollowedNorTouched)
{
    // Files of the user's that carry names a build might choose, links among
    // them to a file outside the book folder, and a link in place of the JAR.
    const QString victim = root.filePath(u"victim.txt"_s);
    ASSERT_TRUE(test::writeFile(victim, "precious"));
    const QStringList lookalikes{u"sanguo.vamo-part.jar"_s, u"sanguo.vamo-part.jad"_s, u"sanguo.jar.vamo-old"_s,
                                 u"sanguo.jad.vamo-old"_s, u".vamobook-0123456789abcdef-0123456789.jar"_s};
    for (const QString& name : lookalikes)
        ASSERT_TRUE(test::writeFile(inBook(name), "mine: " + name.toUtf8()));
    ASSERT_TRUE(QFile::remove(inBook(u"sanguo.vamo-part.jar"_s)));
    if (!test::makeFileLink(victim, inBook(u"sanguo.vamo-part.jar"_s)))
        GTEST_SKIP() << "no file links here";
    ASSERT_TRUE(test::makeFileLink(victim, inBook(u"sanguo.jar"_s)));

    // While the JAR is written its temporary file is there to be seen.
    QStringList seen;
    auto watch = [&](double) {
        for (const QString& name : filesIn(bookFolder())) {
            const bool known = lookalikes.contains(name) ||
                               QStringList{u".vamobook.lock"_s, u"sanguo.jar"_s, u"sanguo.jad"_s}.contains(name);
            if (!known && !seen.contains(name))
                seen.append(name);
        }
    };
    for (int round = 0; round < 2; ++round) {
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        addChapter(u"A"_s, randomText(400000));
        const auto r = build(watch);
        ASSERT_TRUE(r) << r.error().message.toStdString();
    }

    EXPECT_EQ(test::readFile(victim), QByteArray("precious"));
    EXPECT_TRUE(isLink(inBook(u"sanguo.vamo-part.jar"_s)));
    for (const QString& name : lookalikes.mid(1))
        EXPECT_EQ(test::readFile(inBook(name)), "mine: " + name.toUtf8()) << name.toStdString();
    const QFileInfo jar(inBook(u"sanguo.jar"_s));
    EXPECT_FALSE(isLink(jar.filePath()));
    EXPECT_EQ(test::zipEntry(jar.filePath(), "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(u"三国"_s)));
    QStringList expected = lookalikes;
    expected << u"sanguo.jad"_s << u"sanguo.jar"_s;
    expected.sort();
    EXPECT_EQ(filesIn(bookFolder()), expected);

    // Each build wrote under names of its own, never used before.
    ASSERT_GE(seen.size(), 2);
    EXPECT_EQ(seen.removeDuplicates(), 0);
    for (const QString& name : seen)
        EXPECT_TRUE(name.startsWith(u"."_s)) << name.toStdString();
}

TEST_F(Build, FewerVolumesRemoveTheOlderBuildsHigherVolumes)
{
    // Five volumes, then three: (04) and (05) go. Files that only look like
    // volumes, and other JAR names, stay.
    book.setJarSize(4);
    addChapter(u"长章"_s, QString(300000, u'p'));
    ASSERT_TRUE(build());
    ASSERT_EQ(filesIn(bookFolder()), volumeNames(u"sanguo"_s, 5, 2));
    const QStringList others{u"sanguo(04).txt"_s, u"sanguo(4)x.jar"_s, u"other(05).jar"_s, u"sanguo.jar"_s,
                             u"sanguo(0x).jad"_s, u"sanguo(0).jar"_s,  u"sanguo().jad"_s};
    for (const QString& name : others)
        ASSERT_TRUE(test::writeFile(inBook(name), "mine"));
    // An older build of ten thousand volumes and more left these.
    for (const QString& name :
         {u"sanguo(10000).jar"_s, u"sanguo(10000).jad"_s, u"sanguo(10042).jar"_s, u"sanguo(123456).jad"_s})
        ASSERT_TRUE(test::writeFile(inBook(name), "older volume"));

    book.setBookName(u"三国"_s);
    book.setJarName(u"sanguo"_s);
    addChapter(u"长章"_s, QString(150000, u'q'));
    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    QStringList expected = volumeNames(u"sanguo"_s, 3, 2) + others;
    expected.sort();
    EXPECT_EQ(filesIn(bookFolder()), expected);
    EXPECT_EQ(test::zipEntry(inBook(u"sanguo(03).jar"_s), "META-INF/MANIFEST.MF"),
              savetoutf8(composeManifest(u"三国(03)"_s)));

    // One volume now (the unnumbered sanguo.jar is replaced): no numbered
    // volume of that JAR name stays beside it.
    book.setBookName(u"三国"_s);
    book.setJarName(u"sanguo"_s);
    addChapter(u"短"_s, u"abc"_s);
    ASSERT_TRUE(build());
    expected = others;
    expected << u"sanguo.jad"_s;
    expected.sort();
    EXPECT_EQ(filesIn(bookFolder()), expected);
}

TEST_F(Build, SecondBuildOfTheSameBookFolderIsRefusedWhileOneRuns)
{
    addChapter(u"A"_s, u"abc"_s);
    ASSERT_TRUE(test::writeFile(inBook(u"sanguo.jar"_s), "older jar"));
    const Snapshot before = snapshot();
    const QStringList filesBefore = bookFiles();

    // Another process's build holds the lock (here: this process, through
    // a lock of its own).
    QLockFile other(QDir(bookFolder()).filePath(u".vamobook.lock"_s));
    ASSERT_TRUE(other.tryLock());
    const auto r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"另一个程序正在制作这本书，请稍后再试："_s + native(bookFolder()));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(test::readFile(inBook(u"sanguo.jar"_s)), QByteArray("older jar"));
    other.unlock();
    EXPECT_EQ(bookFiles(), filesBefore);

    // Once it is over the book is made.
    ASSERT_TRUE(build());
    EXPECT_EQ(bookFiles(), (QStringList{u"sanguo.jad"_s, u"sanguo.jar"_s}));

    // A file of the lock's name that is no lock is the user's: it stays, and
    // the build says what it is.
    const QString lockPath = QDir(bookFolder()).filePath(u".vamobook.lock"_s);
    ASSERT_TRUE(test::writeFile(lockPath, "my notes"));
    book.setBookName(u"三国"_s);
    book.setJarName(u"sanguo"_s);
    addChapter(u"A"_s, u"abc"_s);
    const auto refused = build();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message,
              u"书的文件夹中已有一个不是本程序锁文件的.vamobook.lock，请移走后再试："_s + native(lockPath));
    EXPECT_EQ(test::readFile(lockPath), QByteArray("my notes"));
}

TEST_F(Build, NextBuildRemovesWhatAKilledBuildLeftAndNothingElse)
{
    // A killed build's journal and temporary volumes.
    const QByteArray key = "k0k1k2k3k4k5k6k7";
    auto temporary = [&](const char* name, const char* extension) {
        return u".vamobook-"_s + QString::fromLatin1(key) + u"-"_s + QString::fromLatin1(name) + u"."_s +
               QString::fromLatin1(extension);
    };
    const QStringList leftovers{temporary("aaaaaaaaaa", "jar"), temporary("aaaaaaaaaa", "jad"),
                                temporary("bbbbbbbbbb", "jar")};
    // Files that only look like them stay: one the journal does not name,
    // one whose line was cut short, a link it names, a journal without its
    // first line and what it names, a copy of a journal.
    const QString unnamed = temporary("cccccccccc", "jar");
    const QString cutShort = temporary("dddddddddd", "jar");
    const QString link = temporary("eeeeeeeeee", "jar");
    const QString forgedJournal = u".vamobook-zzzzzzzzzzzzzzzz.build"_s;
    const QString forgedListed = u".vamobook-zzzzzzzzzzzzzzzz-aaaaaaaaaa.jar"_s;
    const QString journalCopy = u".vamobook-k0k1k2k3k4k5k6k7.build.bak"_s;

    QByteArray journal = "vamobook build files\n";
    for (const QString& name : leftovers + QStringList{link}) {
        journal += name.toUtf8() + '\n';
        if (name != link) {
            ASSERT_TRUE(test::writeFile(inBook(name), QByteArray(100000, 'j')));
        }
    }
    journal += cutShort.toUtf8().chopped(2);
    ASSERT_TRUE(test::writeFile(inBook(u".vamobook-"_s + QString::fromLatin1(key) + u".build"_s), journal));
    ASSERT_TRUE(test::writeFile(inBook(forgedJournal), forgedListed.toUtf8() + '\n'));
    ASSERT_TRUE(test::writeFile(inBook(journalCopy), journal));
    for (const QString& name : {unnamed, cutShort, forgedListed})
        ASSERT_TRUE(test::writeFile(inBook(name), "mine"));
    const QString victim = root.filePath(u"victim.jar"_s);
    ASSERT_TRUE(test::writeFile(victim, "precious"));
    if (!test::makeFileLink(victim, inBook(link)))
        GTEST_SKIP() << "no file links here";

    addChapter(u"A"_s, u"abc"_s);
    ASSERT_TRUE(build());
    QStringList expected{unnamed,     cutShort,        link,           forgedJournal, forgedListed,
                         journalCopy, u"sanguo.jad"_s, u"sanguo.jar"_s};
    expected.sort();
    EXPECT_EQ(filesIn(bookFolder()), expected);
    EXPECT_EQ(test::readFile(victim), QByteArray("precious"));
    for (const QString& name : {unnamed, cutShort, forgedListed})
        EXPECT_EQ(test::readFile(inBook(name)), QByteArray("mine")) << name.toStdString();
}

#ifdef Q_OS_UNIX

namespace {

constexpr int kStopped = 77;

// Ends the process, as kill -9 would (no clean-up of any kind), just before
// its file step number `stopAt`; counts the steps.
class StoppingSteps : public FileSteps {
public:
    explicit StoppingSteps(int stopAt) : m_stopAt(stopAt) {}
    bool replace(const QString& from, const QString& to) override
    {
        step();
        return FileSteps::replace(from, to);
    }
    bool remove(const QString& path) override
    {
        step();
        return FileSteps::remove(path);
    }
    int count() const { return m_count; }

private:
    void step()
    {
        if (m_count++ == m_stopAt)
            ::_exit(kStopped);
    }
    int m_stopAt;
    int m_count = 0;
};

// Runs `child` in a child process; whether it was stopped.
template <class F>
bool stoppedInChild(F child)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        child();
        ::_exit(0);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == kStopped;
}

} // namespace

struct KilledBuild : Build {
    // The older book: five volumes of 'p'; the newer one: three of 'q'.
    void makeOlder()
    {
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        book.setJarSize(4);
        addChapter(u"长章"_s, QString(300000, u'p'));
        const auto r = build();
        ASSERT_TRUE(r) << r.error().message.toStdString();
        ASSERT_EQ(filesIn(bookFolder()), volumeNames(u"sanguo"_s, 5, 2));
    }
    void prepareNewer()
    {
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        book.setJarSize(4);
        // Another chapter name: sizes, and so the JADs, differ from the older.
        addChapter(u"新的长章"_s, QString(150000, u'q'));
    }
    static QString volume(int v, const char* extension)
    {
        return u"sanguo(0%1).%2"_s.arg(v).arg(QLatin1StringView(extension));
    }
};

TEST_F(KilledBuild, AtEveryStepOfTheSwapEachFinalNameHoldsAWholeOlderOrNewerFile)
{
    // How many steps a whole build takes.
    makeOlder();
    const QByteArray olderJad = test::readFile(inBook(volume(1, "jad")));
    prepareNewer();
    StoppingSteps counting(-1);
    env.fileSteps = &counting;
    ASSERT_TRUE(build());
    env.fileSteps = nullptr;
    const int steps = counting.count();
    ASSERT_EQ(steps, 3 * 2 + 2 * 2 + 1); // three volumes put in place, two older ones removed, the journal
    ASSERT_EQ(filesIn(bookFolder()), volumeNames(u"sanguo"_s, 3, 2));
    ASSERT_NE(test::readFile(inBook(volume(1, "jad"))), olderJad);

    for (int stop = 0; stop < steps; ++stop) {
        SCOPED_TRACE(stop);
        makeOlder();
        std::map<QString, QByteArray> older;
        for (const QString& name : filesIn(bookFolder()))
            older[name] = test::readFile(inBook(name));

        prepareNewer();
        ASSERT_TRUE(stoppedInChild([&] {
            StoppingSteps stopping(stop);
            env.fileSteps = &stopping;
            (void)build();
        }));
        book.clearAfterBuild();

        // Volumes 1 to 3: never missing, each file whole, the older one or
        // the newer one; a newer JAD only beside its JAR; a newer JAR beside
        // its older JAD only for the one volume stopped between the two.
        int torn = 0;
        for (int v = 1; v <= 3; ++v) {
            const QString jar = inBook(volume(v, "jar"));
            const QString jad = inBook(volume(v, "jad"));
            ASSERT_TRUE(QFileInfo(jar).isFile() && QFileInfo(jad).isFile()) << v;
            const bool olderJar = test::readFile(jar) == older[volume(v, "jar")];
            const bool olderJad = test::readFile(jad) == older[volume(v, "jad")];
            const QString volumeBook = u"三国(0%1)"_s.arg(v);
            if (!olderJar) {
                EXPECT_EQ(test::zipEntry(jar, "META-INF/MANIFEST.MF"), savetoutf8(composeManifest(volumeBook))) << v;
            }
            if (!olderJad) {
                EXPECT_FALSE(olderJar) << v;
                EXPECT_EQ(test::readFile(jad), jadFor(volumeBook, jar, volume(v, "jar"))) << v;
            }
            torn += !olderJar && olderJad;
        }
        EXPECT_LE(torn, 1);
        // Volumes 4 and 5 are the older ones while they are there.
        for (const char* extension : {"jar", "jad"}) {
            for (int v = 4; v <= 5; ++v) {
                if (QFileInfo::exists(inBook(volume(v, extension)))) {
                    EXPECT_EQ(test::readFile(inBook(volume(v, extension))), older[volume(v, extension)]) << v;
                }
            }
        }

        // The next build clears away what the stopped one left.
        prepareNewer();
        const auto r = build();
        ASSERT_TRUE(r) << r.error().message.toStdString();
        EXPECT_EQ(filesIn(bookFolder()), volumeNames(u"sanguo"_s, 3, 2));
    }
}

TEST_F(KilledBuild, StartRemovesWhatKilledBuildsLeftButNotARunningBuildsFiles)
{
    // Killed while it wrote volumes into a book folder it had made; killed
    // before its first step in a folder holding the older book; a lock left
    // alone by a killed process; a build that is running.
    const QString saveFolder = root.filePath(u"jar"_s);
    prepareNewer();
    ASSERT_TRUE(stoppedInChild([&] {
        StoppingSteps stopping(0);
        env.fileSteps = &stopping;
        (void)build();
    }));
    EXPECT_GE(filesIn(bookFolder()).size(), 3 * 2 + 2); // volumes, journal, lock

    book.clearAfterBuild();
    book.setBookName(u"水浒"_s);
    book.setJarName(u"shuihu"_s);
    addChapter(u"A"_s, u"older"_s);
    ASSERT_TRUE(build());
    book.setBookName(u"水浒"_s);
    book.setJarName(u"shuihu"_s);
    addChapter(u"A"_s, u"newer"_s);
    ASSERT_TRUE(stoppedInChild([&] {
        StoppingSteps stopping(0);
        env.fileSteps = &stopping;
        (void)build();
    }));
    book.clearAfterBuild();
    const QString shuihu = bookFolder(u"水浒"_s);

    const QString orphan = bookFolder(u"红楼"_s);
    ASSERT_TRUE(QDir().mkpath(orphan));
    ASSERT_TRUE(test::writeFile(QDir(orphan).filePath(u"mine.txt"_s), "mine"));
    ASSERT_TRUE(stoppedInChild([&] {
        QLockFile lock(buildLockPath(orphan));
        if (lock.tryLock())
            ::_exit(kStopped);
    }));
    // Killed while it took over a lock whose process was gone, once that
    // lock was its own: the second lock file QLockFile uses for that stays.
    const QString orphanTakeOver = bookFolder(u"金瓶"_s);
    ASSERT_TRUE(QDir().mkpath(orphanTakeOver));
    ASSERT_TRUE(test::writeFile(QDir(orphanTakeOver).filePath(u"mine.txt"_s), "mine"));
    ASSERT_TRUE(stoppedInChild([&] {
        QLockFile takeOver(buildLockPath(orphanTakeOver) + u".rmlock"_s);
        if (takeOver.tryLock())
            ::_exit(kStopped);
    }));

    const QString running = bookFolder(u"西游"_s);
    ASSERT_TRUE(QDir().mkpath(running));
    QLockFile runningLock(buildLockPath(running));
    ASSERT_TRUE(runningLock.tryLock());
    const QString runningTemporary = QDir(running).filePath(u".vamobook-0123456789abcdef-0123456789.jar"_s);
    ASSERT_TRUE(test::writeFile(QDir(running).filePath(u".vamobook-0123456789abcdef.build"_s),
                                "vamobook build files\n.vamobook-0123456789abcdef-0123456789.jar\n"));
    ASSERT_TRUE(test::writeFile(runningTemporary, "being written"));

    removeKilledBuildFiles(saveFolder);
    EXPECT_FALSE(QFileInfo::exists(bookFolder()));
    EXPECT_EQ(filesIn(shuihu), (QStringList{u"shuihu.jad"_s, u"shuihu.jar"_s}));
    EXPECT_EQ(test::zipEntry(QDir(shuihu).filePath(u"shuihu.jar"_s), "10000"), QByteArray("\xEF\xBB\xBF"
                                                                                          "0000\r\nolder"));
    EXPECT_EQ(filesIn(orphan), QStringList{u"mine.txt"_s});
    EXPECT_EQ(filesIn(orphanTakeOver), QStringList{u"mine.txt"_s});
    EXPECT_EQ(test::readFile(runningTemporary), QByteArray("being written"));
    EXPECT_TRUE(runningLock.isLocked());
    // Nothing left to do a second time.
    removeKilledBuildFiles(saveFolder);
    EXPECT_EQ(filesIn(orphan), QStringList{u"mine.txt"_s});
}

TEST_F(KilledBuild, LocksOfAKilledBuildAreTakenOverAndGo)
{
    // A lock, and the second lock file of a lock being taken over.
    for (const QString& lockFile : {buildLockPath(bookFolder()), buildLockPath(bookFolder()) + u".rmlock"_s}) {
        ASSERT_TRUE(QDir().mkpath(bookFolder()));
        ASSERT_TRUE(stoppedInChild([&] {
            QLockFile lock(lockFile);
            if (lock.tryLock())
                ::_exit(kStopped);
        }));
        ASSERT_TRUE(QFileInfo::exists(lockFile));
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        addChapter(u"A"_s, u"abc"_s);
        const auto r = build();
        ASSERT_TRUE(r) << r.error().message.toStdString();
        EXPECT_EQ(filesIn(bookFolder()), (QStringList{u"sanguo.jad"_s, u"sanguo.jar"_s}));
    }
}

TEST_F(KilledBuild, TheStartClearsAKilledBuildWhereverItsBookFolderIs)
{
    const QString list = root.filePath(u"data/vamobook/unfinished-builds.txt"_s);
    env.unfinishedList = list;
    prepareNewer();
    // Killed as its first volume is put in place: its temporaries, journal
    // and lock stay, and its folder is on the list.
    ASSERT_TRUE(stoppedInChild([&] {
        StoppingSteps stopping(0);
        env.fileSteps = &stopping;
        (void)build();
    }));
    book.clearAfterBuild();
    ASSERT_GE(filesIn(bookFolder()).filter(QRegularExpression(u"^\\."_s)).size(), 7);
    EXPECT_EQ(unfinishedBuilds::folders(list), QStringList{bookFolder()});

    // The program starts from another folder, with another save folder; a
    // build of another book runs meanwhile.
    const QString running = bookFolder(u"别的书"_s);
    auto holding = BuildFiles::start(running, nullptr, list);
    ASSERT_TRUE(holding);
    QTemporaryDir program;
    ASSERT_TRUE(removeBuildLeftovers(program.path(), {}, list));
    EXPECT_FALSE(QFileInfo::exists(bookFolder())); // the killed build made it: it goes, empty
    EXPECT_EQ(unfinishedBuilds::folders(list), QStringList{running});
    EXPECT_TRUE(QFileInfo::exists(buildLockPath(running)));

    // A build that ends takes its folder off; the list goes with the last.
    holding->reset();
    EXPECT_FALSE(QFileInfo::exists(list));
    prepareNewer();
    ASSERT_TRUE(build());
    EXPECT_TRUE(QDir(QFileInfo(list).absolutePath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(Build, APathNearTheSystemsLimitIsReportedByTheFinalNameAndWhy)
{
    // A book folder whose JAR's path fits, while the build's own hidden
    // files (the journal's name is 32 characters) pass the system's limit.
    QString saveFolder = root.filePath(u"deep"_s);
    while (saveFolder.size() < 4070 - 200)
        saveFolder += u"/"_s + QString(199, u'd');
    saveFolder += u"/"_s + QString(4065 - saveFolder.size(), u'e');
    ASSERT_TRUE(QDir().mkpath(saveFolder));
    BookSettings s = book.settings();
    s.saveFolder = saveFolder + u"/"_s;
    s.bookName = u"书"_s;
    s.jarName = u"a"_s;
    book.setSettings(s);
    addChapter(u"A"_s, u"abc"_s);
    const QString folder = QDir(saveFolder).filePath(u"书"_s);
    ASSERT_EQ(encodeFileName(folder).size(), 4070);
    const auto r = build();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"无法写入文件："_s + native(folder + u"/a.jar"_s) + u"（名称过长）"_s);
    EXPECT_FALSE(QFileInfo::exists(folder)); // made by the build, and gone with it
}

#endif // Q_OS_UNIX

namespace {

// Text that deflates badly (so that the text budget alone would let a JAR
// pass its class): characters drawn at random from `from` to `to`, lines of
// 40 with CR LF.
QString randomText(qsizetype length, char16_t from, char16_t to, quint32 seed)
{
    QRandomGenerator random(seed);
    QString text;
    text.reserve(length + length / 20);
    for (qsizetype i = 0; i < length; ++i) {
        text += QChar(static_cast<char16_t>(from + random.bounded(to - from + 1)));
        if (i % 40 == 39)
            text += u"\r\n"_s;
    }
    return text;
}

} // namespace

// Every size class, with Chinese text, ASCII text and 1000 one-line
// chapters: no volume passes the class, and a volume cut for its size is
// full to within a few pieces. A reader template about the real one's size.
TEST_F(Build, NoVolumePassesItsSizeClass)
{
    test::ZipEntries tpl = test::templateEntries("nokia");
    tpl.emplace_back("Reader.class", randomText(5000, u'!', u'~', 7).toLatin1());
    ASSERT_TRUE(test::writeZip(templatePath(u"DuvEver.dll"_s), tpl));

    struct Case {
        const char* what;
        QStringList names;
        QStringList texts;
    };
    std::vector<Case> cases;
    cases.push_back({"Chinese", {u"甲"_s, u"乙"_s}, {}});
    cases.back().texts = {randomText(500000, u'\u4e00', u'\u9fa5', 1), randomText(300000, u'\u4e00', u'\u9fa5', 2)};
    cases.push_back({"ASCII", {u"a"_s}, {randomText(1200000, u'!', u'~', 3)}});
    cases.push_back({"one-line chapters", {}, {}});
    for (int i = 1; i <= 1000; ++i) {
        cases.back().names << u"第%1章 一行"_s.arg(i);
        cases.back().texts << u"第%1章只有一行。\r\n"_s.arg(i);
    }

    for (int jarSize = 1; jarSize <= 4; ++jarSize) {
        const qint64 limit = payload::jarSizeLimit(jarSize);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in class " + std::to_string(jarSize));
            book.setJarSize(jarSize);
            book.setBookName(u"三国"_s);
            for (qsizetype i = 0; i < c.names.size(); ++i)
                addChapter(c.names[i], c.texts[i]);
            const auto r = build();
            ASSERT_TRUE(r) << r.error().message.toStdString();
            int cutForSize = 0;
            for (qsizetype v = 0; v < r->jarPaths.size(); ++v) {
                const qint64 size = QFileInfo(r->jarPaths[v]).size();
                EXPECT_LE(size, limit) << r->jarPaths[v].toStdString();
                // A volume that did not reach its text budget ended for its size.
                const auto capter = test::zipEntry(r->jarPaths[v], "capter");
                ASSERT_TRUE(capter.has_value());
                qint64 pieces = 0;
                for (const auto& [name, data] : test::readZip(r->jarPaths[v]))
                    pieces += name.front() >= '1' && name.front() <= '9' ? data.size() : 0;
                if (v + 1 < r->jarPaths.size() && pieces / 1024 < payload::textBudget(jarSize)) {
                    ++cutForSize;
                    EXPECT_GE(size, limit - 8 * 1024) << r->jarPaths[v].toStdString();
                }
            }
            // Each volume names its place among the volumes as they came
            // out (the size cut some sooner than the text alone would have)
            // and the next one; each JAD gives its JAR's size; nothing
            // temporary is left.
            const auto count = r->jarPaths.size();
            for (qsizetype v = 0; count > 1 && v < count; ++v) {
                const QString next = v + 1 < count ? QFileInfo(r->jarPaths[v + 1]).fileName() : QString();
                const auto volume = test::zipEntry(r->jarPaths[v], "volume");
                ASSERT_TRUE(volume.has_value());
                const QStringList lines = QString::fromUtf8(volume->mid(3)).split(u"\r\n"_s);
                ASSERT_EQ(lines.size(), 6) << volume->toStdString();
                EXPECT_EQ(lines[0], QString::number(v + 1));
                EXPECT_EQ(lines[1], QString::number(count));
                EXPECT_EQ(lines[4], next);
                QFile jad(r->jadPaths[v]);
                ASSERT_TRUE(jad.open(QIODevice::ReadOnly));
                EXPECT_TRUE(jad.readAll().contains(
                    "MIDlet-Jar-Size: " + QByteArray::number(QFileInfo(r->jarPaths[v]).size()) + "\r\n"));
            }
            for (const QString& name : filesIn(r->bookFolder))
                EXPECT_FALSE(name.startsWith(u"."_s)) << name.toStdString();
            // The text budget alone would have passed the class here (but
            // for Chinese in 60 KB, which deflates to less than 60 KB, and
            // the short chapters, which fill 120 KB and less only).
            const bool fitsByBudget = std::string(c.what) == "Chinese" ? jarSize == 4
                                      : std::string(c.what) == "ASCII" ? false
                                                                       : jarSize <= 2;
            EXPECT_EQ(cutForSize > 0, !fitsByBudget);
        }
    }
}

// A book whose volumes keep within their class is cut by the text budget
// alone, as the payload writer cuts it without a size class.
TEST_F(Build, VolumesWithinTheirClassAreCutByTheTextBudget)
{
    QString text;
    for (int i = 0; i < 6000; ++i)
        text += u"　　第%1段，山中的雨下了一夜，溪水涨到了石阶下面。\r\n"_s.arg(i % 97);
    book.setJarSize(4);
    addChapter(u"上"_s, text);
    addChapter(u"下"_s, text.left(90000));
    const QStringList names = book.chapterNames();
    const QStringList texts = {book.chaptertext(0), book.chaptertext(1)};

    QList<QByteArray> expected;
    payload::Cursor cursor;
    do {
        auto v = payload::writeVolume(names, texts, payload::textBudget(4), cursor);
        ASSERT_TRUE(v);
        expected << payload::utf8WithBom(v->capter);
    } while (!payload::bookFinished(texts, cursor));
    ASSERT_GT(expected.size(), 2);

    const auto r = build();
    ASSERT_TRUE(r) << r.error().message.toStdString();
    ASSERT_EQ(r->jarPaths.size(), expected.size());
    for (qsizetype v = 0; v < expected.size(); ++v) {
        EXPECT_EQ(test::zipEntry(r->jarPaths[v], "capter"), expected[v]);
        EXPECT_LE(QFileInfo(r->jarPaths[v]).size(), payload::jarSizeLimit(4));
    }
}
