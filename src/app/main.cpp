#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/BuildEbook.h"
#include "startup/ProgramFolder.h"
#include "startup/UpdateCheck.h"
#include "windows/MainWindow.h"
#include "windows/OnlineBanner.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

template <class F>
void whenUpdateCheckDone(vamo::MainWindow& window, F then)
{
    vamo::UpdateCheck& check = window.banner().updateCheck();
    if (check.done())
        then();
    else
        QObject::connect(&check, &vamo::UpdateCheck::finished, &window, then, Qt::SingleShotConnection);
}

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
    // Let the update check end, the layout settle and the folder trees fill
    // before the picture.
    whenUpdateCheckDone(window, [&window, path] {
        QTimer::singleShot(500, &window, [&window, path] {
            const bool saved = window.grab().save(path);
            window.close();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
    return QApplication::exec();
}

// Shows the window, waits for the update check and prints the banner line
// it left (UTF-8, one line); for checking a mirror's update file.
int printBanner(vamo::MainWindow& window)
{
    window.show();
    whenUpdateCheckDone(window, [&window] {
        const auto* caption = window.findChild<QLabel*>(QStringLiteral("Label10"));
        std::fputs((caption ? caption->text() : QString()).toUtf8().append('\n').constData(), stdout);
        std::fflush(stdout);
        window.close();
        QCoreApplication::exit(0);
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
    QCommandLineOption checkUpdate(QStringLiteral("check-update"));
    checkUpdate.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(checkUpdate);
    parser.process(app);

    vamo::SystemClock clock;
    vamo::BookProject book(clock);
    vamo::MainWindow window(book, vamo::BuildEnvironment{vamo::programFolder(), vamo::templateFolder()});
    // The last step of the start-up: the update check runs in the background.
    window.banner().startUpdateCheck(vamo::updateInfoUrl());
    if (parser.isSet(checkUpdate))
        return printBanner(window);
    if (parser.isSet(screenshot))
        return saveScreenshot(window, parser.value(screenshot));
    window.show();
    return QApplication::exec();
}
