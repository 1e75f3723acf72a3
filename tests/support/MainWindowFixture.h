// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ZipTestSupport.h"
#include "model/BookProject.h"
#include "model/Clock.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"
#include "windows/Navigator.h"

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

namespace vamo::test {

// The control `name` inside `window`. A missing control ends the test
// program: no check after it could mean anything.
template <class T>
T* findControl(const QWidget* window, const char* name)
{
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("control %s not found in %s", name, qPrintable(window->objectName()));
    return w;
}

// What every main-window test sets up: dialogs in test mode with an empty
// record, a fresh temporary folder holding the program folder "prog" and the
// template folder "templates", a fixed clock, an empty book and, on request,
// the windows over them (the navigator and its main window). A test class owns one and calls init() and
// cleanup() from its own slots:
//
//     void init() { QVERIFY(m_fx.init(kStart)); }
//     void cleanup() { m_fx.cleanup(); }
struct MainWindowFixture {
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<FixedClock> clock;
    std::unique_ptr<BookProject> book;
    std::unique_ptr<Navigator> nav;
    MainWindow* win = nullptr; // the navigator's

    // False when the temporary folders cannot be made.
    [[nodiscard]] bool init(const QDateTime& start)
    {
        Dialogs::setTestMode(true);
        Dialogs::clearRecord();
        tmp = std::make_unique<QTemporaryDir>();
        if (!tmp->isValid() || !QDir().mkpath(programFolder()) || !QDir().mkpath(templateFolder()))
            return false;
        clock = std::make_unique<FixedClock>(start);
        book = std::make_unique<BookProject>(*clock);
        return true;
    }
    // The windows first, as they refer to the book, then the book and the folder.
    void cleanup()
    {
        destroy();
        book.reset();
        clock.reset();
        tmp.reset();
    }

    QString path(const QString& rel) const { return QDir(tmp->path()).filePath(rel); }
    QString programFolder() const { return path(QStringLiteral("prog")); }
    QString templateFolder() const { return path(QStringLiteral("templates")); }
    // A small stand-in for the reader template, as DuvEver.dll.
    [[nodiscard]] bool writeReaderTemplate() const
    {
        return writeZip(QDir(templateFolder()).filePath(QStringLiteral("DuvEver.dll")), templateEntries("reader"));
    }

    // The windows over the book, the main window not yet shown (replacing
    // any earlier ones); the builds take their templates from `templates`,
    // the template folder when empty.
    MainWindow* create(const QString& templates = {})
    {
        destroy();
        nav = std::make_unique<Navigator>(*book, programFolder(),
                                          BuildEnvironment{templates.isEmpty() ? templateFolder() : templates});
        win = nav->mainWindow();
        return win;
    }
    // Every window gone, as at the program's end.
    void destroy()
    {
        win = nullptr;
        nav.reset();
    }
    // The main window made, shown and exposed; false when it did not appear.
    [[nodiscard]] bool open()
    {
        create()->show();
        return QTest::qWaitForWindowExposed(win);
    }
};

} // namespace vamo::test
