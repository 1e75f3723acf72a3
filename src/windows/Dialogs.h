// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

namespace vamo {

// Every message box, question, file and folder dialog, and every hand-off to
// the desktop (opening a folder or a web page) goes through here, so that
// window tests can answer them without a dialog ever blocking.
class Dialogs {
public:
    enum class Answer { Ok, Yes, No };
    // The icon a message was shown with.
    enum class Kind { Information, Warning, Question };

    // A message with one OK button and the message title: results.
    static void information(QWidget* parent, const QString& text);
    // The same with the warning icon: refusals and failures.
    static void warning(QWidget* parent, const QString& text);
    // A message with OK and no title of its own (the application's title).
    static void notice(QWidget* parent, const QString& text);
    // A question with Yes and No and the message title. `keeping` is the
    // answer that keeps the user's work: the default button, and what Enter
    // and Escape give.
    static Answer question(QWidget* parent, const QString& text, Answer keeping);
    // An open-file dialog for TXT files ("文本文件 (*.txt)", any letter
    // case); empty when cancelled.
    static QString openTxtFile(QWidget* parent);
    // The dialog openTxtFile shows. Where the platform has no dialog of its
    // own (Qt's is shown), its dates and sizes follow the program's locale,
    // not the system's.
    static std::unique_ptr<QFileDialog> txtFileDialog(QWidget* parent);
    // Shows a folder in the platform's file manager; does not wait. Where
    // the desktop cannot open it (no file manager, no such folder) the user
    // is told "无法打开目录：" + path: at once with the result false, or,
    // when the desktop gives up only after the hand-off, as soon as it does.
    static bool openFolder(QWidget* parent, const QString& path);
    // Opens an address in the system's browser.
    static void openUrl(const QString& url);

    // --- test seam ---
    // In test mode nothing is shown: messages are recorded, questions take
    // the queued answers (No when none is queued), the file dialog takes the
    // queued paths (cancel when none is queued), and folders and
    // addresses that would be opened are recorded (a folder whose opening
    // was made to fail with setNextOpenFails is not).
    static void setTestMode(bool on);
    static void setNextAnswer(Answer a);
    static void setNextFile(const QString& path);
    // The next openFolder fails as on a desktop without a file manager.
    static void setNextOpenFails();
    static QStringList messages();           // texts shown so far
    static QList<Kind> messageKinds();       // their icons, one per text
    static QList<Answer> questionDefaults(); // each question's default answer, in order
    static QStringList openedFolders();      // folders handed to the file manager
    static QStringList openedUrls();
    static void clearRecord();
};

} // namespace vamo
