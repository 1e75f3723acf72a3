// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/RemoveTree.h"

#include <QDir>
#include <QStringList>

#include <windows.h>

// Windows: a link to a folder or a junction is a folder entry with a reparse
// point; it is removed as that entry and never entered. Every entry is opened
// as itself (FILE_FLAG_OPEN_REPARSE_POINT), never through a link. Windows
// refuses to delete a read-only file, and the read-only attribute belongs to
// the file, not to one of its names: clearing it would change the file seen
// through any other hard link. So a read-only entry is deleted on a handle
// that ignores the attribute (Windows 10 1809 and later), or else the
// attribute is lifted on the handle only while the file is marked for
// deletion and put back at once, so that the file's other names keep it.
namespace vamo {

namespace {

const wchar_t* wide(const QString& s) { return reinterpret_cast<const wchar_t*>(s.utf16()); }

// Windows 10 1809's deletion that ignores the read-only attribute
// (FileDispositionInfoEx with FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE).
// The headers offer it only to programs built for that version alone; this
// one runs on older systems too, where the call fails and the fallback below
// is taken.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x01;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;
struct DispositionInfoEx {
    DWORD flags;
};

bool isFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool isLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

struct Handle {
    HANDLE h;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

bool deleteOnHandle(const QString& native)
{
    const Handle entry(CreateFileW(wide(native), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (entry.h == INVALID_HANDLE_VALUE)
        return false;
    DispositionInfoEx ignoring{kDispositionDelete | kDispositionIgnoreReadOnly};
    if (SetFileInformationByHandle(entry.h, kFileDispositionInfoEx, &ignoring, sizeof ignoring))
        return true;

    FILE_BASIC_INFO before{};
    if (!GetFileInformationByHandleEx(entry.h, FileBasicInfo, &before, sizeof before))
        return false;
    FILE_BASIC_INFO writable = before;
    writable.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (writable.FileAttributes == 0)
        writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(entry.h, FileBasicInfo, &writable, sizeof writable))
        return false;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool marked = SetFileInformationByHandle(entry.h, FileDispositionInfo, &disposition, sizeof disposition);
    SetFileInformationByHandle(entry.h, FileBasicInfo, &before, sizeof before);
    return marked;
}

// Removes one entry: a file, a link of either kind, or an empty folder.
bool removeEntry(const QString& native, DWORD attributes)
{
    const bool removed = isFolder(attributes) ? RemoveDirectoryW(wide(native)) : DeleteFileW(wide(native));
    if (removed)
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 && deleteOnHandle(native);
}

struct Entry {
    QString native;
    DWORD attributes;
};

// The entries of a folder, all listed before any is removed.
QList<Entry> entriesOf(const QString& native, bool& listed)
{
    QList<Entry> entries;
    WIN32_FIND_DATAW data;
    const QString pattern = native + QLatin1String("\\*");
    HANDLE find = FindFirstFileExW(wide(pattern), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        listed = GetLastError() == ERROR_FILE_NOT_FOUND;
        return entries;
    }
    do {
        const QString name = QString::fromWCharArray(data.cFileName);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            entries.append({native + QLatin1Char('\\') + name, data.dwFileAttributes});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    listed = true;
    return entries;
}

void emptyFolder(const QString& native, const PumpFn& pump, QString& firstFailure)
{
    bool listed = false;
    const QList<Entry> entries = entriesOf(native, listed);
    if (!listed && firstFailure.isEmpty())
        firstFailure = QDir::fromNativeSeparators(native);
    for (const Entry& entry : entries) {
        if (isFolder(entry.attributes) && !isLink(entry.attributes))
            emptyFolder(entry.native, pump, firstFailure);
        if (!removeEntry(entry.native, entry.attributes) && firstFailure.isEmpty())
            firstFailure = QDir::fromNativeSeparators(entry.native);
        if (pump)
            pump();
    }
}

} // namespace

bool removeTree(const QString& path, const PumpFn& pump, QString& firstFailure)
{
    const QString native = QDir::toNativeSeparators(path);
    const DWORD attributes = GetFileAttributesW(wide(native));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true; // nothing there
    if (isFolder(attributes) && !isLink(attributes))
        emptyFolder(native, pump, firstFailure);
    if (!removeEntry(native, attributes) && firstFailure.isEmpty())
        firstFailure = path;
    return firstFailure.isEmpty();
}

bool removeFileNotThroughLink(const QString& programFolder, const QString& relative)
{
    const QString native = QDir::toNativeSeparators(QDir(programFolder).filePath(relative));
    const QString folder = native.left(native.lastIndexOf(QLatin1Char('\\')));
    const DWORD folderAttributes = GetFileAttributesW(wide(folder));
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || !isFolder(folderAttributes) || isLink(folderAttributes))
        return true; // no folder, or not a real one: nothing of ours
    const DWORD attributes = GetFileAttributesW(wide(native));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (isFolder(attributes) && !isLink(attributes))
        return false; // a folder in the file's place: not removed as a file
    return removeEntry(native, attributes);
}

} // namespace vamo
