// SPDX-License-Identifier: GPL-3.0-or-later
#include "Console.h"

#include "text/FileNames.h"

#include <QByteArrayView>

#include <cstdio>

#include <unistd.h>

namespace vamo::console {

namespace {

FILE* file(Stream stream) { return stream == Stream::Out ? stdout : stderr; }

} // namespace

void writeLine(Stream stream, const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), file(stream));
    std::fputc('\n', file(stream));
    std::fflush(file(stream));
}

bool isTerminal(Stream stream) { return ::isatty(::fileno(file(stream))) != 0; }

void redrawLine(Stream stream, const QString& text)
{
    // Back to the line's start, the text, then erase what an earlier, longer
    // text left to its right.
    std::fputs(("\r" + text.toLocal8Bit() + "\x1b[K").constData(), file(stream));
    std::fflush(file(stream));
}

QStringList arguments(int argc, char** argv)
{
    // The arguments' own bytes: QCoreApplication::arguments() would turn a
    // name's invalid UTF-8 into U+FFFD, and the file would not open.
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(decodeFileName(QByteArrayView(argv[i])));
    return list;
}

} // namespace vamo::console
