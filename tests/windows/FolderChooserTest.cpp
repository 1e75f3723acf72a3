// SPDX-License-Identifier: GPL-3.0-or-later
// The folder chooser Form2 on its own: the path it hands back and the ways
// it goes away.
#include "windows/FolderChooser.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace vamo;

class FolderChooserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pathGetsExactlyOneTrailingSeparator()
    {
        const QString sep = QDir::separator();
        QCOMPARE(FolderChooser::withTrailingSeparator(QStringLiteral("/a/b")),
                 QDir::toNativeSeparators(QStringLiteral("/a/b")) + sep);
        QCOMPARE(FolderChooser::withTrailingSeparator(QStringLiteral("/a/b/")),
                 QDir::toNativeSeparators(QStringLiteral("/a/b/")));
        QCOMPARE(FolderChooser::withTrailingSeparator(QStringLiteral("/a/b//")),
                 QDir::toNativeSeparators(QStringLiteral("/a/b/")));
        QCOMPARE(FolderChooser::withTrailingSeparator(QStringLiteral("/")), sep);
        QCOMPARE(FolderChooser::withTrailingSeparator(QStringLiteral("C:/")),
                 QDir::toNativeSeparators(QStringLiteral("C:/")));
        QCOMPARE(FolderChooser::withTrailingSeparator(QString()), QString());
    }

    void okHandsBackTheSelectedFolder()
    {
        QTemporaryDir tmp;
        const QString sub = QDir(tmp.path()).filePath(QStringLiteral("书 目录"));
        QVERIFY(QDir().mkpath(sub));
        FolderChooser chooser;
        QCOMPARE(chooser.windowTitle(), QStringLiteral("保存目录"));
        QVERIFY(chooser.findChild<QComboBox*>(QStringLiteral("Drive1"))->count() >= 1);
        QVERIFY(chooser.findChild<QTreeView*>(QStringLiteral("Dir1")));
        chooser.show();
        QSignalSpy chosen(&chooser, &FolderChooser::chosen);
        QSignalSpy left(&chooser, &FolderChooser::left);

        chooser.setFolder(sub);
        QCOMPARE(chooser.folder(), QDir::toNativeSeparators(sub));
        QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), QDir::toNativeSeparators(sub) + QDir::separator());
        QCOMPARE(left.size(), 1);
        QVERIFY(!chooser.isVisible());

        // A drive root keeps its single separator.
        const QString root = QDir::drives().value(0).absoluteFilePath();
        chooser.show();
        chooser.setFolder(root);
        QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(chosen.size(), 2);
        QCOMPARE(chosen.at(1).at(0).toString(), QDir::toNativeSeparators(root));
    }

    void cancelEscapeAndCloseBoxChooseNothing()
    {
        FolderChooser chooser;
        QSignalSpy chosen(&chooser, &FolderChooser::chosen);
        QSignalSpy left(&chooser, &FolderChooser::left);
        chooser.setFolder(QDir::tempPath());

        chooser.show();
        QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        chooser.show();
        QTest::keyClick(&chooser, Qt::Key_Escape);
        chooser.show();
        chooser.close();

        QCOMPARE(left.size(), 3);
        QCOMPARE(chosen.size(), 0);
        QVERIFY(!chooser.isVisible());
    }

    void aMissingFolderIsIgnored()
    {
        QTemporaryDir tmp;
        FolderChooser chooser;
        chooser.setFolder(tmp.path());
        chooser.setFolder(QDir(tmp.path()).filePath(QStringLiteral("missing")));
        QCOMPARE(chooser.folder(), QDir::toNativeSeparators(tmp.path()));
    }
};

QTEST_MAIN(FolderChooserTest)
#include "FolderChooserTest.moc"
