// SPDX-License-Identifier: GPL-3.0-or-later
// vamobook-cli: makes phone e-books from TXT files without the windows.
//
//   vamobook-cli make [options] FILE...   one book, one chapter per file
//   vamobook-cli folder [options] DIR     one book per TXT file of DIR
//
// With --split-chapters every file gives the chapters detected at its
// headings, and a line "BOOK：共N章" before a book's paths tells how many it got.
//
// On success the JAR and JAD paths are printed, one a line. Refusals and
// failures are reported on stderr in the program's own words. Exit status:
// 0 done, 1 refused or not (completely) made, 2 wrong command line.

#include "Console.h"
#include "Interrupts.h"
#include "UsageMessages.h"
#include "intake/BatchImport.h"
#include "intake/ChapterImport.h"
#include "model/BookProject.h"
#include "model/Clock.h"
#include "model/Progress.h"
#include "model/Version.h"
#include "packaging/BuildEbook.h"
#include "packaging/MakeChecks.h"
#include "startup/ProgramFolder.h"
#include "startup/QtTranslations.h"
#include "startup/Startup.h"
#include "text/FileNames.h"
#include "text/TxtReader.h"
#include "workflow/FolderBatch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>

using namespace vamo;

namespace {

enum Exit { kDone = 0, kFailed = 1, kUsage = 2 };

// Builds note their book folders on the list the windows' program clears up
// from at its start.
BuildEnvironment buildEnvironment()
{
    BuildEnvironment environment{templateFolder()};
    environment.unfinishedList = unfinishedBuildsList();
    return environment;
}

using console::Stream;

void print(Stream stream, const QString& line) { console::writeLine(stream, line); }

// A path or name as one printed line: a line break or other control
// character in it (a file name may hold one) is written as a C escape
// (\n, \r, \t, \x1b, \u2028); everything else as it is.
QString printable(const QString& text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            line += QStringLiteral("\\n");
        else if (u == u'\r')
            line += QStringLiteral("\\r");
        else if (u == u'\t')
            line += QStringLiteral("\\t");
        else if (u < 0x20 || u == 0x7F)
            line += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (c.category() == QChar::Other_Control || u == 0x2028 || u == 0x2029)
            line += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

// A message on stderr: its own lines as they are, a control character of a
// name or path in them (an escape sequence would reach the terminal)
// escaped.
void printMessage(const QString& text)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        print(Stream::Err, printable(line));
}

// One redrawn line on stderr, only when stderr is a terminal.
class ProgressBar {
public:
    ProgressBar() : m_enabled(console::isTerminal(Stream::Err)) {}
    ~ProgressBar() { finish(); }

    void show(const QString& label, double fraction)
    {
        if (!m_enabled)
            return;
        fraction = std::clamp(fraction, 0.0, 1.0);
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(fraction * kWidth);
        const QString line = label + QStringLiteral(" [") + QString(filled, QLatin1Char('#')) +
                             QString(kWidth - filled, QLatin1Char('.')) + QStringLiteral("] ") + percentText(fraction);
        if (line == m_last)
            return;
        m_last = line;
        console::redrawLine(Stream::Err, line);
        m_drawn = true;
    }

    void finish()
    {
        if (!m_drawn)
            return;
        console::redrawLine(Stream::Err, QString());
        m_drawn = false;
        m_last.clear();
    }

private:
    bool m_enabled;
    bool m_drawn = false;
    QString m_last;
};

[[nodiscard]] std::optional<int> indexIn(const QString& text, int lo, int hi)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

[[nodiscard]] QString itemsText(const QStringList& items)
{
    QStringList parts;
    for (qsizetype i = 0; i < items.size(); ++i)
        parts.append(QString::number(i) + QLatin1Char('=') + items.at(i));
    return parts.join(QStringLiteral("，"));
}

[[nodiscard]] QString chapterName(const QString& path, int position, std::optional<int> naming)
{
    if (!naming)
        return QFileInfo(path).completeBaseName();
    return importChapterName(*naming, QFileInfo(path).fileName(), position);
}

struct Options {
    QCommandLineOption saveFolder{QStringLiteral("save-folder"),
                                  QStringLiteral("保存目录（默认：程序目录下的jar文件夹）"), QStringLiteral("目录")};
    QCommandLineOption maker{QStringLiteral("maker"), QStringLiteral("制作者"), QStringLiteral("名字")};
    QCommandLineOption bookName{QStringLiteral("book-name"), QStringLiteral("书名，仅用于make（默认：第一个文件名）"),
                                QStringLiteral("书名")};
    QCommandLineOption message{QStringLiteral("message"), QStringLiteral("留言"), QStringLiteral("文字")};
    QCommandLineOption jarSize{QStringLiteral("jar-size"),
                               QStringLiteral("JAR包大小：") + itemsText(BookProject::jarSizeItems()),
                               QStringLiteral("0-4")};
    QCommandLineOption jarName{QStringLiteral("jar-name"), QStringLiteral("JAR包名，不含.jar（默认：按日期生成）"),
                               QStringLiteral("名字")};
    QCommandLineOption phone{QStringLiteral("phone"),
                             QStringLiteral("机型：") + itemsText(BookProject::phoneModelItems()),
                             QStringLiteral("0-1")};
    QCommandLineOption naming{QStringLiteral("naming"),
                              QStringLiteral("章节命名规则，仅用于make：") + itemsText(namingRuleItems()) +
                                  QStringLiteral("（默认：文件名去掉扩展名）"),
                              QStringLiteral("0-4")};
    QCommandLineOption splitChapters{QStringLiteral("split-chapters"),
                                     QStringLiteral("按章节标题拆分：make的每个文件、folder的每本书分成检测到的各章"
                                                    "（少于两个标题的文件仍为一章）")};
    QCommandLineOption chapterPattern{QStringLiteral("chapter-pattern"),
                                      QStringLiteral("自定义章节标题规则（正则表达式，在去掉首尾空白的行中查找），"
                                                     "代替内置规则；含--split-chapters"),
                                      QStringLiteral("正则表达式")};
    QCommandLineOption tidy{
        QStringLiteral("tidy"),
        QStringLiteral("整理排版：合并段落内被硬换行拆开的行，多个空行并为一个，段首缩进两个全角空格")};
    QCommandLineOption simplified{QStringLiteral("simplified"),
                                  QStringLiteral("转换为简体：把正文和章节名中的繁体字转换为简体字")};

    // Every option, in the order the help lists them.
    [[nodiscard]] QList<QCommandLineOption> all() const
    {
        return {saveFolder, maker,  bookName,      message,        jarSize, jarName,
                phone,      naming, splitChapters, chapterPattern, tidy,    simplified};
    }
};

class Cli {
public:
    [[nodiscard]] int run(const QStringList& arguments);
    // What is said when the memory ran out outside a build (which says so
    // itself): reading, tidying or splitting the text.
    [[nodiscard]] int outOfMemory();

private:
    void describeCommands();
    [[nodiscard]] std::optional<QString> chapterOptionsProblem();
    int usageError(const QString& text);
    int failed(const QString& text);
    [[nodiscard]] std::optional<int> applySettings(BookProject& book);
    [[nodiscard]] int make(const QStringList& files);
    // The files' chapters, read in order: one each, or with --split-chapters
    // those detected at their headings.
    [[nodiscard]] Result<QList<TxtChapters>> readChapters(const QStringList& files);
    // The make command's checks, the save folder and the build, as one step.
    [[nodiscard]] Result<BuildReport> checkAndBuild(BookProject& book);
    [[nodiscard]] int folder(const QString& dir);
    void printChapterCount(const QString& bookName, int chapters, const QString& notice);
    void printPaths(const QStringList& jars, const QStringList& jads);

    QCommandLineParser m_parser;
    Options m_opt;
    SystemClock m_clock;
    ProgressBar m_bar;
    std::optional<int> m_naming;
    bool m_split = false;
    QString m_pattern;
    TextOptions m_text;
    QString m_bookName; // of the book being made, once known
};

int Cli::outOfMemory()
{
    return failed(m_bookName.isEmpty() ? QStringLiteral("内存不足，无法制作")
                                       : QStringLiteral("内存不足，无法制作：") + m_bookName);
}

int Cli::usageError(const QString& text)
{
    printMessage(text);
    print(Stream::Err, QStringLiteral("用法见：vamobook-cli --help"));
    return kUsage;
}

int Cli::failed(const QString& text)
{
    m_bar.finish();
    printMessage(text);
    return kFailed;
}

int Cli::run(const QStringList& arguments)
{
    const QCommandLineOption help = m_parser.addHelpOption();
    const QCommandLineOption version = m_parser.addVersionOption();
    describeCommands();

    // Every argument starting with "-" (but "-" alone) before "--" is an
    // option, "-name" as well as "--name"; after "--" every argument is a
    // file. Qt's messages about values speak the program's words
    // (UsageMessages); an unknown option is named as it was typed.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!m_parser.parse(arguments)) {
        const QStringList unknown = m_parser.unknownOptionNames();
        return usageError(unknown.isEmpty() ? m_parser.errorText() : unknownOptionMessage(arguments, unknown.first()));
    }
    if (m_parser.isSet(help)) {
        print(Stream::Out, m_parser.helpText());
        return kDone;
    }
    if (m_parser.isSet(version)) {
        print(Stream::Out,
              QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion());
        return kDone;
    }

    QStringList args = m_parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("请指定命令：make 或 folder"));
    const QString command = args.takeFirst();
    if (command != QStringLiteral("make") && command != QStringLiteral("folder"))
        return usageError(QStringLiteral("未知命令：") + command);
    if (const auto problem = chapterOptionsProblem())
        return usageError(*problem);

    if (command == QStringLiteral("make")) {
        if (args.isEmpty())
            return usageError(QStringLiteral("请指定TXT文件"));
        return make(args);
    }
    if (m_parser.isSet(m_opt.bookName))
        return usageError(QStringLiteral("--book-name只能用于make：folder命令的书名取自文件名"));
    if (m_parser.isSet(m_opt.naming))
        return usageError(QStringLiteral("--naming只能用于make：folder命令的章名取自文件名"));
    if (args.size() != 1)
        return usageError(QStringLiteral("请指定一个目录"));
    return folder(args.first());
}

// The help text's description, arguments and options (after -h and -v).
void Cli::describeCommands()
{
    m_parser.setApplicationDescription(
        QStringLiteral("把TXT文本制作成Java手机电子书（JAR和JAD）。\n"
                       "  make [选项] 文件...   制作一本书，每个TXT文件为一章，按给出的顺序\n"
                       "  folder [选项] 目录    为目录中的每个TXT文件制作一本书\n"
                       "成功时每行输出一个JAR或JAD文件的路径。\n"
                       "“--”之后的参数都是文件或目录，以“-”开头的名字也是。"));
    m_parser.addPositionalArgument(QStringLiteral("命令"), QStringLiteral("make 或 folder"));
    m_parser.addPositionalArgument(QStringLiteral("文件"), QStringLiteral("make：TXT文件；folder：一个目录"),
                                   QStringLiteral("文件..."));
    m_parser.addOptions(m_opt.all());
}

// Takes --naming, --split-chapters, --chapter-pattern, --tidy and --simplified; what is wrong
// with their values.
std::optional<QString> Cli::chapterOptionsProblem()
{
    if (m_parser.isSet(m_opt.naming)) {
        m_naming = indexIn(m_parser.value(m_opt.naming), 0, 4);
        if (!m_naming)
            return QStringLiteral("--naming的值必须是0到4之间的整数：") + m_parser.value(m_opt.naming);
    }
    m_split = m_parser.isSet(m_opt.splitChapters) || m_parser.isSet(m_opt.chapterPattern);
    m_text = TextOptions{.tidy = m_parser.isSet(m_opt.tidy), .simplified = m_parser.isSet(m_opt.simplified)};
    if (m_parser.isSet(m_opt.chapterPattern)) {
        m_pattern = m_parser.value(m_opt.chapterPattern);
        if (m_pattern.isEmpty())
            return QStringLiteral("--chapter-pattern的值为空");
        if (auto ok = checkChapterPattern(m_pattern); !ok)
            return ok.error().message;
    }
    return std::nullopt;
}

// Applies the options over the start values; a bad value gives its message
// and the exit status.
std::optional<int> Cli::applySettings(BookProject& book)
{
    book.initialise(defaultSaveFolder(programFolder()));

    if (m_parser.isSet(m_opt.jarSize)) {
        const auto v = indexIn(m_parser.value(m_opt.jarSize), 0, 4);
        if (!v)
            return usageError(QStringLiteral("--jar-size的值必须是0到4之间的整数（") +
                              itemsText(BookProject::jarSizeItems()) + QStringLiteral("）：") +
                              m_parser.value(m_opt.jarSize));
        book.setJarSize(*v);
    }
    if (m_parser.isSet(m_opt.phone)) {
        const auto v = indexIn(m_parser.value(m_opt.phone), 0, 1);
        if (!v)
            return usageError(QStringLiteral("--phone的值必须是0或1（") + itemsText(BookProject::phoneModelItems()) +
                              QStringLiteral("）：") + m_parser.value(m_opt.phone));
        book.setPhoneModel(*v);
    }
    if (m_parser.isSet(m_opt.saveFolder)) {
        const QString v = m_parser.value(m_opt.saveFolder);
        if (v.trimmed().isEmpty())
            return usageError(QStringLiteral("保存目录为空"));
        book.setSaveFolder(folderPath(QDir::cleanPath(QFileInfo(v).absoluteFilePath())));
    }
    if (m_parser.isSet(m_opt.maker))
        book.setMaker(m_parser.value(m_opt.maker));
    if (m_parser.isSet(m_opt.message))
        book.setMessage(m_parser.value(m_opt.message));
    if (m_parser.isSet(m_opt.jarName)) {
        QString v = m_parser.value(m_opt.jarName);
        if (v.endsWith(QStringLiteral(".jar"), Qt::CaseInsensitive))
            v.chop(4);
        book.setJarName(v);
    }
    return std::nullopt;
}

void Cli::printPaths(const QStringList& jars, const QStringList& jads)
{
    m_bar.finish();
    for (qsizetype i = 0; i < jars.size(); ++i) {
        print(Stream::Out, printable(QDir::toNativeSeparators(jars.at(i))));
        if (i < jads.size())
            print(Stream::Out, printable(QDir::toNativeSeparators(jads.at(i))));
    }
}

int Cli::make(const QStringList& files)
{
    BookProject book(m_clock);
    if (auto exit = applySettings(book))
        return *exit;
    book.setBookName(m_parser.isSet(m_opt.bookName) ? m_parser.value(m_opt.bookName)
                                                    : QFileInfo(displayFileName(files.first())).completeBaseName());
    m_bookName = book.settings().bookName.trimmed();

    // The settings are checked before any file is read, so that a wrong
    // setting does not wait for a long text; the whole check follows.
    if (auto ok = checkMakeSettings(book.settings()); !ok)
        return failed(ok.error().message);
    if (files.size() > BookProject::kChapterLimit)
        return failed(chapterLimitMessage(BookProject::kChapterLimit));

    auto read = readChapters(files);
    if (!read)
        return failed(read.error().message);
    auto plan = planChapters(*read, m_split, BookProject::kChapterLimit);
    if (!plan)
        return failed(plan.error().message);
    read->clear();
    // Naming rules 1 to 4 number every chapter on; otherwise a split file's
    // chapters keep their headings and a whole file its usual name.
    if (auto ok = appendChapters(book, plan->chapters, {.rule = m_naming.value_or(0)}); !ok)
        return failed(ok.error().message);
    const int chapters = book.chapterCount();
    plan->chapters.clear();

    auto built = checkAndBuild(book);
    if (!built)
        return failed(built.error().message);
    if (m_split)
        printChapterCount(book.settings().bookName, chapters, plan->notice);
    printPaths(built->jarPaths, built->jadPaths);
    return kDone;
}

Result<QList<TxtChapters>> Cli::readChapters(const QStringList& files)
{
    QList<TxtChapters> read;
    const int n = static_cast<int>(files.size());
    for (int i = 0; i < n; ++i) {
        const QString& path = files.at(i);
        // A name that is not valid UTF-8 opens as it is and shows decoded.
        const QString shownPath = displayFileName(path);
        const std::optional<FileStatus> status = fileStatus(path);
        if (!status)
            return fail(QStringLiteral("文件不存在：") + QDir::toNativeSeparators(shownPath));
        if (status->kind == FileKind::Directory)
            return fail(QStringLiteral("不是TXT文件：") + QDir::toNativeSeparators(shownPath));
        // A FIFO or device is refused by the reader without being waited on.
        const qint64 expected = estimateCharacters(status->size);
        const QString label = QStringLiteral("导入文件 %1/%2").arg(i + 1).arg(n);
        m_bar.show(label, 0);
        // Under rules 1 to 4 every chapter is numbered when it is stored.
        const QString wholeName = m_naming && *m_naming > 0 ? QString() : chapterName(shownPath, i, m_naming);
        auto file = readTxtChapters(
            path, wholeName, m_pattern,
            [&](const TxtProgress& p) { m_bar.show(label, shownFraction(p.characters, expected)); }, m_text);
        if (!file)
            return failure(file);
        read.append(std::move(*file));
    }
    return read;
}

Result<BuildReport> Cli::checkAndBuild(BookProject& book)
{
    if (auto ok = checkMake(book.settings(), book.chapterCount()); !ok)
        return failure(ok);
    if (auto made = createSaveFolder(book.settings().saveFolder); !made)
        return failure(made);
    book.setBatchmode(0);
    // The program ends after this one book: nothing clears the project.
    return BuildEbook(BookSnapshot(book), buildEnvironment(),
                      [&](double f) { m_bar.show(QStringLiteral("打包进度"), f); });
}

void Cli::printChapterCount(const QString& bookName, int chapters, const QString& notice)
{
    m_bar.finish();
    QString line = bookName + QStringLiteral("：共%1章").arg(chapters);
    if (!notice.isEmpty())
        line += QStringLiteral("（") + notice + QStringLiteral("）");
    print(Stream::Out, printable(line));
}

int Cli::folder(const QString& dir)
{
    BookProject book(m_clock);
    if (auto exit = applySettings(book))
        return *exit;

    auto queue = listTxtFolder(dir);
    if (!queue)
        return failed(queue.error().message);
    if (!queue->isEmpty()) {
        if (auto made = createSaveFolder(book.settings().saveFolder); !made)
            return failed(made.error().message);
    }

    const auto progress = [&](const FolderBatchProgress& p) {
        m_bar.show(QStringLiteral("%1/%2 %3 %4").arg(p.book + 1).arg(p.books).arg(p.bookName, p.stage), p.fraction);
    };
    auto report = runFolderBatch(book.settings(), m_clock, buildEnvironment(), dir, *queue, progress,
                                 FolderBatchOptions{m_split, m_pattern, m_text})
                      .report;
    if (!report)
        return failed(report.error().message);
    if (m_split) {
        for (const FolderBatchBook& made : report->books) {
            printChapterCount(made.bookName, made.chapters, made.notice);
            printPaths(made.jarPaths, made.jadPaths);
        }
    } else {
        printPaths(report->jarPaths, report->jadPaths);
    }
    if (report->failed.isEmpty())
        return kDone;
    // The report's heading, then a line for each book not made, a line break
    // in its name or reason escaped like any other control character.
    QString lines = report->message.section(QLatin1Char('\n'), 0, 0);
    for (qsizetype k = 0; k < report->failed.size(); ++k)
        lines += QLatin1Char('\n') + printable(report->failed.at(k) + QStringLiteral("：") + report->reasons.at(k));
    return failed(lines);
}

} // namespace

int main(int argc, char** argv)
{
    interrupts::removeBuildFilesOnInterrupt();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vamobook-cli"));
    QCoreApplication::setApplicationVersion(QLatin1StringView(version::shortText));
    // The help's headings and Qt's own descriptions in Chinese; the parser's
    // messages about option values in the program's words above them.
    installQtChineseTranslations(qtTranslationFolders());
    UsageMessages usageMessages;
    QCoreApplication::installTranslator(&usageMessages);
    Cli cli;
    try {
        return cli.run(console::arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        return cli.outOfMemory();
    }
}
