// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace vamo;

// Qt's own texts follow the program's language, not the system's.
class QtTranslationsTest : public QObject {
    Q_OBJECT

private:
    static QString buttonText(QMessageBox::StandardButton which)
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("标题"), QStringLiteral("问题"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
        return box.button(which)->text();
    }
    static QString qtCatalogue()
    {
        const QString own =
            QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_zh_CN.qm"));
#ifdef VAMO_TEST_QT_CATALOGUE
        if (!QFile::exists(own))
            return QStringLiteral(VAMO_TEST_QT_CATALOGUE);
#endif
        return own;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Whatever the machine's locale, the test starts from Qt's English.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        if (!QFile::exists(qtCatalogue()))
            QFAIL("qt6-translations-l10n is not installed (scripts/setup.sh installs it)");
    }

    void searchesQtsFolderFirstThenBesideTheProgram()
    {
        const QStringList folders = qtTranslationFolders();
        QVERIFY(folders.size() >= 3);
        QCOMPARE(folders.at(0), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        const QDir exe(QCoreApplication::applicationDirPath());
        QVERIFY(folders.contains(exe.filePath(QStringLiteral("translations"))));
        QVERIFY(folders.contains(exe.path()));
        QVERIFY(folders.constLast().endsWith(QStringLiteral("/vamobook/translations")));
    }

    // Order matters: nothing is installed until the last two tests.
    void noCatalogueLeavesQtsTextsAsTheyAre()
    {
        QTemporaryDir empty;
        QCOMPARE(installQtChineseTranslations({QString(), empty.path()}), QString());
        QCOMPARE(buttonText(QMessageBox::Yes), QStringLiteral("&Yes"));
    }

    void catalogueBesideTheProgramMakesButtonsAndFileDialogChinese()
    {
        // A copy of the program with the catalogue in its own folder, as on
        // a machine without Debian's package.
        QTemporaryDir beside;
        const QString copy = QDir(beside.path()).filePath(QStringLiteral("qtbase_zh_CN.qm"));
        QVERIFY(QFile::copy(qtCatalogue(), copy));
        QTemporaryDir empty;
        QCOMPARE(installQtChineseTranslations({empty.path(), beside.path()}), copy);

        QCOMPARE(buttonText(QMessageBox::Yes), QStringLiteral("是(&Y)"));
        QCOMPARE(buttonText(QMessageBox::No), QStringLiteral("否(&N)"));
        QCOMPARE(buttonText(QMessageBox::Ok), QStringLiteral("确定"));
        QCOMPARE(buttonText(QMessageBox::Cancel), QStringLiteral("取消"));
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("打开"));
        // Qt's own file dialog.
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("文件名称(&N)："));
    }

    void aSecondCallKeepsTheCatalogueLoaded()
    {
        const QString first = installQtChineseTranslations({QString()});
        QVERIFY(!first.isEmpty());
        QCOMPARE(installQtChineseTranslations(qtTranslationFolders()), first);
        QCOMPARE(buttonText(QMessageBox::No), QStringLiteral("否(&N)"));
    }

    // Dates and numbers in Qt's dialogs follow the interface, not LANG.
    void theLocaleIsChineseWhateverTheEnvironment()
    {
        QCOMPARE(QLocale().language(), QLocale::English);
        useChineseLocale();
        QCOMPARE(QLocale().language(), QLocale::Chinese);
        QCOMPARE(QLocale().territory(), QLocale::China);
        QCOMPARE(QLocale().toString(QDate(2026, 3, 7), QLocale::LongFormat), QStringLiteral("2026年3月7日星期六"));
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
