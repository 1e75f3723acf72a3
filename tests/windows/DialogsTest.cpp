// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/Dialogs.h"
#include "startup/QtTranslations.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vamo;

// The dialogs as they are shown, outside the test seam: a question's safe
// answer, the TXT file dialog's filter, title and columns.
class DialogsTest : public QObject {
    Q_OBJECT

private:
    struct Seen {
        bool safeDefault = false;
        bool safeEscape = false;
        QString title;
    };

    // Asks `keeping` as the safe answer and closes the box with `key` once
    // it shows; returns the answer and what the box offered.
    static Dialogs::Answer ask(Dialogs::Answer keeping, Qt::Key key, Seen& seen)
    {
        QTimer::singleShot(0, qApp, [&seen, keeping, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QAbstractButton* safe = box->button(keeping == Dialogs::Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
            seen.safeDefault = static_cast<QAbstractButton*>(box->defaultButton()) == safe;
            seen.safeEscape = box->escapeButton() == safe;
            seen.title = box->windowTitle();
            QTest::keyClick(box, key);
        });
        return Dialogs::question(nullptr, QStringLiteral("是否清空已有的章节"), keeping);
    }

private Q_SLOTS:
    void initTestCase()
    {
        Dialogs::setTestMode(false);
        useChineseLocale();
    }

    // Enter and Escape give the answer that keeps the user's work, whichever
    // it is.
    void enterAndEscapeGiveTheSafeAnswer()
    {
        for (const Dialogs::Answer keeping : {Dialogs::Answer::No, Dialogs::Answer::Yes}) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
                Seen seen;
                QCOMPARE(ask(keeping, key, seen), keeping);
                QVERIFY(seen.safeDefault);
                QVERIFY(seen.safeEscape);
                QVERIFY(!seen.title.isEmpty());
            }
        }
    }

    // "文本文件 (*.txt)" under a title of its own, any letter case listed;
    // dates and sizes in the program's locale (Chinese), not the system's.
    void theTxtFileDialogListsTxtFilesInTheProgramsLocale()
    {
        const std::unique_ptr<QFileDialog> dialog = Dialogs::txtFileDialog(nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("读入TXT文件"));
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("文本文件 (*.txt)")});
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
#ifdef Q_OS_WIN
        QSKIP("Windows shows its own dialog, in the system's language");
#endif
        QVERIFY(dialog->proxyModel());

        QTemporaryDir dir;
        const QByteArray text(1500, 'x');
        for (const char* name : {"upper.TXT", "lower.txt", "notes.md"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        }
        dialog->setDirectory(dir.path());
        dialog->show();
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view);
        QAbstractItemModel* model = view->model();
        QVERIFY(model == static_cast<QAbstractItemModel*>(dialog->proxyModel()));
        auto shownNames = [&] {
            QStringList names;
            for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
                names << model->index(r, 0, view->rootIndex()).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(shownNames(), (QStringList{QStringLiteral("lower.txt"), QStringLiteral("upper.TXT")}));

        const QModelIndex first = model->index(0, 0, view->rootIndex());
        const QFileInfo info(dir.filePath(first.data().toString()));
        const QString date = first.siblingAtColumn(3).data().toString();
        const QString size = first.siblingAtColumn(1).data().toString();
        QCOMPARE(date, QLocale().toString(info.lastModified(), QLocale::ShortFormat));
        QCOMPARE(size, QLocale().formattedDataSize(info.size()));
        QCOMPARE(QLocale().language(), QLocale::Chinese);
        if (QLocale::system().language() != QLocale::Chinese)
            QVERIFY(date != QLocale::system().toString(info.lastModified(), QLocale::ShortFormat));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
