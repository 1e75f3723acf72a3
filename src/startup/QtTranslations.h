// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace vamo {

// The program speaks Chinese whatever the system's locale, and so must Qt's
// own texts: the buttons of every message box ("确定", "是", "否"), the
// file dialog, and the command line's help ("用法：", "选项："). These come
// from Qt's translation catalogue qtbase_zh_CN.

// Folders searched for the catalogue, in order: Qt's own translations
// folder (where Debian's qt6-translations-l10n puts it), then, for a program
// installed or copied elsewhere, translations/ beside the program, the
// program's own folder and translations/ in the installed data folder.
// Needs a QCoreApplication.
QStringList qtTranslationFolders();

// Loads the catalogue from the first of `folders` that has it and installs
// it into the application (once; later calls change nothing). Returns the
// file loaded, empty when none of the folders has it: Qt's texts then stay
// English and nothing else changes.
QString installQtChineseTranslations(const QStringList& folders);

// The program's locale for Qt is Chinese (China) whatever the environment's
// (LANG=C.UTF-8 included): dates, numbers and file types in Qt's dialogs
// follow the interface's language.
void useChineseLocale();

} // namespace vamo
