// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vamo {

// Whether the folder may be listed and its files opened.
[[nodiscard]] bool folderReadable(const QString& folder);

// The names in `folder` that end in ".txt" (in any case) and are not
// folders, in the order the file system lists them, up to the first name
// for which `endsListing` is true. Nothing when the folder cannot be read.
[[nodiscard]] std::optional<QStringList> txtFileNames(const QString& folder,
                                                      const std::function<bool(const QString&)>& endsListing);

} // namespace vamo
