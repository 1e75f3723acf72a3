// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/MakeChecks.h"

#include "text/Cp936.h"

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace vamo {

namespace {

// The first character of `name` that is one of ? * : / \ < > | and the
// double quote, or a control character (which would break the manifest's
// lines), as the message names it: itself, or U+XXXX for a control character.
std::optional<QString> firstForbiddenCharacter(QStringView name)
{
    static constexpr QStringView kForbidden = u"?*:/\\<>|\"";
    for (QChar c : name) {
        if (kForbidden.contains(c))
            return QString(c);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return u"U+%1"_s.arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return std::nullopt;
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
        return refuse(MakeField::Chapters, u"请添加章节内容"_s);
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
            return refuse(MakeField::JarName, u"jar包名含有中文"_s);
    }
    return {};
}

FieldResult<void> checkBookNameFilled(QStringView bookName)
{
    if (bookName.trimmed().isEmpty())
        return refuse(MakeField::BookName, u"书名为空"_s, true);
    return {};
}

FieldResult<void> checkMakerFilled(QStringView maker)
{
    if (maker.trimmed().isEmpty())
        return refuse(MakeField::Maker, u"制作名为空"_s, true);
    return {};
}

FieldResult<void> checkJarNameCharacters(QStringView jarName)
{
    if (const auto c = firstForbiddenCharacter(jarName))
        return refuse(MakeField::JarName, u"jar包名包涵非法字符("_s + *c + u")"_s);
    return {};
}

FieldResult<void> checkBookNameCharacters(QStringView bookName)
{
    if (const auto c = firstForbiddenCharacter(bookName))
        return refuse(MakeField::BookName, u"书名包涵非法字符("_s + *c + u")"_s);
    // The book folder is the save folder plus the book name; "." or ".."
    // would put the book somewhere else.
    if (isOnlyDots(bookName))
        return refuse(MakeField::BookName, u"书名包涵非法字符(.)"_s);
    return {};
}

FieldResult<void> checkJarName(QStringView jarName)
{
    if (jarName.trimmed().isEmpty())
        return refuse(MakeField::JarName, u"jar包名为空"_s, true);
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
