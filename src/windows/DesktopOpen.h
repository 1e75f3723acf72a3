// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QObject;

namespace vamo {

// Hands a folder to the desktop's file manager without waiting for it.
// Returns false when the folder cannot be handed on at all: it does not
// exist, or the desktop has no launcher for it. On Linux and other XDG
// desktops xdg-open decides only after the hand-off whether anything can
// show a folder; when it gives up, `failed` runs later on the UI thread
// (not once `context` is gone).
bool openFolderOnDesktop(const QString& path, QObject* context, std::function<void()> failed);

} // namespace vamo
