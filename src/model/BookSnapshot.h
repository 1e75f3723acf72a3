// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/BookProject.h"

#include <QStringList>

namespace vamo {

// What a build needs of the book, taken at one moment: the settings, the
// chapter names and, for every listed chapter, the text of its slot. A value
// that never changes once taken; it shares the texts' bytes with the project
// (implicitly shared strings), so taking one is cheap, and it may go to a
// worker thread while the project stays with its window.
class BookSnapshot {
public:
    explicit BookSnapshot(const BookProject& book);
    // A book no project holds: chapters named `names`, with `texts` (one per
    // name, as read) stored as `save` stores them; the same snapshot as of a
    // project that holds them.
    BookSnapshot(BookSettings settings, QStringList names, QStringList texts);

    [[nodiscard]] const BookSettings& settings() const { return m_settings; }
    [[nodiscard]] const QStringList& chapterNames() const { return m_names; }
    // One text per chapter name, in list order.
    [[nodiscard]] const QStringList& chapterTexts() const { return m_texts; }
    [[nodiscard]] int chapterCount() const { return static_cast<int>(m_names.size()); }

    bool operator==(const BookSnapshot&) const = default;

private:
    BookSettings m_settings;
    QStringList m_names;
    QStringList m_texts;
};

} // namespace vamo
