// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BookSnapshot.h"

namespace vamo {

BookSnapshot::BookSnapshot(const BookProject& book) : m_settings(book.settings()), m_names(book.chapterNames())
{
    m_texts.reserve(m_names.size());
    for (int i = 0; i < book.chapterCount(); ++i)
        m_texts.append(book.chaptertext(i));
}

} // namespace vamo
