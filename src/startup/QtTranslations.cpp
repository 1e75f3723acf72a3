// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/QtTranslations.h"

#include "startup/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace vamo {

namespace {
const QString kCatalogue = QStringLiteral("qtbase_zh_CN");
} // namespace

QStringList qtTranslationFolders()
{
    const QDir exe(QCoreApplication::applicationDirPath());
    QStringList folders = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        exe.filePath(QStringLiteral("translations")),
        exe.path(),
        QDir(installDataFolder()).filePath(QStringLiteral("translations")),
    };
    folders.removeDuplicates();
    return folders;
}

QString installQtChineseTranslations(const QStringList& folders)
{
    // The application owns the translator; a second call finds it there.
    if (auto* loaded = QCoreApplication::instance()->findChild<QTranslator*>(kCatalogue, Qt::FindDirectChildrenOnly))
        return loaded->filePath();
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(kCatalogue, folder))
            continue;
        translator->setObjectName(kCatalogue);
        translator->setParent(QCoreApplication::instance());
        QCoreApplication::installTranslator(translator.get());
        return translator.release()->filePath();
    }
    return QString();
}

void useChineseLocale() { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China)); }

} // namespace vamo
