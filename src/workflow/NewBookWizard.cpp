// SPDX-License-Identifier: GPL-3.0-or-later
#include "workflow/NewBookWizard.h"

#include <array>

namespace vamo::wizard {

namespace {

// Step one's position -> the main window's index of the same size.
constexpr std::array<int, 3> kMainIndexOfPosition{0, 3, 4};

// 1..99 in Chinese numerals: 一 … 十, 十一 … 十九, 二十 … 九十九.
QString chineseNumber(int n)
{
    static constexpr std::array<char16_t, 10> kDigits{u'〇', u'一', u'二', u'三', u'四',
                                                      u'五', u'六', u'七', u'八', u'九'};
    const int tens = n / 10;
    const int ones = n % 10;
    QString out;
    if (tens > 1)
        out += QChar(kDigits[static_cast<std::size_t>(tens)]);
    if (tens > 0)
        out += u'十';
    if (ones > 0)
        out += QChar(kDigits[static_cast<std::size_t>(ones)]);
    return out;
}

} // namespace

QStringList jarSizeItems()
{
    return {QStringLiteral("无限制高端机器"), QStringLiteral("120KB中端机器"), QStringLiteral("60KB低端机器")};
}

int mainJarSize(int position)
{
    if (position < 0 || position >= static_cast<int>(kMainIndexOfPosition.size()))
        return -1;
    return kMainIndexOfPosition[static_cast<std::size_t>(position)];
}

int stepOneJarSize(int index)
{
    for (std::size_t p = 0; p < kMainIndexOfPosition.size(); ++p) {
        if (kMainIndexOfPosition[p] == index)
            return static_cast<int>(p);
    }
    return -1;
}

StepOne stepOneFrom(const BookSettings& settings)
{
    return {settings.saveFolder, settings.jarName, settings.bookName,
            settings.maker,      settings.message, stepOneJarSize(settings.jarSize),
            settings.phoneModel};
}

FieldResult<void> checkStepOne(const StepOne& fields)
{
    if (auto ok = checkJarNameChinese(fields.jarName); !ok)
        return ok;
    if (auto ok = checkBookNameFilled(fields.bookName); !ok)
        return ok;
    if (auto ok = checkMakerFilled(fields.maker); !ok)
        return ok;
    if (fields.message.trimmed().isEmpty())
        return std::unexpected(FieldError{MakeField::Message, QStringLiteral("留言为空"), true});
    if (fields.bookName.contains(u'\\'))
        return std::unexpected(FieldError{MakeField::BookName, QStringLiteral("程序文件名包涵非法字符'\\'"), false});
    return {};
}

BookSettings carriedOver(const BookSettings& current, const StepOne& fields)
{
    BookSettings s = current;
    s.saveFolder = fields.saveFolder;
    s.jarName = fields.jarName;
    s.bookName = fields.bookName;
    s.maker = fields.maker;
    s.message = fields.message;
    if (const int index = mainJarSize(fields.jarSize); index >= 0)
        s.jarSize = index;
    s.phoneModel = fields.phoneModel;
    return s;
}

QString proposedChapterName(int listed)
{
    const int n = listed + 1;
    if (n < 1 || n > 99)
        return BookProject::proposedChapterName(listed);
    return QStringLiteral("第") + chineseNumber(n) + QStringLiteral("章");
}

Result<void> prepareAdd(BookProject& book)
{
    if (book.chapterCount() >= kChapterLimit)
        return fail(chapterLimitMessage(kChapterLimit));
    book.setNum(static_cast<qint16>(book.chapterCount()));
    return {};
}

} // namespace vamo::wizard
