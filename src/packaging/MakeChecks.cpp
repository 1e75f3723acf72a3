// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/MakeChecks.h"

#include "text/Cp936.h"

#include <optional>
#include <utility>

namespace vamo {

namespace {

// The characters of `name` that are one of ? * : / \ < > | and the double
// quote, or a control character (which would break the manifest's lines),
// each once, in the order they first appear, as the message names them:
// "(c)" for the first and every other appended, a control character as
// U+XXXX. Empty when there is none.
QString forbiddenCharacters(QStringView name)
{
    static constexpr QStringView kForbidden = u"?*:/\\<>|\"";
    QString named;
    QString seen;
    for (QChar c : name) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        if ((!control && !kForbidden.contains(c)) || seen.contains(c))
            continue;
        seen += c;
        named += QStringLiteral("(") +
                 (control ? QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper() : QString(c)) +
                 QStringLiteral(")");
    }
    return named;
}

// A name that, trimmed, is "." or "..", or any other run of dots only.
bool isOnlyDots(QStringView name)
{
    const QStringView t = name.trimmed();
    if (t.isEmpty())
        return false;
    for (QChar c : t) {
        if (c != u'.')
            return false;
    }
    return true;
}

// A file name takes at most 255 bytes on the systems the books are made on
// (UTF-8; Windows counts UTF-16 units, never more than that).
constexpr qsizetype kNameBytes = 255;
// What a build adds to the JAR name: a volume number and the extension,
// "(12345).jar".
constexpr qsizetype kVolumeSuffixBytes = 11;

// A refusal of `field`; `blank`: it failed for being blank.
std::unexpected<FieldError> refuse(MakeField field, QString message, bool blank = false)
{
    return std::unexpected(FieldError{field, std::move(message), blank});
}

// The checks in their order; the chapter count only when there is one.
FieldResult<void> makeChecks(const BookSettings& s, std::optional<int> chapterCount)
{
    if (auto ok = checkJarNameChinese(s.jarName); !ok)
        return ok;
    if (auto ok = checkJarName(s.jarName); !ok)
        return ok;
    if (auto ok = checkBookNameFilled(s.bookName); !ok)
        return ok;
    if (auto ok = checkMakerFilled(s.maker); !ok)
        return ok;
    if (chapterCount && *chapterCount == 0)
        return refuse(MakeField::Chapters, QStringLiteral("请添加章节内容"));
    return checkBookNameCharacters(s.bookName);
}

} // namespace

void emptyRefusedField(BookSettings& settings, const FieldError& refusal)
{
    if (!refusal.emptyField)
        return;
    switch (refusal.field) {
    case MakeField::JarName:
        settings.jarName.clear();
        break;
    case MakeField::BookName:
        settings.bookName.clear();
        break;
    case MakeField::Maker:
        settings.maker.clear();
        break;
    case MakeField::Message:
        settings.message.clear();
        break;
    case MakeField::Chapters:
        break;
    }
}

void emptyRefusedField(BookProject& book, const FieldError& refusal)
{
    BookSettings settings = book.settings();
    emptyRefusedField(settings, refusal);
    book.setSettings(settings);
}

FieldResult<void> checkJarNameChinese(QStringView jarName)
{
    for (QChar c : jarName) {
        if (cp936::isChinese(c.unicode()))
            return refuse(MakeField::JarName, QStringLiteral("jar包名含有中文"));
    }
    return {};
}

FieldResult<void> checkBookNameFilled(QStringView bookName)
{
    if (bookName.trimmed().isEmpty())
        return refuse(MakeField::BookName, QStringLiteral("书名为空"), true);
    return {};
}

FieldResult<void> checkMakerFilled(QStringView maker)
{
    if (maker.trimmed().isEmpty())
        return refuse(MakeField::Maker, QStringLiteral("制作名为空"), true);
    return {};
}

FieldResult<void> checkJarNameCharacters(QStringView jarName)
{
    // A JAD names its JAR by a URL that phones take literally: no spaces
    // inside the name (those around it are trimmed by the build).
    for (QChar c : jarName.trimmed()) {
        if (c.category() == QChar::Separator_Space)
            return refuse(MakeField::JarName, QStringLiteral("jar包名含有空格"));
    }
    if (const QString c = forbiddenCharacters(jarName); !c.isEmpty())
        return refuse(MakeField::JarName, QStringLiteral("jar包名包涵非法字符") + c);
    // Checked before any text is read: the name would fail only when the
    // volumes are put in place.
    if (jarName.trimmed().toUtf8().size() + kVolumeSuffixBytes > kNameBytes)
        return refuse(MakeField::JarName,
                      QStringLiteral("jar包名太长（最多%1个字母或数字）").arg(kNameBytes - kVolumeSuffixBytes));
    return {};
}

QString jarNameProblem(QStringView jarName)
{
    if (auto ok = checkJarNameChinese(jarName); !ok)
        return ok.error().message;
    if (auto ok = checkJarNameCharacters(jarName); !ok)
        return ok.error().message;
    return {};
}

FieldResult<void> checkBookNameCharacters(QStringView bookName)
{
    if (const QString c = forbiddenCharacters(bookName); !c.isEmpty())
        return refuse(MakeField::BookName, QStringLiteral("书名包涵非法字符") + c);
    // The book folder is the save folder plus the book name; "." or ".."
    // would put the book somewhere else.
    if (isOnlyDots(bookName))
        return refuse(MakeField::BookName, QStringLiteral("书名包涵非法字符(.)"));
    // The book folder's name: the name trimmed, spaces made underscores
    // (the same length).
    if (bookName.trimmed().toUtf8().size() > kNameBytes)
        return refuse(MakeField::BookName, QStringLiteral("书名太长（最多%1个汉字）").arg(kNameBytes / 3));
    return {};
}

FieldResult<void> checkJarName(QStringView jarName)
{
    if (jarName.trimmed().isEmpty())
        return refuse(MakeField::JarName, QStringLiteral("jar包名为空"), true);
    return checkJarNameCharacters(jarName);
}

FieldResult<void> checkBookName(QStringView bookName)
{
    if (auto ok = checkBookNameFilled(bookName); !ok)
        return ok;
    return checkBookNameCharacters(bookName);
}

FieldResult<void> checkMake(const BookSettings& settings, int chapterCount)
{
    return makeChecks(settings, chapterCount);
}

FieldResult<void> checkMakeSettings(const BookSettings& settings) { return makeChecks(settings, std::nullopt); }

} // namespace vamo
