// SPDX-License-Identifier: GPL-3.0-or-later
// OpenCC's tables as the Windows program applies them make exactly the text
// the OpenCC library makes, so that a book made simplified is the same on
// both systems; bad tables are told, not taken.
#include "text/SimplifiedTables.h"
#include "text/ScriptConvert.h"

#include "NovelCorpus.h"
#include "QtPrinters.h"
#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

const QString kTables = QStringLiteral(VAMO_PROGRAM_DIR "/opencc");

// The keys of one of the tables.
QStringList keys(const QString& table)
{
    QStringList out;
    const QString text = QString::fromUtf8(test::readFile(QDir(kTables).filePath(table)));
    for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts))
        out.append(line.first(line.indexOf(u'\t')).toString());
    return out;
}

void expectAsOpencc(const SimplifiedTables& tables, const QString& text)
{
    const Result<QString> library = toSimplified(text);
    ASSERT_TRUE(library.has_value()) << library.error().message.toStdString();
    EXPECT_EQ(tables.convert(text), *library);
}

} // namespace

TEST(SimplifiedTables, ConvertAsTheOpenccLibraryDoes)
{
    const Result<SimplifiedTables> tables = SimplifiedTables::load(kTables);
    ASSERT_TRUE(tables.has_value()) << tables.error().message.toStdString();

    EXPECT_EQ(tables->convert(u"乾隆年間，乾淨的屋子。老態龍鍾"_s), u"乾隆年间，干净的屋子。老态龙钟"_s);
    EXPECT_EQ(tables->convert(u""_s), u""_s);

    // The whole novel in the traditional characters of Taiwan (with its own
    // phrases) and of Hong Kong.
    const QList<test::CorpusChapter> chapters = test::hongloumeng();
    if (!chapters.isEmpty()) {
        const QString novel = test::cleanNovel(chapters);
        for (const char* config : {"s2t.json", "s2twp.json", "s2hk.json"}) {
            SCOPED_TRACE(config);
            expectAsOpencc(*tables, test::traditional(novel, config));
        }
    }

    // Phrases, their beginnings (a longer match that fails half-way),
    // characters of the table and others, characters beyond the BMP, run
    // together at random: the cuts between phrases and runs fall as
    // OpenCC's do.
    const QStringList phrases = keys(u"TSPhrases.txt"_s);
    const QStringList characters = keys(u"TSCharacters.txt"_s);
    ASSERT_FALSE(phrases.isEmpty());
    ASSERT_FALSE(characters.isEmpty());
    const QStringList others = {u"简"_s, u"A"_s, u"\r\n"_s, u"　"_s, u"𠀀"_s, u"，"_s, u"𪚥"_s};
    QRandomGenerator random(20261210);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int count = random.bounded(1, 60);
        for (int i = 0; i < count; ++i) {
            switch (random.bounded(4)) {
            case 0:
                text += phrases.at(random.bounded(int(phrases.size())));
                break;
            case 1: {
                const QString& p = phrases.at(random.bounded(int(phrases.size())));
                text += p.first(random.bounded(1, int(p.size()) + 1));
                break;
            }
            case 2:
                text += characters.at(random.bounded(int(characters.size())));
                break;
            default:
                text += others.at(random.bounded(int(others.size())));
            }
        }
        SCOPED_TRACE(text.toStdString());
        expectAsOpencc(*tables, text);
    }
}

TEST(SimplifiedTables, BadTablesAreToldNotTaken)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto message = [&] {
        const Result<SimplifiedTables> tables = SimplifiedTables::load(dir.path());
        return tables ? QString() : tables.error().message;
    };
    EXPECT_TRUE(message().startsWith(u"无法转换为简体：找不到繁简转换表 "_s)) << message().toStdString();
    EXPECT_TRUE(message().contains(u"TSPhrases.txt"_s));

    const QString phrases = dir.filePath(u"TSPhrases.txt"_s);
    const QString characters = dir.filePath(u"TSCharacters.txt"_s);
    ASSERT_TRUE(test::writeFile(phrases, "乾淨\t干净\n"));
    EXPECT_TRUE(message().contains(u"TSCharacters.txt"_s)) << message().toStdString();

    ASSERT_TRUE(test::writeFile(characters, "後\t后\n說話\n"));
    EXPECT_TRUE(message().endsWith(u"第2行有误"_s)) << message().toStdString();
    ASSERT_TRUE(test::writeFile(characters, "後\t\n"));
    EXPECT_TRUE(message().endsWith(u"第1行有误"_s)) << message().toStdString();
    ASSERT_TRUE(test::writeFile(characters, "\n"));
    EXPECT_TRUE(message().endsWith(u"是空的"_s)) << message().toStdString();

    // Good tables again: the first value of an entry is the one taken.
    ASSERT_TRUE(test::writeFile(characters, "後\t后 後\r\n說\t说\r\n"));
    const Result<SimplifiedTables> tables = SimplifiedTables::load(dir.path());
    ASSERT_TRUE(tables.has_value()) << tables.error().message.toStdString();
    EXPECT_EQ(tables->convert(u"乾淨以後再說"_s), u"干净以后再说"_s);
}
