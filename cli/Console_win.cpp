// SPDX-License-Identifier: GPL-3.0-or-later
#include "Console.h"

#include <QCoreApplication>

#include <algorithm>

#include <windows.h>

namespace vamo::console {

namespace {

HANDLE handle(Stream stream) { return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

bool isConsole(HANDLE h)
{
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

void write(Stream stream, const QString& text)
{
    const HANDLE h = handle(stream);
    if (h == nullptr || h == INVALID_HANDLE_VALUE || text.isEmpty())
        return;
    DWORD written = 0;
    if (isConsole(h)) {
        // The console takes UTF-16 as it is, whatever its code page.
        WriteConsoleW(h, text.utf16(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    WriteFile(h, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Console cells a text takes: the East Asian wide characters take two.
int cells(const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

int lastWidth = 0;

} // namespace

void writeLine(Stream stream, const QString& line) { write(stream, line + QLatin1Char('\n')); }

bool isTerminal(Stream stream) { return isConsole(handle(stream)); }

void redrawLine(Stream stream, const QString& text)
{
    // No escape sequences: not every console takes them. What a longer
    // earlier text left is overwritten with spaces.
    const int width = cells(text);
    const QString padding(std::max(0, lastWidth - width), QLatin1Char(' '));
    write(stream, QLatin1Char('\r') + text + padding + QLatin1Char('\r') + text);
    lastWidth = width;
}

QStringList arguments(int, char**)
{
    // Qt reads the UTF-16 command line (GetCommandLineW): Chinese file names
    // arrive whole whatever the code page.
    return QCoreApplication::arguments();
}

} // namespace vamo::console
