// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FileNames.h"

#include "text/Cp936.h"

#include <algorithm>

#include <sys/stat.h>

// POSIX file names are bytes: see FileNames.h for how they travel in a
// QString.
namespace vamo {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF stand for bytes 0x80..0xFF

bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

} // namespace

QString decodeFileName(QByteArrayView raw)
{
    if (raw.isValidUtf8())
        return QString::fromUtf8(raw);
    // Valid sequences as characters, every other byte as its escape.
    QString out;
    out.reserve(raw.size());
    const auto* p = reinterpret_cast<const quint8*>(raw.data());
    const auto* const end = p + raw.size();
    while (p < end) {
        int length = 0;
        if (*p < 0x80)
            length = 1;
        else if (*p >= 0xC2 && *p <= 0xDF)
            length = 2;
        else if (*p >= 0xE0 && *p <= 0xEF)
            length = 3;
        else if (*p >= 0xF0 && *p <= 0xF4)
            length = 4;
        if (length > 0 && end - p >= length && QByteArrayView(reinterpret_cast<const char*>(p), length).isValidUtf8()) {
            out += QString::fromUtf8(reinterpret_cast<const char*>(p), length);
            p += length;
        } else {
            out += QChar(static_cast<char16_t>(kEscapeBase + *p));
            ++p;
        }
    }
    return out;
}

QByteArray encodeFileName(QStringView name)
{
    QByteArray out;
    out.reserve(name.size() * 3);
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (!isEscape(c))
            continue;
        // A low surrogate after a high one is half of a character.
        if (i > 0 && QChar::isHighSurrogate(name[i - 1].unicode()))
            continue;
        out += name.sliced(run, i - run).toUtf8();
        out += static_cast<char>(c - kEscapeBase);
        run = i + 1;
    }
    out += name.sliced(run).toUtf8();
    return out;
}

QString displayFileName(QStringView name)
{
    // Folder by folder: a path may join names of either kind.
    QString shown;
    shown.reserve(name.size());
    qsizetype start = 0;
    while (start <= name.size()) {
        qsizetype slash = name.indexOf(u'/', start);
        if (slash < 0)
            slash = name.size();
        const QStringView part = name.sliced(start, slash - start);
        if (std::none_of(part.begin(), part.end(), [](QChar c) { return isEscape(c.unicode()); })) {
            shown += part;
        } else if (const QString gbk = cp936::decode(encodeFileName(part));
                   !gbk.contains(QChar::ReplacementCharacter)) {
            shown += gbk;
        } else {
            for (QChar c : part)
                shown += isEscape(c.unicode()) ? QChar(QChar::ReplacementCharacter) : c;
        }
        if (slash < name.size())
            shown += u'/';
        start = slash + 1;
    }
    return shown;
}

std::optional<FileStatus> fileStatus(const QString& path)
{
    struct stat st {};
    if (::stat(encodeFileName(path).constData(), &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.st_mode))
        return FileStatus{FileKind::Directory, 0};
    if (S_ISREG(st.st_mode))
        return FileStatus{FileKind::Regular, static_cast<qint64>(st.st_size)};
    return FileStatus{FileKind::Other, 0};
}

bool isLink(const QString& path)
{
    struct stat st {};
    return ::lstat(encodeFileName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

Qt::CaseSensitivity fileNameCase() { return Qt::CaseSensitive; }

std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(encodeFileName(path).toStdString()); }

} // namespace vamo
