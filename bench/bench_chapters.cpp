// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a novel at its chapter headings against reading it.
//
// Generates the reproducible ~10 MB novel in code page 936, writes it to a
// file, and times in this one process, best and median of several runs:
//   readTxtFile    line reading of the file (what every import does anyway)
//   splitChapters  finding the chapters of the text read
//   chapterTexts   cutting the chapters' texts out of it
//   user pattern   splitChapters with a regular expression of the user's
//   run together   splitChapters of the same novel with every heading run
//                  together with its first paragraph (as text extractors leave it)
//   tidy           整理排版 (prepareText) of the novel hard-wrapped at 35 characters
//   simplified     转换为简体 (prepareText) of the novel
// It also checks that the chapters found are the generated ones (in both
// shapes), that they give back the text exactly, and that tidying joins the
// wrapped lines and loses no character. Every step should take less than
// the reading itself.
//
//   bench_chapters [size-in-MiB] [runs]

#include "BenchArgs.h"
#include "NovelGenerator.h"

#include "intake/ChapterImport.h"
#include "intake/ChapterSplit.h"
#include "text/Cp936.h"
#include "text/TxtReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Times {
    std::vector<double> ms;
    double best() const { return *std::min_element(ms.begin(), ms.end()); }
    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

template <class Work>
Times measure(int runs, Work work)
{
    Times t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t.ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const vamo::bench::Positional args(app.arguments(), "[MB of the novel (10)] [runs (7)]");
    const qint64 targetBytes = args.at(1, 10) * 1024 * 1024;
    const int runs = static_cast<int>(args.at(2, 7));

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString novel = vamo::bench::generateNovel({.targetBytes = targetBytes, .wideCharBytes = 2});
    const QByteArray bytes = vamo::cp936::encode(novel);
    const QString path = QDir(dir.path()).filePath(u"novel.txt"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write the novel\n");
        return 1;
    }
    file.close();
    const qsizetype generated = novel.count(u"\r\n第"_s) + (novel.startsWith(u"第"_s) ? 1 : 0);

    QString text;
    const Times read = measure(runs, [&] { text = vamo::readTxtFile(path)->text; });
    vamo::ChapterSplit split;
    const Times detect = measure(runs, [&] { split = *vamo::splitChapters(text); });
    QList<vamo::Chapter> chapters;
    const Times cut = measure(runs, [&] { chapters = vamo::chapterTexts(text, split); });
    vamo::ChapterSplit byPattern;
    const Times pattern = measure(runs, [&] { byPattern = *vamo::splitChapters(text, u"^第\\d+章"_s); });

    // Headings run together with the paragraph after them; lines wrapped at 35.
    QString glued;
    QString wrapped;
    glued.reserve(text.size());
    wrapped.reserve(text.size() + text.size() / 16);
    for (QStringView line : QStringView(text).split(u"\r\n"_s)) {
        const bool heading = line.startsWith(u'第') && line.size() <= vamo::kHeadingMaxLength;
        glued += line;
        if (!heading)
            glued += u"\r\n"_s;
        else
            glued += u'\u3000';
        do {
            wrapped += line.first(std::min<qsizetype>(35, line.size()));
            wrapped += u"\r\n"_s;
            line = line.sliced(std::min<qsizetype>(35, line.size()));
        } while (!line.isEmpty());
    }
    vamo::ChapterSplit gluedSplit;
    const Times runTogether = measure(runs, [&] { gluedSplit = *vamo::splitChapters(glued); });
    QString tidied;
    const Times tidy = measure(runs, [&] { tidied = *vamo::prepareText(wrapped, vamo::TextOptions{.tidy = true}); });
    QString simplified;
    const Times simplify =
        measure(runs, [&] { simplified = *vamo::prepareText(text, vamo::TextOptions{.simplified = true}); });
    const auto visible = [](QStringView t) {
        qsizetype n = 0;
        for (QChar c : t)
            n += !c.isSpace();
        return n;
    };
    const bool tidyKept = visible(tidied) == visible(wrapped);
    const qsizetype wrappedLines = wrapped.count(u"\r\n"_s);
    const qsizetype tidiedLines = tidied.count(u"\r\n"_s);

    QString joined;
    joined.reserve(text.size());
    for (const vamo::Chapter& c : chapters)
        joined += c.text;
    const bool exact = joined == text;

    std::printf("novel: %.2f MiB in code page 936, %lld UTF-16 units, %lld chapters generated\n",
                static_cast<double>(bytes.size()) / (1024.0 * 1024.0), static_cast<long long>(text.size()),
                static_cast<long long>(generated));
    std::printf("found: %lld chapters (built-in rule), %lld (user pattern); joined chapters %s the text\n",
                static_cast<long long>(split.chapters.size()), static_cast<long long>(byPattern.chapters.size()),
                exact ? "equal" : "DIFFER FROM");
    std::printf("run together: %lld chapters found; tidy: %lld lines wrapped, %lld after, characters %s\n",
                static_cast<long long>(gluedSplit.chapters.size()), static_cast<long long>(wrappedLines),
                static_cast<long long>(tidiedLines), tidyKept ? "all kept" : "LOST");
    const auto row = [&](const char* name, const Times& t) {
        std::printf("  %-14s best %8.2f ms  median %8.2f ms  (%5.1f%% of reading's median)\n", name, t.best(),
                    t.median(), 100.0 * t.median() / read.median());
    };
    std::printf("best and median of %d runs:\n", runs);
    row("readTxtFile", read);
    row("splitChapters", detect);
    row("chapterTexts", cut);
    row("user pattern", pattern);
    row("run together", runTogether);
    row("tidy", tidy);
    row("simplified", simplify);
    return exact && tidyKept && split.chapters.size() == generated && byPattern.chapters.size() == generated &&
                   gluedSplit.chapters.size() == generated
               ? 0
               : 1;
}
