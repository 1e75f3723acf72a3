#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/BuildEbook.h"
#include "startup/ProgramFolder.h"
#include "intake/ChapterImport.h"
#include "windows/ChapterPreview.h"
#include "windows/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>

namespace {

// Fills the window with a small sample book and saves a picture of it; used
// by scripts/screenshot.sh for the README.
int saveScreenshot(vamo::MainWindow& window, const QString& path)
{
    vamo::BookProject& book = window.book();
    book.setSaveFolder(QDir::toNativeSeparators(QDir::home().filePath(QStringLiteral("电子书"))) + QDir::separator());
    book.setBookName(QStringLiteral("山居杂记"));
    const QStringList names = {QStringLiteral("第1章 入山"), QStringLiteral("第2章 雨夜"),
                               QStringLiteral("第3章 竹林"), QStringLiteral("第4章 归途")};
    for (const QString& name : names)
        book.appendChapterName(name);
    if (auto* list = window.findChild<QListWidget*>(QStringLiteral("List1")))
        list->setCurrentRow(1);
    window.show();
    // Let the layout settle and the folder trees fill before the picture.
    QTimer::singleShot(500, &window, [&window, path] {
        const bool saved = window.grab().save(path);
        window.close();
        QCoreApplication::exit(saved ? 0 : 1);
    });
    return QApplication::exec();
}

// The chapter preview for a sample novel; also for scripts/screenshot.sh.
int savePreviewScreenshot(const QString& path)
{
    const QStringList titles = {QStringLiteral("搬进山里"), QStringLiteral("雨天"), QStringLiteral("秋收"),
                                QStringLiteral("冬夜"), QStringLiteral("年关"), QStringLiteral("春耕"),
                                QStringLiteral("溪边"), QStringLiteral("老屋"), QStringLiteral("归途")};
    QString text = QStringLiteral("山居杂记\r\n\r\n");
    for (int i = 0; i < titles.size(); ++i) {
        text += QStringLiteral("第%1章 %2\r\n").arg(i + 1).arg(titles.at(i));
        for (int p = 0; p <= (i * 7) % 5 + 2; ++p)
            text += QStringLiteral("　　三月初，我把城里的房子退了，带着两箱书和一只旧皮箱，搬进了青溪上游的一间老屋。\r\n");
    }
    auto file = vamo::textChapters(text, QStringLiteral("山居杂记"));
    auto plan = file ? vamo::planChapters({*file}, true, vamo::BookProject::kChapterLimit)
                     : vamo::Result<vamo::ChapterPlan>(std::unexpected(file.error()));
    if (!plan)
        return 1;
    vamo::ChapterPreview preview;
    preview.showChapters(plan->chapters, 1, plan->notice);
    preview.show();
    QTimer::singleShot(300, &preview, [&preview, path] {
        const bool saved = preview.grab().save(path);
        QCoreApplication::exit(saved ? 0 : 1);
    });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vamobook"));

    QCommandLineParser parser;
    QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("path"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    QCommandLineOption previewShot(QStringLiteral("screenshot-preview"), QString(), QStringLiteral("path"));
    previewShot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(previewShot);
    parser.process(app);
    if (parser.isSet(previewShot))
        return savePreviewScreenshot(parser.value(previewShot));

    vamo::SystemClock clock;
    vamo::BookProject book(clock);
    vamo::MainWindow window(book, vamo::BuildEnvironment{vamo::programFolder(), vamo::templateFolder()});
    if (parser.isSet(screenshot))
        return saveScreenshot(window, parser.value(screenshot));
    window.show();
    return QApplication::exec();
}
