// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <system_error>

namespace vamo {

// The system's reason for a failed file operation, in the program's words
// (没有权限, 名称过长 …).
[[nodiscard]] QString systemReason(std::error_code error);

// Makes the folder `path` with every folder above it that is missing; on
// failure the error is the system's reason alone.
[[nodiscard]] Result<void> makeFolders(const QString& path);

} // namespace vamo
