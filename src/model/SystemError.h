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

// The error of the system call that failed last on this thread (errno on
// POSIX, GetLastError() on Windows): the reason behind a file step that Qt
// reports only as failed. Taken right after the failure; one file per
// platform.
[[nodiscard]] std::error_code lastSystemError();
// Clears it before a step whose failure is to be explained: a step that Qt
// refuses by itself leaves no reason rather than an older one.
void clearSystemError();

// "无法写入文件：" + the path (native separators) + the system's reason in
// full-width brackets, when there is one.
[[nodiscard]] QString cannotWriteFile(const QString& path, std::error_code error = {});

} // namespace vamo
