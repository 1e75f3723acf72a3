// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the windows for the README and docs/ (scripts/screenshot.sh):
// the main window with a small sample book, or a window opened from it as
// its control opens it, and the chapter preview of a sample novel.
#include "intake/ChapterImport.h"
#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/BuildEbook.h"
#include "startup/ProgramFolder.h"
#include "startup/QtTranslations.h"
#include "startup/UpdateCheck.h"
#include "windows/ChapterEditor.h"
#include "windows/ChapterPreview.h"
#include "windows/FolderChooser.h"
#include "windows/ImportWindow.h"
#include "windows/MainWindow.h"
#include "windows/Navigator.h"
#include "windows/OnlineBanner.h"
#include "windows/WizardStepOne.h"
#include "windows/WizardStepTwo.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// A small sample book in the window, its second chapter selected.
void fillSampleBook(vamo::MainWindow& window)
{
    vamo::BookProject& book = window.book();
    // A neutral sample folder, not a path of the machine that takes the picture.
    book.setSaveFolder(QDir::toNativeSeparators(QStringLiteral("/home/reader/电子书/")));
    book.setBookName(QStringLiteral("山居杂记"));
    const QStringList names = {QStringLiteral("第1章 入山"), QStringLiteral("第2章 雨夜"), QStringLiteral("第3章 竹林"),
                               QStringLiteral("第4章 归途")};
    for (const QString& name : names) {
        (void)book.setChaptertext(book.chapterCount(),
                                  QStringLiteral("　　%1\r\n　　三月初，我把城里的房子退了，带着两箱书和一只旧皮箱，"
                                                 "搬进了青溪上游的一间老屋。\r\n")
                                      .arg(name));
        book.appendChapterName(name);
    }
    if (auto* list = window.findChild<QListWidget*>(QStringLiteral("List1")))
        list->setCurrentRow(1);
}

// Opens window `which` (Form2 to Form5, or the folder tab) as its control
// opens it; the window to picture, the main window for any other name.
QWidget* openWindow(vamo::Navigator& windows, const QString& which, const QString& txtFolder)
{
    vamo::MainWindow& window = *windows.mainWindow();
    if (which == QLatin1String("Form4") || which == QLatin1String("Form5")) {
        window.findChild<QAction*>(QStringLiteral("menu_one_2"))->trigger();
        if (which == QLatin1String("Form4"))
            return windows.wizardStepOne();
        windows.wizardStepOne()->findChild<QPushButton*>(QStringLiteral("Command8"))->click();
        return windows.wizardStepTwo();
    }
    if (which == QLatin1String("Form2")) {
        window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        if (!txtFolder.isEmpty())
            windows.folderChooser()->setFolder(txtFolder);
        return windows.folderChooser();
    }
    if (which == QLatin1String("Form3")) {
        window.findChild<QPushButton*>(QStringLiteral("Command4"))->click();
        return windows.chapterEditor();
    }
    if (which == QLatin1String("folder")) {
        window.findChild<QTabBar*>(QStringLiteral("TabStrip1"))->setCurrentIndex(1);
        if (!txtFolder.isEmpty())
            window.setTxtFolder(txtFolder);
    }
    return &window;
}

// The batch import on a folder of sample files under `samplesPath`, with
// the split check box on.
QWidget* openSampleImport(vamo::Navigator& windows, const QString& samplesPath)
{
    const QString folder = QDir(samplesPath).filePath(QStringLiteral("山居杂记"));
    QDir().mkpath(folder);
    const QStringList files = {QStringLiteral("上卷.txt"), QStringLiteral("中卷.txt"), QStringLiteral("下卷.txt"),
                               QStringLiteral("后记.txt")};
    for (const QString& name : files) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write("\r\n");
    }
    // Opened as its button opens it, without the question about the
    // sample chapters.
    vamo::ImportWindow* import = windows.importWindow();
    import->openFromMainWindow(false);
    windows.open(import, windows.mainWindow());
    import->setFolder(folder);
    // In reading order, whatever order the folder lists them in.
    auto* list = import->findChild<QListWidget*>(QStringLiteral("List1"));
    for (int i = 0; i < list->count() && i < files.size(); ++i)
        list->item(i)->setText(files.at(i));
    import->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
    return import;
}

// Saves the picture of `shown` to `path` and ends the event loop, 0 when it
// was saved.
void saveWhenSettled(vamo::MainWindow& window, QWidget* shown, const QString& path)
{
    // Let the update check end, the layout settle and the folder trees fill
    // before the picture.
    auto save = [&window, shown, path] {
        QTimer::singleShot(500, &window, [&window, shown, path] {
            const bool saved = shown->grab().save(path);
            // The main window closes only on its own: closing it under an
            // open editor would ask about the chapter. The sample book goes
            // first, so that no question about giving it up is asked.
            if (shown == &window) {
                window.book().clearChapterNames();
                window.close();
            }
            QCoreApplication::exit(saved ? 0 : 1);
        });
    };
    vamo::UpdateCheck& check = window.banner().updateCheck();
    if (check.done())
        save();
    else
        QObject::connect(&check, &vamo::UpdateCheck::finished, &window, save, Qt::SingleShotConnection);
}

// Fills the main window with a small sample book and saves a picture of it,
// or of a window opened from it: the wizard's step one (Form4) or step two
// (Form5), the folder chooser (Form2), the chapter editor on the second
// chapter (Form3), the batch import (Form6, on a folder of sample files with
// the split check box on) or the folder tab ("folder"); the chooser and the
// folder tab on the TXT folder `txtFolder`.
int saveScreenshot(const QString& path, const QString& which, const QString& txtFolder)
{
    vamo::SystemClock clock;
    vamo::BookProject book(clock);
    vamo::Navigator windows(book, vamo::programFolder(), vamo::BuildEnvironment{vamo::templateFolder()});
    vamo::MainWindow& window = *windows.mainWindow();
    window.banner().startUpdateCheck(vamo::updateInfoUrl());
    fillSampleBook(window);
    window.show();
    QWidget* shown = openWindow(windows, which, txtFolder);
    // The import's sample files stay until the picture is taken.
    QTemporaryDir samples;
    if (which == QLatin1String("Form6"))
        shown = openSampleImport(windows, samples.path());
    saveWhenSettled(window, shown, path);
    return QApplication::exec();
}

// The chapter preview for a sample novel.
int savePreviewScreenshot(const QString& path)
{
    const QStringList titles = {QStringLiteral("搬进山里"), QStringLiteral("雨天"), QStringLiteral("秋收"),
                                QStringLiteral("冬夜"),     QStringLiteral("年关"), QStringLiteral("春耕"),
                                QStringLiteral("溪边"),     QStringLiteral("老屋"), QStringLiteral("归途")};
    QString text = QStringLiteral("山居杂记\r\n\r\n");
    for (int i = 0; i < titles.size(); ++i) {
        text += QStringLiteral("第%1章 %2\r\n").arg(i + 1).arg(titles.at(i));
        for (int p = 0; p <= (i * 7) % 5 + 2; ++p)
            text += QStringLiteral(
                "　　三月初，我把城里的房子退了，带着两箱书和一只旧皮箱，搬进了青溪上游的一间老屋。\r\n");
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
    // The pictures show the interface as the program shows it: Chinese.
    vamo::installQtChineseTranslations(vamo::qtTranslationFolders());
    vamo::useChineseLocale();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pictures of the windows for the README and docs/."));
    parser.addHelpOption();
    const QCommandLineOption window(QStringLiteral("window"),
                                    QStringLiteral("Form1 (the default) to Form6, or folder for the folder tab."),
                                    QStringLiteral("name"), QStringLiteral("Form1"));
    const QCommandLineOption txtFolder(QStringLiteral("txt-folder"),
                                       QStringLiteral("The folder the folder chooser and the folder tab show."),
                                       QStringLiteral("folder"));
    const QCommandLineOption preview(QStringLiteral("preview"), QStringLiteral("The chapter preview instead."));
    parser.addOptions({window, txtFolder, preview});
    parser.addPositionalArgument(QStringLiteral("picture"), QStringLiteral("The PNG file to write."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(1);
    const QString path = parser.positionalArguments().constFirst();
    if (parser.isSet(preview))
        return savePreviewScreenshot(path);
    return saveScreenshot(path, parser.value(window), parser.value(txtFolder));
}
