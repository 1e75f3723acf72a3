// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// OpenCC's traditional-to-simplified tables, TSPhrases and TSCharacters, in
// the text form OpenCC's own opencc_dict writes ("key<TAB>value value…", a
// line each), applied as OpenCC's t2s converter applies them: the text is cut
// at the longest TSPhrases key found at each place, a phrase becomes its
// first value, and in the runs between phrases each place takes the longest
// TSCharacters key there (or stays as it is). The Windows build converts
// with these, taken from Debian's OpenCC data at build time.
namespace vamo {

class SimplifiedTables {
public:
    // The two tables TSPhrases.txt and TSCharacters.txt of `folder`. A
    // missing, unreadable or malformed table is an error "无法转换为简体：…".
    [[nodiscard]] static Result<SimplifiedTables> load(const QString& folder);

    // The text made simplified; everything no table names stays as it was.
    [[nodiscard]] QString convert(QStringView text) const;

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::u16string_view key) const { return std::hash<std::u16string_view>{}(key); }
    };
    struct Table {
        std::unordered_map<std::u16string, std::u16string, Hash, std::equal_to<>> values;
        std::vector<bool> starts; // by UTF-16 unit: begins some key
        qsizetype longest = 0;    // the longest key's length
        // The value of the longest key at the start of `text`, and its length.
        [[nodiscard]] const std::u16string* longestMatch(QStringView text, qsizetype& length) const;
    };
    [[nodiscard]] static Result<Table> readTable(const QString& path);

    Table m_phrases;
    Table m_characters;
};

} // namespace vamo
