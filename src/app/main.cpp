// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/BuildEbook.h"
#include "startup/ProgramFolder.h"
#include "startup/QtTranslations.h"
#include "startup/UpdateCheck.h"
#include "windows/MainWindow.h"
#include "windows/Navigator.h"
#include "windows/OnlineBanner.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLabel>

#include <cstdio>

namespace {

// Shows the window, waits for the update check and prints the banner line
// it left (UTF-8, one line, control characters replaced); for checking a
// mirror's update file.
int printBanner(vamo::MainWindow& window)
{
    window.show();
    auto print = [&window] {
        const auto* caption = window.findChild<QLabel*>(QStringLiteral("Label10"));
        // What a server sent reaches the terminal only as printable text.
        const QString line = vamo::printableLine(caption ? caption->text() : QString());
        std::fputs(line.toUtf8().append('\n').constData(), stdout);
        std::fflush(stdout);
        window.close();
        QCoreApplication::exit(0);
    };
    vamo::UpdateCheck& check = window.banner().updateCheck();
    if (check.done())
        print();
    else
        QObject::connect(&check, &vamo::UpdateCheck::finished, &window, print, Qt::SingleShotConnection);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vamobook"));
    // The desktop entry's name, so that the desktop matches windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("cn.vamobook.VamoBook"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // The interface is Chinese throughout, whatever the system's language.
    vamo::installQtChineseTranslations(vamo::qtTranslationFolders());
    vamo::useChineseLocale();

    QCommandLineParser parser;
    QCommandLineOption checkUpdate(QStringLiteral("check-update"));
    checkUpdate.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(checkUpdate);
    parser.process(app);

    vamo::SystemClock clock;
    vamo::BookProject book(clock);
    vamo::BuildEnvironment environment{vamo::templateFolder()};
    environment.unfinishedList = vamo::unfinishedBuildsList();
    vamo::Navigator windows(book, vamo::programFolder(), environment);
    vamo::MainWindow& window = *windows.mainWindow();
    // The last step of the start-up: the update check runs in the background.
    window.banner().startUpdateCheck(vamo::updateInfoUrl());
    if (parser.isSet(checkUpdate))
        return printBanner(window);
    window.show();
    return QApplication::exec();
}
