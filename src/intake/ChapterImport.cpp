// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/ChapterImport.h"

#include "intake/TextTidy.h"
#include "intake/TxtFolder.h"
#include "text/ScriptConvert.h"

#include <algorithm>

namespace vamo {

QString importChapterName(int rule, const QString& fileName, int before)
{
    static const QString kUnits = QStringLiteral("章节部页");
    if (rule < 1 || rule >= kNamingRuleCount)
        return batchChapterName(fileName);
    return QStringLiteral("第") + QString::number(before + 1) + kUnits.at(rule - 1);
}

Result<QString> prepareText(QString text, const TextOptions& options, const QString& pattern)
{
    if (options.simplified) {
        auto simplified = toSimplified(text);
        if (!simplified)
            return failure(simplified);
        text = std::move(*simplified);
    }
    if (options.tidy) {
        // The detection counts the lines' widths for tidying on its way.
        textlines::LineWidths widths;
        auto split = splitChapters(text, pattern, &widths);
        if (!split)
            return failure(split);
        QList<qsizetype> headings;
        for (const ChapterSpan& c : split->chapters) {
            if (c.heading)
                headings.append(c.line);
        }
        text = tidyText(text, headings, &widths);
    }
    return text;
}

QString prepareName(QString name, const TextOptions& options)
{
    if (options.simplified) {
        if (auto simplified = toSimplified(name))
            return std::move(*simplified);
    }
    return name;
}

Result<TxtChapters> textChapters(QString text, QString wholeName, const QString& pattern, const TextOptions& options)
{
    if (options.any()) {
        auto prepared = prepareText(std::move(text), options, pattern);
        if (!prepared)
            return failure(prepared);
        text = std::move(*prepared);
        wholeName = prepareName(std::move(wholeName), options);
    }
    auto split = splitChapters(text, pattern);
    if (!split)
        return failure(split);
    return TxtChapters{std::move(wholeName), std::move(text), std::move(*split)};
}

Result<TxtChapters> readTxtChapters(const QString& path, QString wholeName, const QString& pattern,
                                    const TxtProgressFn& progress, const TextOptions& options)
{
    // A rule that cannot be used is told before a long file is read.
    if (auto ok = checkChapterPattern(pattern); !pattern.isEmpty() && !ok)
        return failure(ok);
    auto read = readTxtFile(path, progress);
    if (!read)
        return failure(read);
    return textChapters(std::move(read->text), std::move(wholeName), pattern, options);
}

QList<Chapter> correctChapters(QList<Chapter> chapters, const QList<ChapterCorrection>& corrections)
{
    QList<Chapter> out;
    out.reserve(chapters.size());
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const ChapterCorrection c = i < corrections.size() ? corrections[i] : ChapterCorrection{};
        if (!c.kept && !out.isEmpty()) {
            out.back().text += chapters[i].text;
            continue;
        }
        out.append(std::move(chapters[i]));
        if (const QString name = cleanChapterName(c.name); !name.isEmpty())
            out.back().name = name;
    }
    return out;
}

Result<ChapterPlan> planChapters(const QList<TxtChapters>& files, bool split, int room, int limit)
{
    const auto splits = [split](const TxtChapters& f) { return split && f.split.isSplit(); };
    QList<qsizetype> counts;
    ChapterPlan plan;
    for (const TxtChapters& f : files) {
        counts.append(splits(f) ? f.split.chapters.size() : 1);
        plan.detected += static_cast<int>(counts.back());
    }
    const int group = mergeGroupSize(counts, std::max(0, room));
    if (group == 0)
        return fail(chapterLimitMessage(limit));
    plan.groupSize = group;
    for (const TxtChapters& f : files) {
        if (!splits(f)) {
            plan.chapters.append(Chapter{f.wholeName, f.text});
            continue;
        }
        ChapterSplit s = f.split;
        mergeChapters(s, group);
        plan.chapters.append(chapterTexts(f.text, s));
    }
    if (group > 1)
        plan.notice = mergeNotice(plan.detected, room, group, static_cast<int>(plan.chapters.size()));
    return plan;
}

Result<int> appendChapters(BookProject& book, QList<Chapter>& chapters, const ChapterAppend& how)
{
    const int count = static_cast<int>(chapters.size());
    if (count == 0)
        return 0;
    const int base = how.clearExisting ? 0 : book.chapterCount();
    if (count > std::min(how.limit, BookProject::kChapterLimit) - base)
        return fail(chapterLimitMessage(how.limit));

    book.prepareBatchImport(how.clearExisting);
    book.setNum(static_cast<qint16>(base));
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        Chapter& chapter = chapters[i];
        if (how.rule >= 1 && how.rule < kNamingRuleCount)
            chapter.name = importChapterName(how.rule, QString(), base + i);
        if (auto saved = book.save(std::move(chapter.text)); !saved)
            return failure(saved); // cannot happen: the slots were checked above
        chapter.text = QString();
        names << chapter.name;
        book.setNum(static_cast<qint16>(book.num() + 1));
    }
    book.appendChapterNames(names);
    return count;
}

} // namespace vamo
