#include "windows/Dialogs.h"

#include "model/Site.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include <deque>

namespace vamo {

namespace {

struct TestState {
    bool on = false;
    std::deque<Dialogs::Answer> answers;
    std::deque<QString> files;
    std::deque<QString> folders;
    QStringList messages;
    QStringList openedFolders;
    QStringList openedUrls;
};

TestState& state()
{
    static TestState s;
    return s;
}

template <class T>
bool takeNext(std::deque<T>& queue, T& out)
{
    if (queue.empty())
        return false;
    out = std::move(queue.front());
    queue.pop_front();
    return true;
}

} // namespace

void Dialogs::information(QWidget* parent, const QString& text)
{
    if (state().on) {
        state().messages << text;
        return;
    }
    QMessageBox::information(parent, site::messageTitle(), text);
}

void Dialogs::notice(QWidget* parent, const QString& text)
{
    if (state().on) {
        state().messages << text;
        return;
    }
    QMessageBox::information(parent, site::windowTitle(), text);
}

Dialogs::Answer Dialogs::question(QWidget* parent, const QString& text)
{
    if (state().on) {
        state().messages << text;
        Answer a = Answer::No;
        takeNext(state().answers, a);
        return a;
    }
    const auto r = QMessageBox::question(parent, site::messageTitle(), text, QMessageBox::Yes | QMessageBox::No);
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString Dialogs::openTxtFile(QWidget* parent)
{
    if (state().on) {
        QString path;
        takeNext(state().files, path);
        return path;
    }
    return QFileDialog::getOpenFileName(parent, site::messageTitle(), QString(),
                                        QStringLiteral("(*.TXT) (*.txt *.TXT)"));
}

QString Dialogs::chooseFolder(QWidget* parent, const QString& start)
{
    if (state().on) {
        QString path;
        takeNext(state().folders, path);
        return path;
    }
    return QFileDialog::getExistingDirectory(parent, site::messageTitle(), start);
}

void Dialogs::openFolder(const QString& path)
{
    if (state().on) {
        state().openedFolders << path;
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Dialogs::openUrl(const QString& url)
{
    if (state().on) {
        state().openedUrls << url;
        return;
    }
    QDesktopServices::openUrl(QUrl(url));
}

void Dialogs::setTestMode(bool on)
{
    state() = TestState{};
    state().on = on;
}

bool Dialogs::testMode() { return state().on; }
void Dialogs::setNextAnswer(Answer a) { state().answers.push_back(a); }
void Dialogs::setNextFile(const QString& path) { state().files.push_back(path); }
void Dialogs::setNextFolder(const QString& path) { state().folders.push_back(path); }
QStringList Dialogs::messages() { return state().messages; }
QStringList Dialogs::openedFolders() { return state().openedFolders; }
QStringList Dialogs::openedUrls() { return state().openedUrls; }

void Dialogs::clearRecord()
{
    state().messages.clear();
    state().openedFolders.clear();
    state().openedUrls.clear();
}

} // namespace vamo
