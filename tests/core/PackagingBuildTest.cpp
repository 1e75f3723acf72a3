#include "packaging/BuildEbook.h"

#include "packaging/Descriptor.h"
#include "packaging/Payload.h"

#include "QtPrinters.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

QString native(const QString& p)
{
    return QDir::toNativeSeparators(p);
}

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
        env.programFolder = root.filePath(u"program"_s);
        env.templateFolder = root.filePath(u"templates"_s);
        ASSERT_TRUE(QDir().mkpath(env.programFolder));
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

    bool workspaceExists() const
    {
        return QFileInfo::exists(QDir(env.programFolder).filePath(u"vamobooktemp"_s));
    }

    // The unchanged project, older files untouched, nothing half-made left.
    void expectNothingChanged(const Snapshot& before, const QStringList& filesBefore)
    {
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(bookFiles(), filesBefore);
        EXPECT_FALSE(workspaceExists());
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
    const auto r = BuildEbook(book, env, [&](double f) { progress.push_back(f); });
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
    EXPECT_EQ(test::zipEntry(jar, "10000"), QByteArray("\xEF\xBB\xBF" "00010006\r\nhello\r\n"));
    EXPECT_EQ(test::zipEntry(jar, "capter"), payload::utf8WithBom(u"\r\n第一章0001\r\n17\r\n"_s));
    EXPECT_EQ(test::zipEntry(jar, "text"),
              payload::utf8WithBom(payload::bookInformation(u"三国"_s, u"留言"_s, u"Vamo"_s)));

    EXPECT_EQ(test::readFile(jad), jadFor(u"三国"_s, jar, u"sanguo.jar"_s));
    EXPECT_EQ(bookFiles(), (QStringList{u"sanguo.jad"_s, u"sanguo.jar"_s}));
    EXPECT_FALSE(workspaceExists());

    // Cleared for the next book; the other settings stay.
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

    ASSERT_TRUE(BuildEbook(book, env));
    const QString jar = inBook(u"sanguo.jar"_s);
    EXPECT_EQ(test::zipEntryNames(jar), (QStringList{u"META-INF/MANIFEST.MF"_s, u"demo.class"_s, u"capter"_s,
                                                     u"icon.png"_s, u"text"_s, u"10000"_s}));
    EXPECT_EQ(test::zipEntry(jar, "capter"), payload::utf8WithBom(u"\r\nA0001\r\n9\r\n"_s));
    EXPECT_NE(test::zipEntry(jar, "text"), QByteArray("stale text"));
}

TEST_F(Build, PhoneModelOneUsesTheMotorolaTemplate)
{
    addChapter(u"A"_s, u"abc"_s);
    book.setPhoneModel(1);
    ASSERT_TRUE(BuildEbook(book, env));
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
    const auto r = BuildEbook(book, env, [&](double f) { progress.push_back(f); });
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
    const auto r = BuildEbook(book, env);
    ASSERT_TRUE(r) << r.error().message.toStdString();
    EXPECT_EQ(r->jarPaths, (QStringList{native(inBook(u"sanguo(01).jar"_s)), native(inBook(u"sanguo(02).jar"_s)),
                                        native(inBook(u"sanguo(03).jar"_s))}));
    EXPECT_TRUE(r->message.endsWith(QDir::separator() + u"sanguo(0~3).jar"_s));
    EXPECT_EQ(test::zipEntry(inBook(u"sanguo(03).jar"_s), "META-INF/MANIFEST.MF"),
              savetoutf8(composeManifest(u"三国(03)"_s)));
}

TEST_F(Build, BookNameSpacesBecomeUnderscoresAndSeparatorIsOptional)
{
    BookSettings s = book.settings();
    s.saveFolder = root.filePath(u"jar"_s); // no trailing separator
    s.bookName = u"my book"_s;
    s.message = u"   "_s;
    book.setSettings(s);
    addChapter(u"A"_s, u"abc"_s);

    const auto r = BuildEbook(book, env);
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
    ASSERT_TRUE(BuildEbook(book, env));
    const QString jar = inBook(u"sanguo.jar"_s);
    const qint64 firstSize = QFileInfo(jar).size();
    ASSERT_GE(firstSize, 10000);

    book.setBookName(u"三国"_s);
    book.setJarName(u"sanguo"_s);
    addChapter(u"A"_s, u"short"_s);
    ASSERT_TRUE(BuildEbook(book, env));
    ASSERT_LT(QFileInfo(jar).size(), 10000);
    EXPECT_EQ(test::zipEntry(jar, "10000"), QByteArray("\xEF\xBB\xBF" "0000\r\nshort"));
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
    const QStringList filesBefore = bookFiles();

    const auto r = BuildEbook(book, env);
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
        const auto r = BuildEbook(book, env);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().message, u"电子书模板文件损坏："_s + native(path));
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(QFileInfo::exists(bookFolder()));
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
    for (const test::ZipEntries& layout :
         {test::ZipEntries{{"demo.class", largeClass}, tpl[0], tpl[2]}, test::ZipEntries{{"demo.class", largeClass}, tpl[2]}}) {
        ASSERT_TRUE(test::writeZip(templatePath(u"DuvEver.dll"_s), layout));
        book.setBookName(u"三国"_s);
        book.setJarName(u"sanguo"_s);
        addChapter(u"A"_s, u"abc"_s);
        const auto r = BuildEbook(book, env);
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
    const QStringList filesBefore = bookFiles();

    const auto r = BuildEbook(book, env);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"无法写入文件："_s + native(inBook(u"sanguo(2).jar"_s)));
    expectNothingChanged(before, filesBefore);
    EXPECT_EQ(test::readFile(inBook(u"sanguo(1).jar"_s)), QByteArray("older 1"));
}

TEST_F(Build, ChapterTooLongAfterOthersWereBeingPackedChangesNothing)
{
    // The first chapters' pieces are already being deflated when the long
    // one is refused.
    addChapter(u"序"_s, randomText(3 * 1024 * 1024));
    addChapter(u"长"_s, QString(10000 * 1400 + 1, u'L'));
    addChapter(u"尾"_s, u"end"_s);
    const Snapshot before = snapshot();

    const auto r = BuildEbook(book, env);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"章节内容过长，请分成几个章节：长"_s);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(QFileInfo::exists(bookFolder()));
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

    const auto r = BuildEbook(book, env);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"无法创建目录："_s + native(QDir(blocker).filePath(u"三国"_s)));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Build, NamesThatWouldLeaveTheSaveFolderAreRefused)
{
    addChapter(u"A"_s, u"abc"_s);
    book.setBookName(u".."_s);
    auto r = BuildEbook(book, env);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"书名包涵非法字符(.)"_s);

    book.setBookName(u"三国"_s);
    book.setJarName(u"../x"_s);
    r = BuildEbook(book, env);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"jar包名包涵非法字符(/)"_s);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(u"jar"_s)));
    EXPECT_EQ(book.chapterCount(), 1);
}
