// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/MakeChecks.h"

#include "text/Cp936.h"

#include <optional>

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

} // namespace

Result<void> checkJarNameChinese(QStringView jarName)
{
    for (QChar c : jarName) {
        if (cp936::isChinese(c.unicode()))
            return fail(u"jar包名含有中文"_s);
    }
    return {};
}

Result<void> checkBookNameFilled(QStringView bookName)
{
    if (bookName.trimmed().isEmpty())
        return fail(u"书名为空"_s);
    return {};
}

Result<void> checkMakerFilled(QStringView maker)
{
    if (maker.trimmed().isEmpty())
        return fail(u"制作名为空"_s);
    return {};
}

Result<void> checkJarNameCharacters(QStringView jarName)
{
    if (const auto c = firstForbiddenCharacter(jarName))
        return fail(u"jar包名包涵非法字符("_s + *c + u")"_s);
    return {};
}

Result<void> checkBookNameCharacters(QStringView bookName)
{
    if (const auto c = firstForbiddenCharacter(bookName))
        return fail(u"书名包涵非法字符("_s + *c + u")"_s);
    // The book folder is the save folder plus the book name; "." or ".."
    // would put the book somewhere else.
    if (isOnlyDots(bookName))
        return fail(u"书名包涵非法字符(.)"_s);
    return {};
}

Result<void> checkJarName(QStringView jarName)
{
    if (jarName.trimmed().isEmpty())
        return fail(u"jar包名为空"_s);
    return checkJarNameCharacters(jarName);
}

Result<void> checkBookName(QStringView bookName)
{
    if (auto ok = checkBookNameFilled(bookName); !ok)
        return ok;
    return checkBookNameCharacters(bookName);
}

Result<void> checkMake(BookProject& book)
{
    const BookSettings s = book.settings();

    if (auto ok = checkJarNameChinese(s.jarName); !ok)
        return ok;
    if (auto ok = checkJarName(s.jarName); !ok) {
        if (s.jarName.trimmed().isEmpty())
            book.setJarName(QString());
        return ok;
    }

    if (auto ok = checkBookNameFilled(s.bookName); !ok) {
        book.setBookName(QString());
        return ok;
    }
    if (auto ok = checkMakerFilled(s.maker); !ok) {
        book.setMaker(QString());
        return ok;
    }
    if (book.chapterCount() == 0)
        return fail(u"请添加章节内容"_s);
    return checkBookNameCharacters(s.bookName);
}

} // namespace vamo
