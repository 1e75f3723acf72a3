// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The command line's terminal, one file per platform: how lines and the
// redrawn progress line reach stdout and stderr, and how the arguments come
// in.
namespace vamo::console {

enum class Stream { Out, Err };

// Writes `line` and a line end. To a Windows console as its characters
// (whatever the console's code page); to a pipe or a file on Windows as
// UTF-8; on POSIX in the locale's encoding.
void writeLine(Stream stream, const QString& line);

// Whether the stream is a terminal on which a line can be redrawn.
[[nodiscard]] bool isTerminal(Stream stream);

// Replaces what the terminal's current line shows with `text` (an empty
// text clears it), without ending the line.
void redrawLine(Stream stream, const QString& text);

// The command line's arguments, the program's name first. On POSIX a file
// name that is not valid UTF-8 keeps its bytes (see text/FileNames.h).
[[nodiscard]] QStringList arguments(int argc, char** argv);

} // namespace vamo::console
