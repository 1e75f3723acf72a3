// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace vamo::test {

// Reads a whole file; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Writes bytes to a file, creating folders on the way. Returns success.
bool writeFile(const QString& path, const QByteArray& bytes);
// The text without its white space: what tidying a text must keep.
QString withoutWhiteSpace(QStringView text);

} // namespace vamo::test
