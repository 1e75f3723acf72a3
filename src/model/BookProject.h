// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Clock.h"
#include "model/Error.h"

#include <QObject>
#include <QStringList>

#include <array>

namespace vamo {

// The seven book settings. Each mirrors one control of the main window.
struct BookSettings {
    QString saveFolder; // Text1, ends with the folder separator when chosen
    QString maker;      // Text2
    QString bookName;   // Text3
    QString message;    // Text4
    QString jarName;    // Text5, without ".jar"
    int jarSize = 0;    // Combo1, index 0..4
    int phoneModel = 0; // Combo2, index 0..1

    bool operator==(const BookSettings&) const = default;
};

// The JAR name a book starts with: "vamo-" followed by month, day, minute
// and second of `when`, two digits each.
[[nodiscard]] QString datedJarName(const QDateTime& when);

// The settings a successful build leaves: no book name and a fresh JAR name
// dated `now`; the others as they were.
[[nodiscard]] BookSettings settingsAfterBuild(BookSettings settings, const QDateTime& now);

// A chapter's text as `save` stores it: followed by CR LF.
[[nodiscard]] QString storedChapterText(QString text);

// The message when a chapter list of `limit` chapters is full. The
// new-book wizard's list spells it with full-width parentheses, every other
// with ASCII ones, as each always has.
[[nodiscard]] QString chapterLimitMessage(int limit);

// The one book being prepared: settings, chapter names (List1) and the
// chapter texts (chaptertext). The chapter at list position i has its text in
// slot i. Every window reads and writes the same instance.
class BookProject : public QObject {
    Q_OBJECT

public:
    static constexpr int kSlotCount = 1001;        // slots 0..1000
    static constexpr int kChapterLimit = 1000;     // chapters the main window accepts
    static constexpr int kWizardChapterLimit = 20; // chapters the new-book wizard's list accepts

    [[nodiscard]] static QStringList jarSizeItems();    // Combo1
    [[nodiscard]] static QStringList phoneModelItems(); // Combo2

    explicit BookProject(const Clock& clock, QObject* parent = nullptr);

    [[nodiscard]] const Clock& clock() const { return m_clock; }

    // --- settings ---
    [[nodiscard]] const BookSettings& settings() const { return m_settings; }
    void setSettings(const BookSettings& s);
    void setSaveFolder(const QString& v);
    void setMaker(const QString& v);
    void setBookName(const QString& v);
    void setMessage(const QString& v);
    void setJarName(const QString& v);
    void setJarSize(int v);
    void setPhoneModel(int v);

    // Start values; `defaultSaveFolder` is the save folder shown at start.
    void initialise(const QString& defaultSaveFolder);

    // --- chapters ---
    [[nodiscard]] const QStringList& chapterNames() const { return m_names; }
    [[nodiscard]] int chapterCount() const { return static_cast<int>(m_names.size()); }
    void appendChapterName(const QString& name);
    // Appends several names at once (one change signal).
    void appendChapterNames(const QStringList& names);
    void setChapterName(int position, const QString& name);
    void clearChapterNames();

    [[nodiscard]] const QString& chaptertext(int slot) const;
    [[nodiscard]] Result<void> setChaptertext(int slot, const QString& text);

    // `save`: stores `savetext` followed by CR LF into slot `num`. A text
    // handed over with std::move is stored without copying it.
    [[nodiscard]] Result<void> save(QString savetext);

    [[nodiscard]] qint16 num() const { return m_num; }
    void setNum(qint16 v) { m_num = v; }
    [[nodiscard]] qint16 frame() const { return m_frame; }
    void setFrame(qint16 v) { m_frame = v; }
    [[nodiscard]] qint16 batchmode() const { return m_batchmode; }
    void setBatchmode(qint16 v) { m_batchmode = v; }

    // --- whole-book operations ---
    // New (menu "新建(&N)"): settings back to their values after New, Combo2
    // kept, the chapters' texts and names emptied.
    void resetForNew(const QString& defaultSaveFolder);
    // After a successful build: the settings as settingsAfterBuild leaves
    // them, num 0, all slots and names emptied.
    void clearAfterBuild();

    // --- chapter list operations (the selection is the caller's) ---
    // Add: refuses at the chapter limit, else sets num to the new slot.
    [[nodiscard]] Result<void> prepareAdd();
    [[nodiscard]] static QString proposedChapterName(int slot); // "第" n "章"
    // Edit: needs a valid selection; sets num to it.
    [[nodiscard]] bool prepareEdit(int selected);
    // Delete, move up, move down: each returns the position selected
    // afterwards (-1 for none); an operation that does not apply returns
    // `selected` unchanged and changes nothing.
    [[nodiscard]] int deleteChapter(int selected);
    [[nodiscard]] int moveUp(int selected);
    [[nodiscard]] int moveDown(int selected);
    // Several chapters at once, names and texts in step. Delete: removes the
    // chapters at `positions` (out of range ones ignored), the others close
    // up in their order; returns the position to select afterwards (the
    // first removed one, or the new last, or -1). Move: the chapters at
    // `positions`, in their order, go before the chapter now at `before`
    // (the chapter count: to the end); returns their new positions.
    [[nodiscard]] int deleteChapters(QList<int> positions);
    [[nodiscard]] QList<int> moveChapters(QList<int> positions, int before);
    // The last delete (one chapter or several) can be undone once: the
    // chapters go back where they stood, with their texts; returns their
    // positions. Refused at the chapter limit. Emptying the chapter list
    // (a new book, a build, an import that clears) forgets it.
    [[nodiscard]] bool canUndoDelete() const { return !m_deleted.positions.isEmpty(); }
    [[nodiscard]] Result<QList<int>> undoDelete();
    // Batch import entry: clearing empties the names (texts stay in their
    // slots to be overwritten) and sets num 0; otherwise num = count.
    void prepareBatchImport(bool clearExisting);

Q_SIGNALS:
    void settingsChanged();
    void chaptersChanged();

private:
    void swapChapters(int a, int b);
    // The chapters in order, names with texts; and the list set from them.
    struct Chapters {
        QStringList names;
        QStringList texts;
    };
    Chapters takeChapters();
    void putChapters(Chapters chapters);

    struct Deleted {
        QList<int> positions; // rising
        QStringList names;
        QStringList texts;
    };

    const Clock& m_clock;
    BookSettings m_settings;
    QStringList m_names;
    std::array<QString, kSlotCount> m_text;
    qint16 m_num = 0;
    qint16 m_frame = 0;
    qint16 m_batchmode = 0;
    Deleted m_deleted; // the last delete, for undoDelete()
};

} // namespace vamo
