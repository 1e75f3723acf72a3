// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/BookProject.h"
#include "model/Error.h"

#include <QString>
#include <QStringView>

// What the chapter editor does with a chapter's text and name, free of any
// window: the split of a long text into the part the text box shows and the
// part kept aside (`strmod`), storing the chapter into the book, the chapter
// name taken from a file, and the texts of a file read's progress display.
namespace vamo::editing {

// The text box shows at most this many characters (UTF-16 code units, a line
// end counting as the two characters CR LF).
inline constexpr qsizetype kVisibleLimit = 65000;
// Typing into the name box stops here; a name taken from a file may be longer.
inline constexpr int kNameTypingLimit = 21;

[[nodiscard]] inline QString inputHint() { return QStringLiteral("可直接输入，或按CTRL+V粘贴文本，或从文件读入。"); }

struct SplitText {
    QString visible; // what the text box shows
    QString strmod;  // the rest, empty for texts of kVisibleLimit characters or fewer
};

// Characters 1..65000 go to the box, the rest to `strmod`. A surrogate pair is
// never cut: when character 65000 is the first half of one, the box ends a
// character earlier. A text handed over with std::move becomes `strmod`
// without copying the rest.
[[nodiscard]] SplitText splitForDisplay(QString text);
// The chapter's full text: the visible content followed by `strmod`.
[[nodiscard]] inline QString joinDisplay(const QString& visible, const QString& strmod) { return visible + strmod; }

// The text box holds line ends as paragraph breaks. These convert between the
// chapter's text (CR LF line ends) and the box's raw text so that every
// character survives the round trip:
//   CR LF   <-> U+2029 (paragraph break)
//   lone LF <-> U+2028 (line break inside a paragraph, as a file read keeps it)
//   lone CR  -> U+2029; a lone CR that ends the text (the split fell between
//               CR and LF) is flagged so that it comes back as a lone CR.
struct BoxText {
    QString raw;
    bool trailingLoneCr = false;
};
[[nodiscard]] BoxText toBox(QStringView text);
[[nodiscard]] QString fromBox(QStringView raw, bool trailingLoneCr);
// Text pasted or dropped into the box: every kind of line end (CR LF, LF, CR)
// becomes a paragraph break, that is a CR LF of the chapter.
[[nodiscard]] QString pastedToBox(QStringView text);
// Length of box text in chapter characters (a paragraph break counts 2).
[[nodiscard]] qsizetype chapterLengthOfBox(QStringView raw);
// The longest prefix of `raw` whose chapter length is at most `room`,
// without cutting a surrogate pair.
[[nodiscard]] QStringView fitIntoRoom(QStringView raw, qsizetype room);

// The chapter name for a file: its base name (the text after the last folder
// separator) named as a queued file is (batchChapterName), "readme.txt"
// giving "readme" and "notes.text" giving "notes.".
[[nodiscard]] QString chapterNameFromPath(const QString& path);

// Hint line after a file read: 【加载100%】【312行】【25000字】
[[nodiscard]] QString readResultLine(qint64 lines, qint64 characters);

// Progress of a file read. The expected number of characters starts from the
// file size and grows when the text read so far outgrows it.
class ReadProgress {
public:
    explicit ReadProgress(qint64 fileBytes);

    // After every 50th line: the estimate becomes length + 5000 when the
    // length read so far exceeds it.
    void advance(qint64 lines, qint64 characters);
    // The read is complete with these totals: the fraction is 1 from now on.
    void finish(qint64 lines, qint64 characters);

    [[nodiscard]] qint64 estimate() const { return m_estimate; }
    [[nodiscard]] qint64 lines() const { return m_lines; }
    [[nodiscard]] qint64 characters() const { return m_characters; }
    // Characters read / estimate, 0 while nothing is estimated.
    [[nodiscard]] double fraction() const;
    // 进度37.50% 加载150行 共12000字
    [[nodiscard]] QString text() const;

private:
    qint64 m_estimate;
    qint64 m_lines = 0;
    qint64 m_characters = 0;
    bool m_finished = false;
};

// Storing a chapter, by OK or by a Yes to the save offer of back and close.
enum class StoreMode {
    Accept,   // OK: a new chapter is appended, an existing one renamed
    SaveOffer // back/close: a new chapter is appended, an existing one keeps its name
};
// Slot `num` of the book receives `fullText` (with the CR LF `save` appends).
// The chapter is new when `num` equals the chapter count; `name` is trimmed.
// Fails, changing nothing, when `num` is not a chapter position or the next one.
[[nodiscard]] Result<void> storeChapter(BookProject& book, const QString& name, const QString& fullText,
                                        StoreMode mode);

} // namespace vamo::editing
