// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/Dialogs.h"

#include "model/Site.h"
#include "windows/DesktopOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <deque>

namespace vamo {

namespace {

struct TestState {
    bool on = false;
    std::deque<Dialogs::Answer> answers;
    std::deque<QString> files;
    int openFailures = 0;
    QStringList messages;
    QList<Dialogs::Kind> kinds;
    QList<Dialogs::Answer> defaults;
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

// In test mode a message is recorded instead of shown; true then.
bool recorded(Dialogs::Kind kind, const QString& text)
{
    if (!state().on)
        return false;
    state().messages << text;
    state().kinds << kind;
    return true;
}

// Qt's file dialog writes the modification dates and the file sizes in the
// system's locale (English under LANG=C.UTF-8) while everything else in it
// is Chinese; shown through this they follow the program's locale.
class ProgramLocaleColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole && (index.column() == kSize || index.column() == kModified)) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == kModified)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    // QFileSystemModel's columns.
    static constexpr int kSize = 1;
    static constexpr int kModified = 3;
};

void cannotOpenFolder(QWidget* parent, const QString& path)
{
    Dialogs::warning(parent, QStringLiteral("无法打开目录：") + QDir::toNativeSeparators(path));
}

} // namespace

void Dialogs::information(QWidget* parent, const QString& text)
{
    if (recorded(Kind::Information, text))
        return;
    QMessageBox::information(parent, site::messageTitle(), text);
}

void Dialogs::warning(QWidget* parent, const QString& text)
{
    if (recorded(Kind::Warning, text))
        return;
    QMessageBox::warning(parent, site::messageTitle(), text);
}

void Dialogs::notice(QWidget* parent, const QString& text)
{
    if (recorded(Kind::Information, text))
        return;
    QMessageBox::information(parent, site::windowTitle(), text);
}

Dialogs::Answer Dialogs::question(QWidget* parent, const QString& text, Answer keeping)
{
    if (recorded(Kind::Question, text)) {
        state().defaults << keeping;
        Answer a = Answer::No;
        takeNext(state().answers, a);
        return a;
    }
    QMessageBox box(QMessageBox::Question, site::messageTitle(), text, QMessageBox::Yes | QMessageBox::No, parent);
    const QMessageBox::StandardButton safe = keeping == Answer::Yes ? QMessageBox::Yes : QMessageBox::No;
    box.setDefaultButton(safe);
    box.setEscapeButton(safe);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString Dialogs::openTxtFile(QWidget* parent)
{
    if (state().on) {
        QString path;
        takeNext(state().files, path);
        return path;
    }
    const std::unique_ptr<QFileDialog> dialog = txtFileDialog(parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

std::unique_ptr<QFileDialog> Dialogs::txtFileDialog(QWidget* parent)
{
    // Qt's own dialog matches the pattern in any letter case.
    auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("读入TXT文件"), QString(),
                                                QStringLiteral("文本文件 (*.txt)"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Only Qt's own dialog takes it; a platform's dialog speaks the system's language.
    dialog->setProxyModel(new ProgramLocaleColumns(dialog.get()));
    return dialog;
}

bool Dialogs::openFolder(QWidget* parent, const QString& path)
{
    bool opened = false;
    if (state().on) {
        opened = state().openFailures == 0;
        if (opened)
            state().openedFolders << path;
        else
            --state().openFailures;
    } else {
        // A desktop that finds nothing to show the folder with may say so
        // only later; the same message follows then.
        QPointer<QWidget> owner(parent);
        opened = openFolderOnDesktop(path, parent, [owner, path] { cannotOpenFolder(owner, path); });
    }
    if (!opened)
        cannotOpenFolder(parent, path);
    return opened;
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

void Dialogs::setNextAnswer(Answer a) { state().answers.push_back(a); }
void Dialogs::setNextFile(const QString& path) { state().files.push_back(path); }
void Dialogs::setNextOpenFails() { ++state().openFailures; }
QStringList Dialogs::messages() { return state().messages; }
QList<Dialogs::Kind> Dialogs::messageKinds() { return state().kinds; }
QList<Dialogs::Answer> Dialogs::questionDefaults() { return state().defaults; }
QStringList Dialogs::openedFolders() { return state().openedFolders; }
QStringList Dialogs::openedUrls() { return state().openedUrls; }

void Dialogs::clearRecord()
{
    state().messages.clear();
    state().kinds.clear();
    state().defaults.clear();
    state().openedFolders.clear();
    state().openedUrls.clear();
}

} // namespace vamo
