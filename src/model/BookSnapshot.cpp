// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BookSnapshot.h"

namespace vamo {

BookSnapshot::BookSnapshot(const BookProject& book) : m_settings(book.settings()), m_names(book.chapterNames())
{
    m_texts.reserve(m_names.size());
    for (int i = 0; i < book.chapterCount(); ++i)
        m_texts.append(book.chaptertext(i));
}

BookSnapshot::BookSnapshot(BookSettings settings, QStringList names, QStringList texts)
    : m_settings(std::move(settings)), m_names(std::move(names)), m_texts(std::move(texts))
{
    for (QString& text : m_texts)
        text = storedChapterText(std::move(text));
}

} // namespace vamo
